#include "engine/help_project.h"

#include "engine/index_pages.h"
#include "engine/output_tally.h"
#include "engine/source_scanner.h"
#include "support/file_names.h"
#include "support/output_file.h"

namespace marlix {
namespace {

// Both sitemap files (keyword index and contents) open with these lines.
void WriteSitemapHead(OutputFile& file) {
  file.WriteLine("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">");
  file.WriteLine("<HTML>");
  file.WriteLine("<HEAD>");
  file.WriteLine("<meta name=\"GENERATOR\" content=\"Microsoft&reg; HTML Help Workshop 4.1\">");
  file.WriteLine("<!-- Sitemap 1.0 -->");
  file.WriteLine("</HEAD><BODY>");
}

// One flat entry; name and local file go in byte for byte, unescaped.
void WriteSitemapEntry(OutputFile& file, const TextString& name, const TextString& local) {
  file.WriteLine("\t<LI> <OBJECT type=\"text/sitemap\">");
  file.WriteLine("\t\t<param name=\"Name\" value=\"");
  file.Write(name);
  file.Write("\">");
  file.WriteLine("\t\t<param name=\"Local\" value=\"");
  file.Write(local);
  file.Write("\">");
  file.WriteLine("\t\t</OBJECT>");
}

void WriteSitemapEnd(OutputFile& file) {
  file.WriteLine("</UL>");
  file.WriteLine("</BODY></HTML>");
}

void WriteKeywordIndex(const TextString& folder, const TopicCatalogue& catalogue, OutputFile& file,
                       OutputTally& tally) {
  tally.Create(file, JoinPath(folder, "Index.hhk"));
  WriteSitemapHead(file);
  file.WriteLine("<UL>");
  const PairList& entries = catalogue.Entries();
  for (std::uint32_t i = 0; i < entries.Count(); ++i) {
    WriteSitemapEntry(file, *entries.KeyRef(i), *entries.ValueRef(i));
  }
  WriteSitemapEnd(file);
  tally.Finish(file);
}

void WriteProjectFile(const TextString& folder, OutputFile& file, OutputTally& tally) {
  tally.Create(file, JoinPath(folder, "Marlix.hhp"));
  file.WriteLine("[OPTIONS]");
  file.WriteLine("Binary TOC=Yes");
  file.WriteLine("Compatibility=1.1 or later");
  file.WriteLine("Compiled file=Marlix.chm");
  file.WriteLine("Contents file=toc.hhc");
  file.WriteLine("Default topic=Index.htm");
  file.WriteLine("Display compile progress=No");
  file.WriteLine("Full-text search=Yes");
  file.WriteLine("Index file=Index.hhk");
  file.WriteLine("Language=0x409 English (United States)");
  file.WriteLine("Title=Mar Lix");
  file.WriteBreaks(2);
  file.WriteLine("[FILES]");
  // Every page now in the folder, in listing order. A listing that failed
  // part-way leaves the section short, and the file counts as lost.
  StringList pages;
  bool listed = ListFiles(folder, "*.htm", pages);
  for (std::uint32_t i = 0; i < pages.Count(); ++i) file.WriteLine(*pages.Ref(i));
  file.WriteLine("[INFOTYPES]");
  tally.Finish(file, listed);
}

void WriteContentsFile(const TextString& folder, const SourceFileList& sourceFiles,
                       OutputFile& file, OutputTally& tally) {
  tally.Create(file, JoinPath(folder, "toc.hhc"));
  WriteSitemapHead(file);
  file.WriteLine("<OBJECT type=\"text/site properties\">");
  file.WriteLine("\t<param name=\"Window Styles\" value=\"0x800025\">");
  file.WriteLine("</OBJECT>");
  file.WriteLine("<UL>");
  WriteSitemapEntry(file, "Mar Lix", "Index.htm");
  SourceScanner scanner;
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    if (!tally.OpenSource(scanner, sourceFiles, fileIndex)) continue;
    WriteSitemapEntry(file, scanner.SectionTitle(), SectionPageName(fileIndex));
    tally.EndSource(scanner, fileIndex);
  }
  WriteSitemapEnd(file);
  tally.Finish(file);
}

}  // namespace

void WriteHelpProject(const TextString& folder, const SourceFileList& sourceFiles,
                      const TopicCatalogue& catalogue, OutputTally& tally) {
  OutputFile file;
  WriteKeywordIndex(folder, catalogue, file, tally);
  WriteProjectFile(folder, file, tally);
  WriteContentsFile(folder, sourceFiles, file, tally);
}

}  // namespace marlix
