#include "engine/editions/web/web_edition.h"

#include "engine/format/page_names.h"
#include "engine/editions/web/web_assets.h"
#include "engine/editions/web/web_search.h"
#include "engine/editions/web/web_text.h"
#include "support/program_info.h"
#include "engine/format/cross_references.h"
#include "engine/output/xml_text.h"

namespace marlix {
namespace {


// The tab title is the page's own title, then the reference's name (site);
// the contents page, whose title is the name, has no title of its own.
// forwardTo, when given, is a page the browser goes on to at once.
void AppendHead(TextString& page, const TextString& title, const TextString& site,
                const char* bodyClass, const TextString* forwardTo = nullptr) {
  page += "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n";
  if (forwardTo != nullptr) {
    page.Append("<meta http-equiv=\"refresh\" content=\"0; url=");
    page += *forwardTo;
    page.Append("\">\r\n");
  }
  page.Append("<title>");
  if (!title.IsEmpty()) {
    page += title;
    page.Append(" \xE2\x80\x94 ");  // an em dash
  }
  page += site;
  page.Append("</title>\r\n<link rel=\"stylesheet\" href=\"");
  page += kStyleSheetName;
  page.Append("\">\r\n</head>\r\n<body class=\"");
  page += bodyClass;
  page.Append("\">\r\n");
}

void AppendFoot(TextString& page) { page.Append("</body>\r\n</html>"); }

// One item of a navigation list; the arrows of up, previous and next go
// around the label.
void AppendNavLink(TextString& page, const TextString& href, const char* rel,
                   const TextString& label, const char* before = "", const char* after = "") {
  page.Append("<li><a href=\"");
  page += href;
  page.Append("\"");
  if (rel != nullptr) {
    page.Append(" rel=\"");
    page.Append(rel);
    page.Append("\"");
  }
  page.Append(">");
  page.Append(before);
  page += label;
  page.Append(after);
  page.Append("</a></li>\r\n");
}

// The search field of every page's header. Enter sends the query to the
// search page (search.htm?q=...) without any script; "/" puts the cursor in
// it (search.js).
void AppendFindForm(TextString& page) {
  page.Append("<form class=\"find\" id=\"find\" action=\"");
  page += kSearchPageName;
  page.Append("\" role=\"search\">\r\n<label class=\"label\" for=\"q\">Search the "
              "reference</label>\r\n<input id=\"q\" name=\"q\" type=\"search\" "
              "placeholder=\"Search (press /)\" autocomplete=\"off\" "
              "spellcheck=\"false\">\r\n</form>\r\n");
}

// The top of every page but a forward page, the same on each: a link past
// the header to the text, and the header with the reference's name, which
// leads to the contents, and the search field. The contents script
// (contents.js) adds the button that shows the contents on a narrow screen.
void AppendHeader(TextString& page, const TextString& site, bool find) {
  page.Append("<a class=\"skip\" href=\"#text\">Skip to text</a>\r\n<header>\r\n"
              "<a class=\"site\" href=\"");
  page += kIndexPageName;
  page.Append("\" rel=\"home\">");
  page += site;
  page.Append("</a>\r\n");
  if (find) AppendFindForm(page);
  page.Append("</header>\r\n");
}

// At the end of every page with a header: the script that adds the contents
// beside the text (with their data), and the one behind the search field.
void AppendScripts(TextString& page, const WebPages& options) {
  if (options.contentsScript) {
    page.Append("<script src=\"");
    page += kContentsScriptName;
    page.Append("\"></script>\r\n");
  }
  if (!options.searchLinks) return;
  page.Append("<script src=\"");
  page += kSearchScriptName;
  page.Append("\"></script>\r\n");
}

// A text for the contents script's data: text that is HTML already, in
// double quotes.
void AppendScriptString(TextString& out, const TextString& html) {
  out.AppendChar('"');
  for (std::uint32_t i = 0; i < html.Length(); ++i) {
    if (html[i] == '\\' || html[i] == '"') out.AppendChar('\\');
    out.AppendChar(html[i]);
  }
  out.AppendChar('"');
}

// The reference's name as the pages show it, escaped.
TextString SiteTitle(const TextString& title) {
  TextString shown;
  AppendXmlText(shown, ShownReferenceName(title));
  return shown;
}

}  // namespace

WebEdition::WebEdition(const TopicCatalogue& catalogue, const TextString& title, WebPages options)
    : Edition(catalogue), options_(options), siteTitle_(SiteTitle(title)) {}

void WebEdition::WriteIndexPage(PageSink& sink) {
  page_.Empty();
  AppendHead(page_, TextString(), siteTitle_, "contents");
  AppendHeader(page_, siteTitle_, options_.searchLinks);
  page_.Append("<main id=\"text\">\r\n<h1>");
  page_ += siteTitle_;
  page_.Append("</h1>\r\n");
  AppendSectionList(page_, catalogue_);
  page_.Append("<p class=\"credit\">Converted with <a href=\"");
  page_ += kAuthorHomePage;
  page_.Append("\">Marlix to HTML</a> by Dorran Vell.</p>\r\n</main>\r\n");
  AppendScripts(page_, options_);
  AppendFoot(page_);
  sink.Write(kIndexPageName, page_);
}

void WebEdition::WriteSectionPage(std::uint32_t fileIndex, PageSink& sink) {
  const TextString title = ShownSectionTitle(catalogue_, fileIndex);
  // One item per topic line that opens a page, with its further names and
  // the names of a topic line that is its title line beside it; and the
  // section with its pages' first names for the contents script.
  if (!contents_.IsEmpty()) contents_.Append(",\r\n");
  contents_.AppendChar('[');
  AppendScriptString(contents_, SectionPageName(fileIndex));
  contents_.AppendChar(',');
  AppendScriptString(contents_, title);
  // Each page of the section goes into the contents script too.
  struct ScriptPages final : SectionPages {
    explicit ScriptPages(TextString& script) : script_(script) {}
    void Page(const TextString& page, const TextString& shown) override {
      script_.AppendChar(',');
      AppendScriptString(script_, page);
      script_.AppendChar(',');
      AppendScriptString(script_, shown);
    }
    TextString& script_;
  } scriptPages(contents_);
  TextString items;
  AppendSectionTopics(items, catalogue_, fileIndex, nullptr, &scriptPages);
  contents_.AppendChar(']');

  page_.Empty();
  AppendHead(page_, title, siteTitle_, "section");
  AppendHeader(page_, siteTitle_, options_.searchLinks);
  page_.Append("<main id=\"text\">\r\n");
  AppendSectionBody(page_, title, items);
  page_.Append("</main>\r\n");
  AppendScripts(page_, options_);
  AppendFoot(page_);
  sink.Write(SectionPageName(fileIndex).CStr(), page_);
}

void WebEdition::BeginTopicFile(std::uint32_t fileIndex) {
  fileIndex_ = fileIndex;
  sectionTitle_ = ShownSectionTitle(catalogue_, fileIndex);
  const TextString& title = catalogue_.Section(fileIndex).title;
  if (options_.searchLinks) search_.BeginSection(title.CStr(), title.Length());
}

std::uint32_t WebEdition::TopicLine(const SourceLine& line, PageSink& sink) {
  if (line.topic) TopicLineNames(line, sink);
  return line.opensPage ? 0 : BodyLine(line);
}

void WebEdition::TopicLineNames(const SourceLine& line, PageSink& sink) {
  bool first = true;
  marlix::TopicNames(line.bytes, line.length, [&](const char* name, std::size_t length) {
    if (first && line.opensPage) {
      TextString shown = WebText(TextString(name, length));
      if (IsBlank(shown)) shown = kUnnamedTopic;
      TextString page = PageName(fileIndex_, line.topicNumber);
      if (pageOpen_) FinishPage(page, shown, sink);
      pageOpen_ = true;
      pageName_ = page;
      pageLabel_ = shown;
      pageTitle_.Empty();
      heading_.Empty();
      if (options_.searchLinks) search_.BeginTopic(pageName_);
      pageUp_ = SectionPageName(fileIndex_);
      pageUpLabel_ = sectionTitle_;
      pageMarks_.Empty();
      body_.Empty();
      inDrawing_ = false;
    }
    first = false;
    // Every name of the page, and of a topic line that is its title line,
    // finds the page.
    if (pageOpen_ && options_.searchLinks) {
      search_.AddName(name, static_cast<std::uint32_t>(length));
    }
    if (pageOpen_ && options_.nameMarks != nullptr) {
      // Every name finds the page the catalogue names for it: the marks of
      // a title line's names go on its forward page.
      options_.nameMarks->MarkName(line.opensPage ? pageMarks_ : forwardMarks_, name, length);
    }
  });
  // A topic line that is the title line of the one before opens no page, yet
  // the catalogue names a page for it, and links to its names lead there.
  if (!line.opensPage && pageOpen_) WriteForwardPage(PageName(fileIndex_, line.topicNumber), sink);
}

void WebEdition::WriteForwardPage(const TextString& name, PageSink& sink) {
  page_.Empty();
  AppendHead(page_, pageLabel_, siteTitle_, "forward", &pageName_);
  page_.Append("<main>\r\n");
  page_ += forwardMarks_;
  forwardMarks_.Empty();
  page_.Append("<p>This topic is part of <a href=\"");
  page_ += pageName_;
  page_.Append("\">");
  page_ += pageLabel_;
  page_.Append("</a>.</p>\r\n</main>\r\n");
  AppendFoot(page_);
  sink.Write(name.CStr(), page_);
}

std::uint32_t WebEdition::BodyLine(const SourceLine& line) {
  // Lines before the first topic line of the run belong to no page.
  if (!pageOpen_) return 0;
  if (line.title) pageTitle_ = ShownTitle(line.text, line.textLength, pageLabel_);
  // The empty title line of a topic line that ends a file is no text.
  if (line.absent) return 0;
  std::uint32_t length;
  if (!TextWithoutEndOfFileMark(line, length)) return 0;
  if (line.title) {
    // The title line becomes the page's level-one heading, links and all, in
    // place of its line of the text.
    if (options_.searchLinks) search_.SetTitle(line.text, length);
    length = WithoutLineEndResidue(line.text, length);
    heading_.Empty();
    if (length == 0) return 0;
    WebLineText visitor(heading_, reference_, catalogue_);
    ParseCrossReferences(line.text, length, visitor);
    return visitor.Unresolved();
  }
  if (options_.searchLinks) search_.AddTextLine(line.text, length);
  length = WithoutLineEndResidue(line.text, length);

  line_.Empty();
  bool drawing = false;
  std::uint32_t unresolved = 0;
  // A line with no text left is a plain one, whatever its format column.
  const LineKind kind = length > 0 ? line.kind : LineKind::PlainLine;
  if (length > 0) {
    WebLineText visitor(line_, reference_, catalogue_);
    visitor.BodyLine(kind, line.text, length);
    drawing = visitor.Drawing();
    unresolved = visitor.Unresolved();
  }
  if (drawing != inDrawing_) {
    body_.Append(drawing ? "<div class=\"table\">\r\n" : "</div>\r\n");
    inDrawing_ = drawing;
  }
  // A line that shows nothing still takes its height.
  if (IsBlank(line_)) line_ = "<br>";
  switch (kind) {
    case LineKind::PlainLine:
    case LineKind::IndentedLine:
      body_.Append("<div>");
      body_ += line_;
      body_.Append("</div>\r\n");
      break;
    case LineKind::CentredHeading:
      body_.Append("<h2 class=\"c\">");
      body_ += line_;
      body_.Append("</h2>\r\n");
      break;
    case LineKind::BoldHeading:
      body_.Append("<h3 class=\"b\">");
      body_ += line_;
      body_.Append("</h3>\r\n");
      break;
  }
  return unresolved;
}

void WebEdition::AppendTopicNav(TextString& page, const char* label, const TextString& nextPage,
                                const TextString& nextLabel) const {
  page.Append("<nav aria-label=\"");
  page += label;
  page.Append("\" class=\"pager\">\r\n<ul>\r\n");
  AppendNavLink(page, pageUp_, "up", pageUpLabel_, "\xE2\x86\x91 ");
  if (!previousPage_.IsEmpty()) {
    AppendNavLink(page, previousPage_, "prev", previousLabel_, "\xE2\x86\x90 ");
  }
  if (!nextPage.IsEmpty()) {
    AppendNavLink(page, nextPage, "next", nextLabel, "", " \xE2\x86\x92");
  }
  page.Append("</ul>\r\n</nav>\r\n");
}

void WebEdition::FinishPage(const TextString& nextPage, const TextString& nextLabel,
                            PageSink& sink) {
  if (inDrawing_) body_.Append("</div>\r\n");
  inDrawing_ = false;
  if (body_.IsEmpty()) body_ = "<div><br></div>\r\n";
  page_.Empty();
  AppendHead(page_, pageTitle_.IsEmpty() ? pageLabel_ : pageTitle_, siteTitle_, "topic");
  AppendHeader(page_, siteTitle_, options_.searchLinks);
  page_.Append("<main id=\"text\">\r\n");
  // The names' marks first: a jump to one shows the page from its top, the
  // navigation and the heading included.
  page_ += pageMarks_;
  AppendTopicNav(page_, "Topic", nextPage, nextLabel);
  page_.Append("<h1>");
  page_ += IsBlank(heading_) ? pageLabel_ : heading_;
  // The lines never wrap: the text scrolls sideways as one block when it is
  // wider than the screen, and takes the focus for the keys that scroll it.
  page_.Append("</h1>\r\n<div class=\"text\" tabindex=\"0\">\r\n");
  page_ += body_;
  page_.Append("</div>\r\n</main>\r\n<footer>\r\n");
  AppendTopicNav(page_, "Topic, end of page", nextPage, nextLabel);
  page_.Append("</footer>\r\n");
  AppendScripts(page_, options_);
  AppendFoot(page_);
  sink.Write(pageName_.CStr(), page_);
  previousPage_ = pageName_;
  previousLabel_ = pageLabel_;
  pageOpen_ = false;
}

void WebEdition::EndTopicPages(PageSink& sink) {
  if (pageOpen_) FinishPage(TextString(), TextString(), sink);
}

void WebEdition::WriteClosingFiles(PageSink& sink) {
  // The contents script: its data, the sections with their pages, then the
  // code that shows them beside the text.
  if (options_.contentsScript) {
    page_.Empty();
    page_.Append("window.marlixContents = [\r\n");
    page_ += contents_;
    page_.Append("];\r\n");
    page_.Append(kWebContentsScript);
    sink.Write(kContentsScriptName, page_);
  }
  if (!options_.searchLinks) {
    sink.Write(kStyleSheetName, kWebStyleSheet, std::strlen(kWebStyleSheet));
    return;
  }
  page_.Empty();
  search_.AppendScript(page_);
  sink.Write(kSearchIndexName, page_);
  sink.Write(kSearchScriptName, kWebSearchScript, std::strlen(kWebSearchScript));
  sink.Write(kStyleSheetName, kWebStyleSheet, std::strlen(kWebStyleSheet));

  page_.Empty();
  AppendHead(page_, "Search", siteTitle_, "search");
  AppendHeader(page_, siteTitle_, true);
  page_.Append("<main id=\"text\">\r\n<h1>Search</h1>\r\n");
  // The script replaces this text as soon as it runs, and loads the search
  // data named by the list only once there is something to find.
  page_.Append("<p id=\"status\" class=\"status\" aria-live=\"polite\">Search needs JavaScript, which "
               "is turned off in this browser. Every topic can be reached from the <a href=\"");
  page_ += kIndexPageName;
  page_.Append("\">contents</a>.</p>\r\n<ol id=\"results\" class=\"results\" data-source=\"");
  page_ += kSearchIndexName;
  page_.Append("\"></ol>\r\n</main>\r\n");
  AppendScripts(page_, options_);
  AppendFoot(page_);
  sink.Write(kSearchPageName, page_);
}

}  // namespace marlix
