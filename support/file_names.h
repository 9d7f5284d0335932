// Names of files and folders, the same on every platform: joining a folder
// and a name, matching a wildcard pattern, and the order of a folder listing.
// The platform layer only hands out raw entry names; which of them match and
// in which order the conversion sees them is decided here. On Windows the
// order is the one the folder search returns, as the program has always
// numbered its files there; elsewhere readdir's order means nothing, so the
// names are sorted.
#pragma once

#include "support/indexed_lists.h"
#include "support/platform/file_system.h"
#include "support/text_string.h"

namespace marlix {

// The separator JoinPath puts between a folder and a name on this platform.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// folder + one separator unless folder already ends in one + name. The name
// goes in unchanged; an empty folder gives the separator and the name.
TextString JoinPath(const TextString& folder, const TextString& name);

// Whether name ends in suffix with something before it (the suffix alone
// is a name of its own).
bool EndsInSuffix(const TextString& name, const char* suffix);
// name with suffix added, unless it ends so already; empty when the copy
// could not be made in full.
TextString WithSuffix(const TextString& name, const char* suffix);

// Whether name is one entry name of a folder, so that joined to a folder it
// names an entry of that folder and nothing else: not empty, not "." or
// "..", and without a separator (on Windows neither "\\" nor "/").
bool IsOneName(const TextString& name);

// Wildcard match with * (any run of bytes) and ? (any one byte); ASCII
// letters match without regard to case, so "*.txt" takes A.TXT and b.Txt.
bool MatchesPattern(const char* name, const char* pattern);

// Listing order: bytes compared with a to z upper-cased, ties broken by the
// raw bytes. Negative, zero or positive as a sorts before, with or after b.
int CompareListingOrder(const char* a, const char* b);

// Appends to list (not cleared first) the bare names of the regular files of
// folder that match pattern, in listing order (on Windows, the search's own
// order). False when the folder could not be listed to its end: the names
// that came back before the failure are still appended.
bool ListFiles(const TextString& folder, const char* pattern, StringList& list);
// The same for a folder held open, read through its handle.
bool ListFiles(platform::FolderHandle folder, const char* pattern, StringList& list);

}  // namespace marlix
