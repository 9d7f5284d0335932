// Which files of the source folder are reference text files, and in which
// order the conversion treats them. A file's position in the list (its file
// index) numbers it in every output name.
#pragma once

#include "engine/diagnostics.h"
#include "support/file_names.h"
#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {

// Full paths of the valid source files, in listing order.
using SourceFileList = StringList;

// Fills sourceFiles with every "*.txt" file of the folder whose first byte is
// "@". A candidate that could not be opened (for another reason than being
// gone or not a regular file) or whose first byte could not be read is left
// out and counted in *unreadable, when given. False when the folder's
// listing failed (the names that came back before the failure are still
// examined). A listener, if given, hears of a failed listing and of every
// "*.txt" file left out, with the reason.
bool DiscoverSourceFiles(const TextString& sourceFolderPath, SourceFileList& sourceFiles,
                         unsigned* unreadable = nullptr, Diagnostics* diagnostics = nullptr);

}  // namespace marlix
