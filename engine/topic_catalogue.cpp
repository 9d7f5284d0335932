#include "engine/topic_catalogue.h"

#include <cstring>

#include "engine/output_tally.h"
#include "engine/source_scanner.h"
#include "support/allocation.h"

namespace marlix {
namespace {

std::uint32_t HashFolded(const char* bytes, std::size_t length) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::size_t i = 0; i < length; ++i) {
    hash ^= static_cast<unsigned char>(UpperAscii(bytes[i]));
    hash *= 16777619u;
  }
  return hash;
}

bool EqualFolded(const TextString& key, const char* name, std::size_t length) {
  if (key.Length() != length) return false;
  const char* text = key.CStr();
  for (std::size_t i = 0; i < length; ++i) {
    if (UpperAscii(text[i]) != UpperAscii(name[i])) return false;
  }
  return true;
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

void TopicCatalogue::NoteFileStart(std::uint32_t firstTopic) {
  std::uint32_t first = firstTopic;
  firstTopics_.Append(std::move(first));
}

std::uint32_t TopicCatalogue::FirstTopicOf(std::uint32_t fileIndex) const {
  return fileIndex < firstTopics_.Count() ? firstTopics_[fileIndex] : topicCount_;
}

bool TopicCatalogue::BuildIndex() const {
  ReleaseBytes(slots_);
  slots_ = nullptr;
  std::uint32_t count = entries_.Count();
  // At most half the slots are taken, so that every probe ends at a free one.
  // A catalogue too large for that is searched by the plain scan.
  constexpr std::uint32_t kMaxSlots = 0x80000000u;
  if (count > kMaxSlots / 2) return false;
  std::uint64_t size = 16;
  while (size < 2 * static_cast<std::uint64_t>(count)) size *= 2;
  std::size_t bytes = static_cast<std::size_t>(size) * sizeof(std::uint32_t);
  if (bytes / sizeof(std::uint32_t) != size) return false;
  slots_ = static_cast<std::uint32_t*>(AllocateBytes(bytes));
  if (slots_ == nullptr) return false;
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
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    catalogue.NoteFileStart(topicNumber);
    // A file that cannot be opened takes no topic number.
    if (!tally.OpenSource(scanner, sourceFiles, fileIndex, topicNumber)) continue;
    while (scanner.Next()) {
      const SourceLine& line = scanner.Line();
      if (!line.topic) continue;
      TextString page = PageName(fileIndex, line.topicNumber);
      // An entry that cannot be added is counted where its memory was refused.
      VisitTopicNames(line.bytes, line.length, [&](const char* name, std::size_t length) {
        catalogue.Add(TextString(name, length), page);
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
