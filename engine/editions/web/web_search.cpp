#include "engine/editions/web/web_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/editions/web/web_text.h"
#include "support/allocation.h"
#include "engine/format/cross_references.h"
#include "engine/format/code_page_437.h"

namespace marlix {

namespace {

constexpr std::uint32_t kNoWord = DistinctStrings::kNone;
constexpr std::uint32_t kFinalBase = sizeof kSearchFinalDigits - 1;
constexpr std::uint32_t kMoreBase = sizeof kSearchMoreDigits - 1;
static_assert(kFinalBase == 64 && kMoreBase == 28);

// Each byte's value as a digit of either alphabet, or kNotADigit.
constexpr std::uint8_t kNotADigit = 0xFF;
struct DigitValues {
  std::uint8_t final[256];
  std::uint8_t more[256];
};
constexpr DigitValues kDigitValues = [] {
  DigitValues values{};
  for (int c = 0; c < 256; ++c) values.final[c] = values.more[c] = kNotADigit;
  for (std::uint32_t i = 0; i < kFinalBase; ++i) {
    values.final[static_cast<unsigned char>(kSearchFinalDigits[i])] = static_cast<std::uint8_t>(i);
  }
  for (std::uint32_t i = 0; i < kMoreBase; ++i) {
    values.more[static_cast<unsigned char>(kSearchMoreDigits[i])] = static_cast<std::uint8_t>(i);
  }
  return values;
}();

// The number of the code that starts at codes[at], one AppendWordCode wrote,
// and at moved past it.
std::uint32_t ReadWordCode(const char* codes, std::uint32_t end, std::uint32_t& at) {
  std::uint64_t firstOfLength = 0;
  std::uint64_t codesOfLength = kFinalBase;
  std::uint64_t leading = 0;
  while (at < end) {
    const auto c = static_cast<unsigned char>(codes[at++]);
    if (kDigitValues.more[c] == kNotADigit) {
      return static_cast<std::uint32_t>(firstOfLength + leading * kFinalBase +
                                        kDigitValues.final[c]);
    }
    leading = leading * kMoreBase + kDigitValues.more[c];
    firstOfLength += codesOfLength;
    codesOfLength *= kMoreBase;
  }
  return kNoWord;
}

constexpr std::uint32_t kFirstWordSlots = 1024;
constexpr std::uint32_t kMaxWordSlots = 0x80000000u;

// Bytes that end a word and leave nothing of their own in the data: blanks,
// tabs, and the box-drawing characters and shades that drawings are made of.
bool IsGap(unsigned char c) { return c == ' ' || c == '\t' || (c >= 0xB0 && c <= 0xDF); }

// A character beyond ASCII as a script escape: the script stays ASCII, which
// the browser reads and parses as one byte a character (with UTF-8 in it, it
// converts the whole script to two bytes a character first: a fifth slower).
void AppendScriptEscape(TextString& out, std::uint32_t point) {
  static constexpr char kHex[] = "0123456789abcdef";
  char escape[6] = {'\\', 'u', kHex[(point >> 12) & 15], kHex[(point >> 8) & 15],
                    kHex[(point >> 4) & 15], kHex[point & 15]};
  out.AppendBytes(escape, sizeof escape);
}

// One code page 437 character as the inside of a double-quoted script string.
void AppendScriptCharacter(TextString& out, unsigned char c) {
  const auto point = static_cast<std::uint32_t>(Cp437CodePoint(c));
  if (point >= 0x80) {
    AppendScriptEscape(out, point);
    return;
  }
  if (c == '"' || c == '\\') out.AppendChar('\\');
  AppendCp437Utf8(out, c);
}

// UTF-8 text (of code page 437 characters: one to three bytes each) as the
// inside of a double-quoted script string.
void AppendUtf8AsScript(TextString& out, const char* bytes, std::uint32_t length) {
  for (std::uint32_t i = 0; i < length;) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      if (c == '"' || c == '\\') out.AppendChar('\\');
      out.AppendChar(static_cast<char>(c));
      ++i;
      continue;
    }
    const std::uint32_t size = c >= 0xE0 ? 3 : 2;
    std::uint32_t point = c & (size == 3 ? 0x0F : 0x1F);
    for (std::uint32_t k = 1; k < size && i + k < length; ++k) {
      point = (point << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    }
    AppendScriptEscape(out, point);
    i += size;
  }
}

// Collects the words of shown text into word and hands each, complete, to
// onWord. Fed the pieces of ParseCrossReferences, or plain bytes through Text.
template <typename OnWord>
class WordSplitter {
 public:
  WordSplitter(TextString& word, OnWord& onWord) : word_(word), onWord_(onWord) { word_.Empty(); }

