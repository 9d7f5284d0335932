// The POSIX platform layer: the raw folder listing (regular files only, links
// followed) and the file calls that must
// refuse anything but a regular file without ever blocking.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "support/platform/file_system.h"
#include "support/scratch_folder.h"

namespace marlix::platform {
namespace {

using marlix::testing::ScratchFolder;
using marlix::testing::WriteFileBytes;
using Names = std::vector<std::string>;

void Collect(const char* name, void* context) { static_cast<Names*>(context)->push_back(name); }

// The raw listing, sorted by bytes: its own order is the platform's.
Names List(const std::string& folder, bool* listed = nullptr) {
  Names names;
  bool ok = NativeFiles().ListFolder(folder.c_str(), Collect, &names);
  if (listed != nullptr) *listed = ok;
  std::sort(names.begin(), names.end());
  return names;
}

// Runs call on another thread; if it has not returned after a few seconds it
// is taken as blocked on the FIFO at fifoPath, which is then opened from here
// so that the call can finish and the test can report the fault.
template <typename Call>
auto WithoutBlocking(Call call, const std::string& fifoPath) {
  auto result = std::async(std::launch::async, call);
  if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "blocked on the FIFO " << fifoPath;
    ::close(::open(fifoPath.c_str(), O_RDWR | O_NONBLOCK));
  }
  return result.get();
}

TEST(PosixFileSystemTest, ListFolderGivesEveryNameOnceAndFailsOnAMissingFolder) {
  ScratchFolder folder;
  for (const char* name : {"b.txt", "A.TXT", "c.htm", "\xE9.txt", ".hidden"}) {
    WriteFileBytes(folder / name, "@");
  }
  bool listed = false;
  EXPECT_EQ(List(folder.Path(), &listed),
            (Names{".hidden", "A.TXT", "b.txt", "c.htm", "\xE9.txt"}));
  EXPECT_TRUE(listed);

  EXPECT_EQ(List(folder / "missing", &listed), Names{});
  EXPECT_FALSE(listed);
  EXPECT_EQ(List(folder / "b.txt", &listed), Names{});  // a file, not a folder
  EXPECT_FALSE(listed);
}

TEST(PosixFileSystemTest, ListFilesTakesRegularFilesOnlyFollowingLinks) {
  ScratchFolder folder;
  WriteFileBytes(folder / "plain.txt", "@");
  ASSERT_EQ(::symlink("plain.txt", (folder / "link.txt").c_str()), 0);
  ASSERT_EQ(::mkdir((folder / "folder.txt").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("folder.txt", (folder / "folderlink.txt").c_str()), 0);
  ASSERT_EQ(::symlink("gone.txt", (folder / "dangling.txt").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/null", (folder / "device.txt").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder / "fifo.txt").c_str(), 0600), 0);

  // A socket bound to a name in the folder.
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  std::string socketPath = folder / "sock.txt";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  EXPECT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  Names names = WithoutBlocking([&] { return List(folder.Path()); }, folder / "fifo.txt");
  EXPECT_EQ(names, (Names{"link.txt", "plain.txt"}));
  ::close(sock);
}

TEST(PosixFileSystemTest, OpenExistingRefusesAllButRegularFiles) {
  ScratchFolder folder;
  FileSystem& files = NativeFiles();
  WriteFileBytes(folder / "data.txt", "hello");
  ASSERT_EQ(::symlink("data.txt", (folder / "link.txt").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/null", (folder / "device.txt").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder / "fifo.txt").c_str(), 0600), 0);

  EXPECT_EQ(files.OpenExisting((folder / "missing.txt").c_str()), kNoFile);
  EXPECT_EQ(files.OpenExisting(folder.Path().c_str()), kNoFile);
  EXPECT_EQ(files.OpenExisting((folder / "device.txt").c_str()), kNoFile);
  FileHandle fifo = WithoutBlocking(
      [&] { return files.OpenExisting((folder / "fifo.txt").c_str()); }, folder / "fifo.txt");
  EXPECT_EQ(fifo, kNoFile);
  if (fifo != kNoFile) files.Close(fifo);

  // A link to a regular file reads as that file, blocking reads and all.
  FileHandle file = files.OpenExisting((folder / "link.txt").c_str());
  ASSERT_NE(file, kNoFile);
  EXPECT_EQ(files.Size(file), 5);
  char buffer[16] = {};
  EXPECT_EQ(files.Read(file, buffer, 3), 3);
  EXPECT_EQ(files.Read(file, buffer + 3, sizeof buffer - 3), 2);
  EXPECT_STREQ(buffer, "hello");
  EXPECT_EQ(files.Read(file, buffer, sizeof buffer), 0);
  EXPECT_FALSE(files.Write(file, "x", 1));  // opened for reading only
  EXPECT_TRUE(files.Close(file));
}

TEST(PosixFileSystemTest, CreateNewInIsExclusiveAndMakeFolderMakesOne) {
  ScratchFolder folder;
  FileSystem& files = NativeFiles();
  FolderHandle held = files.HoldFolder(folder.Path().c_str());
  ASSERT_NE(held, kNoFolder);
  FileHandle file = files.CreateNewIn(held, "out.htm");
  ASSERT_NE(file, kNoFile);
  EXPECT_TRUE(files.Write(file, "abc", 3));
  EXPECT_TRUE(files.Write(file, "", 0));
  EXPECT_EQ(files.Size(file), 3);
  EXPECT_TRUE(files.Close(file));
  const std::string path = folder / "out.htm";
  EXPECT_EQ(testing::ReadFileBytes(path), "abc");
  EXPECT_EQ(files.CreateNewIn(held, "out.htm"), kNoFile);
  EXPECT_EQ(testing::ReadFileBytes(path), "abc");

  ASSERT_EQ(::symlink("elsewhere.htm", (folder / "dangling.htm").c_str()), 0);
  EXPECT_EQ(files.CreateNewIn(held, "dangling.htm"), kNoFile);
  EXPECT_FALSE(testing::PathExists(folder / "elsewhere.htm"));
  EXPECT_TRUE(files.ReleaseFolder(held));
  EXPECT_FALSE(files.ReleaseFolder(kNoFolder));

  EXPECT_TRUE(files.MakeFolder((folder / "sub").c_str()));
  EXPECT_FALSE(files.MakeFolder((folder / "sub").c_str()));
  EXPECT_FALSE(files.MakeFolder((folder / "no/sub").c_str()));
  EXPECT_EQ(testing::ListFolder(folder.Path()), "dangling.htm out.htm sub");
}

}  // namespace
}  // namespace marlix::platform
