// generate_reference: writes a large synthetic Marlix reference for benchmarks.
//
//   generate_reference OUTPUT_FOLDER SCALE
//
// SCALE (1 to 1000) is a whole number. Each scale unit adds five more files of
// about 130 KB (170 topics each), so SCALE N gives 5 x N files named
// PART01.TXT, PART02.TXT, ... (two digits, more when needed): about
// 650 KB x N bytes and 850 x N topics, with about 1.25 names per topic and
// about two cross-references per topic. Every cross-reference names a topic
// that exists (sometimes in another letter case); "~~" literal tildes,
// box-drawing tables, shades, Greek and maths signs, headings and
// tab-indented lines are mixed in. Lines are at most 76 bytes, code page 437,
// CR LF.
//
// The output depends on the arguments only: a fixed seed and a
// self-contained pseudo-random generator, no clock, no addresses, no
// standard-library distributions. OUTPUT_FOLDER is created; an existing
// folder is accepted only when it is empty, and no file is ever overwritten.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::size_t kMaxLine = 76;
constexpr int kFilesPerScale = 5;
constexpr int kTopicsPerFile = 170;
constexpr int kMaxScale = 1000;
constexpr std::size_t kMaxNameLength = 24;
constexpr std::uint64_t kSeed = 0x4D61726C69780210ULL;

// Code page 437 bytes.
namespace cp {
constexpr char kLightShade = '\xB0';
constexpr char kMediumShade = '\xB1';
constexpr char kDarkShade = '\xB2';
constexpr char kFullBlock = '\xDB';
}  // namespace cp

// splitmix64: small, fast and fully defined, so the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // A number from 0 to n - 1 (n > 0).
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

  // A number from lo to hi, both included.
  int Between(int lo, int hi) {
    return lo + static_cast<int>(Below(static_cast<std::size_t>(hi - lo + 1)));
  }

  // True with the given chance in percent.
  bool Percent(int chance) { return Below(100) < static_cast<std::size_t>(chance); }

  template <std::size_t N>
  std::string Pick(const std::string_view (&items)[N]) {
    return std::string(items[Below(N)]);
  }

 private:
  std::uint64_t state_;
};

constexpr std::string_view kWords[] = {
    "array",   "buffer", "cursor",  "channel", "counter", "record",  "vector",  "matrix",
    "string",  "number", "window",  "screen",  "printer", "device",  "stream",  "folder",
    "handle",  "signal", "timer",   "clock",   "random",  "module",  "library", "symbol",
    "field",   "format", "column",  "margin",  "border",  "shadow",  "colour",  "palette",
    "index",   "offset", "length",  "width",   "height",  "depth",   "range",   "limit",
    "table",   "list",   "queue",   "stack",   "heap",    "block",   "segment", "page",
    "frame",   "event",  "message", "option",  "setting", "switch",  "flag",    "mask",
    "pattern", "filter", "sorter",  "merge",   "split",   "join",    "trim",    "pad",
    "scan",    "parse",  "render",  "draw",    "plot",    "fill",    "clear",   "reset",
    "open",    "close",  "read",    "write",   "seek",    "flush",   "lock",    "unlock",
    "load",    "save",   "print",   "input",   "output",  "convert", "compare", "search",
    "replace", "insert", "delete",  "append",  "count",   "total",   "average", "extent",
    "angle",   "radius", "scale",   "rotate",  "shift",   "round",   "floor",   "ceiling",
    "sign",    "power",  "root",    "modulus", "factor",  "divisor", "product", "quotient",
    "kernel",  "shell",  "prompt",  "command", "script",  "macro",   "label",   "target",
    "source",  "origin", "anchor",  "marker",  "token",   "lexeme",  "phrase",  "clause",
};

constexpr std::string_view kFillers[] = {
    "the",   "a",     "of",   "to",   "is",   "and",    "when",   "each",  "value",
    "gives", "takes", "from", "into", "with", "every",  "first",  "last",  "next",
    "may",   "must",  "only", "also", "then", "after",  "before", "until", "while",
    "its",   "one",   "two",  "all",  "none", "unless", "which",  "this",  "that",
};