  void Text(const char* bytes, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
      const auto c = static_cast<unsigned char>(bytes[i]);
      if (IsGap(c)) {
        End();
      } else {
        AppendScriptCharacter(word_, c);
      }
    }
  }
  void Tilde() { AppendScriptCharacter(word_, '~'); }
  // The name of a reference is what the page shows of it.
  void Reference(const char* name, std::uint32_t n) { Text(name, n); }
  void End() {
    if (word_.IsEmpty()) return;
    onWord_(word_);
    word_.Empty();
  }

 private:
  TextString& word_;
  OnWord& onWord_;
};

// Cuts shown text into search tokens and hands each, complete, to
// onToken(bytes, length) with its code page 437 bytes as shown. Fed like
// WordSplitter.
template <typename OnToken>
class TokenCutter {
 public:
  explicit TokenCutter(OnToken& onToken) : onToken_(onToken) {}

  void Text(const char* bytes, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) Byte(static_cast<unsigned char>(bytes[i]));
  }
  void Tilde() { Byte('~'); }
  void Reference(const char* name, std::uint32_t n) { Text(name, n); }
  void End() {
    if (length_ > 0) onToken_(token_, length_);
    length_ = 0;
  }

 private:
  void Byte(unsigned char c) {
    if (IsGap(c)) {
      End();
      return;
    }
    const bool word = IsSearchWordByte(c);
    if (length_ > 0 && (word != word_ || length_ == sizeof token_)) End();
    word_ = word;
    token_[length_++] = static_cast<char>(c);
  }

  OnToken& onToken_;
  // A token longer than a source line is cut (lines hold at most 80 bytes).
  char token_[128];
  std::uint32_t length_ = 0;
  bool word_ = false;
};

// Feeds the shown text of bytes to visitor (a WordSplitter or a
// TokenCutter) and ends its last piece. markup: whether bytes hold "~"
// markup (title and text lines do; names and section titles are shown as
// they are written).
template <typename Visitor>
void FeedShownText(const char* bytes, std::uint32_t length, bool markup, Visitor& visitor) {
  length = WithoutLineEndResidue(bytes, length);
  if (markup) {
    ParseCrossReferences(bytes, length, visitor);
  } else {
    visitor.Text(bytes, length);
  }
  visitor.End();
}

// Calls onWord(word) for each word of bytes, with word its script text.
template <typename OnWord>
void ForEachWord(const char* bytes, std::uint32_t length, bool markup, TextString& word,
                 OnWord&& onWord) {
  WordSplitter<OnWord> splitter(word, onWord);
  FeedShownText(bytes, length, markup, splitter);
}

// Appends the words of bytes to out, separated by one blank.
void AppendWords(TextString& out, const char* bytes, std::uint32_t length, bool markup,
                 TextString& word) {
  bool first = true;
  ForEachWord(bytes, length, markup, word, [&out, &first](const TextString& shown) {
    if (!first) out.AppendChar(' ');
    out += shown;
    first = false;
  });
}

