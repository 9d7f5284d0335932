// Files written on the second thread come out whole and in order, files that
// span several batches included, and what became of each comes back in the
// order the files were made, failures with their reasons; so do those the
// caller writes itself while the writing thread is behind.
#include "support/write_behind.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/faulty_file_system.h"
#include "support/platform/memory_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using platform::MemoryFileSystem;

// Every outcome as "path:c" (created), "path:x" (not created), "path:w"
// (written in full and closed) or "path:l" (lost while written).
struct Record {
  std::vector<std::string>* seen;
  void operator()(const WriteBehind::Outcome& outcome) const {
    if (outcome.begins)
      seen->push_back(std::string(outcome.path) + (outcome.created ? ":c" : ":x"));
    if (outcome.ends) seen->push_back(std::string(outcome.path) + (outcome.complete ? ":w" : ":l"));
    if ((outcome.begins && !outcome.created) || (outcome.ends && !outcome.complete)) {
      EXPECT_NE(outcome.error, 0) << outcome.path;
    }
  }
};

// The bytes of file i: sizes from empty to several batches long.
std::string BytesOf(int i) {
  const std::size_t size = i % 50 == 7 ? 200000 + 37 * i : static_cast<std::size_t>(i * 131 % 5000);
  std::string bytes(size, 'a');
  for (std::size_t k = 0; k < size; k += 97) bytes[k] = static_cast<char>('A' + (i + k) % 26);
  return bytes;
}

std::vector<std::string> WriteFiles(platform::FileSystem& files, int count,
                                    const std::string& folder = "/out") {
  std::vector<std::string> seen;
  Record report{&seen};
  platform::ScopedFileSystem guard(files);
  WriteBehind writer;
  for (int i = 0; i < count; ++i) {
    writer.Begin(TextString((folder + "/f" + std::to_string(i)).c_str()), report);
    const std::string bytes = BytesOf(i);
    // Appended in lines, as a page is built, handing over when it grows large.
    for (std::size_t at = 0; at < bytes.size(); at += 1000) {
      writer.Bytes().AppendBytes(bytes.data() + at, std::min<std::size_t>(1000, bytes.size() - at));
      writer.HandOverIfLarge(report);
    }
    writer.End(report);
  }
  writer.Drain(report);
  return seen;
}

TEST(WriteBehind, WritesEveryFileWholeAndReportsInOrder) {
  MemoryFileSystem files;
  // A long folder name, so that a batch's paths outgrow their first room.
  const std::string folder = "/out" + std::string(60, 'o');
  ASSERT_TRUE(files.AddFolder(folder));
  const int count = 300;  // more files than a batch holds, some longer than a batch
  std::vector<std::string> seen = WriteFiles(files, count, folder);
  std::vector<std::string> expected;
  for (int i = 0; i < count; ++i) {
    const std::string path = folder + "/f" + std::to_string(i);
    expected.push_back(path + ":c");
    expected.push_back(path + ":w");
    std::string bytes;
    ASSERT_TRUE(files.FileBytes(path, bytes)) << path;
    ASSERT_EQ(bytes, BytesOf(i)) << path;
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(files.OpenFiles(), 0u);
}

TEST(WriteBehind, TheCallerWritesWaitingBatchesWhenTheWriterIsBehind) {
  testing::ScratchFolder scratch;
  testing::FaultyFileSystem files;
  const std::thread::id caller = std::this_thread::get_id();
  int createdByCaller = 0;
  files.beforeCreate = [&](const std::string&) {
    if (std::this_thread::get_id() == caller) {
      ++createdByCaller;
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  };
  const int count = 300;
  std::vector<std::string> seen = WriteFiles(files, count, scratch.Path());
  std::vector<std::string> expected;
  for (int i = 0; i < count; ++i) {
    const std::string path = scratch.Path() + "/f" + std::to_string(i);
    expected.push_back(path + ":c");
    expected.push_back(path + ":w");
    ASSERT_EQ(testing::ReadFileBytes(path), BytesOf(i)) << path;
  }
  EXPECT_EQ(seen, expected);
  EXPECT_GT(createdByCaller, 0);
}

TEST(WriteBehind, AFileThatCannotBeMadeOrWrittenIsReportedLost) {
  MemoryFileSystem files;
  ASSERT_TRUE(files.AddFolder("/out"));
  files.faults.createFailsAt = 3;  // f2
  files.faults.writeFailsAt = 4;   // f5's (f0 is empty and f2 never made)
  std::vector<std::string> seen = WriteFiles(files, 8);
  EXPECT_EQ(seen, (std::vector<std::string>{"/out/f0:c", "/out/f0:w", "/out/f1:c", "/out/f1:w",
                                            "/out/f2:x", "/out/f3:c", "/out/f3:w", "/out/f4:c",
                                            "/out/f4:w", "/out/f5:c", "/out/f5:l", "/out/f6:c",
                                            "/out/f6:w", "/out/f7:c", "/out/f7:w"}));
  EXPECT_FALSE(files.Exists("/out/f2"));
  EXPECT_EQ(files.OpenFiles(), 0u);
}

}  // namespace
}  // namespace marlix
