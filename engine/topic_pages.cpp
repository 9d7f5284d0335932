#include "engine/topic_pages.h"

#include "engine/line_rendering.h"
#include "engine/output_tally.h"
#include "engine/page_skeleton.h"
#include "engine/source_checks.h"
#include "engine/source_scanner.h"
#include "support/file_names.h"
#include "support/output_file.h"

namespace marlix {

TextString FirstTopicName(const TextString& topicLine) {
  std::uint32_t colon = 1;  // 0-based index of the first ":" after the leading byte
  while (colon < topicLine.Length() && topicLine[colon] != ':') ++colon;
  return topicLine.Mid(2, colon - 1);
}

namespace {

// A topic page is built in memory and written in one go when it ends, or in
// parts of this size when it grows large.
constexpr std::uint32_t kPageFlushBytes = 64 * 1024;

void FinishPage(OutputFile& page, TextString& text, OutputTally& tally) {
  if (!page.IsOpen()) return;
  AppendPageFoot(text);
  page.Write(text);
  text.Empty();
  tally.Finish(page);
}

}  // namespace

void WriteTopicPages(const TextString& folder, const SourceFileList& sourceFiles,
                     const TopicCatalogue& catalogue, OutputTally& tally, SourceChecks* checks) {
  SourceScanner scanner;
  OutputFile page;
  TextString text;  // the current page's bytes not yet written
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
        FinishPage(page, text, tally);
        path = prefix;
        path.AppendBytes(name, FormatPageName(name, fileIndex, line.topicNumber));
        tally.Create(page, path);
        continue;
      }
      // Lines for a page that is not open (before the first topic line, or
      // of a page that could not be created) are lost.
      if (!page.IsOpen()) continue;
      if (line.title) {
        // The title is the title line without its format column.
        const std::uint32_t titleLength = line.length > 1 ? line.length - 1 : 0;
        AppendPageHead(text, line.bytes + (titleLength > 0 ? 1 : 0), titleLength);
      }
      // Every body line follows the head, so each is a new line.
      text.AppendBytes("\r\n", 2);
      std::uint32_t unresolved = RenderLine(text, catalogue, line.bytes, line.length);
      if (unresolved > 0 && checks != nullptr) checks->Unresolved(line, unresolved, catalogue);
      if (text.Length() >= kPageFlushBytes) {
        page.Write(text);
        text.Empty();
      }
    }
    if (checks != nullptr) checks->EndFile();
    tally.EndSource(scanner, fileIndex);
  }
  FinishPage(page, text, tally);
}

}  // namespace marlix
