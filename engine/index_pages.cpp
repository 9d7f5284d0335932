#include "engine/index_pages.h"

#include "engine/output_tally.h"
#include "engine/page_skeleton.h"
#include "engine/source_scanner.h"
#include "support/file_names.h"

namespace marlix {

const char kAuthorHomePage[] = "http://dorranvell.example/";

TextString SectionPageName(std::uint32_t fileIndex) {
  TextString number;
  return TextString("Topic") + number.AssignNumber(fileIndex) + ".htm";
}

bool WriteIndexPage(const TextString& folder, const SourceFileList& sourceFiles,
                    OutputTally& tally) {
  OutputFile index;
  if (!tally.Create(index, JoinPath(folder, "Index.htm"))) return false;
  WritePageHead(index, "Marlix");
  SourceScanner scanner;
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    if (!tally.OpenSource(scanner, sourceFiles, fileIndex)) continue;
    index.WriteLine("<A HREF=\"");
    index.Write(SectionPageName(fileIndex));
    index.Write("\">");
    index.Write(scanner.SectionTitle());
    index.Write("</A><BR>");
    tally.EndSource(scanner, fileIndex);
  }
  index.WriteLine("<p>Converted With <a href=\"");
  index.Write(kAuthorHomePage);
  index.Write("\">Marlix to HTML</a> by Dorran Vell.</p>");
  WritePageFoot(index);
  tally.Finish(index);
  return true;
}

void WriteTopicLinks(OutputFile& file, const char* topicLine, std::uint32_t length,
                     const char* page, std::uint32_t pageLength) {
  VisitTopicNames(topicLine, length, [&](const char* name, std::size_t nameLength) {
    file.WriteLine("<A HREF=\"");
    file.WriteBytes(page, pageLength);
    file.Write("\">");
    file.WriteBytes(name, nameLength);
    file.Write("</A><BR>");
  });
}

void WriteSectionPages(const TextString& folder, const SourceFileList& sourceFiles,
                       const TopicCatalogue& catalogue, OutputTally& tally) {
  SourceScanner scanner;
  OutputFile section;
  char page[kMaxPageNameBytes];
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    // Topic numbers as the catalogue gave them: each name links to its own
    // topic line's page.
    if (!tally.OpenSource(scanner, sourceFiles, fileIndex, catalogue.FirstTopicOf(fileIndex))) {
      continue;
    }
    if (!tally.Create(section, JoinPath(folder, SectionPageName(fileIndex)))) {
      scanner.Close();
      continue;
    }
    WritePageHead(section, scanner.SectionTitle());
    while (scanner.NextTopicLine()) {
      const SourceLine& line = scanner.Line();
      WriteTopicLinks(section, line.bytes, line.length, page,
                      FormatPageName(page, fileIndex, line.topicNumber));
    }
    tally.EndSource(scanner, fileIndex);
    WritePageFoot(section);
    tally.Finish(section);
  }
}

}  // namespace marlix