// A file name, which is ASCII already, as script text.
void AppendScriptName(TextString& out, const TextString& name) {
  for (std::uint32_t i = 0; i < name.Length(); ++i) {
    if (name[i] == '"' || name[i] == '\\') out.AppendChar('\\');
    out.AppendChar(name[i]);
  }
}

// Appends the piece of pieces from start to end (nothing when they were lost).
void AppendPiece(TextString& out, const TextString& pieces, bool lost, std::uint32_t start,
                 std::uint32_t end) {
  if (!lost && start <= end && end <= pieces.Length()) {
    out.AppendBytes(pieces.CStr() + start, end - start);
  }
}

std::uint32_t HashBytes(const char* bytes, std::uint32_t length) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::uint32_t i = 0; i < length; ++i) {
    hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
  }
  return hash;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool AllHexDigits(const char* bytes, std::uint32_t length) {
  for (std::uint32_t i = 0; i < length; ++i) {
    if (!IsHexDigit(bytes[i])) return false;
  }
  return true;
}

}  // namespace

bool IsSearchWordByte(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         c == '_' || c == '$' || (c >= 0x80 && c <= 0xA5) || (c >= 0xE0 && c <= 0xEE && c != 0xEC);
}

void AppendSearchToken(TextString& out, const char* bytes, std::uint32_t length) {
  char folded[128];
  if (length > sizeof folded) length = sizeof folded;
  for (std::uint32_t i = 0; i < length; ++i) {
    folded[i] = (bytes[i] >= 'a' && bytes[i] <= 'z') ? static_cast<char>(bytes[i] - 'a' + 'A')
                                                      : bytes[i];
  }
  const char* from = folded;
  // "10h", "3Dh": a digit first, then hex digits, then the h.
  if (length >= 2 && folded[0] >= '0' && folded[0] <= '9' && folded[length - 1] == 'H' &&
      AllHexDigits(folded, length - 1)) {
    --length;
  } else if (length >= 3 && folded[0] == '0' && folded[1] == 'X' &&
             AllHexDigits(folded + 2, length - 2)) {  // "0x378"
    from += 2;
    length -= 2;
  }
  for (std::uint32_t i = 0; i < length; ++i) AppendCp437Utf8(out, static_cast<unsigned char>(from[i]));
}

// Writes the code of word number n to code (room for kMaxCodeLength) and
// returns its length.
constexpr std::uint32_t kMaxCodeLength = 8;
std::uint32_t WriteWordCode(char* code, std::uint32_t n) {
  // Find the length of n's code and n's place among the codes of that length.
  std::uint64_t offset = n;
  std::uint64_t codesOfLength = kFinalBase;
  std::uint32_t moreDigits = 0;
  while (offset >= codesOfLength) {
    offset -= codesOfLength;
    codesOfLength *= kMoreBase;
    ++moreDigits;
  }
  code[moreDigits] = kSearchFinalDigits[offset % kFinalBase];
  offset /= kFinalBase;
  for (std::uint32_t i = moreDigits; i > 0; --i) {
    code[i - 1] = kSearchMoreDigits[offset % kMoreBase];
    offset /= kMoreBase;
  }
  return moreDigits + 1;
}

void AppendWordCode(TextString& out, std::uint32_t n) {
  char code[kMaxCodeLength];
  out.AppendBytes(code, WriteWordCode(code, n));
}

DistinctStrings::~DistinctStrings() { ReleaseBytes(slots_); }

