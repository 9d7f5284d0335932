// The floor a conversion is measured against: writing the very files of a
// conversion's output, with the same bytes, and doing nothing else.
//
//   write_floor pack OUTPUT_FOLDER PACK_FILE
//     packs the regular files of a conversion's output folder into one file
//     (names and bytes).
//   write_floor write PACK_FILE DESTINATION_PARENT NAME
//     maps the pack into memory, creates the folder NAME in
//     DESTINATION_PARENT and, in the pack's order, creates each file relative
//     to that folder exclusively, writes its bytes with one write and closes it.
//
// It is the floor for this way of writing: one exclusive create, one write and
// one close per file, in the order a conversion creates them. Programs that
// could skip those calls (or the kernel's work behind them) could go lower.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

int Fail(const std::string& what) {
  std::fprintf(stderr, "write_floor: %s: %s\n", what.c_str(), std::strerror(errno));
  return 2;
}

bool ReadWhole(const std::string& path, std::string& bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return done == bytes.size();
}

void PutNumber(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t TakeNumber(const char* in) {
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value |= std::uint64_t{static_cast<unsigned char>(in[i])} << (8 * i);
  return value;
}

// The order in which a conversion creates its files: Index.htm, the section
// pages by file index, the topic pages by topic number, then the project
// files. Names of no such form go last, by bytes.
struct CreationKey {
  int group;
  unsigned long number;
  std::string name;
  bool operator<(const CreationKey& other) const {
    if (group != other.group) return group < other.group;
    if (number != other.number) return number < other.number;
    return name < other.name;
  }
};

CreationKey KeyOf(const std::string& name) {
  unsigned long file = 0;
  unsigned long topic = 0;
  char tail[8] = {};
  if (name == "Index.htm") return {0, 0, name};
  if (std::sscanf(name.c_str(), "Topic%lu%7s", &file, tail) == 2 &&
      std::strcmp(tail, ".htm") == 0) {
    return {1, file, name};
  }
  if (std::sscanf(name.c_str(), "B%luP%lu%7s", &file, &topic, tail) == 3 &&
      std::strcmp(tail, ".htm") == 0) {
    return {2, topic, name};
  }
  if (name == "Index.hhk") return {3, 0, name};
  if (name == "Marlix.hhp") return {3, 1, name};
  if (name == "toc.hhc") return {3, 2, name};
  return {4, 0, name};
}

// Pack format, per file: the name, a zero byte, its size (8 bytes, little
// endian), its bytes.
int Pack(const std::string& folder, const std::string& packPath) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return Fail(folder);
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    struct stat info {};
    if (::stat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      names.push_back(name);
    }
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return KeyOf(a) < KeyOf(b); });
  std::string pack;
  for (const std::string& name : names) {
    std::string bytes;
    if (!ReadWhole(folder + "/" + name, bytes)) return Fail(folder + "/" + name);
    pack += name;
    pack.push_back('\0');
    PutNumber(pack, bytes.size());
    pack += bytes;
  }
  std::FILE* out = std::fopen(packPath.c_str(), "wbx");
  if (out == nullptr) return Fail(packPath);
  bool written = std::fwrite(pack.data(), 1, pack.size(), out) == pack.size();
  if (std::fclose(out) != 0 || !written) return Fail(packPath);
  return 0;
}

// Maps the pack with its pages already in place, so that the bytes are in
// memory without a copy or a page fault per page: the floor then costs what
// creating and writing the files costs, and no more.
bool MapWhole(const std::string& path, const char*& bytes, std::size_t& size) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_size <= 0) {
    ::close(fd);
    return false;
  }
  size = static_cast<std::size_t>(info.st_size);
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  ::close(fd);
  if (mapped == MAP_FAILED) return false;
  bytes = static_cast<const char*>(mapped);
  return true;
}

int Write(const std::string& packPath, const std::string& parent, const std::string& name) {
  const char* packBytes = nullptr;
  std::size_t packSize = 0;
  if (!MapWhole(packPath, packBytes, packSize)) return Fail(packPath);
  const std::string_view pack(packBytes, packSize);
  const std::string folder = parent + "/" + name;
  if (::mkdir(folder.c_str(), 0777) != 0) return Fail(folder);
  int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dirFd < 0) return Fail(folder);
  std::size_t at = 0;
  while (at < pack.size()) {
    const char* fileName = pack.data() + at;
    const void* nameEnd = std::memchr(fileName, 0, pack.size() - at);
    if (nameEnd == nullptr) return Fail("truncated pack");
    std::size_t nameLength = static_cast<std::size_t>(static_cast<const char*>(nameEnd) - fileName);
    at += nameLength + 1;
    if (at + 8 > pack.size()) return Fail("truncated pack");
    std::uint64_t size = TakeNumber(pack.data() + at);
    at += 8;
    if (size > pack.size() - at) return Fail("truncated pack");
    int fd = ::openat(dirFd, fileName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(fileName);
    if (size > 0 && ::write(fd, pack.data() + at, size) != static_cast<ssize_t>(size)) {
      return Fail(fileName);
    }
    if (::close(fd) != 0) return Fail(fileName);
    at += size;
  }
  ::close(dirFd);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "pack") == 0) return Pack(argv[2], argv[3]);
  if (argc == 5 && std::strcmp(argv[1], "write") == 0) return Write(argv[2], argv[3], argv[4]);
  std::fputs(
      "Usage: write_floor pack OUTPUT_FOLDER PACK_FILE\n"
      "       write_floor write PACK_FILE DESTINATION_PARENT NAME\n",
      stderr);
  return 1;
}
