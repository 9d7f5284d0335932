// Short, plain reasons for the errno values a conversion reports, worded for
// what was being done with the path.
#pragma once

namespace marlix {

enum class PathUse {
  NewFolder,     // the destination folder being made
  ListedFolder,  // the source folder being listed
  File,          // a file being opened, created or written
};

// A phrase that completes "PATH: ...", such as "exists already" or
// "parent folder does not exist". Never empty.
const char* ErrorReason(int error, PathUse use);

}  // namespace marlix
