// The names and fixed texts of a docset, the folder that offline
// documentation browsers read:
//
//   NAME.docset/
//     icon.png, icon@2x.png          the program's icon, 16 and 32 pixels
//     Contents/Info.plist            what the browser shows and searches by
//     Contents/Resources/docSet.dsidx        the search index (DocsetIndex)
//     Contents/Resources/Documents/  the pages
//
// Names go into the index and the anchors in UTF-8; the reference's names
// are code page 437 and are converted here.
#pragma once

#include <cstddef>

#include "support/text_string.h"

namespace marlix {

extern const char kDocsetSuffix[];           // ".docset"
extern const char kDocsetContentsFolder[];   // "Contents", in the docset's folder
extern const char kDocsetResourcesFolder[];  // "Resources", in Contents
extern const char kDocsetDocumentsFolder[];  // "Documents", in Resources
extern const char kDocsetInfoPlistName[];    // "Info.plist", in Contents
extern const char kDocsetIndexFileName[];    // "docSet.dsidx", in Resources
extern const char kDocsetIconName[];         // "icon.png", in the docset's folder
extern const char kDocsetIcon2xName[];       // "icon@2x.png", in the docset's folder
extern const char kDocsetKeyword[];          // "marlix": typed to search this docset alone
extern const char kDocsetIndexPage[];        // "Index.htm", the page the docset opens at

// The docset's folder: name with ".docset" added, unless it ends so already.
TextString DocsetFolderName(const TextString& name);
// The name the browser shows: name without a ".docset" at its end.
TextString DocsetBundleName(const TextString& name);

// Contents/Info.plist for the docset made from name (as DocsetBundleName
// gives it): an XML property list with the bundle's identifier and name,
// the platform family kDocsetKeyword, the docset flag and the index page.
// name is taken as UTF-8: characters XML has a meaning for are escaped, and
// bytes that are no UTF-8, or characters XML cannot hold (control
// characters), become U+FFFD, so that the file always parses.
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
// Appends the table-of-contents anchor of one topic name (UTF-8, as the
// index stores it), which a browser lists for the page it is on:
//   <a name="//apple_ref/cpp/Entry/NAME" class="dashAnchor"></a>
// with NAME percent-encoded.
void AppendDocsetAnchor(TextString& page, const char* utf8Name, std::size_t n);

}  // namespace marlix
