#include "engine/web_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/entity_table.h"
#include "engine/line_rendering.h"
#include "engine/web_text.h"
#include "support/allocation.h"

namespace marlix {

namespace {

constexpr std::uint32_t kNoWord = 0xFFFFFFFFu;
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

// One code page 437 character as the inside of a double-quoted script string.
void AppendScriptCharacter(TextString& out, unsigned char c) {
  if (c == '"' || c == '\\') out.AppendChar('\\');
  AppendCp437Utf8(out, c);
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

// Calls onWord(word) for each word of bytes, with word its script text.
// markup: whether bytes hold "~" markup (title and text lines do; names and
// section titles are shown as they are written).
template <typename OnWord>
void ForEachWord(const char* bytes, std::uint32_t length, bool markup, TextString& word,
                 OnWord&& onWord) {
  length = WithoutLineEndResidue(bytes, length);
  WordSplitter<OnWord> splitter(word, onWord);
  if (markup) {
    ParseCrossReferences(bytes, length, splitter);
  } else {
    splitter.Text(bytes, length);
  }
  splitter.End();
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

}  // namespace

void AppendWordCode(TextString& out, std::uint32_t n) {
  // Find the length of n's code and n's place among the codes of that length.
  std::uint64_t offset = n;
  std::uint64_t codesOfLength = kFinalBase;
  std::uint32_t moreDigits = 0;
  while (offset >= codesOfLength) {
    offset -= codesOfLength;
    codesOfLength *= kMoreBase;
    ++moreDigits;
  }
  char code[8];
  code[moreDigits] = kSearchFinalDigits[offset % kFinalBase];
  offset /= kFinalBase;
  for (std::uint32_t i = moreDigits; i > 0; --i) {
    code[i - 1] = kSearchMoreDigits[offset % kMoreBase];
    offset /= kMoreBase;
  }
  out.AppendBytes(code, moreDigits + 1);
}

SearchDataBuilder::~SearchDataBuilder() { ReleaseBytes(wordSlots_); }

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
}

void SearchDataBuilder::AddTextLine(const char* line, std::uint32_t length) {
  if (topics_.Count() == 0 || textLost_) return;
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
    ++words_[n].uses;
  });
}

std::uint32_t SearchDataBuilder::NumberOfWord() {
  const char* bytes = word_.CStr();
  const std::uint32_t length = word_.Length();
  const std::uint32_t hash = HashBytes(bytes, length);
  if (wordSlots_ != nullptr) {
    for (std::uint32_t slot = hash & wordSlotMask_; wordSlots_[slot] != 0;
         slot = (slot + 1) & wordSlotMask_) {
      const Word& known = words_[wordSlots_[slot] - 1];
      if (known.length == length &&
          std::memcmp(wordBytes_.CStr() + known.start, bytes, length) == 0) {
        return wordSlots_[slot] - 1;
      }
    }
  }
  // A new word. The table stays at most half full; when it cannot grow it
  // takes words while one slot stays free, so that every search ends.
  const std::uint64_t slots = wordSlots_ != nullptr ? std::uint64_t{wordSlotMask_} + 1 : 0;
  const std::uint64_t count = words_.Count();
  if (2 * (count + 1) > slots && !GrowWordSlots() && count + 2 > slots) return kNoWord;

  Word word;
  word.start = wordBytes_.Length();
  word.length = length;
  wordBytes_.AppendBytes(bytes, length);
  // A failed append empties wordBytes_, and every word before would point
  // into nothing: the text of every topic is dropped (the loss is counted).
  if (wordBytes_.Length() != word.start + length) {
    LoseText();
    return kNoWord;
  }
  if (!words_.Append(std::move(word))) return kNoWord;
  std::uint32_t slot = hash & wordSlotMask_;
  while (wordSlots_[slot] != 0) slot = (slot + 1) & wordSlotMask_;
  wordSlots_[slot] = static_cast<std::uint32_t>(count + 1);
  return static_cast<std::uint32_t>(count);
}

void SearchDataBuilder::LoseText() {
  textLost_ = true;
  // Moved out, so that their blocks go too (Clear keeps them).
  words_ = Slots<Word>();
  wordBytes_.Clear();
  textCodes_.Clear();
  ReleaseBytes(wordSlots_);
  wordSlots_ = nullptr;
  wordSlotMask_ = 0;
}

bool SearchDataBuilder::GrowWordSlots() {
  const std::uint64_t slots = wordSlots_ != nullptr ? 2 * (std::uint64_t{wordSlotMask_} + 1)
                                                    : kFirstWordSlots;
  if (slots > kMaxWordSlots || slots > SIZE_MAX / sizeof(std::uint32_t)) {
    NoteLostAllocation();
    return false;
  }
  auto* grown = static_cast<std::uint32_t*>(AllocateBytes(slots * sizeof(std::uint32_t)));
  if (grown == nullptr) return false;
  std::memset(grown, 0, slots * sizeof(std::uint32_t));
  const auto mask = static_cast<std::uint32_t>(slots - 1);
  for (std::uint32_t n = 0; n < words_.Count(); ++n) {
    std::uint32_t slot = HashBytes(wordBytes_.CStr() + words_[n].start, words_[n].length) & mask;
    while (grown[slot] != 0) slot = (slot + 1) & mask;
    grown[slot] = n + 1;
  }
  ReleaseBytes(wordSlots_);
  wordSlots_ = grown;
  wordSlotMask_ = mask;
  return true;
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
      return words_[a].uses != words_[b].uses ? words_[a].uses > words_[b].uses : a < b;
    });
    for (std::uint32_t i = 0; i < count; ++i) rank[order[i]] = i;
  }

  out.Append("window.marlixSearchData = {\r\n\"final\": \"");
  out.Append(kSearchFinalDigits);
  out.Append("\",\r\n\"more\": \"");
  out.Append(kSearchMoreDigits);
  out.Append("\",\r\n\"words\": \"");
  for (std::uint32_t i = 0; i < count; ++i) {
    const Word& word = words_[ranked ? order[i] : i];
    if (i > 0) out.AppendChar(' ');
    out.AppendBytes(wordBytes_.CStr() + word.start, word.length);
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
  out.Append("]};");
}

}  // namespace marlix
