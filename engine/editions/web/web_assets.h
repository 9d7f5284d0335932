// The fixed files of the web edition, built into the program so that a
// conversion needs nothing installed beside it. Their text is in
// resources/web/; the build turns each into one of these arrays
// (cmake/EmbedFiles.cmake).
#pragma once

namespace marlix {

// The web edition's files besides the pages.
inline constexpr char kStyleSheetName[] = "style.css";
inline constexpr char kSearchPageName[] = "search.htm";
inline constexpr char kSearchScriptName[] = "search.js";
inline constexpr char kSearchIndexName[] = "search-index.js";
// The contents beside the text: the sections and their pages, for every page.
inline constexpr char kContentsScriptName[] = "contents.js";

// style.css: layout, light and dark colours, print.
extern const char kWebStyleSheet[];
// search.js: the search field of every page, and the search page's results
// from the search data (search-index.js).
extern const char kWebSearchScript[];
// contents.js after its data: the contents beside the text of every page.
extern const char kWebContentsScript[];

}  // namespace marlix
