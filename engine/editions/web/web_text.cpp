#include "engine/editions/web/web_text.h"

#include <cstdint>

#include "engine/format/code_page_437.h"
#include "engine/format/cross_references.h"
#include "engine/format/page_names.h"

namespace marlix {

void AppendWebText(TextString& out, const char* bytes, std::size_t n, std::uint32_t& column) {
  // Room for the longest result first (a tab at a tab stop is 8 bytes), so
  // that text the string cannot hold is refused whole and counted. Room past
  // what a size_t holds (from 2^29 bytes on in 32 bits) is asked as the
  // largest size, which the string refuses.
  constexpr std::size_t kMostBytes = SIZE_MAX / kWebTabWidth;
  if (n == 0 || out.AppendSpace(n <= kMostBytes ? n * kWebTabWidth : SIZE_MAX) == nullptr) return;
  // Runs of printable ASCII other than the HTML specials are copied whole;
  // every other byte is its character, escaped, or a tab's blanks.
  std::size_t i = 0;
  while (i < n) {
    const std::size_t run = i;
    while (i < n && bytes[i] >= 0x20 && bytes[i] < 0x7F && bytes[i] != '<' && bytes[i] != '>' &&
           bytes[i] != '&' && bytes[i] != '"') {
      ++i;
    }
    if (i > run) {
      out.AppendBytes(bytes + run, i - run);
      column += static_cast<std::uint32_t>(i - run);
    }
    if (i == n) break;
    const auto c = static_cast<unsigned char>(bytes[i++]);
    switch (c) {
      case '\t': {
        const std::uint32_t spaces = kWebTabWidth - column % kWebTabWidth;
        out.AppendBytes("        ", spaces);
        column += spaces;
        continue;
      }
      case '<':
        out.AppendBytes("&lt;", 4);
        break;
      case '>':
        out.AppendBytes("&gt;", 4);
        break;
      case '&':
        out.AppendBytes("&amp;", 5);
        break;
      case '"':
        out.AppendBytes("&quot;", 6);
        break;
      default:
        AppendCp437Utf8(out, c);  // nothing for a zero byte
        break;
    }
    ++column;
  }
}

TextString WebText(const TextString& text) {
  TextString out;
  std::uint32_t column = 0;
  AppendWebText(out, text.CStr(), text.Length(), column);
  return out;
}

TextString ShownReferenceName(const TextString& name) {
  for (std::uint32_t i = 0; i < name.Length(); ++i) {
    if (name[i] != ' ') return name;
  }
  return TextString("Marlix");
}

bool IsBlank(const TextString& text) {
  for (std::uint32_t i = 0; i < text.Length(); ++i) {
    if (text[i] != ' ') return false;
  }
  return true;
}

TextString ShownTitle(const char* bytes, std::uint32_t length, const TextString& fallback) {
  TextString title = WebText(TextString(bytes, WithoutLineEndResidue(bytes, length)));
  return IsBlank(title) ? fallback : title;
}

void WebLineText::BodyLine(LineKind kind, const char* text, std::uint32_t length) {
  if (kind == LineKind::IndentedLine) Text("\t", 1);
  ParseCrossReferences(text, length, *this);
}

void WebLineText::Text(const char* bytes, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n && !drawing_; ++i) drawing_ = IsBoxDrawingByte(bytes[i]);
  AppendWebText(html_, bytes, n, column_);
}

void WebLineText::Tilde() {
  html_.AppendChar('~');
  ++column_;
}

void WebLineText::Reference(const char* name, std::uint32_t n) {
  shown_.Empty();
  AppendWebText(shown_, name, n, column_);
  const std::int64_t entry = catalogue_.FindEntry(name, n);
  if (entry < 0) ++unresolved_;
  // A name of blanks shows as its blanks: an element with nothing to see
  // would only be a trap for the pointer.
  if (IsBlank(shown_)) {
    html_ += shown_;
  } else if (entry >= 0) {
    const TextString& page = *catalogue_.Entries().ValueRef(static_cast<std::uint32_t>(entry));
    html_.Append("<a href=\"");
    if (linkTarget_ != nullptr) {
      linkTarget_(html_, page);
    } else {
      html_ += page;
    }
    html_.Append("\">");
    html_ += shown_;
    html_.Append("</a>");
  } else {
    html_.Append("<b>");
    html_ += shown_;
    html_.Append("</b>");
  }
}

