// Writes seed inputs for the fuzz targets from folders of source files:
//   make_fuzz_seeds <seed root> <source folder>...
// <seed root>/conversion, /line_reader and /line_rendering receive inputs in
// the layouts their targets read (see each target's header comment).
//
// Seeds stay within the targets' input limits in scripts/fuzz.sh (libFuzzer
// cuts a longer seed, which would lose its end): a large folder becomes
// several conversion seeds, each made of pieces of its files, and a
// line-rendering seed holds only the topic lines that its body line names
// and a few more.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A conversion seed's files come to about this many bytes, below the
// conversion target's input limit.
constexpr std::size_t kConversionBytes = 800;
constexpr std::size_t kMostConversionSeeds = 6;
// A line-rendering seed's topic lines and body line come to at most these.
constexpr std::size_t kRenderingTopicBytes = 200;
constexpr std::size_t kRenderingLineBytes = 200;

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

// Whole lines, each with its line end.
std::vector<std::string> LinesWithEnds(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    lf = lf == std::string::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(start, lf - start));
    start = lf;
  }
  return lines;
}

// A source cut into sources of about budget bytes: each piece is the first
// line, then whole lines from a topic line on. The lines of a topic that do
// not fit are left out.
std::vector<std::string> Pieces(const std::string& content, std::size_t budget) {
  const std::vector<std::string> lines = LinesWithEnds(content);
  std::vector<std::string> pieces;
  if (lines.empty()) return pieces;
  const std::string& first = lines[0];
  std::string piece = first;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (piece.size() > first.size() && piece.size() + lines[i].size() > budget) {
      if (lines[i][0] != ':') continue;
      pieces.push_back(piece);
      piece = first;
    }
    piece += lines[i];
  }
  pieces.push_back(piece);
  return pieces;
}

// The names of the "~name~" references of a body line.
std::vector<std::string> References(const std::string& line) {
  std::vector<std::string> names;
  std::size_t open = line.find('~');
  while (open != std::string::npos) {
    std::size_t close = line.find('~', open + 1);
    if (close == std::string::npos) break;
    if (close > open + 1) names.push_back(line.substr(open + 1, close - open - 1));
    open = line.find('~', close + 1);
  }
  return names;
}

bool NamesOneOf(const std::string& topicLine, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (topicLine.find(name) != std::string::npos) return true;
  }
  return false;
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

    // Whole conversions: the folder as it is when it fits, else pieces of
    // its files side by side; each also with a failure played and with short
    // reads.
    std::vector<std::string> contents;
    std::size_t total = 0;
    for (const fs::path& source : sources) {
      contents.push_back(ReadAll(source));
      total += contents.back().size();
    }
    const std::size_t budget = kConversionBytes / sources.size();
    std::vector<std::vector<std::string>> pieces;
    std::size_t seeds = 1;
    for (const std::string& content : contents) {
      pieces.push_back(total <= kConversionBytes ? std::vector<std::string>{content}
                                                 : Pieces(content, budget));
      seeds = std::max(seeds, pieces.back().size());
    }
    for (std::size_t k = 0; k < seeds && k < kMostConversionSeeds; ++k) {
      std::string files;
      for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string& piece = k < pieces[i].size() ? pieces[i][k] : pieces[i].back();
        files += FileEntry(sources[i].filename().string(), piece, i + 1 == sources.size());
      }
      const char count = static_cast<char>(sources.size() - 1);
      const std::string name = "seed" + std::to_string(seed) + "-" + std::to_string(k);
      WriteSeed(root / "conversion", name, count + files);
      // The web edition, the docset and the e-book of the same files.
      WriteSeed(root / "conversion", name + "-web", static_cast<char>(count | 16) + files);
      WriteSeed(root / "conversion", name + "-docset", static_cast<char>(count | 32) + files);
      WriteSeed(root / "conversion", name + "-epub", static_cast<char>(count | 48) + files);
      // Failure kinds in turn over the seeds, every one at least once.
      for (std::size_t kind = k; kind < 9; kind += kMostConversionSeeds) {
        std::string failing{static_cast<char>(count | 4), static_cast<char>(kind)};
        WriteSeed(root / "conversion", name + "-fail" + std::to_string(kind),
                  failing + Short(5 + 7 * kind) + files);
      }
      // Reads of 1 + k and 61 bytes in turn.
      std::string chopped{static_cast<char>(count | 8), static_cast<char>(k), 60};
      WriteSeed(root / "conversion", name + "-chopped", chopped + files);
    }

    // The line reader on the folder's files one after the other: past the
    // reader's buffer when the folder is large, in reads of 1, 3 and 81 bytes.
    std::string joined;
    for (const std::string& content : contents) joined += content;
    WriteSeed(root / "line_reader", "seed" + std::to_string(seed) + "-joined",
              std::string("\x03\x01\x03\x51\0\0\x04\0", 8) + joined);

    for (const fs::path& source : sources) {
      const std::string content = ReadAll(source);
      const std::string name = "seed" + std::to_string(seed++);
      // The line reader: whole reads, then reads of 1, 3 and 81 bytes with the
      // tenth read failing; ReadBytes(1) first, as discovery does.
      WriteSeed(root / "line_reader", name, std::string("\0\0\0\x04\0", 5) + content);
      WriteSeed(root / "line_reader", name + "-chopped",
                std::string("\x03\x01\x03\x51\x0a\0\x04\0", 8) + content);

      // Line rendering: each body line on its own, after the topic lines
      // that it names (and the file's first ones) as the catalogue.
      std::vector<std::string> topics;
      std::vector<std::string> body;
      for (const std::string& line : Lines(content)) {
        if (!line.empty() && line[0] == ':') {
          topics.push_back(line.substr(1));
        } else if (line.size() > 1 && body.size() < 64 &&
                   std::find(body.begin(), body.end(), line) == body.end()) {
          body.push_back(line.substr(0, kRenderingLineBytes));
        }
      }
      for (std::size_t i = 0; i < body.size(); ++i) {
        const std::vector<std::string> names = References(body[i]);
        std::string catalogue;
        for (std::size_t t = 0; t < topics.size(); ++t) {
          if ((t < 3 || NamesOneOf(topics[t], names)) &&
              catalogue.size() + topics[t].size() < kRenderingTopicBytes) {
            catalogue += topics[t] + "\n";
          }
        }
        WriteSeed(root / "line_rendering", name + "-" + std::to_string(i),
                  catalogue + "\n" + body[i]);
      }
    }
  }
  return 0;
}
