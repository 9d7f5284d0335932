// The texts of a docset, the folder that offline documentation browsers
// read: its file names, its folder's name,
// its Info.plist, the names of its index rows and the anchors of its pages.
//
// Names go into the index and the anchors in UTF-8; the reference's names
// are code page 437 and are converted here.
#pragma once

#include <cstddef>

#include "support/text_string.h"

namespace marlix {

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

// The row types of the index: a topic name, and a source file's section.
inline constexpr char kDocsetEntryType[] = "Entry";
inline constexpr char kDocsetSectionType[] = "Section";
// The platform family: typed before a search to keep it to this docset.
inline constexpr char kDocsetKeyword[] = "marlix";
// The docset family whose pages' anchors the browser lists as the open
// page's table of contents.
inline constexpr char kDocsetTocFamily[] = "dashtoc";

// The docset's folder: name with ".docset" added, unless it ends so already.
TextString DocsetFolderName(const TextString& name);
// The name the browser shows: name without a ".docset" at its end.
TextString DocsetBundleName(const TextString& name);
// The docset's bundle identifier, which may hold only the ASCII letters and
// digits, "-" and ".": "marlix." and then name's letters and digits, each run
// of other bytes between them as one "-" (runs at either end dropped), or
// "docset" when name has none.
TextString DocsetBundleIdentifier(const TextString& name);

// Contents/Info.plist for the docset of the reference called name (as the
// pages show it): an XML property list with the bundle's identifier
// (DocsetBundleIdentifier) and name, the platform family kDocsetKeyword, the
// docset flag, the index page, and the family that has the browser list the
// open page's names (its anchors) as its table of contents. name is taken as
// UTF-8: characters XML has a meaning for are escaped, and bytes that are no
// UTF-8, or characters XML cannot hold (control characters), become U+FFFD
// (AppendXmlText), so that the file always parses.
TextString DocsetInfoPlist(const TextString& name);

// Whether a name is blank: empty, or blanks and tabs only. Blank names get
// no row in the index and no anchor.
bool IsBlankDocsetName(const char* bytes, std::size_t n);
// Appends a code page 437 name as UTF-8, each byte as its character (a tab
// as a blank), without any escaping: the form the index stores.
void AppendDocsetName(TextString& out, const char* bytes, std::size_t n);

// Appends bytes percent-encoded: letters, digits and "-._~" stay, every
// other byte becomes "%" and two upper-case hex digits.
void AppendPercentEncoded(TextString& out, const char* bytes, std::size_t n);
// Appends the name of the table-of-contents anchor of one topic name (UTF-8,
// as the index stores it): "//apple_ref/cpp/Entry/" and the name
// percent-encoded. The index row of the name carries it as its path's
// fragment, the browser's way to list the names of the page it is on.
void AppendDocsetAnchorName(TextString& out, const char* utf8Name, std::size_t n);
// Appends the anchor itself:
//   <a name="ANCHOR NAME" class="dashAnchor"></a>
void AppendDocsetAnchor(TextString& page, const char* utf8Name, std::size_t n);
// Appends to anchors the anchor of a code page 437 topic name and a line
// break, unless the name is blank or anchors holds its anchor already.
void AddDocsetAnchor(TextString& anchors, const char* name, std::size_t n);

}  // namespace marlix
