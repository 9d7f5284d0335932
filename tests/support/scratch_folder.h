// A fresh temporary folder for one test, removed with everything in it when
// the test ends, and small helpers to put files there and read them back.
#pragma once

#include <string>

namespace marlix::testing {

// folder + this platform's separator + name.
std::string JoinedPath(const std::string& folder, const std::string& name);
// Lets scratch / "a" / "b" read like a path.
inline std::string operator/(const std::string& folder, const std::string& name) {
  return JoinedPath(folder, name);
}

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Path of name inside the folder, joined with this platform's separator.
  std::string operator/(const std::string& name) const { return JoinedPath(path_, name); }

 private:
  std::string path_;
};

// Writes bytes to path, replacing the file (test set-up only).
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file; an empty string when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);
// Names in a folder, sorted by bytes; "." and ".." left out.
std::string ListFolder(const std::string& path);
// The files of a folder and of every folder inside it, as paths relative to
// it with "/" between folders, sorted by bytes.
std::string ListTree(const std::string& path);

}  // namespace marlix::testing
