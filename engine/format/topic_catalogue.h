// The topic catalogue: every topic's page name and every topic name's entry,
// in reading order, with the case-insensitive first-match lookup; and what
// the later steps need to know of each source file and topic line without
// reading it again (its section title, where its topics start, which topic
// lines open a page).
//
// A topic line is a line after a source file's first line whose first byte is
// ":"; it holds the topic's names separated by ":". Topic numbers run across
// all source files of a run, in list order and then line order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {

class SourceTally;

// Calls visit(bytes, length) for each name of a topic line, left to right:
// the pieces after the leading ":" cut at every further ":", empty ones kept.
template <typename Visitor>
void TopicNames(const char* line, std::uint32_t length, Visitor&& visit) {
  std::uint32_t start = 1;
  for (std::uint32_t i = 1; i < length; ++i) {
    if (line[i] == ':') {
      visit(line + start, static_cast<std::size_t>(i - start));
      start = i + 1;
    }
  }
  visit(line + start, static_cast<std::size_t>(length > start ? length - start : 0));
}
// The same as a list.
StringList TopicNames(const TextString& line);

// What the catalogue knows of one source file.
struct CatalogueSection {
  bool read = false;             // its topic lines could be read
  TextString title;              // the rest of its line 1 after the "@"
  std::uint32_t firstTopic = 0;  // the number its first topic line took
};

class TopicCatalogue {
 public:
  TopicCatalogue() = default;
  TopicCatalogue(const TopicCatalogue&) = delete;
  TopicCatalogue& operator=(const TopicCatalogue&) = delete;
  ~TopicCatalogue();

  // Entries (name, page), in reading order.
  bool Add(const TextString& name, const TextString& page);
  bool Add(TextString&& name, TextString&& page);
  std::uint32_t Count() const { return entries_.Count(); }
  TextString KeyAt(std::uint32_t i) const { return entries_.KeyAt(i); }
  TextString ValueAt(std::uint32_t i) const { return entries_.ValueAt(i); }
  const PairList& Entries() const { return entries_; }

  // Source files, in list order: each one's record, then its topic lines.
  void AddSection(bool read, const TextString& title, std::uint32_t firstTopic);
  // A topic line numbered topicNumber (one more than the last); its names
  // are the entries added after it.
  void AddTopic(std::uint32_t topicNumber, bool opensPage);
  // The number of topic lines of the run.
  void NoteTopicCount(std::uint32_t topics) { topicCount_ = topics; }

  std::uint32_t SectionCount() const { return sections_.Count(); }
  // The record of file fileIndex; an unread empty one past the last.
  const CatalogueSection& Section(std::uint32_t fileIndex) const;
  // The number the file's first topic line takes; the files after the
  // last start at the topic count.
  std::uint32_t FirstTopicOf(std::uint32_t fileIndex) const;
  std::uint32_t TopicCount() const { return topicCount_; }
  // Whether topic line topicNumber opens a page (it is no title line).
  bool OpensPage(std::uint32_t topicNumber) const;
  // The entries of topic line topicNumber: first to end - 1.
  void TopicEntries(std::uint32_t topicNumber, std::uint32_t& first, std::uint32_t& end) const;

  // Takes out everything, as a new catalogue has nothing (the room its
  // lists grew to is kept).
  void Clear();

  // Index of the first entry whose name equals name[0, length) with ASCII
  // letters folded, or -1. Served by a hash index built on first use.
  std::int64_t FindEntry(const char* name, std::size_t length) const;
  // The same answer by a plain front-to-back scan, without the index.
  std::int64_t ScanEntries(const char* name, std::size_t length) const;

 private:
  bool BuildIndex() const;

  struct Topic {
    std::uint32_t firstEntry;
    bool opensPage;
  };
  PairList entries_;
  Slots<CatalogueSection> sections_;  // by file index
  Slots<Topic> topics_;               // by topic number
  std::uint32_t topicCount_ = 0;
  // Open-addressing table of entry index + 1 (0 = free slot), the first entry
  // of each folded name only. Rebuilt after the catalogue changes.
  mutable std::uint32_t* slots_ = nullptr;
  mutable std::uint32_t slotMask_ = 0;
  mutable std::uint64_t slotRoom_ = 0;  // slots the table has room for
  mutable bool indexed_ = false;
};

// Fills the empty catalogue from the source files. An entry that cannot be
// added is counted as a lost allocation and makes the run incomplete.
void BuildTopicCatalogue(SourceTally& sources, TopicCatalogue& catalogue);

// The page of the first entry whose name equals name without regard to ASCII
// letter case; the empty string when there is none.
TextString FindPage(const TextString& name, const TopicCatalogue& catalogue);
// The straight scan over the entries, for checking the index against it.
TextString FindPageByScan(const TextString& name, const TopicCatalogue& catalogue);

}  // namespace marlix
