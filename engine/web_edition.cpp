#include "engine/web_edition.h"

#include "engine/conversion_driver.h"
#include "engine/index_pages.h"
#include "engine/line_rendering.h"
#include "engine/output_tally.h"
#include "engine/source_scanner.h"
#include "engine/web_assets.h"
#include "engine/web_search.h"
#include "engine/web_text.h"
#include "support/file_names.h"

namespace marlix {

const char kWebStyleSheetName[] = "style.css";
const char kWebSearchPageName[] = "search.htm";
const char kWebSearchScriptName[] = "search.js";
const char kWebSearchIndexName[] = "search-index.js";

namespace {

// Lines of every file are separated by CR LF, and no file ends in a line
// break, like the classic pages.
constexpr unsigned char kDosEndOfFile = 0x1A;

bool IsBlank(const TextString& text) {
  for (std::uint32_t i = 0; i < text.Length(); ++i) {
    if (text[i] != ' ') return false;
  }
  return true;
}

// Box-drawing characters and shades: a line that holds one is part of a
// drawing and must keep its width, so it never wraps.
bool IsDrawingByte(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte >= 0xB0 && byte <= 0xDF;
}

// A carriage return that ends a piece is what is left of a CR LF line end
// whose line feed fell beyond the 80 bytes of the piece: not text.
std::uint32_t WithoutLineEndResidue(const char* bytes, std::uint32_t length) {
  return length > 0 && bytes[length - 1] == '\r' ? length - 1 : length;
}

// The escaped text of title, or fallback when it would show nothing.
TextString ShownTitle(const char* bytes, std::uint32_t length, const TextString& fallback) {
  TextString title = WebText(TextString(bytes, WithoutLineEndResidue(bytes, length)));
  return IsBlank(title) ? fallback : title;
}

// forwardTo, when given, is a page the browser goes on to at once.
void AppendHead(TextString& page, const TextString& title, const char* bodyClass,
                const TextString* forwardTo = nullptr) {
  page += "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n";
  if (forwardTo != nullptr) {
    page.Append("<meta http-equiv=\"refresh\" content=\"0; url=");
    page += *forwardTo;
    page.Append("\">\r\n");
  }
  page.Append("<title>");
  page += title;
  page.Append("</title>\r\n<link rel=\"stylesheet\" href=\"");
  page += kWebStyleSheetName;
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
  page += kWebSearchPageName;
  page.Append("\" role=\"search\">\r\n<label class=\"label\" for=\"q\">Search the "
              "reference</label>\r\n<input id=\"q\" name=\"q\" type=\"search\" "
              "placeholder=\"Search (press /)\" autocomplete=\"off\" "
              "spellcheck=\"false\">\r\n</form>\r\n");
}

// At the end of every page with a header: the script behind its search field.
void AppendSearchScript(TextString& page) {
  page.Append("<script src=\"");
  page += kWebSearchScriptName;
  page.Append("\"></script>\r\n");
}

// The navigation of the pages that are not topic pages: contents and search.
void AppendSiteNav(TextString& page, bool home, bool search) {
  page.Append("<header>\r\n<nav aria-label=\"Site\">\r\n<ul>\r\n");
  if (home) AppendNavLink(page, "Index.htm", "home", "Contents");
  if (search) AppendNavLink(page, kWebSearchPageName, nullptr, "Search");
  page.Append("</ul>\r\n</nav>\r\n");
  AppendFindForm(page);
  page.Append("</header>\r\n");
}

// Renders one body line's text (after its format column) into html, with the
// column count that tab expansion needs.
class LineVisitor {
 public:
  // shown is scratch for the text of a reference, reused from line to line.
  LineVisitor(TextString& html, TextString& shown, const TopicCatalogue& catalogue)
      : html_(html), shown_(shown), catalogue_(catalogue) {}

