// The fixed files of the web edition, built into the program so that a
// conversion needs nothing installed beside it.
#pragma once

namespace marlix {

// style.css: layout, light and dark colours, print.
extern const char kWebStyleSheet[];
// search.js: the search page's filter over search-index.js.
extern const char kWebSearchScript[];

}  // namespace marlix
