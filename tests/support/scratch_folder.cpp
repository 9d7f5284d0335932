#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include "engine/conversion_driver.h"

namespace marlix::testing {

std::string JoinedPath(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}

#ifdef _WIN32
ScratchFolder::ScratchFolder() {
  // No mkdtemp here: try numbered names until a new folder is made.
  static unsigned serial = 0;
  const std::string base = std::filesystem::temp_directory_path().string();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string candidate = JoinedPath(base, "marlix-test-" + std::to_string(::GetCurrentProcessId()) +
                                                 "-" + std::to_string(++serial));
    if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
  ADD_FAILURE() << "cannot make a scratch folder";
}
#else
ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "marlix-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  if (::mkdtemp(buffer.data()) == nullptr) ADD_FAILURE() << "cannot make a scratch folder";
  path_ = buffer.data();
}
#endif

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Tests may take permissions away; give them back so everything can go.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::remove_all(path_, ignored);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

std::string ListFolder(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(path, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::ostringstream joined;
  for (size_t i = 0; i < names.size(); ++i) joined << (i ? " " : "") << names[i];
  return joined.str();
}

std::string ListTree(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ignored)) {
    if (entry.is_directory()) continue;
    names.push_back(entry.path().lexically_relative(path).generic_string());
  }
  std::sort(names.begin(), names.end());
  std::ostringstream joined;
  for (size_t i = 0; i < names.size(); ++i) joined << (i ? " " : "") << names[i];
  return joined.str();
}

}  // namespace marlix::testing