constexpr std::string_view kTitleKinds[] = {
    "Statement", "Function", "Operator", "Option", "Overview",
    "Command",   "Property", "Event",    "Module", "Procedure",
};

constexpr std::string_view kHeadings[] = {
    "Syntax", "Remarks", "Example", "Parameters", "Result", "Notes", "Errors", "Details",
};

constexpr std::string_view kOperators[] = {"+", "-", "*", "/", "<", ">", "<=", ">=", "<>", "&"};

// Greek letters and maths signs of code page 437.
constexpr std::string_view kSymbols[] = {
    "\xE0", "\xE2", "\xE3", "\xE4", "\xE5", "\xE7", "\xE8", "\xE9", "\xEA", "\xEB", "\xEC",
    "\xED", "\xEE", "\xEF", "\xF0", "\xF2", "\xF3", "\xF7", "\xF9", "\xFB", "\xFC", "\xFE",
};

struct BoxSet {
  char horizontal, vertical;
  char topLeft, topTee, topRight;
  char leftTee, cross, rightTee;
  char bottomLeft, bottomTee, bottomRight;
};

constexpr BoxSet kSingleBox = {'\xC4', '\xB3', '\xDA', '\xC2', '\xBF', '\xC3',
                               '\xC5', '\xB4', '\xC0', '\xC1', '\xD9'};
constexpr BoxSet kDoubleBox = {'\xCD', '\xBA', '\xC9', '\xCB', '\xBB', '\xCC',
                               '\xCE', '\xB9', '\xC8', '\xCA', '\xBC'};

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::string Lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

std::string Capitalised(std::string_view word) {
  std::string result(word);
  if (!result.empty() && result[0] >= 'a' && result[0] <= 'z') {
    result[0] = static_cast<char>(result[0] - 'a' + 'A');
  }
  return result;
}

struct Figures {
  std::uint64_t bytes = 0;
  std::uint64_t topics = 0;
  std::uint64_t names = 0;
  std::uint64_t references = 0;
};

class Generator {
 public:
  explicit Generator(int scale) : random_(kSeed + static_cast<std::uint64_t>(scale)) {
    fileCount_ = kFilesPerScale * scale;
    topicCount_ = static_cast<std::size_t>(fileCount_) * kTopicsPerFile;
    MakeNames();
  }

  int FileCount() const { return fileCount_; }

  // The bytes of file number `file` (0-based). Files must be asked for in order.
  std::string MakeFile(int file) {
    out_.clear();
    std::string title = "@Synthetic Reference, Book " + std::to_string(file + 1) + ": " +
                        Capitalised(random_.Pick(kWords)) + " " +
                        Capitalised(random_.Pick(kWords)) + "s";
    EmitLine(title);
    for (int i = 0; i < kTopicsPerFile; ++i) {
      MakeTopic(static_cast<std::size_t>(file) * kTopicsPerFile + static_cast<std::size_t>(i));
    }
    figures_.bytes += out_.size();
    return out_;
  }

  static std::string FileName(int file, int fileCount) {
    std::string number = std::to_string(file + 1);
    std::size_t width = std::max<std::size_t>(2, std::to_string(fileCount).size());
    return "PART" + std::string(width - number.size(), '0') + number + ".TXT";
  }

  const Figures& Totals() const { return figures_; }

 private:
  // --- Names ---------------------------------------------------------------

  std::string CandidateName() {
    int style = random_.Between(0, 99);
    std::string name;
    if (style < 30) {
      name = Upper(random_.Pick(kWords));
      if (random_.Percent(25)) {
        name += random_.Percent(50) ? "$" : " " + Upper(random_.Pick(kWords));
      }
    } else if (style < 80) {
      name = Capitalised(random_.Pick(kWords)) + " " + Capitalised(random_.Pick(kWords));
    } else {
      name = Capitalised(random_.Pick(kWords)) + " " + random_.Pick(kFillers) + " " +
             random_.Pick(kWords);
    }
    return name;
  }

