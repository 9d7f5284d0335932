// Whole conversions of small references whose every output byte is pinned in
// tests/data/pinned/<case>/expected.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/conversion_driver.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::ListFolder;
using testing::ReadFileBytes;
using testing::ScratchFolder;

void ExpectPinnedConversion(const std::string& name) {
  const std::string pinned = std::string(MARLIX_TEST_DATA) + "/pinned/" + name;
  ScratchFolder scratch;
  ConversionRequest request;
  request.sourceFolderPath = (pinned + "/source").c_str();
  request.destinationFolderPath = scratch.Path().c_str();
  request.destinationFolderName = "out";
  ASSERT_EQ(RunConversion(request), ConversionOutcome::Completed);

  const std::string expected = pinned + "/expected";
  const std::string produced = scratch / "out";
  ASSERT_EQ(ListFolder(produced), ListFolder(expected));
  for (const auto& entry : std::filesystem::directory_iterator(expected)) {
    const std::string file = entry.path().filename().string();
    EXPECT_EQ(ReadFileBytes(testing::JoinedPath(produced, file)), ReadFileBytes(entry.path().string()))
        << name << ": " << file;
  }
}

TEST(PinnedOutput, BasicReference) { ExpectPinnedConversion("basic"); }
TEST(PinnedOutput, EdgeCases) { ExpectPinnedConversion("edges"); }

}  // namespace
}  // namespace marlix