void AppendSectionList(TextString& page, const TopicCatalogue& catalogue,
                       WebLineText::LinkTarget linkTarget) {
  bool listed = false;
  for (std::uint32_t fileIndex = 0; fileIndex < catalogue.SectionCount(); ++fileIndex) {
    const CatalogueSection& section = catalogue.Section(fileIndex);
    if (!section.read) continue;
    if (!listed) page.Append("<ul class=\"sections\">\r\n");
    listed = true;
    std::uint32_t pages = 0;
    const std::uint32_t end = catalogue.FirstTopicOf(fileIndex + 1);
    for (std::uint32_t topic = section.firstTopic; topic < end; ++topic) {
      if (catalogue.OpensPage(topic)) ++pages;
    }
    page.Append("<li><a href=\"");
    if (linkTarget != nullptr) {
      linkTarget(page, SectionPageName(fileIndex));
    } else {
      page += SectionPageName(fileIndex);
    }
    page.Append("\">");
    page += ShownSectionTitle(catalogue, fileIndex);
    page.Append("</a> <span class=\"count\">");
    TextString number;
    page += number.AssignNumber(pages);
    page += pages == 1 ? " topic" : " topics";
    page.Append("</span></li>\r\n");
  }
  page.Append(listed ? "</ul>\r\n" : "<p>No section could be read.</p>\r\n");
}

void AppendSectionTopics(TextString& items, const TopicCatalogue& catalogue,
                         std::uint32_t fileIndex, WebLineText::LinkTarget linkTarget,
                         SectionPages* pages) {
  bool itemOpen = false;
  const PairList& entries = catalogue.Entries();
  const std::uint32_t end = catalogue.FirstTopicOf(fileIndex + 1);
  for (std::uint32_t topic = catalogue.FirstTopicOf(fileIndex); topic < end; ++topic) {
    std::uint32_t first;
    std::uint32_t entriesEnd;
    catalogue.TopicEntries(topic, first, entriesEnd);
    for (std::uint32_t entry = first; entry < entriesEnd; ++entry) {
      TextString shown = WebText(*entries.KeyRef(entry));
      if (entry == first && catalogue.OpensPage(topic)) {
        if (IsBlank(shown)) shown = kUnnamedTopic;
        if (itemOpen) items.Append("</li>\r\n");
        const TextString& page = *entries.ValueRef(entry);
        if (pages != nullptr) pages->Page(page, shown);
        items.Append("<li><a href=\"");
        if (linkTarget != nullptr) {
          linkTarget(items, page);
        } else {
          items += page;
        }
        items.Append("\">");
        items += shown;
        items.Append("</a>");
        itemOpen = true;
      } else if (itemOpen && !IsBlank(shown)) {
        items.Append(" <span class=\"aka\">\xC2\xB7 ");
        items += shown;
        items.Append("</span>");
      }
    }
  }
  if (itemOpen) items.Append("</li>\r\n");
}

TextString ShownSectionTitle(const TopicCatalogue& catalogue, std::uint32_t fileIndex) {
  const TextString& title = catalogue.Section(fileIndex).title;
  return ShownTitle(title.CStr(), title.Length(), kUntitledSection);
}

void AppendSectionBody(TextString& page, const TextString& title, const TextString& items) {
  page.Append("<h1>");
  page += title;
  page.Append("</h1>\r\n");
  if (items.IsEmpty()) {
    page.Append("<p>This section has no topics.</p>\r\n");
  } else {
    page.Append("<ol class=\"topics\">\r\n");
    page += items;
    page.Append("</ol>\r\n");
  }
}

}  // namespace marlix