std::uint32_t DistinctStrings::Number(const char* bytes, std::uint32_t length, bool& added) {
  added = false;
  const std::uint32_t hash = HashBytes(bytes, length);
  if (slots_ != nullptr) {
    for (std::uint32_t slot = hash & slotMask_; slots_[slot] != 0; slot = (slot + 1) & slotMask_) {
      const Entry& known = entries_[slots_[slot] - 1];
      if (known.length == length && std::memcmp(bytes_.CStr() + known.start, bytes, length) == 0) {
        return slots_[slot] - 1;
      }
    }
  }
  // A new string. The table stays at most half full; when it cannot grow it
  // takes strings while one slot stays free, so that every search ends.
  const std::uint64_t slots = slots_ != nullptr ? std::uint64_t{slotMask_} + 1 : 0;
  const std::uint64_t count = entries_.Count();
  if (2 * (count + 1) > slots && !GrowSlots() && count + 2 > slots) return kNone;

  Entry entry;
  entry.start = bytes_.Length();
  entry.length = length;
  bytes_.AppendBytes(bytes, length);
  // A failed append empties bytes_, and every string before would point
  // into nothing: the table is given up.
  if (bytes_.Length() != entry.start + length) {
    Release();
    return kNone;
  }
  if (!entries_.Append(std::move(entry))) return kNone;
  std::uint32_t slot = hash & slotMask_;
  while (slots_[slot] != 0) slot = (slot + 1) & slotMask_;
  slots_[slot] = static_cast<std::uint32_t>(count + 1);
  added = true;
  return static_cast<std::uint32_t>(count);
}

void DistinctStrings::Release() {
  // Moved out, so that their blocks go too (Clear keeps them).
  entries_ = Slots<Entry>();
  bytes_.Clear();
  ReleaseBytes(slots_);
  slots_ = nullptr;
  slotMask_ = 0;
}

bool DistinctStrings::GrowSlots() {
  const std::uint64_t slots = slots_ != nullptr ? 2 * (std::uint64_t{slotMask_} + 1)
                                                : kFirstWordSlots;
  if (slots > kMaxWordSlots || slots > SIZE_MAX / sizeof(std::uint32_t)) {
    NoteLostAllocation();
    return false;
  }
  auto* grown = static_cast<std::uint32_t*>(AllocateBytes(slots * sizeof(std::uint32_t)));
  if (grown == nullptr) return false;
  std::memset(grown, 0, slots * sizeof(std::uint32_t));
  const auto mask = static_cast<std::uint32_t>(slots - 1);
  for (std::uint32_t n = 0; n < entries_.Count(); ++n) {
    std::uint32_t slot = HashBytes(Bytes(n), entries_[n].length) & mask;
    while (grown[slot] != 0) slot = (slot + 1) & mask;
    grown[slot] = n + 1;
  }
  ReleaseBytes(slots_);
  slots_ = grown;
  slotMask_ = mask;
  return true;
}

void SearchDataBuilder::BeginSection(const char* title, std::uint32_t length) {
  if (sections_ > 0) sectionTitles_.AppendChar(',');
  sectionTitles_.AppendChar('"');
  AppendWords(sectionTitles_, title, length, false, word_);
  sectionTitles_.AppendChar('"');
  ++sections_;
}

void SearchDataBuilder::Pieces::Add(const TextString& piece) {
  if (lost) return;
  const std::uint32_t before = bytes.Length();
  bytes += piece;
  if (bytes.Length() != before + piece.Length()) {
    lost = true;
    bytes.Clear();
  }
}

void SearchDataBuilder::BeginTopic(const TextString& page) {
  if (sections_ == 0) BeginSection("", 0);
  Topic topic;
  topic.section = sections_ - 1;
  topic.page = pages_.End();
  topic.names = names_.End();
  topic.title = titles_.End();
  topic.text = textCodes_.Length();
  KeepPostings();
  topic.postings = postingCodes_.Length();
  if (!topics_.Append(std::move(topic))) return;
  shown_.Empty();
  AppendScriptName(shown_, page);
  pages_.Add(shown_);
}

void SearchDataBuilder::AddName(const char* name, std::uint32_t length) {
  if (topics_.Count() == 0) return;
  shown_.Empty();
  AppendWords(shown_, name, length, false, word_);
  // A name of blanks or drawing is no name to show or to find.
  if (shown_.IsEmpty()) return;
  word_ = ",\"";
  word_ += shown_;
  word_.AppendChar('"');
  names_.Add(word_);
  AddTokens(name, length, false, kInName);
}

