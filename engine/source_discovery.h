// Which files of the source folder are reference text files, and in which
// order the conversion treats them. A file's position in the list (its file
// index) numbers it in every output name.
#pragma once

#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {

// Full paths of the valid source files, in listing order.
using SourceFileList = StringList;

// Appends the bare names of the regular files of folder that match pattern,
// in the platform's listing order. A folder that cannot be listed adds nothing.
void ListFiles(const TextString& folder, const char* pattern, StringList& list);

// Fills sourceFiles with every "*.txt" file of the folder whose first byte is "@".
void DiscoverSourceFiles(const TextString& sourceFolderPath, SourceFileList& sourceFiles);

}  // namespace marlix
