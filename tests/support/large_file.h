// Files larger than 4 GB for the tests, made without writing 4 GB: the head
// bytes are written and the file is then extended to its size, which leaves
// a hole of zero bytes where the file system keeps files sparse.
#pragma once

#include <cstdint>
#include <string>

namespace marlix::testing {

// Makes the new file path holding head, then zero bytes up to size. Returns
// an empty string, or why the file could not be made (the test then skips).
std::string MakeLargeFile(const std::string& path, const std::string& head, std::int64_t size);

}  // namespace marlix::testing
