#include "engine/topic_pages.h"

#include "engine/line_rendering.h"
#include "engine/output_tally.h"
#include "engine/page_skeleton.h"
#include "support/file_names.h"
#include "support/line_reader.h"
#include "support/output_file.h"

namespace marlix {

TextString FirstTopicName(const TextString& topicLine) {
  std::uint32_t colon = 1;  // 0-based index of the first ":" after the leading byte
  while (colon < topicLine.Length() && topicLine[colon] != ':') ++colon;
  return topicLine.Mid(2, colon - 1);
}

namespace {

void FinishPage(OutputFile& page, OutputTally& tally) {
  if (!page.IsOpen()) return;
  WritePageFoot(page);
  tally.Finish(page);
}

}  // namespace

void WriteTopicPages(const TextString& folder, const SourceFileList& sourceFiles,
                     const TopicCatalogue& catalogue, OutputTally& tally) {
  LineReader reader;
  OutputFile page;
  LineRenderer renderer;
  TextString line;
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    if (!tally.OpenSource(reader, *sourceFiles.Ref(fileIndex))) continue;
    // Topic numbers as the catalogue gave them, so that every topic lands on
    // the page the catalogue names for it.
    std::uint32_t topicNumber = catalogue.FirstTopicOf(fileIndex);
    reader.SkipLine();
    while (!reader.AtEnd()) {
      reader.ReadLine(line);
      if (IsTopicLine(line)) {
        // The page stays open across the end of a source file: lines before
        // the next file's first topic line still belong to it.
        FinishPage(page, tally);
        tally.Create(page, JoinPath(folder, PageName(fileIndex, topicNumber)));
        ++topicNumber;
        reader.ReadLine(line);  // the title line; empty at the end of the file
        // A topic line right after a topic line is the first topic's title
        // line; it keeps its topic number but opens no page of its own.
        if (IsTopicLine(line)) ++topicNumber;
        WritePageHead(page, line.Mid(2));
      }
      renderer.Render(page, catalogue, line);
    }
    reader.Close();
  }
  FinishPage(page, tally);
}

}  // namespace marlix