void SearchDataBuilder::SetTitle(const char* line, std::uint32_t length) {
  if (topics_.Count() == 0) return;
  shown_.Empty();
  AppendWords(shown_, line, length, true, word_);
  // A title set again is written anew; the one before stays, unused.
  Topic& topic = topics_[topics_.Count() - 1];
  topic.title = titles_.End();
  titles_.Add(shown_);
  topic.titleLength = shown_.Length();
  // Nor do its tokens count: the topic's postings lose the title's mark,
  // and those left with no mark at all go.
  std::uint32_t kept = 0;
  for (std::uint32_t i = 0; i < current_.Count(); ++i) {
    Posting posting = current_[i];
    posting.where &= ~kInTitle;
    if (posting.where == 0) continue;
    lastPosting_[posting.token] = kept;
    current_[kept++] = posting;
  }
  while (current_.Count() > kept) current_.RemoveAt(current_.Count() - 1);
  AddTokens(line, length, true, kInTitle);
}

void SearchDataBuilder::AddTextLine(const char* line, std::uint32_t length) {
  if (topics_.Count() == 0) return;
  AddTokens(line, length, true, kTextUse);
  if (textLost_) return;
  ForEachWord(line, length, true, word_, [this](const TextString&) {
    if (textLost_) return;  // lost at an earlier word of the line
    const std::uint32_t n = NumberOfWord();
    if (n == kNoWord) return;
    const std::uint32_t before = textCodes_.Length();
    AppendWordCode(textCodes_, n);
    // A failed append empties the codes of every topic.
    if (textCodes_.Length() <= before) {
      LoseText();
      return;
    }
    ++uses_[n];
  });
}

std::uint32_t SearchDataBuilder::NumberOfWord() {
  bool added = false;
  const std::uint32_t n = words_.Number(word_.CStr(), word_.Length(), added);
  if (n == kNoWord) {
    // The table gives itself up when its bytes could not grow.
    if (words_.Count() == 0 && uses_.Count() > 0) LoseText();
    return kNoWord;
  }
  if (added && !uses_.Append(0u)) {
    LoseText();
    return kNoWord;
  }
  return n;
}

void SearchDataBuilder::LoseText() {
  textLost_ = true;
  words_.Release();
  uses_ = Slots<std::uint32_t>();
  textCodes_.Clear();
}

void SearchDataBuilder::AddTokens(const char* bytes, std::uint32_t length, bool markup,
                                  std::uint32_t where) {
  if (indexLost_) return;
  auto onToken = [this, where](const char* token, std::uint32_t tokenLength) {
    AddToken(token, tokenLength, where);
  };
  TokenCutter<decltype(onToken)> cutter(onToken);
  FeedShownText(bytes, length, markup, cutter);
}

void SearchDataBuilder::AddToken(const char* bytes, std::uint32_t length, std::uint32_t where) {
  if (indexLost_) return;
  Topic& topic = topics_[topics_.Count() - 1];
  if (where == kTextUse) ++topic.tokens;
  token_.Empty();
  AppendSearchToken(token_, bytes, length);
  bool added = false;
  const std::uint32_t n = tokens_.Number(token_.CStr(), token_.Length(), added);
  if (n == DistinctStrings::kNone || (added && !lastPosting_.Append(std::uint32_t{kNoWord}))) {
    LoseIndex();
    return;
  }
  const std::uint32_t last = lastPosting_[n];
  if (last < current_.Count() && current_[last].token == n) {  // this topic holds it already
    Posting& posting = current_[last];
    // A name's or the title's mark is set once; uses in the text add up.
    posting.where = where == kTextUse ? posting.where + kTextUse : posting.where | where;
    return;
  }
  Posting posting;
  posting.token = n;
  posting.where = where;
  if (!current_.Append(std::move(posting))) {
    LoseIndex();
    return;
  }
  lastPosting_[n] = current_.Count() - 1;
}

