#include "engine/format/source_discovery.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

#include "engine/conversion_driver.h"
#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ScratchFolder;
using testing::WriteFileBytes;

std::string Joined(const StringList& list) {
  std::string joined;
  for (std::uint32_t i = 0; i < list.Count(); ++i) {
    if (i > 0) joined += '|';
    joined += list.At(i).CStr();
  }
  return joined;
}

TEST(DiscoverSourceFiles, TakesMarkedTextFilesInListingOrder) {
  ScratchFolder folder;
  WriteFileBytes(folder / "b.Txt", "@Second");
  WriteFileBytes(folder / "A.TXT", "@First\r\n");
  WriteFileBytes(folder / "c.txt", "@");  // one byte: valid, empty title
  WriteFileBytes(folder / "empty.txt", "");
  WriteFileBytes(folder / "bom.txt", "\xEF\xBB\xBF@Title");
  WriteFileBytes(folder / "blank.txt", " @Title");
  WriteFileBytes(folder / "newline.txt", "\r\n@Title");
  WriteFileBytes(folder / "keep.txt.bak", "@Backup");
  WriteFileBytes(folder / "other.htm", "@Page");
  std::filesystem::create_directory(folder / "folder.txt");

  SourceFileList files;
  DiscoverSourceFiles(folder.Path().c_str(), files);
  const std::string base = folder.Path();
  EXPECT_EQ(Joined(files), folder / "A.TXT" + "|" + folder / "b.Txt" + "|" + folder / "c.txt");

  // A trailing separator on the folder gives the same paths.
  SourceFileList again;
  DiscoverSourceFiles((base + kPathSeparator).c_str(), again);
  EXPECT_EQ(Joined(again), Joined(files));
}

#ifndef _WIN32
TEST(DiscoverSourceFiles, NeverBlocksOnSpecialFiles) {
  ScratchFolder folder;
  ASSERT_EQ(::mkfifo((folder / "pipe.txt").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", folder / "zero.txt");
  std::filesystem::create_symlink("/dev/null", folder / "null.txt");
  std::filesystem::create_symlink(folder / "nowhere", folder / "dangling.txt");
  WriteFileBytes(folder / "real.txt", "@Real");
  std::filesystem::create_symlink(folder / "real.txt", folder / "link.txt");
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socketPath = folder / "sock.txt";
  if (sock >= 0 && socketPath.size() < sizeof address.sun_path) {
    socketPath.copy(address.sun_path, socketPath.size());
    ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }

  SourceFileList files;
  DiscoverSourceFiles(folder.Path().c_str(), files);
  if (sock >= 0) ::close(sock);
  // A link to a regular file counts as that file.
  EXPECT_EQ(Joined(files), folder / "link.txt" + "|" + folder / "real.txt");
}
#endif

TEST(DiscoverSourceFiles, UnreadableOrMissingFoldersGiveNothing) {
  ScratchFolder folder;
  WriteFileBytes(folder / "a.txt", "@A");
  FaultyFileSystem faulty;
  faulty.vanishOnOpen = {"a.txt"};
  platform::ScopedFileSystem guard(faulty);
  SourceFileList files;
  DiscoverSourceFiles(folder.Path().c_str(), files);
  EXPECT_EQ(files.Count(), 0u);
  DiscoverSourceFiles((folder / "missing").c_str(), files);
  DiscoverSourceFiles((folder / "a.txt").c_str(), files);  // a file, not a folder
  EXPECT_EQ(files.Count(), 0u);
}

}  // namespace
}  // namespace marlix
