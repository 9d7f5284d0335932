// The web edition of the reference: the same page names as the classic pages
// (Index.htm, Topic<i>.htm, B<i>P<n>.htm), so that links into the reference
// stay valid between the two, written as UTF-8 HTML of today with one style
// sheet (style.css) and a search page (search.htm, search.js and its index
// search-index.js) that works from the file system without a server.
//
// The source grammar is read by the engine's one reader (SourceScanner), the
// format column by ClassifyLine and the "~" markup by ParseCrossReferences;
// this file only decides how their results look in a browser.
#pragma once

#include "engine/source_discovery.h"
#include "engine/topic_catalogue.h"
#include "support/output_file.h"
#include "support/text_string.h"

namespace marlix {

class OutputTally;

// The fixed files of the web edition besides the pages.
extern const char kWebStyleSheetName[];    // "style.css"
extern const char kWebSearchPageName[];    // "search.htm"
extern const char kWebSearchScriptName[];  // "search.js"
extern const char kWebSearchIndexName[];   // "search-index.js"

// Writes every file of the web edition into folder. index is Index.htm,
// created (empty) by the caller before the catalogue was built, so that a
// folder where it cannot be made ends the run early; it is filled and closed
// last, once every section's topics have been counted.
void WriteWebEdition(const TextString& folder, const SourceFileList& sourceFiles,
                     const TopicCatalogue& catalogue, OutputFile& index, OutputTally& tally);

}  // namespace marlix
