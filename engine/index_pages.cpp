#include "engine/index_pages.h"

#include "engine/output_tally.h"
#include "engine/page_skeleton.h"
#include "support/file_names.h"

namespace marlix {

const char kAuthorHomePage[] = "http://dorranvell.example/";

TextString SectionPageName(std::uint32_t fileIndex) {
  TextString number;
  return TextString("Topic") + number.AssignNumber(fileIndex) + ".htm";
}

TextString ReadSectionTitle(LineReader& reader) {
  reader.ReadBytes(1);
  return reader.ReadLine();
}

bool WriteIndexPage(const TextString& folder, const SourceFileList& sourceFiles,
                    OutputTally& tally) {
  OutputFile index;
  if (!tally.Create(index, JoinPath(folder, "Index.htm"))) return false;
  WritePageHead(index, "Marlix");
  LineReader reader;
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    if (!tally.OpenSource(reader, *sourceFiles.Ref(fileIndex))) continue;
    TextString title = ReadSectionTitle(reader);
    reader.Close();
    index.WriteLine(TextString("<A HREF=\"") + SectionPageName(fileIndex) + "\">" + title +
                    "</A><BR>");
  }
  index.WriteLine(TextString("<p>Converted With <a href=\"") + kAuthorHomePage +
                  "\">Marlix to HTML</a> by Dorran Vell.</p>");
  WritePageFoot(index);
  tally.Finish(index);
  return true;
}

void WriteTopicLinks(OutputFile& file, const TextString& topicLine, const TextString& page) {
  VisitTopicNames(topicLine, [&](const char* name, std::size_t length) {
    file.WriteLine("<A HREF=\"");
    file.Write(page);
    file.Write("\">");
    file.WriteBytes(name, length);
    file.Write("</A><BR>");
  });
}

void WriteSectionPages(const TextString& folder, const SourceFileList& sourceFiles,
                       const TopicCatalogue& catalogue, OutputTally& tally) {
  LineReader reader;
  OutputFile section;
  TextString line;
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    const TextString& source = *sourceFiles.Ref(fileIndex);
    if (!tally.OpenSource(reader, source)) continue;
    TextString title = ReadSectionTitle(reader);
    // The topic lines are read the way the catalogue read them, with the first
    // line skipped whole, so that both agree on every topic line even when the
    // first line is longer than one 80-byte piece.
    if (!tally.OpenSource(reader, source)) continue;
    if (!tally.Create(section, JoinPath(folder, SectionPageName(fileIndex)))) continue;
    WritePageHead(section, title);
    std::uint32_t topicNumber = catalogue.FirstTopicOf(fileIndex);
    reader.SkipLine();
    while (!reader.AtEnd()) {
      reader.ReadLine(line);
      if (!IsTopicLine(line)) continue;
      WriteTopicLinks(section, line, PageName(fileIndex, topicNumber));
      ++topicNumber;
    }
    reader.Close();
    WritePageFoot(section);
    tally.Finish(section);
  }
}

}  // namespace marlix
