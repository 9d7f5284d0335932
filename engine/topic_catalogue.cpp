#include "engine/topic_catalogue.h"

#include <cstring>

#include "engine/output_tally.h"
#include "engine/source_scanner.h"
#include "support/allocation.h"

namespace marlix {
namespace {

// Names are hashed and compared 8 bytes at a time, with a to z folded to
// A to Z in all 8 at once, as UpperAscii does byte by byte.
std::uint64_t FoldWord(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  const std::uint64_t low7 = word & ~kHigh;  // no carry can cross a byte below
  const std::uint64_t fromA = low7 + kOnes * (0x80 - 'a');
  const std::uint64_t pastZ = low7 + kOnes * (0x80 - 'z' - 1);
  const std::uint64_t lower = fromA & ~pastZ & ~word & kHigh;
  return word - (lower >> 2);  // 0x80 >> 2 is the 0x20 between the cases
}

// Up to 8 bytes as one word, byte i in bits 8i to 8i+7, zeros after them.
std::uint64_t ShortWord(const char* bytes, std::size_t length) {
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < length; ++i) {
    word |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return word;
}

// The bytes of a name as words: whole words from the front, then (for 8
// bytes or more) the last 8, overlapping; a shorter name is one word of its
// bytes padded with zeros.
template <typename Visit>
bool ForEachWord(const char* bytes, std::size_t length, Visit&& visit) {
  if (length < 8) return visit(ShortWord(bytes, length));
  std::uint64_t word;
  for (std::size_t i = 0; i + 8 <= length; i += 8) {
    std::memcpy(&word, bytes + i, 8);
    if (!visit(word)) return false;
  }
  if (length % 8 == 0) return true;
  std::memcpy(&word, bytes + length - 8, 8);
  return visit(word);
}

std::uint32_t HashFolded(const char* bytes, std::size_t length) {
  std::uint64_t hash = length;
  ForEachWord(bytes, length, [&hash](std::uint64_t word) {
    hash = (hash ^ FoldWord(word)) * 0x9E3779B97F4A7C15u;
    return true;
  });
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

bool EqualFolded(const TextString& key, const char* name, std::size_t length) {
  if (key.Length() != length) return false;
  const char* text = key.CStr();
  std::size_t offset = 0;  // of the next word of text
  return ForEachWord(name, length, [&](std::uint64_t word) {
    std::uint64_t other;
    if (length < 8) {
      other = ShortWord(text, length);
    } else {
      std::memcpy(&other, text + (offset + 8 <= length ? offset : length - 8), 8);
      offset += 8;
    }
    return word == other || FoldWord(word) == FoldWord(other);
  });
}

}  // namespace

std::uint32_t FormatPageName(char (&name)[kMaxPageNameBytes], std::uint32_t fileIndex,
                             std::uint32_t topicNumber) {
  // "B" + up to 10 digits + "P" + up to 10 digits + ".htm", built backwards
  // and moved to the front.
  char* end = name + kMaxPageNameBytes;
  char* start = end - 4;
  std::memcpy(start, ".htm", 4);
  start = FormatDecimal(topicNumber, start);
  *--start = 'P';
  start = FormatDecimal(fileIndex, start);
  *--start = 'B';
  auto length = static_cast<std::uint32_t>(end - start);
  std::memmove(name, start, length);
  return length;
}

TextString PageName(std::uint32_t fileIndex, std::uint32_t topicNumber) {
  char name[kMaxPageNameBytes];
  std::uint32_t length = FormatPageName(name, fileIndex, topicNumber);
  return TextString(name, length);
}

StringList TopicNames(const TextString& line) {
  StringList names;
  VisitTopicNames(
      line, [&](const char* name, std::size_t length) { names.Add(TextString(name, length)); });
  return names;
}

TopicCatalogue::~TopicCatalogue() { ReleaseBytes(slots_); }

bool TopicCatalogue::Add(const TextString& name, const TextString& page) {
  indexed_ = false;
  return entries_.Add(name, page);
}

bool TopicCatalogue::Add(TextString&& name, const TextString& page) {
  indexed_ = false;
  return entries_.Add(std::move(name), page);
}

bool TopicCatalogue::Add(TextString&& name, TextString&& page) {
  indexed_ = false;
  return entries_.Add(std::move(name), std::move(page));
}

void TopicCatalogue::Empty() {
  // From the back, where taking one out moves nothing and frees no room.
  while (entries_.Count() > 0) entries_.RemoveAt(entries_.Count() - 1);
  while (firstTopics_.Count() > 0) firstTopics_.RemoveAt(firstTopics_.Count() - 1);
  topicCount_ = 0;
  indexed_ = false;
}

void TopicCatalogue::NoteFileStart(std::uint32_t firstTopic) {
  std::uint32_t first = firstTopic;
  firstTopics_.Append(std::move(first));
}

std::uint32_t TopicCatalogue::FirstTopicOf(std::uint32_t fileIndex) const {
  return fileIndex < firstTopics_.Count() ? firstTopics_[fileIndex] : topicCount_;
}

bool TopicCatalogue::BuildIndex() const {
  std::uint32_t count = entries_.Count();
  // At most half the slots are taken, so that every probe ends at a free one.
  // A catalogue too large for that is searched by the plain scan.
  constexpr std::uint32_t kMaxSlots = 0x80000000u;
  if (count > kMaxSlots / 2) return false;
  std::uint64_t size = 16;
  while (size < 2 * static_cast<std::uint64_t>(count)) size *= 2;
  std::size_t bytes = static_cast<std::size_t>(size) * sizeof(std::uint32_t);
  if (bytes / sizeof(std::uint32_t) != size) return false;
  // The table of an earlier index is used again when it has room enough (a
  // catalogue emptied and filled again).
  if (size > slotRoom_) {
    ReleaseBytes(slots_);
    slotRoom_ = 0;
    slots_ = static_cast<std::uint32_t*>(AllocateBytes(bytes));
    if (slots_ == nullptr) return false;
    slotRoom_ = size;
  }
  std::memset(slots_, 0, bytes);
  slotMask_ = static_cast<std::uint32_t>(size - 1);
  for (std::uint32_t i = 0; i < count; ++i) {
    const TextString& key = *entries_.KeyRef(i);
    std::uint32_t slot = HashFolded(key.CStr(), key.Length()) & slotMask_;
    while (true) {
      if (slots_[slot] == 0) {
        slots_[slot] = i + 1;
        break;
      }
      // Only the first entry of a name is kept: later ones never win a lookup.
      if (EqualFolded(*entries_.KeyRef(slots_[slot] - 1), key.CStr(), key.Length())) break;
      slot = (slot + 1) & slotMask_;
    }
  }
  indexed_ = true;
  return true;
}

std::int64_t TopicCatalogue::FindEntry(const char* name, std::size_t length) const {
  if (!indexed_ && !BuildIndex()) return ScanEntries(name, length);
  std::uint32_t slot = HashFolded(name, length) & slotMask_;
  while (slots_[slot] != 0) {
    std::uint32_t entry = slots_[slot] - 1;
    if (EqualFolded(*entries_.KeyRef(entry), name, length)) return entry;
    slot = (slot + 1) & slotMask_;
  }
  return -1;
}

std::int64_t TopicCatalogue::ScanEntries(const char* name, std::size_t length) const {
  for (std::uint32_t i = 0; i < entries_.Count(); ++i) {
    if (EqualFolded(*entries_.KeyRef(i), name, length)) return i;
  }
  return -1;
}

void BuildTopicCatalogue(const SourceFileList& sourceFiles, TopicCatalogue& catalogue,
                         OutputTally& tally) {
  std::uint32_t topicNumber = 0;
  SourceScanner scanner;
  char page[kMaxPageNameBytes];
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    catalogue.NoteFileStart(topicNumber);
    // A file that cannot be opened takes no topic number.
    if (!tally.OpenSource(scanner, sourceFiles, fileIndex, topicNumber)) continue;
    while (scanner.NextTopicLine()) {
      const SourceLine& line = scanner.Line();
      const std::uint32_t pageLength = FormatPageName(page, fileIndex, line.topicNumber);
      // An entry that cannot be made is counted where its memory was refused.
      VisitTopicNames(line.bytes, line.length, [&](const char* name, std::size_t length) {
        TextString pageName(page, pageLength);
        if (pageName.Length() == pageLength)
          catalogue.Add(TextString(name, length), std::move(pageName));
      });
    }
    topicNumber = scanner.NextTopicNumber();
    tally.EndSource(scanner, fileIndex);
  }
  catalogue.NoteTopicCount(topicNumber);
}

TextString FindPage(const TextString& name, const TopicCatalogue& catalogue) {
  std::int64_t entry = catalogue.FindEntry(name.CStr(), name.Length());
  return entry < 0 ? TextString() : catalogue.ValueAt(static_cast<std::uint32_t>(entry));
}

TextString FindPageByScan(const TextString& name, const TopicCatalogue& catalogue) {
  std::int64_t entry = catalogue.ScanEntries(name.CStr(), name.Length());
  return entry < 0 ? TextString() : catalogue.ValueAt(static_cast<std::uint32_t>(entry));
}

}  // namespace marlix
