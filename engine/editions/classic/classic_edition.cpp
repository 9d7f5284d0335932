#include "engine/editions/classic/classic_edition.h"

#include "engine/editions/classic/help_project.h"
#include "engine/editions/classic/classic_lines.h"
#include "support/program_info.h"

namespace marlix {
namespace {

constexpr char kHeadBeforeTitle[] = "<HTML>\r\n<HEAD>\r\n<TITLE>";
constexpr char kHeadAfterTitle[] =
    "</TITLE>\r\n</HEAD>\r\n"
    "<BODY ALINK=\"#FF0066\" BGCOLOR=\"#ffffff\" VLINK=\"#6666FF\" LINK=\"#3333CC\" "
    "style=\"font-family: Courier New; font-size: 10pt; color: #000000\">";

}  // namespace

void WritePageHead(TextString& page, const char* title, std::uint32_t length) {
  AppendLine(page, kHeadBeforeTitle, sizeof kHeadBeforeTitle - 1);
  page.AppendBytes(title, length);
  page.AppendBytes(kHeadAfterTitle, sizeof kHeadAfterTitle - 1);
}

void WritePageFoot(TextString& page) {
  AppendLine(page, "</BODY>");
  AppendLine(page, "</HTML>");
}

void ClassicEdition::WriteIndexPage(PageSink& sink) {
  page_.Empty();
  WritePageHead(page_, "Marlix");
  for (std::uint32_t fileIndex = 0; fileIndex < catalogue_.SectionCount(); ++fileIndex) {
    const CatalogueSection& section = catalogue_.Section(fileIndex);
    if (!section.read) continue;
    AppendLine(page_, "<A HREF=\"");
    page_ += SectionPageName(fileIndex);
    page_.Append("\">");
    page_ += section.title;
    page_.Append("</A><BR>");
  }
  AppendLine(page_, "<p>Converted With <a href=\"");
  page_.Append(kAuthorHomePage);
  page_.Append("\">Marlix to HTML</a> by Dorran Vell.</p>");
  WritePageFoot(page_);
  sink.Write(kIndexPageName, page_);
}

void ClassicEdition::WriteSectionPage(std::uint32_t fileIndex, PageSink& sink) {
  page_.Empty();
  WritePageHead(page_, catalogue_.Section(fileIndex).title);
  // Each name of each topic line links to that topic line's own page.
  const PairList& entries = catalogue_.Entries();
  const std::uint32_t end = catalogue_.FirstTopicOf(fileIndex + 1);
  for (std::uint32_t topic = catalogue_.FirstTopicOf(fileIndex); topic < end; ++topic) {
    std::uint32_t entry;
    std::uint32_t entriesEnd;
    for (catalogue_.TopicEntries(topic, entry, entriesEnd); entry < entriesEnd; ++entry) {
      AppendLine(page_, "<A HREF=\"");
      page_ += *entries.ValueRef(entry);
      page_.Append("\">");
      page_ += *entries.KeyRef(entry);
      page_.Append("</A><BR>");
    }
  }
  WritePageFoot(page_);
  sink.Write(SectionPageName(fileIndex).CStr(), page_);
}

std::uint32_t ClassicEdition::TopicLine(const SourceLine& line, PageSink& sink) {
  if (line.opensPage) {
    FinishTopicPage(sink);
    pageName_ = PageName(fileIndex_, line.topicNumber);
    page_.Empty();
    pageOpen_ = true;
    return 0;
  }
  // Lines before the first topic line of the run belong to no page.
  if (!pageOpen_) return 0;
  // The title is the title line without its format column.
  if (line.title) WritePageHead(page_, line.text, line.textLength);
  // Every body line follows the head, so each is a new line.
  page_.AppendBytes("\r\n", 2);
  return RenderLine(page_, catalogue_, line.kind, line.text, line.textLength);
}

void ClassicEdition::FinishTopicPage(PageSink& sink) {
  if (!pageOpen_) return;
  WritePageFoot(page_);
  sink.Write(pageName_.CStr(), page_);
  pageOpen_ = false;
}

void ClassicEdition::EndTopicPages(PageSink& sink) { FinishTopicPage(sink); }

void ClassicEdition::WriteClosingFiles(PageSink& sink) {
  page_.Empty();
  AppendKeywordIndex(page_, catalogue_);
  sink.Write(kKeywordIndexName, page_);
  // The keyword index is by far the largest file: its room goes back before
  // the folder is listed.
  page_.Clear();

  // Every page now in the folder, in listing order. A listing that failed
  // part-way leaves the list short, and the file counts as lost.
  StringList pages;
  int whyShort = 0;
  const bool listed = sink.List("*.htm", pages, whyShort);
  page_.Empty();
  AppendProjectFile(page_, pages);
  sink.Write(kProjectFileName, page_, listed, whyShort);

  page_.Empty();
  AppendContentsFile(page_, catalogue_);
  sink.Write(kContentsFileName, page_);
}

}  // namespace marlix