  std::string UniqueName() {
    for (int attempt = 0; attempt < 8; ++attempt) {
      std::string name = CandidateName();
      if (name.size() <= kMaxNameLength && taken_.insert(Upper(name)).second) return name;
    }
    // Crowded: number a plain word; the counter makes it unique.
    for (;;) {
      std::string name = Capitalised(random_.Pick(kWords)) + " " + std::to_string(++serial_);
      if (taken_.insert(Upper(name)).second) return name;
    }
  }

  void MakeNames() {
    names_.resize(topicCount_);
    for (auto& names : names_) {
      int roll = random_.Between(0, 99);
      int count = roll < 78 ? 1 : roll < 97 ? 2 : 3;
      for (int n = 0; n < count; ++n) names.push_back(UniqueName());
      figures_.names += names.size();
    }
    figures_.topics = topicCount_;
  }

  // A name of some other topic, as a cross-reference token, in various cases.
  std::string Reference(std::size_t self) {
    std::size_t target;
    do {
      if (random_.Percent(40)) {
        std::size_t low = self > 50 ? self - 50 : 0;
        std::size_t high = std::min(topicCount_ - 1, self + 50);
        target = low + random_.Below(high - low + 1);
      } else {
        target = random_.Below(topicCount_);
      }
    } while (target == self && topicCount_ > 1);
    const auto& names = names_[target];
    std::string name = names[random_.Below(names.size())];
    int variant = random_.Between(0, 99);
    if (variant < 12) {
      name = Lower(name);
    } else if (variant < 20) {
      name = Upper(name);
    } else if (variant < 25) {
      for (char& c : name) {
        bool upper = random_.Percent(50);
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      }
    }
    ++figures_.references;
    return "~" + name + "~";
  }

  // --- Lines ---------------------------------------------------------------

  void EmitLine(std::string_view line) {
    if (line.size() > kMaxLine) {
      std::fprintf(stderr, "generate_reference: internal error, line of %zu bytes\n", line.size());
      std::exit(3);
    }
    out_.append(line);
    out_.append("\r\n");
  }

  // Wraps tokens into lines of at most `width` bytes after the format column.
  void EmitWrapped(char column, const std::vector<std::string>& tokens) {
    std::size_t width = static_cast<std::size_t>(random_.Between(58, 72));
    std::string line(1, column);
    for (const auto& token : tokens) {
      if (line.size() > 1 && line.size() + 1 + token.size() > width + 1) {
        EmitLine(line);
        line.assign(1, column);
      }
      if (line.size() > 1) line += ' ';
      line += token;
    }
    if (line.size() > 1) EmitLine(line);
  }

  std::string Word() {
    int roll = random_.Between(0, 99);
    if (roll < 55) return random_.Pick(kFillers);
    if (roll < 93) return random_.Pick(kWords);
    if (roll < 96) return std::to_string(random_.Between(0, 4095));
    if (roll < 98) return random_.Pick(kSymbols) + std::to_string(random_.Between(1, 99));
    switch (random_.Between(0, 3)) {
      case 0:
        return "<" + random_.Pick(kWords) + ">";
      case 1:
        return "\"" + random_.Pick(kWords) + "\"";
      case 2:
        return "&";
      default:
        return "x " + random_.Pick(kOperators) + " y";
    }
  }