void SearchDataBuilder::KeepPostings() {
  if (indexLost_) return;
  for (std::uint32_t i = 0; i < current_.Count(); ++i) {
    const std::uint32_t before = postingCodes_.Length();
    AppendWordCode(postingCodes_, current_[i].token);
    AppendWordCode(postingCodes_, current_[i].where);
    // A failed append empties the codes of every topic.
    if (postingCodes_.Length() <= before) {
      LoseIndex();
      return;
    }
  }
  current_.Clear();
}

void SearchDataBuilder::LoseIndex() {
  indexLost_ = true;
  tokens_.Release();
  postingCodes_.Clear();
  current_ = Slots<Posting>();
  lastPosting_ = Slots<std::uint32_t>();
}

void SearchDataBuilder::AppendScript(TextString& out) const {
  // The words in the order they are written, most used first (then in the
  // order they came); rank is a word's number in that order. Without room for
  // the two tables the words keep the order they came in.
  const std::uint32_t count = words_.Count();
  Slots<std::uint32_t> order;
  Slots<std::uint32_t> rank;
  bool ranked = true;
  for (std::uint32_t n = 0; n < count && ranked; ++n) {
    ranked = order.Append(std::uint32_t{n}) && rank.Append(std::uint32_t{n});
  }
  if (ranked && count > 0) {
    std::sort(&order[0], &order[0] + count, [this](std::uint32_t a, std::uint32_t b) {
      return uses_[a] != uses_[b] ? uses_[a] > uses_[b] : a < b;
    });
    for (std::uint32_t i = 0; i < count; ++i) rank[order[i]] = i;
  }

  out.Append("window.marlixSearchData = {\r\n\"final\": \"");
  out.Append(kSearchFinalDigits);
  out.Append("\",\r\n\"more\": \"");
  out.Append(kSearchMoreDigits);
  out.Append("\",\r\n\"letters\": \"");
  for (int c = 0x21; c < 0x100; ++c) {
    const bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!alphanumeric && IsSearchWordByte(static_cast<unsigned char>(c))) {
      AppendScriptCharacter(out, static_cast<unsigned char>(c));
    }
  }
  out.Append("\",\r\n\"words\": \"");
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t n = ranked ? order[i] : i;
    if (i > 0) out.AppendChar(' ');
    out.AppendBytes(words_.Bytes(n), words_.Length(n));
  }
  out.Append("\",\r\n\"sections\": [");
  out += sectionTitles_;
  out.Append("],\r\n\"topics\": [\r\n");
  TextString number;
  for (std::uint32_t t = 0; t < topics_.Count(); ++t) {
    const Topic& topic = topics_[t];
    const Topic* next = t + 1 < topics_.Count() ? &topics_[t + 1] : nullptr;
    out.Append(t > 0 ? ",\r\n[\"" : "[\"");
    AppendPiece(out, pages_.bytes, pages_.lost, topic.page, next ? next->page : pages_.End());
    out.Append("\",");
    out += number.AssignNumber(topic.section);
    out.Append(",\"");
    AppendPiece(out, titles_.bytes, titles_.lost, topic.title, topic.title + topic.titleLength);
    out.Append("\",\"");
    const std::uint32_t end = next ? next->text : textCodes_.Length();
    for (std::uint32_t at = topic.text; !textLost_ && at < end;) {
      const std::uint32_t n = ReadWordCode(textCodes_.CStr(), end, at);
      if (n >= count) break;
      AppendWordCode(out, ranked ? rank[n] : n);
    }
    out.AppendChar('"');
    AppendPiece(out, names_.bytes, names_.lost, topic.names, next ? next->names : names_.End());
    out.AppendChar(']');
  }
  out.Append("],\r\n\"lengths\": \"");
  for (std::uint32_t t = 0; t < topics_.Count(); ++t) AppendWordCode(out, topics_[t].tokens);
  AppendIndex(out);
  out.Append("\"};");
}