  void Text(const char* bytes, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n && !drawing_; ++i) drawing_ = IsDrawingByte(bytes[i]);
    AppendWebText(html_, bytes, n, column_);
  }
  void Tilde() {
    html_.AppendChar('~');
    ++column_;
  }
  void Reference(const char* name, std::uint32_t n) {
    shown_.Empty();
    AppendWebText(shown_, name, n, column_);
    // A name of blanks shows as its blanks: an element with nothing to see
    // would only be a trap for the pointer.
    if (IsBlank(shown_)) {
      html_ += shown_;
      return;
    }
    std::int64_t entry = catalogue_.FindEntry(name, n);
    if (entry >= 0) {
      html_.Append("<a href=\"");
      html_ += *catalogue_.Entries().ValueRef(static_cast<std::uint32_t>(entry));
      html_.Append("\">");
      html_ += shown_;
      html_.Append("</a>");
    } else {
      html_.Append("<b>");
      html_ += shown_;
      html_.Append("</b>");
    }
  }
  bool Drawing() const { return drawing_; }

 private:
  TextString& html_;
  TextString& shown_;
  const TopicCatalogue& catalogue_;
  std::uint32_t column_ = 0;
  bool drawing_ = false;
};

class WebEditionWriter {
 public:
  WebEditionWriter(const TextString& folder, const TopicCatalogue& catalogue, OutputTally& tally)
      : folder_(folder), catalogue_(catalogue), tally_(tally) {}

  void BeginFile(std::uint32_t fileIndex, const TextString& sectionTitle);
  void Take(const SourceLine& line);
  void EndFile();
  void Finish(OutputFile& index);

 private:
  void TopicLine(const SourceLine& line);
  void BodyLine(const SourceLine& line);
  void FlushPending(bool lastOfFile);
  void RenderBodyLine(const char* bytes, std::uint32_t length);
  void FinishPage(const TextString& nextPage, const TextString& nextLabel);
  void AppendTopicNav(TextString& page, const char* label, const TextString& nextPage,
                      const TextString& nextLabel) const;
  void WriteFile(const TextString& name, const TextString& content);
  void WriteForwardPage(const TextString& name);
  void WriteSectionPage();
  void WriteSearchFiles();
  void RenderHeading(const char* bytes, std::uint32_t length);

  const TextString& folder_;
  const TopicCatalogue& catalogue_;
  OutputTally& tally_;

  // The source file being read.
  std::uint32_t fileIndex_ = 0;
  std::uint32_t sectionNumber_ = 0;  // position among the files that could be read
  TextString sectionTitle_;          // escaped
  TextString sectionItems_;          // its section page's list items
  bool itemOpen_ = false;
  std::uint32_t filePages_ = 0;

  // The topic page being built; it stays open across the end of a file.
  bool pageOpen_ = false;
  TextString pageName_;
  TextString pageLabel_;  // its first name, escaped
  TextString pageTitle_;  // escaped
  TextString pageUp_;     // its section page
  TextString pageUpLabel_;
  TextString heading_;  // its title line as a level-one heading's content
  TextString body_;
  bool inDrawing_ = false;
  TextString previousPage_;
  TextString previousLabel_;

  // A body line waits until the next one comes, so that the last line of a
  // file is known as such.
  TextString pending_;
  bool hasPending_ = false;
  bool pendingIsTitle_ = false;