  // A paragraph of plain lines, with the given number of cross-references.
  void EmitParagraph(std::size_t self, int references) {
    std::vector<std::string> tokens;
    int sentences = random_.Between(2, 5);
    for (int s = 0; s < sentences; ++s) {
      int words = random_.Between(8, 15);
      for (int w = 0; w < words; ++w) {
        std::string word = Word();
        if (w == 0) word = Capitalised(word);
        tokens.push_back(word);
      }
      tokens.back() += '.';
    }
    for (int r = 0; r < references; ++r) {
      std::size_t at = 1 + random_.Below(tokens.size());
      tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(at), Reference(self));
    }
    EmitWrapped(' ', tokens);
  }

  void EmitCode() {
    int lines = random_.Between(2, 6);
    for (int i = 0; i < lines; ++i) {
      std::string line = "\t";
      if (i > 0 && random_.Percent(30)) line += '\t';
      std::string a(random_.Pick(kWords));
      std::string b(random_.Pick(kWords));
      switch (random_.Between(0, 5)) {
        case 0:
          line += "LET " + a + " = " + b + " " + random_.Pick(kOperators) + " " +
                  std::to_string(random_.Between(1, 999));
          break;
        case 1:
          line += "IF " + a + " >= " + std::to_string(random_.Between(0, 99)) + " THEN PRINT \"" +
                  b + "\"";
          break;
        case 2:
          line += Upper(a) + "(" + b + ", " + std::to_string(random_.Between(0, 9)) + ")\t' " +
                  random_.Pick(kFillers) + " " + random_.Pick(kWords);
          break;
        case 3:
          line += "PRINT " + a + "$ & \" <\" & " + b + "$ & \">\"";
          break;
        case 4:
          line += random_.Percent(25) ? "mask = ~~" + a
                                      : "FOR i = 1 TO " + std::to_string(random_.Between(2, 64));
          break;
        default:
          line += "' " + random_.Pick(kFillers) + " " + a + " " + random_.Pick(kFillers) + " " + b;
          break;
      }
      EmitLine(line);
    }
  }

  std::string Cell(std::size_t width) {
    std::string text;
    int roll = random_.Between(0, 9);
    if (roll < 2) {
      static constexpr char kShades[] = {cp::kLightShade, cp::kMediumShade, cp::kDarkShade,
                                         cp::kFullBlock};
      std::size_t bar = 1 + random_.Below(width);
      char shade = kShades[random_.Below(4)];
      text.assign(bar, shade);
    } else if (roll < 4) {
      text = std::to_string(random_.Between(0, 99999));
    } else if (roll < 5) {
      text = random_.Pick(kSymbols) + " " + std::to_string(random_.Between(1, 9));
    } else {
      text = random_.Pick(kWords);
    }
    if (text.size() > width) text.resize(width);
    return text + std::string(width - text.size(), ' ');
  }

  std::string HeaderCell(std::size_t width) {
    std::string text = Capitalised(random_.Pick(kWords));
    if (text.size() > width) text.resize(width);
    return text + std::string(width - text.size(), ' ');
  }

  void EmitTable() {
    const BoxSet& box = random_.Percent(50) ? kSingleBox : kDoubleBox;
    char column = random_.Percent(70) ? '\t' : ' ';
    int columns = random_.Between(2, 4);
    std::vector<std::size_t> widths;
    for (int c = 0; c < columns; ++c) {
      widths.push_back(static_cast<std::size_t>(random_.Between(6, 16)));
    }
    auto rule = [&](char left, char tee, char right) {
      std::string line(1, column);
      line += left;
      for (std::size_t c = 0; c < widths.size(); ++c) {
        line.append(widths[c] + 2, box.horizontal);
        line += c + 1 < widths.size() ? tee : right;
      }
      return line;
    };
    auto row = [&](bool header) {
      std::string line(1, column);
      line += box.vertical;
      for (std::size_t w : widths) {
        line += ' ';
        line += header ? HeaderCell(w) : Cell(w);
        line += ' ';
        line += box.vertical;
      }
      return line;
    };
    // Keep the widest table (4 columns of 16) inside the line limit.
    while (rule(box.topLeft, box.topTee, box.topRight).size() > kMaxLine) {
      for (auto& w : widths) {
        if (w > 6) --w;
      }
    }
    EmitLine(rule(box.topLeft, box.topTee, box.topRight));
    EmitLine(row(true));
    EmitLine(rule(box.leftTee, box.cross, box.rightTee));
    int rows = random_.Between(2, 6);
    for (int r = 0; r < rows; ++r) EmitLine(row(false));
    EmitLine(rule(box.bottomLeft, box.bottomTee, box.bottomRight));
  }

  void MakeTopic(std::size_t topic) {
    const auto& names = names_[topic];
    std::string topicLine;
    for (const auto& name : names) topicLine += ":" + name;
    EmitLine(topicLine);
    EmitLine(" " + names[0] + " " + random_.Pick(kTitleKinds));

    int refRoll = random_.Between(0, 99);
    int references = refRoll < 10 ? 0 : refRoll < 35 ? 1 : refRoll < 65 ? 2 : refRoll < 85 ? 3 : 4;
    int seeAlso = references > 1 && random_.Percent(30) ? random_.Between(1, references - 1) : 0;

    if (random_.Percent(10)) EmitLine("^" + Upper(names[0]));
    EmitLine("");
    EmitParagraph(topic, references - seeAlso);

    int blocks = random_.Between(1, 3);
    for (int b = 0; b < blocks; ++b) {
      EmitLine("");
      int kind = random_.Between(0, 99);
      if (kind < 40) {
        EmitLine("%" + random_.Pick(kHeadings));
        EmitCode();
      } else if (kind < 62) {
        EmitTable();
      } else if (kind < 70) {
        EmitLine("^" + Capitalised(random_.Pick(kWords)) + " " + Capitalised(random_.Pick(kWords)));
        EmitParagraph(topic, 0);
      } else {
        if (random_.Percent(50)) EmitLine("%" + random_.Pick(kHeadings));
        EmitParagraph(topic, 0);
      }
    }
    if (seeAlso > 0) {
      EmitLine("");
      std::vector<std::string> tokens = {"See", "also"};
      for (int r = 0; r < seeAlso; ++r) {
        tokens.push_back(Reference(topic) + (r + 1 < seeAlso ? "," : "."));
      }
      EmitWrapped(' ', tokens);
    }
  }

  Random random_;
  int fileCount_ = 0;
  std::size_t topicCount_ = 0;
  std::vector<std::vector<std::string>> names_;
  std::unordered_set<std::string> taken_;  // upper-case names; membership only
  std::uint64_t serial_ = 0;
  std::string out_;
  Figures figures_;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "generate_reference: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: generate_reference OUTPUT_FOLDER SCALE\n"
                 "  writes 5 x SCALE files of about 130 KB (850 x SCALE topics)\n"
                 "  into OUTPUT_FOLDER, which must not exist or must be empty\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::string_view scaleText = argv[2];
  int scale = 0;
  auto [end, error] = std::from_chars(scaleText.data(), scaleText.data() + scaleText.size(), scale);
  if (error != std::errc() || end != scaleText.data() + scaleText.size() || scale < 1 ||
      scale > kMaxScale) {
    return Fail("SCALE must be a whole number from 1 to " + std::to_string(kMaxScale) + ", not '" +
                std::string(scaleText) + "'");
  }

  std::error_code ec;
  if (std::filesystem::exists(folder, ec)) {
    if (!std::filesystem::is_directory(folder, ec)) {
      return Fail("'" + folder.string() + "' exists and is not a folder");
    }
    if (!std::filesystem::is_empty(folder, ec) || ec) {
      return Fail("'" + folder.string() + "' exists and is not empty; refusing to write into it");
    }
  } else if (!std::filesystem::create_directories(folder, ec) || ec) {
    return Fail("cannot create '" + folder.string() + "': " + ec.message());
  }

  Generator generator(scale);
  for (int file = 0; file < generator.FileCount(); ++file) {
    std::string data = generator.MakeFile(file);
    std::filesystem::path path = folder / Generator::FileName(file, generator.FileCount());
    // "x": fail rather than replace a file that appeared meanwhile.
    std::FILE* stream = std::fopen(path.string().c_str(), "wbx");
    if (stream == nullptr) return Fail("cannot create '" + path.string() + "'");
    bool written = std::fwrite(data.data(), 1, data.size(), stream) == data.size();
    if (std::fclose(stream) != 0 || !written) return Fail("cannot write '" + path.string() + "'");
  }

  const Figures& totals = generator.Totals();
  std::printf(
      "generate_reference: %d files, %llu bytes, %llu topics, %llu names, %llu cross-references\n",
      generator.FileCount(), static_cast<unsigned long long>(totals.bytes),
      static_cast<unsigned long long>(totals.topics), static_cast<unsigned long long>(totals.names),
      static_cast<unsigned long long>(totals.references));
  return 0;
}
