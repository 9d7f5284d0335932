// The engine at sizes past 32 bits: text whose HTML could outgrow a string,
// and source files of 4 GB and more, real or so reported. Nothing is ever
// computed into a smaller size: what cannot be held is refused and counted
// (the run then never ends Completed), and what can is read soundly.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "engine/conversion_driver.h"
#include "engine/editions/classic/classic_entities.h"
#include "engine/format/source_discovery.h"
#include "engine/editions/web/web_text.h"
#include "support/allocation.h"
#include "support/faulty_file_system.h"
#include "support/large_file.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ListFolder;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

TEST(TextPastTheStringLimit, HtmlAndWebTextThatCouldPassFourGigabytesAreRefusedAndCounted) {
  // Room for the worst case is made first: 24 bytes a byte for the HTML text
  // (past 4 GB from 179 million bytes on, and a 32-bit size_t would wrap it),
  // 8 a byte for the web text (past 4 GB, and wrapping, from 2^29 bytes on).
  const std::size_t htmlBytes = (std::size_t{0xFFFFFFFFu} / 24) + 1;
  const std::size_t webBytes = (std::size_t{1} << 29) + 1;
  const std::string text(webBytes, 'a');
  const std::uint64_t failuresBefore = FailedAllocations();

  TextString html("<P>");
  AppendHtmlText(html, text.data(), htmlBytes);
  EXPECT_TRUE(html.IsEmpty());
  EXPECT_EQ(FailedAllocations(), failuresBefore + 1);

  TextString web("<p>");
  std::uint32_t column = 3;
  AppendWebText(web, text.data(), webBytes, column);
  EXPECT_TRUE(web.IsEmpty());
  EXPECT_EQ(column, 3u);
  // Counted: a run that refused them cannot end Completed.
  EXPECT_EQ(FailedAllocations(), failuresBefore + 2);
}

// A source folder with two reference files, and a destination parent.
struct Workspace {
  ScratchFolder scratch;
  std::string source = scratch / "source";
  std::string destination = scratch / "destination";

  Workspace() {
    std::filesystem::create_directory(source);
    std::filesystem::create_directory(destination);
  }

  ConversionRequest Request(const std::string& name) const {
    return {source.c_str(), destination.c_str(), name.c_str()};
  }
};

TEST(LargeSourceSizes, SourcesReportedPastTwoAndFourGigabytesConvertAsTheyAre) {
  Workspace work;
  std::string big = "@Big\r\n";
  for (int topic = 0; topic < 40; ++topic) {
    big += ":Topic " + std::to_string(topic) + "\r\n Title " + std::to_string(topic) + "\r\n";
    for (int line = 0; line < 20; ++line) big += " text, see ~topic " + std::to_string(line) + "~\r\n";
  }
  WriteFileBytes(work.source + "/big.txt", big);
  WriteFileBytes(work.source + "/small.txt", "@Small\r\n:Last\r\n Last\r\n back to ~topic 0~\r\n");
  ConversionSummary clean;
  ASSERT_EQ(RunConversion(work.Request("clean"), clean), ConversionOutcome::Completed);
  ASSERT_EQ(clean.topics, 41u);
  const std::string files = ListFolder(work.destination + "/clean");

  // Reported sizes that a 32-bit size would cut to 1 byte or make negative.
  const std::int64_t reported[] = {
      (std::int64_t{1} << 31) + 1,
      (std::int64_t{1} << 32) + 1,
      std::numeric_limits<std::int64_t>::max(),
  };
  for (std::int64_t size : reported) {
    const std::string name = "reported" + std::to_string(size);
    SCOPED_TRACE(name);
    FaultyFileSystem faulty;
    faulty.sizeOverstatedFor = {"big.txt"};
    faulty.sizeOverstatement = size - static_cast<std::int64_t>(big.size());
    platform::ScopedFileSystem guard(faulty);
    ConversionSummary summary;
    ASSERT_EQ(RunConversion(work.Request(name), summary), ConversionOutcome::Completed);
    EXPECT_EQ(summary.topics, clean.topics);
    ASSERT_EQ(ListFolder(work.destination + "/" + name), files);
    for (const auto& page : std::filesystem::directory_iterator(work.destination + "/clean")) {
      const std::string file = page.path().filename().string();
      EXPECT_EQ(ReadFileBytes(work.destination + "/" + name + "/" + file),
                ReadFileBytes(page.path().string()))
          << file;
    }
  }
}

// Keeps why each file was left out.
struct LeftOutFiles : Diagnostics {
  std::vector<std::pair<std::string, LeftOutReason>> files;
  void SourceLeftOut(const char* path, LeftOutReason reason, int, int) override {
    files.emplace_back(testing::BaseName(path), reason);
  }
};

TEST(LargeSourceSizes, RealFilesPastFourGigabytesAreSortedByTheirFirstBytes) {
  // 4 GB and one byte each: a source file, and one that starts with the
  // UTF-8 byte-order mark (told apart by its first three bytes, which a size
  // cut to 32 bits, 1 byte, would not let the reader reach).
  Workspace work;
  const std::int64_t size = (std::int64_t{1} << 32) + 1;
  std::string why = testing::MakeLargeFile(work.source + "/huge.txt", "@Huge\r\n:Topic\r\n", size);
  if (why.empty()) why = testing::MakeLargeFile(work.source + "/marked.txt", "\xEF\xBB\xBF@", size);
  if (!why.empty()) {
    GTEST_SKIP() << why;
  }

  SourceFileList sources;
  unsigned unreadable = 0;
  LeftOutFiles leftOut;
  ASSERT_TRUE(DiscoverSourceFiles(work.source.c_str(), sources, &unreadable, &leftOut));
  ASSERT_EQ(sources.Count(), 1u);
  EXPECT_EQ(testing::BaseName(sources.At(0).CStr()), "huge.txt");
  EXPECT_EQ(unreadable, 0u);
  ASSERT_EQ(leftOut.files.size(), 1u);
  EXPECT_EQ(leftOut.files[0].first, "marked.txt");
  EXPECT_EQ(leftOut.files[0].second, LeftOutReason::ByteOrderMark);
}

}  // namespace
}  // namespace marlix
