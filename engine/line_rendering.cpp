#include "engine/line_rendering.h"

#include "engine/entity_table.h"

namespace marlix {

LineKind ClassifyLine(const TextString& line) {
  if (line.IsEmpty()) return LineKind::PlainLine;
  switch (line[0]) {
    case '\t':
      return LineKind::IndentedLine;
    case '^':
      return LineKind::CentredHeading;
    case '%':
      return LineKind::BoldHeading;
    default:
      return LineKind::PlainLine;
  }
}

void LineRenderer::CloseLink(const TopicCatalogue& catalogue) {
  std::int64_t entry = catalogue.FindEntry(linkText_.CStr(), linkText_.Length());
  if (entry >= 0) {
    content_ += "<A HREF=\"";
    content_ += *catalogue.Entries().ValueRef(static_cast<std::uint32_t>(entry));
    content_ += "\">";
    content_ += linkText_;
    content_ += "</A>";
  } else {
    content_ += "<B>";
    content_ += linkText_;
    content_ += "</B>";
  }
}

// A "~" that no later "~" closes is text, not markup: the rest of the line
// from it is written as ordinary text, a "~~" pair as one "~".
void LineRenderer::KeepUnclosedLink(const TextString& line, std::uint32_t tilde) {
  content_.AppendChar('~');
  for (std::uint32_t i = tilde + 1; i < line.Length(); ++i) {
    if (line[i] == '~') {
      content_.AppendChar('~');
      ++i;  // the second "~" of the pair
    } else {
      AppendHtmlChar(content_, line[i]);
    }
  }
}

void LineRenderer::Render(OutputFile& page, const TopicCatalogue& catalogue,
                          const TextString& line) {
  if (line.Length() < 2) {
    page.WriteLine("<BR>");
    return;
  }
  content_.Empty();
  linkText_.Empty();
  bool linkOpen = false;
  std::uint32_t openTilde = 0;      // index of the "~" that opened the link
  std::uint32_t contentAtOpen = 0;  // content length when it opened
  const std::uint32_t length = line.Length();
  // Index 0 is the format column, never copied.
  for (std::uint32_t i = 1; i < length; ++i) {
    char c = line[i];
    if (c != '~') {
      if (linkOpen) {
        linkText_.AppendChar(c);
      } else {
        AppendHtmlChar(content_, c);
      }
    } else if (i + 1 < length && line[i + 1] == '~') {
      content_.AppendChar('~');
      ++i;
    } else if (!linkOpen) {
      linkOpen = true;
      openTilde = i;
      contentAtOpen = content_.Length();
      linkText_.Empty();
    } else {
      CloseLink(catalogue);
      linkOpen = false;
    }
  }
  if (linkOpen) {
    // Drop what the open link put into content ("~~" pairs) and write its
    // whole tail again as text, in order.
    TextString kept = content_.Left(contentAtOpen);
    content_ = kept;
    KeepUnclosedLink(line, openTilde);
  }

  switch (ClassifyLine(line)) {
    case LineKind::PlainLine:
      page.WriteLine(content_);
      page.Write("<br>");
      break;
    case LineKind::IndentedLine:
      page.WriteLine("&nbsp;&nbsp;&nbsp;&nbsp;");
      page.Write(content_);
      page.Write("<BR>");
      break;
    case LineKind::CentredHeading:
      page.WriteLine("<p align=\"center\" style=\"background-color: #F3F3F3\">");
      page.Write("<font face=\"Book Antiqua\" size=\"3\"><b>");
      page.Write(content_);
      page.Write("</b></font></p>");
      break;
    case LineKind::BoldHeading:
      page.WriteLine("<b><font face=\"Book Antiqua\" size=\"3\">");
      page.Write(content_);
      page.Write("</font></b><br>");
      break;
  }
}

void RenderLine(OutputFile& page, const TopicCatalogue& catalogue, const TextString& line) {
  LineRenderer renderer;
  renderer.Render(page, catalogue, line);
}

}  // namespace marlix