  TextString line_;       // scratch for one rendered line
  TextString reference_;  // scratch for the text of one reference
  TextString frame_;  // scratch for the frame of a topic page
  TextString indexItems_;
  SearchDataBuilder search_;
};

void WebEditionWriter::BeginFile(std::uint32_t fileIndex, const TextString& sectionTitle) {
  fileIndex_ = fileIndex;
  sectionTitle_ = ShownTitle(sectionTitle.CStr(), sectionTitle.Length(), "Untitled section");
  sectionItems_.Empty();
  itemOpen_ = false;
  filePages_ = 0;
  search_.BeginSection(sectionTitle.CStr(), sectionTitle.Length());
}

void WebEditionWriter::Take(const SourceLine& line) {
  if (line.topic) TopicLine(line);
  if (!line.opensPage) BodyLine(line);
}

void WebEditionWriter::TopicLine(const SourceLine& line) {
  FlushPending(false);
  bool first = true;
  VisitTopicNames(line.bytes, line.length, [&](const char* name, std::size_t length) {
    TextString shown = WebText(TextString(name, length));
    if (first && line.opensPage) {
      if (IsBlank(shown)) shown = "(unnamed topic)";
      TextString page = PageName(fileIndex_, line.topicNumber);
      if (pageOpen_) FinishPage(page, shown);
      pageOpen_ = true;
      pageName_ = page;
      pageLabel_ = shown;
      pageTitle_.Empty();
      heading_.Empty();
      search_.BeginTopic(pageName_);
      pageUp_ = SectionPageName(fileIndex_);
      pageUpLabel_ = sectionTitle_;
      body_.Empty();
      inDrawing_ = false;
      ++filePages_;
      if (itemOpen_) sectionItems_ += "</li>\r\n";
      sectionItems_.Append("<li><a href=\"");
      sectionItems_ += pageName_;
      sectionItems_.Append("\">");
      sectionItems_ += shown;
      sectionItems_.Append("</a>");
      itemOpen_ = true;
    } else if (itemOpen_ && !IsBlank(shown)) {
      // Further names of the topic, and the names of a topic line that is
      // the title line of the one before: all of them show on this page.
      sectionItems_.Append(" <span class=\"aka\">\xC2\xB7 ");
      sectionItems_ += shown;
      sectionItems_.Append("</span>");
    }
    first = false;
    if (pageOpen_) search_.AddName(name, static_cast<std::uint32_t>(length));
  });
  // A topic line that is the title line of the one before opens no page, yet
  // the catalogue names a page for it, and links to its names lead there.
  if (!line.opensPage && pageOpen_) WriteForwardPage(PageName(fileIndex_, line.topicNumber));
}

void WebEditionWriter::WriteForwardPage(const TextString& name) {
  TextString page;
  AppendHead(page, pageLabel_, "forward", &pageName_);
  page.Append("<main>\r\n<p>This topic is part of <a href=\"");
  page += pageName_;
  page.Append("\">");
  page += pageLabel_;
  page.Append("</a>.</p>\r\n</main>\r\n");
  AppendFoot(page);
  WriteFile(name, page);
}

void WebEditionWriter::BodyLine(const SourceLine& line) {
  // Lines before the first topic line of the run belong to no page.
  if (!pageOpen_) return;
  FlushPending(false);
  if (line.title) {
    pageTitle_ = ShownTitle(line.bytes + (line.length > 0 ? 1 : 0),
                            line.length > 0 ? line.length - 1 : 0, pageLabel_);
    if (line.length > 0) search_.SetTitle(line.bytes + 1, line.length - 1);
  }
  // The empty title line of a topic line that ends a file is no text.
  if (line.absent) return;
  pending_.AssignN(line.bytes, line.length);
  hasPending_ = true;
  pendingIsTitle_ = line.title;
}

void WebEditionWriter::FlushPending(bool lastOfFile) {
  if (!hasPending_) return;
  hasPending_ = false;
  std::uint32_t length = pending_.Length();
  if (lastOfFile && length > 0 &&
      static_cast<unsigned char>(pending_[length - 1]) == kDosEndOfFile) {
    // The DOS end-of-file mark; a line that held only the mark is no line.
    if (--length == 0) return;
  }
  if (pendingIsTitle_) {
    RenderHeading(pending_.CStr(), length);
  } else {
    if (length > 0) search_.AddTextLine(pending_.CStr() + 1, length - 1);
    RenderBodyLine(pending_.CStr(), length);
  }
}

// The title line becomes the page's level-one heading, links and all, in
// place of its line of the text.
void WebEditionWriter::RenderHeading(const char* bytes, std::uint32_t length) {
  length = WithoutLineEndResidue(bytes, length);
  heading_.Empty();
  if (length < 2) return;
  LineVisitor visitor(heading_, reference_, catalogue_);
  ParseCrossReferences(bytes + 1, length - 1, visitor);
}

void WebEditionWriter::RenderBodyLine(const char* bytes, std::uint32_t length) {
  length = WithoutLineEndResidue(bytes, length);
  line_.Empty();
  bool drawing = false;
  LineKind kind = LineKind::PlainLine;
  if (length >= 2) {
    kind = ClassifyLine(bytes, length);
    LineVisitor visitor(line_, reference_, catalogue_);
    ParseCrossReferences(bytes + 1, length - 1, visitor);
    drawing = visitor.Drawing();
  }
  if (drawing != inDrawing_) {
    body_.Append(drawing ? "<div class=\"table\">\r\n" : "</div>\r\n");
    inDrawing_ = drawing;
  }
  // A line that shows nothing still takes its height.
  if (IsBlank(line_)) line_ = "<br>";
  switch (kind) {
    case LineKind::PlainLine:
      body_.Append("<div>");
      body_ += line_;
      body_.Append("</div>\r\n");
      break;
    case LineKind::IndentedLine:
      body_.Append("<div class=\"i\">");
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
}

void WebEditionWriter::AppendTopicNav(TextString& page, const char* label,
                                      const TextString& nextPage,
                                      const TextString& nextLabel) const {
  page.Append("<nav aria-label=\"");
  page += label;
  page.Append("\">\r\n<ul>\r\n");
  AppendNavLink(page, "Index.htm", "home", "Contents");
  AppendNavLink(page, pageUp_, "up", pageUpLabel_, "\xE2\x86\x91 ");
  if (!previousPage_.IsEmpty()) {
    AppendNavLink(page, previousPage_, "prev", previousLabel_, "\xE2\x86\x90 ");
  }
  if (!nextPage.IsEmpty()) {
    AppendNavLink(page, nextPage, "next", nextLabel, "", " \xE2\x86\x92");
  }
  AppendNavLink(page, kWebSearchPageName, nullptr, "Search");
  page.Append("</ul>\r\n</nav>\r\n");
}

void WebEditionWriter::FinishPage(const TextString& nextPage, const TextString& nextLabel) {
  if (inDrawing_) body_.Append("</div>\r\n");
  inDrawing_ = false;
  if (body_.IsEmpty()) body_ = "<div><br></div>\r\n";
  // The body goes to the file as it is; only the frame around it is built.
  OutputFile file;
  if (tally_.Create(file, JoinPath(folder_, pageName_))) {
    frame_.Empty();
    AppendHead(frame_, pageTitle_.IsEmpty() ? pageLabel_ : pageTitle_, "topic");
    frame_.Append("<header>\r\n");
    AppendTopicNav(frame_, "Topic", nextPage, nextLabel);
    AppendFindForm(frame_);
    frame_.Append("</header>\r\n<main>\r\n<h1>");
    frame_ += IsBlank(heading_) ? pageLabel_ : heading_;
    frame_.Append("</h1>\r\n<div class=\"text\">\r\n");
    file.Write(frame_);
    file.Write(body_);
    frame_.Empty();
    frame_.Append("</div>\r\n</main>\r\n<footer>\r\n");
    AppendTopicNav(frame_, "Topic, end of page", nextPage, nextLabel);
    frame_.Append("</footer>\r\n");
    AppendSearchScript(frame_);
    AppendFoot(frame_);
    file.Write(frame_);
    tally_.Finish(file);
  }
  previousPage_ = pageName_;
  previousLabel_ = pageLabel_;
  pageOpen_ = false;
}

void WebEditionWriter::EndFile() {
  FlushPending(true);
  if (itemOpen_) sectionItems_ += "</li>\r\n";
  itemOpen_ = false;
  WriteSectionPage();
  indexItems_.Append("<li><a href=\"");
  indexItems_ += SectionPageName(fileIndex_);
  indexItems_.Append("\">");
  indexItems_ += sectionTitle_;
  indexItems_.Append("</a> <span class=\"count\">");
  TextString number;
  indexItems_ += number.AssignNumber(filePages_);
  indexItems_ += filePages_ == 1 ? " topic" : " topics";
  indexItems_.Append("</span></li>\r\n");
  ++sectionNumber_;
}

void WebEditionWriter::WriteSectionPage() {
  TextString page;
  AppendHead(page, sectionTitle_, "section");
  AppendSiteNav(page, true, true);
  page.Append("<main>\r\n<h1>");
  page += sectionTitle_;
  page.Append("</h1>\r\n");
  if (sectionItems_.IsEmpty()) {
    page.Append("<p>This section has no topics.</p>\r\n");
  } else {
    page.Append("<ol class=\"topics\">\r\n");
    page += sectionItems_;
    page.Append("</ol>\r\n");
  }
  page.Append("</main>\r\n");
  AppendSearchScript(page);
  AppendFoot(page);
  WriteFile(SectionPageName(fileIndex_), page);
}

void WebEditionWriter::WriteFile(const TextString& name, const TextString& content) {
  OutputFile file;
  if (!tally_.Create(file, JoinPath(folder_, name))) return;
  file.Write(content);
  tally_.Finish(file);
}

void WebEditionWriter::WriteSearchFiles() {
  TextString index;
  search_.AppendScript(index);
  WriteFile(kWebSearchIndexName, index);
  WriteFile(kWebSearchScriptName, kWebSearchScript);
  WriteFile(kWebStyleSheetName, kWebStyleSheet);

  TextString page;
  AppendHead(page, "Search", "search");
  AppendSiteNav(page, true, false);
  page.Append("<main>\r\n<h1>Search</h1>\r\n");
  // The script replaces this text as soon as it runs, and loads the search
  // data named by the list only once there is something to find.
  page += "<p id=\"status\" class=\"status\" aria-live=\"polite\">Search needs JavaScript, which "
          "is turned off in this browser. Every topic can be reached from the <a "
          "href=\"Index.htm\">contents</a>.</p>\r\n<ol id=\"results\" class=\"results\" "
          "data-source=\"";
  page += kWebSearchIndexName;
  page.Append("\"></ol>\r\n</main>\r\n");
  AppendSearchScript(page);
  AppendFoot(page);
  WriteFile(kWebSearchPageName, page);
}

void WebEditionWriter::Finish(OutputFile& index) {
  FlushPending(true);
  if (pageOpen_) FinishPage(TextString(), TextString());
  WriteSearchFiles();

  TextString page;
  AppendHead(page, "Marlix", "contents");
  AppendSiteNav(page, false, true);
  page.Append("<main>\r\n<h1>Marlix</h1>\r\n");
  if (indexItems_.IsEmpty()) {
    page.Append("<p>No section could be read.</p>\r\n");
  } else {
    page.Append("<ul class=\"sections\">\r\n");
    page += indexItems_;
    page.Append("</ul>\r\n");
  }
  page.Append("<p class=\"credit\">Converted with <a href=\"");
  page += kAuthorHomePage;
  page.Append("\">Marlix to HTML</a> by Dorran Vell.</p>\r\n</main>\r\n");
  AppendSearchScript(page);
  AppendFoot(page);
  index.Write(page);
  tally_.Finish(index);
}

}  // namespace

void WriteWebEdition(const TextString& folder, const SourceFileList& sourceFiles,
                     const TopicCatalogue& catalogue, OutputFile& index, OutputTally& tally) {
  WebEditionWriter writer(folder, catalogue, tally);
  SourceScanner scanner;
  for (std::uint32_t fileIndex = 0; fileIndex < sourceFiles.Count(); ++fileIndex) {
    if (!tally.OpenSource(scanner, sourceFiles, fileIndex, catalogue.FirstTopicOf(fileIndex))) {
      continue;
    }
    writer.BeginFile(fileIndex, scanner.SectionTitle());
    while (scanner.Next()) writer.Take(scanner.Line());
    writer.EndFile();
    tally.EndSource(scanner, fileIndex);
  }
  writer.Finish(index);
}

}  // namespace marlix
