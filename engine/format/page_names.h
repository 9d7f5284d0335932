// The names of the files a conversion writes into its new folder, each in
// one place. Every name is a bare file name; the folder is the page sink's.
#pragma once

#include <cstdint>

#include "support/text_string.h"

namespace marlix {

// Every edition's pages.
inline constexpr char kIndexPageName[] = "Index.htm";
// The classic edition's help project files.
inline constexpr char kKeywordIndexName[] = "Index.hhk";
inline constexpr char kProjectFileName[] = "Marlix.hhp";
inline constexpr char kContentsFileName[] = "toc.hhc";
// What compiling the help project makes.
inline constexpr char kCompiledHelpName[] = "Marlix.chm";
// The web edition's files besides the pages.
inline constexpr char kStyleSheetName[] = "style.css";
inline constexpr char kSearchPageName[] = "search.htm";
inline constexpr char kSearchScriptName[] = "search.js";
inline constexpr char kSearchIndexName[] = "search-index.js";
// The contents beside the text: the sections and their pages, for every page.
inline constexpr char kContentsScriptName[] = "contents.js";

// The docset's folder, NAME with this added (unless NAME ends so), and what
// it holds: the icons and Contents, which holds Info.plist and Resources,
// which holds the index and Documents, the pages.
inline constexpr char kDocsetSuffix[] = ".docset";
inline constexpr char kDocsetIconName[] = "icon.png";
inline constexpr char kDocsetIcon2xName[] = "icon@2x.png";
inline constexpr char kDocsetContentsFolder[] = "Contents";
inline constexpr char kDocsetInfoPlistName[] = "Info.plist";
inline constexpr char kDocsetResourcesFolder[] = "Resources";
inline constexpr char kDocsetIndexFileName[] = "docSet.dsidx";
inline constexpr char kDocsetDocumentsFolder[] = "Documents";

// A topic's page: "B" + file index + "P" + topic number + ".htm"; empty
// when memory runs out (the loss counted).
TextString PageName(std::uint32_t fileIndex, std::uint32_t topicNumber);

// A source file's section page: "Topic" + file index + ".htm".
TextString SectionPageName(std::uint32_t fileIndex);

}  // namespace marlix
