// The topic catalogue: every topic's page name and every topic name's entry,
// in reading order, with the case-insensitive first-match lookup.
//
// A topic line is a line after a source file's first line whose first byte is
// ":"; it holds the topic's names separated by ":". Topic numbers run across
// all source files of a run, in list order and then line order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/source_discovery.h"
#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {

class OutputTally;

// "B" + file index + "P" + topic number + ".htm".
TextString PageName(std::uint32_t fileIndex, std::uint32_t topicNumber);
// The same into name, without allocating; returns its length.
constexpr std::uint32_t kMaxPageNameBytes = 26;
std::uint32_t FormatPageName(char (&name)[kMaxPageNameBytes], std::uint32_t fileIndex,
                             std::uint32_t topicNumber);

// Calls visit(bytes, length) for each name of a topic line, left to right:
// the pieces after the leading ":" cut at every further ":", empty ones kept.
template <typename Visitor>
void VisitTopicNames(const char* text, std::uint32_t length, Visitor&& visit) {
  std::uint32_t start = 1;
  for (std::uint32_t i = 1; i < length; ++i) {
    if (text[i] == ':') {
      visit(text + start, static_cast<std::size_t>(i - start));
      start = i + 1;
    }
  }
  visit(text + start, static_cast<std::size_t>(length > start ? length - start : 0));
}
template <typename Visitor>
void VisitTopicNames(const TextString& line, Visitor&& visit) {
  VisitTopicNames(line.CStr(), line.Length(), visit);
}

StringList TopicNames(const TextString& line);

class TopicCatalogue {
 public:
  TopicCatalogue() = default;
  TopicCatalogue(const TopicCatalogue&) = delete;
  TopicCatalogue& operator=(const TopicCatalogue&) = delete;
  ~TopicCatalogue();

  bool Add(const TextString& name, const TextString& page);
  bool Add(TextString&& name, const TextString& page);
  bool Add(TextString&& name, TextString&& page);
  std::uint32_t Count() const { return entries_.Count(); }
  TextString KeyAt(std::uint32_t i) const { return entries_.KeyAt(i); }
  TextString ValueAt(std::uint32_t i) const { return entries_.ValueAt(i); }
  const PairList& Entries() const { return entries_; }
  // Takes out every entry and the topic numbering, as a new catalogue has
  // none, but keeps the room they took, for a catalogue filled again and again.
  void Empty();

  // Topic numbering: each source file, in list order, notes the number its
  // first topic line takes, and the build notes the total. The page writers
  // count from there, so their pages are the ones the catalogue names even
  // when a file cannot be read again.
  void NoteFileStart(std::uint32_t firstTopic);
  void NoteTopicCount(std::uint32_t topics) { topicCount_ = topics; }
  std::uint32_t FirstTopicOf(std::uint32_t fileIndex) const;
  std::uint32_t TopicCount() const { return topicCount_; }

  // Index of the first entry whose name equals name[0, length) with ASCII
  // letters folded, or -1. Served by a hash index built on first use.
  std::int64_t FindEntry(const char* name, std::size_t length) const;
  // The same answer by a plain front-to-back scan, without the index.
  std::int64_t ScanEntries(const char* name, std::size_t length) const;

 private:
  bool BuildIndex() const;

  PairList entries_;
  Slots<std::uint32_t> firstTopics_;  // by file index
  std::uint32_t topicCount_ = 0;
  // Open-addressing table of entry index + 1 (0 = free slot), first entry of
  // each folded name only. Rebuilt after the catalogue changes.
  mutable std::uint32_t* slots_ = nullptr;
  mutable std::uint32_t slotMask_ = 0;
  mutable std::uint64_t slotRoom_ = 0;  // slots the table has room for
  mutable bool indexed_ = false;
};

// Fills the empty catalogue from the source files. An entry that cannot be
// added is counted as a lost allocation and makes the run incomplete.
void BuildTopicCatalogue(const SourceFileList& sourceFiles, TopicCatalogue& catalogue,
                         OutputTally& tally);

// The page of the first entry whose name equals name without regard to ASCII
// letter case; the empty string when there is none.
TextString FindPage(const TextString& name, const TopicCatalogue& catalogue);
// The straight scan over the entries, for checking the index against it.
TextString FindPageByScan(const TextString& name, const TopicCatalogue& catalogue);

}  // namespace marlix
