// Writes seed inputs for the fuzz targets from folders of source files:
//   make_fuzz_seeds <seed root> <source folder>...
// <seed root>/conversion, /line_reader and /line_rendering receive inputs in
// the layouts their targets read (see each target's header comment).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteSeed(const fs::path& folder, const std::string& name, const std::string& bytes) {
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string Short(std::size_t n) {
  return {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8 & 0xFF)};
}

// A file's part of a conversion input: an even name length, so that the
// target adds ".txt", then the content length unless it is the last file.
std::string FileEntry(std::string name, const std::string& content, bool last) {
  name = name.substr(0, name.find('.'));
  if (name.size() > 14) name.resize(14);
  if (name.size() % 2 != 0) name += '_';
  std::string entry(1, static_cast<char>(name.size()));
  if (!last) entry += Short(content.size());
  return entry + name + content;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    if (lf == std::string::npos) lf = text.size();
    std::string line = text.substr(start, lf - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = lf + 1;
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: make_fuzz_seeds <seed root> <source folder>...\n", stderr);
    return 2;
  }
  const fs::path root = argv[1];
  int seed = 0;
  for (int a = 2; a < argc; ++a) {
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(argv[a])) {
      if (entry.is_regular_file() && entry.file_size() <= 65535) sources.push_back(entry.path());
    }
    std::sort(sources.begin(), sources.end());
    if (sources.size() > 4) sources.resize(4);
    if (sources.empty()) continue;

    // Whole conversions: the folder as it is, and with a failure played.
    std::string files;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      files +=
          FileEntry(sources[i].filename().string(), ReadAll(sources[i]), i + 1 == sources.size());
    }
    const char count = static_cast<char>(sources.size() - 1);
    WriteSeed(root / "conversion", "seed" + std::to_string(seed), count + files);
    for (char kind = 0; kind < 4; ++kind) {
      std::string failing{static_cast<char>(count | 4), kind};
      WriteSeed(root / "conversion", "seed" + std::to_string(seed) + "-fail" + std::to_string(kind),
                failing + Short(5 + 7 * kind) + files);
    }

    for (const fs::path& source : sources) {
      const std::string content = ReadAll(source);
      const std::string name = "seed" + std::to_string(seed++);
      // The line reader: whole reads, then reads of 1, 3 and 81 bytes with the
      // tenth read failing; ReadBytes(1) first, as discovery does.
      WriteSeed(root / "line_reader", name, std::string("\0\0\0\x04\0", 5) + content);
      WriteSeed(root / "line_reader", name + "-chopped",
                std::string("\x03\x01\x03\x51\x0a\0\x04\0", 8) + content);

      // Line rendering: the file's topic lines as the catalogue, then each
      // body line on its own.
      std::string topics;
      std::vector<std::string> body;
      for (const std::string& line : Lines(content)) {
        if (!line.empty() && line[0] == ':') {
          topics += line.substr(1) + "\n";
        } else if (line.size() > 1 && body.size() < 64 &&
                   std::find(body.begin(), body.end(), line) == body.end()) {
          body.push_back(line);
        }
      }
      for (std::size_t i = 0; i < body.size(); ++i) {
        WriteSeed(root / "line_rendering", name + "-" + std::to_string(i), topics + "\n" + body[i]);
      }
    }
  }
  return 0;
}
