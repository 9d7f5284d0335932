#include "engine/editions/epub/epub_edition.h"

#include <cstring>

#include "engine/editions/epub/epub_assets.h"
#include "engine/format/page_names.h"
#include "engine/editions/web/web_text.h"
#include "engine/format/cross_references.h"
#include "engine/output/xml_text.h"

namespace marlix {
namespace {

// The entries of the book, each name once.
constexpr char kMimetypeName[] = "mimetype";
constexpr char kMimetype[] = "application/epub+zip";
constexpr char kContainerName[] = "META-INF/container.xml";
constexpr char kFolder[] = "EPUB/";  // every entry below holds it
constexpr char kPackageName[] = "package.opf";
constexpr char kNavName[] = "nav.xhtml";
constexpr char kStyleName[] = "style.css";
constexpr char kFontName[] = "fonts/DejaVuSansMono-cp437.ttf";
constexpr char kLicenceName[] = "font-licence.xhtml";

// The content document of a page of the catalogue: its name with ".htm"
// turned into ".xhtml", the ending readers expect of XHTML.
void AppendDocumentName(TextString& out, const TextString& page) {
  const std::uint32_t length = page.Length();
  if (length > 4 && std::memcmp(page.CStr() + length - 4, ".htm", 4) == 0) {
    out.AppendBytes(page.CStr(), length - 4);
    out.Append(".xhtml");
  } else {
    out += page;
  }
}

// Its manifest id: the name without its ending, which is a valid XML name
// for every page of the catalogue (Index, Topic<i>, B<i>P<n>).
void AppendDocumentId(TextString& out, const TextString& page) {
  const char* dot = std::strrchr(page.CStr(), '.');
  out.AppendBytes(page.CStr(), dot != nullptr ? static_cast<std::size_t>(dot - page.CStr())
                                              : page.Length());
}

void AppendLink(TextString& out, const TextString& page, const TextString& label,
                const char* before = "") {
  out.Append("<a href=\"");
  AppendDocumentName(out, page);
  out.Append("\">");
  out.Append(before);
  out += label;
  out.Append("</a>");
}

}  // namespace

EpubEdition::EpubEdition(const TopicCatalogue& catalogue, const EpubBook& book)
    : Edition(catalogue), book_(book), hash_(kBookNamespace) {
  AppendXmlText(shownTitle_, ShownReferenceName(book.title));
  hash_.Add(book.title.CStr(), book.title.Length() + 1);  // its zero byte ends it
}

void EpubEdition::WriteDocument(const TextString& pageName, PageSink& sink) {
  entry_ = kFolder;
  AppendDocumentName(entry_, pageName);
  sink.Write(entry_.CStr(), page_);
}

void EpubEdition::AppendHead(const TextString& title) {
  page_.Empty();
  page_.Append(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!DOCTYPE html>\r\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
      "lang=\"");
  page_ += book_.language;
  page_.Append("\" xml:lang=\"");
  page_ += book_.language;
  page_.Append("\">\r\n<head>\r\n<meta charset=\"utf-8\"/>\r\n<title>");
  page_ += title;
  page_.Append("</title>\r\n<link rel=\"stylesheet\" type=\"text/css\" href=\"");
  page_.Append(kStyleName);
  page_.Append("\"/>\r\n</head>\r\n<body>\r\n");
}

bool EpubEdition::Prepare(PageSink& sink) {
  if (!sink.InArchive()) return false;
  sink.SetArchiveTime(book_.time);
  sink.WriteStored(kMimetypeName, kMimetype, sizeof kMimetype - 1);
  entry_ = kFolder;
  entry_.Append(kPackageName);
  sink.Write(kContainerName, EpubContainer(entry_.CStr()));
  return true;
}

void EpubEdition::WriteIndexPage(PageSink& sink) {
  // The navigation document: the contents page, then every section with its
  // topic pages, as the contents and the section pages list them.
  TextString toc;
  TextString firstSection;
  TextString label;
  const PairList& entries = catalogue_.Entries();
  for (std::uint32_t fileIndex = 0; fileIndex < catalogue_.SectionCount(); ++fileIndex) {
    const CatalogueSection& section = catalogue_.Section(fileIndex);
    if (!section.read) continue;
    const TextString sectionPage = SectionPageName(fileIndex);
    if (firstSection.IsEmpty()) firstSection = sectionPage;
    toc.Append("<li>");
    AppendLink(toc, sectionPage, ShownSectionTitle(catalogue_, fileIndex));
    bool listed = false;
    const std::uint32_t end = catalogue_.FirstTopicOf(fileIndex + 1);
    for (std::uint32_t topic = section.firstTopic; topic < end; ++topic) {
      if (!catalogue_.OpensPage(topic)) continue;
      std::uint32_t first;
      std::uint32_t entriesEnd;
      catalogue_.TopicEntries(topic, first, entriesEnd);
      if (first >= entriesEnd) continue;
      label = WebText(*entries.KeyRef(first));
      if (IsBlank(label)) label = kUnnamedTopic;
      toc.Append(listed ? "</li>\r\n<li>" : "\r\n<ol>\r\n<li>");
      listed = true;
      AppendLink(toc, PageName(fileIndex, topic), label);
    }
    toc.Append(listed ? "</li>\r\n</ol>\r\n</li>\r\n" : "</li>\r\n");
  }
  AppendHead("Contents");
  page_.Append("<nav epub:type=\"toc\" role=\"doc-toc\" id=\"toc\" aria-labelledby=\"toc-title\">"
               "\r\n<h1 id=\"toc-title\">Contents</h1>\r\n<ol>\r\n<li>");
  AppendLink(page_, kIndexPageName, shownTitle_);
  page_.Append("</li>\r\n");
  page_ += toc;
  page_.Append("</ol>\r\n</nav>\r\n<nav epub:type=\"landmarks\" id=\"landmarks\" hidden=\"hidden\" "
               "aria-labelledby=\"landmarks-title\">\r\n<h2 id=\"landmarks-title\">Landmarks</h2>"
               "\r\n<ol>\r\n<li><a epub:type=\"toc\" href=\"");
  AppendDocumentName(page_, kIndexPageName);
  page_.Append("\">Contents</a></li>\r\n");
  if (!firstSection.IsEmpty()) {
    page_.Append("<li><a epub:type=\"bodymatter\" href=\"");
    AppendDocumentName(page_, firstSection);
    page_.Append("\">First section</a></li>\r\n");
  }
  page_.Append("</ol>\r\n</nav>\r\n</body>\r\n</html>");
  entry_ = kFolder;
  entry_.Append(kNavName);
  sink.Write(entry_.CStr(), page_);

  // The contents page, as the web edition has it.
  AppendHead(shownTitle_);
  page_.Append("<main>\r\n<h1>");
  page_ += shownTitle_;
  page_.Append("</h1>\r\n");
  AppendSectionList(page_, catalogue_, AppendDocumentName);
  page_.Append("<p class=\"credit\">Converted with Marlix to HTML by Dorran Vell. The lines are "
               "shown in a monospaced font made from DejaVu Sans Mono (<a href=\"");
  page_.Append(kLicenceName);
  page_.Append("\">its licence</a>).</p>\r\n</main>\r\n</body>\r\n</html>");
  WriteDocument(kIndexPageName, sink);
}

void EpubEdition::WriteSectionPage(std::uint32_t fileIndex, PageSink& sink) {
  const TextString title = ShownSectionTitle(catalogue_, fileIndex);
  TextString items;
  AppendSectionTopics(items, catalogue_, fileIndex, AppendDocumentName);

  AppendHead(title);
  page_.Append("<nav aria-label=\"Section\">\r\n<ul>\r\n<li>");
  AppendLink(page_, kIndexPageName, "Contents");
  page_.Append("</li>\r\n</ul>\r\n</nav>\r\n<main>\r\n");
  AppendSectionBody(page_, title, items);
  page_.Append("</main>\r\n</body>\r\n</html>");
  WriteDocument(SectionPageName(fileIndex), sink);
}

void EpubEdition::BeginTopicFile(std::uint32_t fileIndex) {
  fileIndex_ = fileIndex;
  sectionTitle_ = ShownSectionTitle(catalogue_, fileIndex);
  const TextString& title = catalogue_.Section(fileIndex).title;
  hash_.Add(title.CStr(), title.Length() + 1);
}

std::uint32_t EpubEdition::TopicLine(const SourceLine& line, PageSink& sink) {
  hash_.Add(line.bytes, line.length);
  hash_.Add("\n", 1);
  if (line.topic) TopicLineNames(line, sink);
  return line.opensPage ? 0 : BodyLine(line);
}

void EpubEdition::TopicLineNames(const SourceLine& line, PageSink& sink) {
  if (!line.opensPage) {
    // The title line of the topic line before: the catalogue names a page
    // for its names, which leads on to the page that holds it.
    if (pageOpen_) WriteForwardPage(line.topicNumber, sink);
    return;
  }
  if (pageOpen_) FinishPage(sink);
  // The first name labels the page.
  bool first = true;
  marlix::TopicNames(line.bytes, line.length, [&](const char* name, std::size_t length) {
    if (first) pageLabel_ = WebText(TextString(name, length));
    first = false;
  });
  if (IsBlank(pageLabel_)) pageLabel_ = kUnnamedTopic;
  pageOpen_ = true;
  pageName_ = PageName(fileIndex_, line.topicNumber);
  pageTitle_.Empty();
  heading_.Empty();
  body_.Empty();
  inDrawing_ = false;
  centredSeen_ = false;
}

void EpubEdition::WriteForwardPage(std::uint32_t topicNumber, PageSink& sink) {
  AppendHead(pageLabel_);
  page_.Append("<main>\r\n<p>This topic is part of ");
  AppendLink(page_, pageName_, pageLabel_);
  page_.Append(".</p>\r\n</main>\r\n</body>\r\n</html>");
  WriteDocument(PageName(fileIndex_, topicNumber), sink);
}

std::uint32_t EpubEdition::BodyLine(const SourceLine& line) {
  if (!pageOpen_) return 0;
  if (line.title) pageTitle_ = ShownTitle(line.text, line.textLength, pageLabel_);
  if (line.absent) return 0;
  std::uint32_t length;
  if (!TextWithoutEndOfFileMark(line, length)) return 0;
  length = WithoutLineEndResidue(line.text, length);
  if (line.title) {
    heading_.Empty();
    if (length == 0) return 0;
    WebLineText visitor(heading_, reference_, catalogue_, AppendDocumentName);
    ParseCrossReferences(line.text, length, visitor);
    return visitor.Unresolved();
  }

  line_.Empty();
  bool drawing = false;
  std::uint32_t unresolved = 0;
  LineKind kind = length > 0 ? line.kind : LineKind::PlainLine;
  if (length > 0) {
    WebLineText visitor(line_, reference_, catalogue_, AppendDocumentName);
    visitor.BodyLine(kind, line.text, length);
    drawing = visitor.Drawing();
    unresolved = visitor.Unresolved();
  }
  // The lines follow one another without anything between them: the text
  // keeps its blanks (white-space: pre), where a line break between two
  // lines would show as an empty line.
  if (drawing != inDrawing_) {
    body_.Append(drawing ? "<div class=\"table\">" : "</div>");
    inDrawing_ = drawing;
  }
  // A heading with nothing to read is no heading: a line that takes its
  // height.
  if (IsBlank(line_)) {
    line_ = "<br/>";
    kind = LineKind::PlainLine;
  }
  switch (kind) {
    case LineKind::PlainLine:
    case LineKind::IndentedLine:  // its format column is a tab in its text
      body_.Append("<div>");
      body_ += line_;
      body_.Append("</div>");
      break;
    case LineKind::CentredHeading:
      centredSeen_ = true;
      body_.Append("<h2 class=\"c\">");
      body_ += line_;
      body_.Append("</h2>");
      break;
    case LineKind::BoldHeading:
      // Headings in order: a bold heading under a centred one is one level
      // below it, else the first level below the page's own.
      body_.Append(centredSeen_ ? "<h3 class=\"b\">" : "<h2 class=\"b\">");
      body_ += line_;
      body_.Append(centredSeen_ ? "</h3>" : "</h2>");
      break;
  }
  return unresolved;
}

void EpubEdition::FinishPage(PageSink& sink) {
  if (inDrawing_) body_.Append("</div>");
  inDrawing_ = false;
  if (body_.IsEmpty()) body_ = "<div><br/></div>";
  AppendHead(pageTitle_.IsEmpty() ? pageLabel_ : pageTitle_);
  page_.Append("<nav aria-label=\"Topic\">\r\n<ul>\r\n<li>");
  AppendLink(page_, kIndexPageName, "Contents");
  page_.Append("</li>\r\n<li>");
  AppendLink(page_, SectionPageName(fileIndex_), sectionTitle_, "\xE2\x86\x91 ");
  page_.Append("</li>\r\n</ul>\r\n</nav>\r\n<main>\r\n<h1>");
  page_ += IsBlank(heading_) ? pageLabel_ : heading_;
  page_.Append("</h1>\r\n<div class=\"text\">");
  page_ += body_;
  page_.Append("</div>\r\n</main>\r\n</body>\r\n</html>");
  WriteDocument(pageName_, sink);
  pageOpen_ = false;
}

void EpubEdition::EndTopicPages(PageSink& sink) {
  if (pageOpen_) FinishPage(sink);
}

void EpubEdition::WriteClosingFiles(PageSink& sink) {
  entry_ = kFolder;
  entry_.Append(kStyleName);
  sink.Write(entry_.CStr(), kEpubStyleSheet, std::strlen(kEpubStyleSheet));
  entry_ = kFolder;
  entry_.Append(kFontName);
  sink.Write(entry_.CStr(), kEpubFont, kEpubFontSize);
  AppendHead("Font licence");
  page_.Append("<main>\r\n<h1>Font licence</h1>\r\n<p>The lines of this book are shown in a "
               "subset of DejaVu Sans Mono, embedded in the book under its licence:</p>\r\n"
               "<pre class=\"licence\">");
  page_.Append(kEpubFontLicence);
  page_.Append("</pre>\r\n</main>\r\n</body>\r\n</html>");
  entry_ = kFolder;
  entry_.Append(kLicenceName);
  sink.Write(entry_.CStr(), page_);
  WritePackage(sink);
  sink.LeaveArchive();
}

void EpubEdition::WritePackage(PageSink& sink) {
  TextString manifest;
  TextString spine;
  auto addDocument = [&](const TextString& page, bool linear) {
    manifest.Append("<item id=\"");
    AppendDocumentId(manifest, page);
    manifest.Append("\" href=\"");
    AppendDocumentName(manifest, page);
    manifest.Append("\" media-type=\"application/xhtml+xml\"/>\r\n");
    spine.Append("<itemref idref=\"");
    AppendDocumentId(spine, page);
    spine.Append(linear ? "\"/>\r\n" : "\" linear=\"no\"/>\r\n");
  };
  // Reading order: the contents, then each section page and its topics.
  addDocument(kIndexPageName, true);
  for (std::uint32_t fileIndex = 0; fileIndex < catalogue_.SectionCount(); ++fileIndex) {
    const CatalogueSection& section = catalogue_.Section(fileIndex);
    if (!section.read) continue;
    addDocument(SectionPageName(fileIndex), true);
    const std::uint32_t end = catalogue_.FirstTopicOf(fileIndex + 1);
    for (std::uint32_t topic = section.firstTopic; topic < end; ++topic) {
      addDocument(PageName(fileIndex, topic), catalogue_.OpensPage(topic));
    }
  }
  addDocument(kLicenceName, false);

  page_.Empty();
  page_.Append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
               "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
               "unique-identifier=\"id\" xml:lang=\"");
  page_ += book_.language;
  page_.Append("\">\r\n<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\r\n"
               "<dc:identifier id=\"id\">");
  page_ += hash_.Uuid();
  page_.Append("</dc:identifier>\r\n<dc:title>");
  page_ += shownTitle_;
  page_.Append("</dc:title>\r\n<dc:language>");
  page_ += book_.language;
  page_.Append("</dc:language>\r\n<meta property=\"dcterms:modified\">");
  page_ += PackageTime(ArchiveInstant(book_.time));
  page_.Append(
      "</meta>\r\n"
      "<meta property=\"schema:accessMode\">textual</meta>\r\n"
      "<meta property=\"schema:accessMode\">visual</meta>\r\n"
      "<meta property=\"schema:accessModeSufficient\">textual</meta>\r\n"
      "<meta property=\"schema:accessibilityFeature\">structuralNavigation</meta>\r\n"
      "<meta property=\"schema:accessibilityFeature\">tableOfContents</meta>\r\n"
      "<meta property=\"schema:accessibilityFeature\">readingOrder</meta>\r\n"
      "<meta property=\"schema:accessibilityHazard\">none</meta>\r\n"
      "<meta property=\"schema:accessibilitySummary\">A programming reference: a table of "
      "contents lists every section and topic, each topic is one page with its title as its "
      "heading, and cross-references are links. The text keeps the columns of its source in a "
      "monospaced font embedded in the book; tables and diagrams are drawn with box-drawing "
      "characters, which screen readers may read out as symbols.</meta>\r\n"
      "</metadata>\r\n<manifest>\r\n<item id=\"nav\" href=\"");
  page_.Append(kNavName);
  page_.Append("\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>\r\n<item id=\"css\" "
               "href=\"");
  page_.Append(kStyleName);
  page_.Append("\" media-type=\"text/css\"/>\r\n<item id=\"font\" href=\"");
  page_.Append(kFontName);
  page_.Append("\" media-type=\"font/ttf\"/>\r\n");
  page_ += manifest;
  page_.Append("</manifest>\r\n<spine>\r\n");
  page_ += spine;
  page_.Append("</spine>\r\n</package>");
  entry_ = kFolder;
  entry_.Append(kPackageName);
  sink.Write(entry_.CStr(), page_);
}

}  // namespace marlix
