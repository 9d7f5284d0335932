#include "engine/topic_catalogue.h"

#include <cstdlib>
#include <cstring>

#include "engine/output_tally.h"
#include "support/line_reader.h"

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

TextString PageName(std::uint32_t fileIndex, std::uint32_t topicNumber) {
  TextString number;
  TextString page("B");
  page += number.AssignNumber(fileIndex);
  page += "P";
  page += number.AssignNumber(topicNumber);
  page += ".htm";
  return page;
}

StringList TopicNames(const TextString& line) {
  StringList names;
  VisitTopicNames(
      line, [&](const char* name, std::size_t length) { names.Add(TextString(name, length)); });
  return names;
}

TopicCatalogue::~TopicCatalogue() { std::free(slots_); }

bool TopicCatalogue::Add(const TextString& name, const TextString& page) {
  indexed_ = false;
  return entries_.Add(name, page);
}

void TopicCatalogue::NoteFileStart(std::uint32_t firstTopic) {
  std::uint32_t first = firstTopic;
  firstTopics_.Append(std::move(first));
}

std::uint32_t TopicCatalogue::FirstTopicOf(std::uint32_t fileIndex) const {
  return fileIndex < firstTopics_.Count() ? firstTopics_[fileIndex] : topicCount_;
}

bool TopicCatalogue::BuildIndex() const {
  std::free(slots_);
  slots_ = nullptr;
  std::uint32_t count = entries_.Count();
  std::uint32_t size = 16;
  while (size < 2 * static_cast<std::uint64_t>(count) && size < 0x40000000u) size *= 2;
  slots_ = static_cast<std::uint32_t*>(std::calloc(size, sizeof(std::uint32_t)));
  if (slots_ == nullptr) return false;
  slotMask_ = size - 1;
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
  LineReader reader;
  TextString line;
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    catalogue.NoteFileStart(topicNumber);
    if (!tally.OpenSource(reader, *sourceFiles.Ref(fileIndex))) continue;
    reader.SkipLine();  // the "@" mark and the section title
    while (!reader.AtEnd()) {
      reader.ReadLine(line);
      if (!IsTopicLine(line)) continue;
      TextString page = PageName(fileIndex, topicNumber);
      VisitTopicNames(line, [&](const char* name, std::size_t length) {
        catalogue.Add(TextString(name, length), page);
      });
      ++topicNumber;
    }
    reader.Close();
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
