#include "engine/format/topic_catalogue.h"

#include <cstring>

#include "engine/format/page_names.h"
#include "engine/format/source_tally.h"
#include "support/allocation.h"

namespace marlix {
namespace {

std::uint32_t HashFolded(const char* bytes, std::size_t length) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::size_t i = 0; i < length; ++i) {
    hash = (hash ^ static_cast<unsigned char>(UpperAscii(bytes[i]))) * 16777619u;
  }
  return hash;
}

bool EqualFolded(const TextString& key, const char* name, std::size_t length) {
  if (key.Length() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (UpperAscii(key[static_cast<std::uint32_t>(i)]) != UpperAscii(name[i])) return false;
  }
  return true;
}

const CatalogueSection kNoSection{};

}  // namespace

StringList TopicNames(const TextString& line) {
  StringList names;
  TopicNames(line.CStr(), line.Length(),
             [&](const char* name, std::size_t length) { names.Add(TextString(name, length)); });
  return names;
}

TopicCatalogue::~TopicCatalogue() { ReleaseBytes(slots_); }

bool TopicCatalogue::Add(const TextString& name, const TextString& page) {
  indexed_ = false;
  return entries_.Add(name, page);
}

bool TopicCatalogue::Add(TextString&& name, TextString&& page) {
  indexed_ = false;
  return entries_.Add(std::move(name), std::move(page));
}

void TopicCatalogue::AddSection(bool read, const TextString& title, std::uint32_t firstTopic) {
  CatalogueSection section{read, title, firstTopic};
  sections_.Append(std::move(section));
}

void TopicCatalogue::AddTopic(std::uint32_t topicNumber, bool opensPage) {
  // Kept only in numbering order, so that topic numbers index the records.
  if (topicNumber == topics_.Count()) topics_.Append(Topic{entries_.Count(), opensPage});
}

const CatalogueSection& TopicCatalogue::Section(std::uint32_t fileIndex) const {
  return fileIndex < sections_.Count() ? sections_[fileIndex] : kNoSection;
}

std::uint32_t TopicCatalogue::FirstTopicOf(std::uint32_t fileIndex) const {
  return fileIndex < sections_.Count() ? sections_[fileIndex].firstTopic : topicCount_;
}

bool TopicCatalogue::OpensPage(std::uint32_t topicNumber) const {
  return topicNumber < topics_.Count() && topics_[topicNumber].opensPage;
}

void TopicCatalogue::TopicEntries(std::uint32_t topicNumber, std::uint32_t& first,
                                  std::uint32_t& end) const {
  if (topicNumber >= topics_.Count()) {
    first = end = 0;
    return;
  }
  first = topics_[topicNumber].firstEntry;
  end = topicNumber + 1 < topics_.Count() ? topics_[topicNumber + 1].firstEntry : entries_.Count();
}

void TopicCatalogue::Clear() {
  entries_.Clear();
  sections_.Clear();
  topics_.Clear();
  topicCount_ = 0;
  indexed_ = false;
}

bool TopicCatalogue::BuildIndex() const {
  const std::uint32_t count = entries_.Count();
  // At most half the slots are taken, so that every probe ends at a free one.
  // A catalogue too large for that is searched by the plain scan.
  constexpr std::uint32_t kMaxSlots = 0x80000000u;
  if (count > kMaxSlots / 2) return false;
  std::uint64_t size = 16;
  while (size < 2 * static_cast<std::uint64_t>(count)) size *= 2;
  if (size > static_cast<std::size_t>(-1) / sizeof(std::uint32_t)) return false;
  const std::size_t bytes = static_cast<std::size_t>(size) * sizeof(std::uint32_t);
  // The table of an earlier index is used again when it is large enough.
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
    const std::uint32_t entry = slots_[slot] - 1;
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

void BuildTopicCatalogue(SourceTally& sources, TopicCatalogue& catalogue) {
  std::uint32_t topicNumber = 0;
  SourceScanner scanner;
  for (std::uint32_t fileIndex = 0; fileIndex < sources.Count(); ++fileIndex) {
    // A file that cannot be opened takes no topic number.
    if (!sources.Open(scanner, fileIndex, topicNumber)) {
      catalogue.AddSection(false, TextString(), topicNumber);
      continue;
    }
    catalogue.AddSection(true, scanner.SectionTitle(), topicNumber);
    while (scanner.NextTopicLine()) {
      const SourceLine& line = scanner.Line();
      catalogue.AddTopic(line.topicNumber, line.opensPage);
      const TextString page = PageName(fileIndex, line.topicNumber);
      // An entry that cannot be made is counted where its memory was refused.
      TopicNames(line.bytes, line.length, [&](const char* name, std::size_t length) {
        TextString key(name, length);
        TextString value(page);
        if (key.Length() == length && !page.IsEmpty() && value.Length() == page.Length()) {
          catalogue.Add(std::move(key), std::move(value));
        }
      });
    }
    topicNumber = scanner.NextTopicNumber();
    sources.End(scanner, fileIndex);
  }
  catalogue.NoteTopicCount(topicNumber);
}

TextString FindPage(const TextString& name, const TopicCatalogue& catalogue) {
  const std::int64_t entry = catalogue.FindEntry(name.CStr(), name.Length());
  return entry < 0 ? TextString() : catalogue.ValueAt(static_cast<std::uint32_t>(entry));
}

TextString FindPageByScan(const TextString& name, const TopicCatalogue& catalogue) {
  const std::int64_t entry = catalogue.ScanEntries(name.CStr(), name.Length());
  return entry < 0 ? TextString() : catalogue.ValueAt(static_cast<std::uint32_t>(entry));
}

}  // namespace marlix
