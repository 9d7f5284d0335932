#include "support/archive_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace marlix::testing {
namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
  }
  return value;
}

std::string Inflate(const std::string& deflated, std::size_t size) {
  std::string out(size, '\0');
  z_stream stream{};
  EXPECT_EQ(inflateInit2(&stream, -MAX_WBITS), Z_OK);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  stream.avail_in = static_cast<uInt>(deflated.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
  EXPECT_EQ(stream.avail_out, 0u);
  inflateEnd(&stream);
  return out;
}

}  // namespace

std::vector<ArchiveEntry> ReadArchive(const std::string& zip) {
  std::vector<ArchiveEntry> entries;
  EXPECT_GE(zip.size(), 22u);
  if (zip.size() < 22) return entries;
  const std::size_t end = zip.size() - 22;  // no comment
  EXPECT_EQ(Little(zip, end, 4), 0x06054B50u);
  const unsigned count = Little(zip, end + 10, 2);
  EXPECT_EQ(Little(zip, end + 8, 2), count);
  const std::size_t directory = Little(zip, end + 16, 4);
  EXPECT_EQ(directory + Little(zip, end + 12, 4), end);
  std::size_t at = directory;
  std::size_t expectedLocal = 0;
  for (unsigned i = 0; i < count; ++i) {
    EXPECT_EQ(Little(zip, at, 4), 0x02014B50u);
    ArchiveEntry entry;
    entry.method = Little(zip, at + 10, 2);
    entry.time = Little(zip, at + 12, 2);
    entry.date = Little(zip, at + 14, 2);
    entry.crc = Little(zip, at + 16, 4);
    const std::uint32_t stored = Little(zip, at + 20, 4);
    const std::uint32_t size = Little(zip, at + 24, 4);
    const unsigned nameLength = Little(zip, at + 28, 2);
    EXPECT_EQ(Little(zip, at + 30, 2) + Little(zip, at + 32, 2), 0u);  // extra, comment
    const std::size_t local = Little(zip, at + 42, 4);
    EXPECT_EQ(local, expectedLocal);  // entries one after the other, nothing between
    entry.name = zip.substr(at + 46, nameLength);
    // The local header says the same.
    EXPECT_EQ(Little(zip, local, 4), 0x04034B50u);
    EXPECT_EQ(zip.substr(local + 8, 18), zip.substr(at + 10, 18));
    entry.extra = Little(zip, local + 28, 2);
    EXPECT_EQ(zip.substr(local + 30, nameLength), entry.name);
    entry.dataOffset = local + 30 + nameLength + entry.extra;
    const std::string data = zip.substr(entry.dataOffset, stored);
    entry.bytes = entry.method == 8 ? Inflate(data, size) : data;
    EXPECT_EQ(entry.bytes.size(), size);
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(entry.bytes.data()),
                    static_cast<uInt>(entry.bytes.size())),
              entry.crc);
    expectedLocal = entry.dataOffset + stored;
    at += 46 + nameLength;
    entries.push_back(entry);
  }
  EXPECT_EQ(expectedLocal, directory);
  return entries;
}

const ArchiveEntry* FindEntry(const std::vector<ArchiveEntry>& entries, const std::string& name) {
  for (const ArchiveEntry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace marlix::testing
