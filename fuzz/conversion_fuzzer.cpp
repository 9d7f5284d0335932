// Feeds arbitrary bytes to a whole conversion as the content of one or two
// source files: no input may crash the engine, hang it, or make it write
// outside its new folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/conversion_driver.h"

namespace {

std::string MakeScratch() {
  char pattern[] = "/tmp/marlix-fuzz-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) std::abort();
  return made;
}

void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string scratch = MakeScratch();
  const std::string source = scratch + "/src";
  std::filesystem::remove_all(source);
  std::filesystem::remove_all(scratch + "/out");
  std::filesystem::create_directory(source);

  // A zero byte, if any, splits the input into two files.
  std::size_t split = 0;
  while (split < size && data[split] != 0) ++split;
  WriteBytes(source + "/a.txt", data, split);
  if (split < size) WriteBytes(source + "/b.txt", data + split + 1, size - split - 1);

  marlix::ConversionRequest request{source.c_str(), scratch.c_str(), "out"};
  marlix::RunConversion(request);
  return 0;
}
