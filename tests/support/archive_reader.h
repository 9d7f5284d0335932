// Reads a ZIP archive for the tests, from the format's layout: through its
// end record and central directory, each local header checked against its
// directory entry, each entry inflated (raw deflate) and its CRC-32 checked.
// Faults are reported as test failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marlix::testing {

struct ArchiveEntry {
  std::string name;
  unsigned method = 0;  // 0 stored, 8 deflated
  std::uint32_t crc = 0;
  unsigned time = 0;  // DOS time and date
  unsigned date = 0;
  unsigned extra = 0;  // the local header's extra field length
  std::size_t dataOffset = 0;
  std::string bytes;  // as stored, inflated
};

std::vector<ArchiveEntry> ReadArchive(const std::string& zip);
// The entry called name, or nullptr.
const ArchiveEntry* FindEntry(const std::vector<ArchiveEntry>& entries, const std::string& name);

}  // namespace marlix::testing
