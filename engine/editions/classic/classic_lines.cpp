#include "engine/editions/classic/classic_lines.h"

#include "engine/editions/classic/classic_entities.h"

namespace marlix {
namespace {

// Builds the content of a line from its markup.
class HtmlContent {
 public:
  HtmlContent(TextString& html, const TopicCatalogue& catalogue)
      : html_(html), catalogue_(catalogue) {}

  void Text(const char* bytes, std::uint32_t n) { AppendHtmlText(html_, bytes, n); }
  void Tilde() { html_.AppendChar('~'); }
  // References so far that named no topic.
  std::uint32_t Unresolved() const { return unresolved_; }
  void Reference(const char* name, std::uint32_t n) {
    std::int64_t entry = catalogue_.FindEntry(name, n);
    if (entry >= 0) {
      const TextString& page = *catalogue_.Entries().ValueRef(static_cast<std::uint32_t>(entry));
      html_.Append("<A HREF=\"");
      html_ += page;
      html_.Append("\">");
      html_.AppendBytes(name, n);
      html_.Append("</A>");
    } else {
      ++unresolved_;
      html_.Append("<B>");
      html_.AppendBytes(name, n);
      html_.Append("</B>");
    }
  }

 private:
  TextString& html_;
  const TopicCatalogue& catalogue_;
  std::uint32_t unresolved_ = 0;
};

}  // namespace

std::uint32_t RenderLine(TextString& html, const TopicCatalogue& catalogue, LineKind kind,
                         const char* text, std::uint32_t textLength) {
  // A line of its format column alone, or none, is a bare break.
  if (textLength == 0) {
    html.Append("<BR>");
    return 0;
  }
  switch (kind) {
    case LineKind::PlainLine:
      break;
    case LineKind::IndentedLine:
      html.Append("&nbsp;&nbsp;&nbsp;&nbsp;");
      break;
    case LineKind::CentredHeading:
      html.Append(
          "<p align=\"center\" style=\"background-color: #F3F3F3\">"
          "<font face=\"Book Antiqua\" size=\"3\"><b>");
      break;
    case LineKind::BoldHeading:
      html.Append("<b><font face=\"Book Antiqua\" size=\"3\">");
      break;
  }
  HtmlContent content(html, catalogue);
  ParseCrossReferences(text, textLength, content);
  switch (kind) {
    case LineKind::PlainLine:
      html.Append("<br>");
      break;
    case LineKind::IndentedLine:
      html.Append("<BR>");
      break;
    case LineKind::CentredHeading:
      html.Append("</b></font></p>");
      break;
    case LineKind::BoldHeading:
      html.Append("</font></b><br>");
      break;
  }
  return content.Unresolved();
}

std::uint32_t RenderLine(TextString& html, const TopicCatalogue& catalogue,
                         const TextString& line) {
  const std::uint32_t length = line.Length();
  return RenderLine(html, catalogue, ClassifyLine(line.CStr(), length),
                    length > 1 ? line.CStr() + 1 : "", length > 1 ? length - 1 : 0);
}

}  // namespace marlix
