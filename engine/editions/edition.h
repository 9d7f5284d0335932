// One edition of the output: how its pages look. The driver walks the
// sources the same way for every edition and calls an edition's page writers
// in this order:
//
//   Prepare                  once the new folder is held, before anything is
//                            written (the contents page's name is claimed
//                            right after, so that a folder where it cannot be
//                            made ends the run before the catalogue is built);
//   WriteIndexPage           the contents page, once the catalogue is built;
//   WriteSectionPage         one per source file the catalogue could read;
//   BeginTopicFile/TopicLine every line of every readable source file after
//                            line 1, in reading order; a topic's page may run
//                            on into the next file;
//   EndTopicPages            after the last line;
//   WriteClosingFiles        the edition's own files.
//
// Each writer builds its files in memory and hands them to the page sink,
// which creates, writes and counts every file. A new edition is one more
// class of page writers: the walk and the driver's steps stay as they are.
#pragma once

#include <cstdint>

#include "engine/output/page_sink.h"
#include "engine/format/source_scanner.h"
#include "engine/format/topic_catalogue.h"

namespace marlix {

class Edition {
 public:
  // The catalogue is filled by the run before the first page is written.
  explicit Edition(const TopicCatalogue& catalogue) : catalogue_(catalogue) {}
  virtual ~Edition() = default;
  Edition(const Edition&) = delete;
  Edition& operator=(const Edition&) = delete;

  // False ends the run as an unexpected error.
  virtual bool Prepare(PageSink& sink) {
    (void)sink;
    return true;
  }
  virtual void WriteIndexPage(PageSink& sink) = 0;
  virtual void WriteSectionPage(std::uint32_t fileIndex, PageSink& sink) = 0;
  virtual void BeginTopicFile(std::uint32_t fileIndex) = 0;
  // Returns how many "~" references of the line name no topic (for the
  // warnings, which are the same for every edition).
  virtual std::uint32_t TopicLine(const SourceLine& line, PageSink& sink) = 0;
  virtual void EndTopicPages(PageSink& sink) = 0;
  virtual void WriteClosingFiles(PageSink& sink) = 0;

 protected:
  const TopicCatalogue& catalogue_;
};

}  // namespace marlix
