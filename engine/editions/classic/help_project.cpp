#include "engine/editions/classic/help_project.h"

#include "engine/format/page_names.h"
#include "engine/output/page_sink.h"

namespace marlix {
namespace {

// Both sitemap files (keyword index and contents) open with these lines.
void AppendSitemapHead(TextString& file) {
  AppendLine(file, "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">");
  AppendLine(file, "<HTML>");
  AppendLine(file, "<HEAD>");
  AppendLine(file, "<meta name=\"GENERATOR\" content=\"Microsoft&reg; HTML Help Workshop 4.1\">");
  AppendLine(file, "<!-- Sitemap 1.0 -->");
  AppendLine(file, "</HEAD><BODY>");
}

// One flat entry; name and local file go in byte for byte, unescaped.
void AppendSitemapEntry(TextString& file, const TextString& name, const TextString& local) {
  AppendLine(file, "\t<LI> <OBJECT type=\"text/sitemap\">");
  AppendLine(file, "\t\t<param name=\"Name\" value=\"");
  file += name;
  file.Append("\">");
  AppendLine(file, "\t\t<param name=\"Local\" value=\"");
  file += local;
  file.Append("\">");
  AppendLine(file, "\t\t</OBJECT>");
}

void AppendSitemapEnd(TextString& file) {
  AppendLine(file, "</UL>");
  AppendLine(file, "</BODY></HTML>");
}

}  // namespace

void AppendKeywordIndex(TextString& file, const TopicCatalogue& catalogue) {
  AppendSitemapHead(file);
  AppendLine(file, "<UL>");
  const PairList& entries = catalogue.Entries();
  for (std::uint32_t i = 0; i < entries.Count(); ++i) {
    AppendSitemapEntry(file, *entries.KeyRef(i), *entries.ValueRef(i));
  }
  AppendSitemapEnd(file);
}

void AppendProjectFile(TextString& file, const StringList& pages) {
  AppendLine(file, "[OPTIONS]");
  AppendLine(file, "Binary TOC=Yes");
  AppendLine(file, "Compatibility=1.1 or later");
  AppendLine(file, TextString("Compiled file=") + kCompiledHelpName);
  AppendLine(file, TextString("Contents file=") + kContentsFileName);
  AppendLine(file, TextString("Default topic=") + kIndexPageName);
  AppendLine(file, "Display compile progress=No");
  AppendLine(file, "Full-text search=Yes");
  AppendLine(file, TextString("Index file=") + kKeywordIndexName);
  AppendLine(file, "Language=0x409 English (United States)");
  AppendLine(file, "Title=Mar Lix");
  // Two empty lines before the files.
  file.Append("\r\n\r\n");
  AppendLine(file, "[FILES]");
  for (std::uint32_t i = 0; i < pages.Count(); ++i) AppendLine(file, *pages.Ref(i));
  AppendLine(file, "[INFOTYPES]");
}

void AppendContentsFile(TextString& file, const TopicCatalogue& catalogue) {
  AppendSitemapHead(file);
  AppendLine(file, "<OBJECT type=\"text/site properties\">");
  AppendLine(file, "\t<param name=\"Window Styles\" value=\"0x800025\">");
  AppendLine(file, "</OBJECT>");
  AppendLine(file, "<UL>");
  AppendSitemapEntry(file, "Mar Lix", kIndexPageName);
  for (std::uint32_t fileIndex = 0; fileIndex < catalogue.SectionCount(); ++fileIndex) {
    const CatalogueSection& section = catalogue.Section(fileIndex);
    if (section.read) AppendSitemapEntry(file, section.title, SectionPageName(fileIndex));
  }
  AppendSitemapEnd(file);
}

}  // namespace marlix
