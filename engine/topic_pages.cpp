#include "engine/topic_pages.h"

#include "engine/line_rendering.h"
#include "engine/output_tally.h"
#include "engine/page_skeleton.h"
#include "engine/source_checks.h"
#include "engine/source_scanner.h"
#include "support/file_names.h"
#include "support/output_file.h"
#include "support/write_behind.h"

namespace marlix {

TextString FirstTopicName(const TextString& topicLine) {
  std::uint32_t colon = 1;  // 0-based index of the first ":" after the leading byte
  while (colon < topicLine.Length() && topicLine[colon] != ':') ++colon;
  return topicLine.Mid(2, colon - 1);
}

namespace {

// Tallies what became of each page the WriteBehind wrote.
struct ReportToTally {
  OutputTally& tally;
  void operator()(const WriteBehind::Outcome& outcome) const {
    if (outcome.begins) tally.NoteCreated(outcome.path, outcome.created, outcome.error);
    if (outcome.ends) tally.NoteFinished(outcome.path, outcome.complete, outcome.error);
  }
};

}  // namespace

void WriteTopicPages(const TextString& folder, const SourceFileList& sourceFiles,
                     const TopicCatalogue& catalogue, OutputTally& tally, SourceChecks* checks) {
  SourceScanner scanner;
  // Pages are built straight into the writer's batches and written by its
  // thread while the next are built.
  WriteBehind pages;
  ReportToTally report{tally};
  bool pageOpen = false;
  const TextString prefix = JoinPath(folder, "");
  TextString path;
  char name[kMaxPageNameBytes];
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    // Topic numbers as the catalogue gave them, so that every topic lands on
    // the page the catalogue names for it.
    if (!tally.OpenSource(scanner, sourceFiles, fileIndex, catalogue.FirstTopicOf(fileIndex))) {
      continue;
    }
    if (checks != nullptr) checks->BeginFile(*sourceFiles.Ref(fileIndex), scanner.SectionTitle());
    while (scanner.Next()) {
      const SourceLine& line = scanner.Line();
      if (checks != nullptr) checks->Check(line);
      if (line.opensPage) {
        // The page stays open across the end of a source file: lines before
        // the next file's first topic line still belong to it.
        if (pageOpen) {
          AppendPageFoot(pages.Bytes());
          pages.End(report);
        }
        path = prefix;
        const std::uint32_t nameLength = FormatPageName(name, fileIndex, line.topicNumber);
        path.AppendBytes(name, nameLength);
        // A path that memory ran out for names no page: the page is lost.
        if (prefix.IsEmpty() || path.Length() != prefix.Length() + nameLength) path.Empty();
        pages.Begin(path, report);
        pageOpen = true;
        continue;
      }
      // Lines before the first topic line belong to no page and are lost (so
      // are those of a page that could not be created, when it is written).
      if (!pageOpen) continue;
      TextString& text = pages.Bytes();
      if (line.title) {
        // The title is the title line without its format column.
        const std::uint32_t titleLength = line.length > 1 ? line.length - 1 : 0;
        AppendPageHead(text, line.bytes + (titleLength > 0 ? 1 : 0), titleLength);
      }
      // Every body line follows the head, so each is a new line.
      text.AppendBytes("\r\n", 2);
      std::uint32_t unresolved = RenderLine(text, catalogue, line.bytes, line.length);
      if (unresolved > 0 && checks != nullptr) checks->Unresolved(line, unresolved, catalogue);
      pages.HandOverIfLarge(report);
    }
    if (checks != nullptr) checks->EndFile();
    tally.EndSource(scanner, fileIndex);
  }
  if (pageOpen) {
    AppendPageFoot(pages.Bytes());
    pages.End(report);
  }
  pages.Drain(report);
}

}  // namespace marlix