template <typename OnPosting>
void SearchDataBuilder::ForEachPosting(OnPosting&& onPosting) const {
  // Every topic but the last has its postings in postingCodes_; the last
  // one's are still in current_.
  if (indexLost_) return;
  const std::uint32_t topics = topics_.Count();
  for (std::uint32_t t = 0; t + 1 < topics; ++t) {
    const std::uint32_t end = std::min(topics_[t + 1].postings, postingCodes_.Length());
    for (std::uint32_t at = topics_[t].postings; at < end;) {
      const std::uint32_t token = ReadWordCode(postingCodes_.CStr(), end, at);
      const std::uint32_t where = ReadWordCode(postingCodes_.CStr(), end, at);
      if (token < tokens_.Count()) onPosting(t, token, where);
    }
  }
  for (std::uint32_t i = 0; i < current_.Count() && topics > 0; ++i) {
    onPosting(topics - 1, current_[i].token, current_[i].where);
  }
}

void SearchDataBuilder::AppendIndex(TextString& out) const {
  // The tokens in sorted order. Each token's postings go to their place in
  // the script in one pass over all postings: a first pass adds up how long
  // each token's postings are written.
  const std::uint32_t count = indexLost_ ? 0 : tokens_.Count();
  Slots<std::uint32_t> order;  // token numbers, sorted
  Slots<std::uint32_t> place;  // of each token's postings in the script, from where they start
  Slots<std::uint32_t> last;   // of each token, the last topic written + 1 (0: none yet)
  bool room = true;
  for (std::uint32_t n = 0; n < count && room; ++n) {
    room = order.Append(std::uint32_t{n}) && place.Append(0u) && last.Append(0u);
  }
  out.Append("\",\r\n\"tokens\": \"");
  if (!room) {
    out.Append("\",\r\n\"postings\": \"");
    return;
  }
  std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
    const std::uint32_t lengthA = tokens_.Length(a);
    const std::uint32_t lengthB = tokens_.Length(b);
    const int compared = std::memcmp(tokens_.Bytes(a), tokens_.Bytes(b), std::min(lengthA, lengthB));
    return compared != 0 ? compared < 0 : lengthA < lengthB;
  });
  for (std::uint32_t i = 0; i < count; ++i) {
    if (i > 0) out.AppendChar(' ');
    const std::uint32_t n = order[i];
    AppendUtf8AsScript(out, tokens_.Bytes(n), tokens_.Length(n));
  }
  out.Append("\",\r\n\"postings\": \"");

  // A topic is written as the distance from the token's last one.
  char code[kMaxCodeLength];
  std::uint64_t total = 0;
  ForEachPosting([&](std::uint32_t topic, std::uint32_t token, std::uint32_t where) {
    const std::uint32_t length = WriteWordCode(code, topic - (last[token] > 0 ? last[token] - 1 : 0)) +
                                 WriteWordCode(code, where);
    place[token] += length;
    total += length;
    last[token] = topic + 1;
  });
  total += count > 0 ? count - 1 : 0;  // the blanks between tokens
  if (total == 0) return;
  if (total > 0xFFFFFFFFu) {
    NoteLostAllocation();
    return;
  }
  char* const start = out.AppendSpace(total);
  if (start == nullptr) return;
  std::uint32_t at = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t n = order[i];
    const std::uint32_t length = place[n];
    place[n] = at;
    at += length;
    if (i + 1 < count) start[at++] = ' ';
    last[n] = 0;
  }
  ForEachPosting([&](std::uint32_t topic, std::uint32_t token, std::uint32_t where) {
    char* to = start + place[token];
    std::uint32_t length = WriteWordCode(to, topic - (last[token] > 0 ? last[token] - 1 : 0));
    length += WriteWordCode(to + length, where);
    place[token] += length;
    last[token] = topic + 1;
  });
  out.CommitAppended(total);
}

}  // namespace marlix
