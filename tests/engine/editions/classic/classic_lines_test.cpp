// RenderLine against the examples of tests/data/rendering/classic_lines.txt,
// one rule of the line format to a group, and the count of references that
// name no topic.
#include "engine/editions/classic/classic_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scratch_folder.h"

namespace marlix {
namespace {

// The bytes an example's text stands for: \t, \\ and \xHH unescaped.
std::string Unescape(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      bytes += text[i];
    } else if (text[i + 1] == 't') {
      bytes += '\t';
      ++i;
    } else if (text[i + 1] == 'x' && i + 3 < text.size()) {
      bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += text[++i];
    }
  }
  return bytes;
}

TEST(RenderLine, EveryExampleOfTheLineRules) {
  const std::string path = std::string(MARLIX_TEST_DATA) + "/rendering/classic_lines.txt";
  const std::string data = testing::ReadFileBytes(path);
  ASSERT_FALSE(data.empty()) << "cannot read " << path;

  TopicCatalogue catalogue;
  std::string group;
  std::string source;
  std::size_t sourceLine = 0;
  std::size_t lineNumber = 0;
  std::size_t examples = 0;
  for (std::size_t start = 0; start < data.size();) {
    std::size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    const std::string line = data.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (line.rfind("## ", 0) == 0) {
      group = line.substr(3);
    } else if (line.rfind("= ", 0) == 0) {
      const std::size_t split = line.find(" = ", 2);
      ASSERT_NE(split, std::string::npos) << "line " << lineNumber;
      catalogue.Add(line.substr(2, split - 2).c_str(), line.substr(split + 3).c_str());
    } else if (line == "<" || line.rfind("< ", 0) == 0) {
      source = Unescape(line.size() > 2 ? line.substr(2) : "");
      sourceLine = lineNumber;
    } else if (line.rfind("> ", 0) == 0) {
      TextString html("kept");  // what the page holds already stays
      RenderLine(html, catalogue, TextString(source.data(), source.size()));
      EXPECT_EQ(std::string(html.CStr()), "kept" + Unescape(line.substr(2)))
          << group << " (line " << sourceLine << ")";
      ++examples;
    }
  }
  EXPECT_GT(examples, 30u);
}

TEST(RenderLine, CountsTheReferencesThatNameNoTopic) {
  TopicCatalogue catalogue;
  catalogue.Add("Print", "B0P0.htm");
  TextString html;
  EXPECT_EQ(RenderLine(html, catalogue, " ~print~ ~a~ ~~ ~b~ ~ ~ ~open"), 3u);
  EXPECT_EQ(RenderLine(html, catalogue, " no references"), 0u);
  EXPECT_EQ(RenderLine(html, catalogue, "~"), 0u);
}

}  // namespace
}  // namespace marlix
