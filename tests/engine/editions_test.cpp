// The table of editions, over every row: what the front ends rely on, and
// every edition this build can write converting the sample reference.
#include "engine/editions/editions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/file_names.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::PathExists;
using testing::ScratchFolder;

TEST(Editions, OptionsAndIdsAreUniqueAndOneEditionIsTheDefault) {
  std::set<std::string> options;
  std::set<OutputEdition> ids;
  int defaults = 0;
  for (const EditionRow& row : Editions()) {
    EXPECT_TRUE(ids.insert(row.id).second) << row.label;
    EXPECT_EQ(&EditionOf(row.id), &row) << row.label;
    if (row.option == nullptr) {
      ++defaults;
      continue;
    }
    EXPECT_TRUE(options.insert(row.option).second) << row.option;
    // The command line's own options are not the editions' to take.
    for (const char* own : {"quiet", "verbose", "compile", "help", "version"}) {
      EXPECT_NE(std::string(row.option), own);
    }
    // Refused beside --compile or another edition, the message names both.
    EXPECT_NE(std::string(row.refusal).find(std::string("--") + row.option), std::string::npos)
        << row.refusal;
    if (!row.writesHelpProject) {
      EXPECT_NE(std::string(row.refusal).find("%s"), std::string::npos) << row.refusal;
    }
  }
  EXPECT_EQ(defaults, 1);
  EXPECT_EQ(Editions()[0].option, nullptr);
  EXPECT_EQ(Editions()[0].id, ConversionRequest().edition);
}

TEST(Editions, AvailableAsTheBuildSays) {
  for (const EditionRow& row : Editions()) {
    // Only the docset needs a library that a build may lack (SQLite).
    const bool expected = row.id != OutputEdition::Docset || MARLIX_BUILD_HAS_DOCSET;
    EXPECT_EQ(row.available, expected) << row.label;
    EXPECT_EQ(CanWrite(row.id), expected) << row.label;
    if (!expected) {
      EXPECT_STRNE(row.unavailable, "") << row.label;
    }
  }
}

TEST(Editions, TheSampleConvertsWithEveryAvailableEdition) {
  for (const EditionRow& row : Editions()) {
    SCOPED_TRACE(row.label);
    ScratchFolder scratch;
    ConversionRequest request{MARLIX_SAMPLES, scratch.Path().c_str(), "Sample", row.id};
    const TextString folder = DestinationFolder(request);
    const std::string expectedName =
        std::string("Sample") + (row.folderSuffix == nullptr ? "" : row.folderSuffix);
    EXPECT_EQ(std::string(folder.CStr()), scratch / expectedName);
    ConversionSummary summary;
    const ConversionOutcome outcome = RunConversion(request, summary);
    if (!row.available) {
      EXPECT_EQ(outcome, ConversionOutcome::UnexpectedError);
      EXPECT_FALSE(PathExists(folder.CStr()));
      continue;
    }
    ASSERT_EQ(outcome, ConversionOutcome::Completed);
    EXPECT_GT(summary.filesWritten, summary.topics);
    EXPECT_EQ(summary.filesFailed, 0u);
    // The contents page lies inside the edition's folder; the start page
    // exists and is that page or the folder itself.
    const std::string contents = summary.contentsPage.CStr();
    EXPECT_EQ(contents.rfind(std::string(folder.CStr()), 0), 0u) << contents;
    EXPECT_TRUE(PathExists(contents)) << contents;
    EXPECT_TRUE(PathExists(summary.startPage.CStr())) << summary.startPage.CStr();
    EXPECT_EQ(summary.startPage,
              row.startPage == StartPage::OutputFolder ? folder : summary.contentsPage);
    // The same NAME again is refused: the edition's folder exists now.
    EXPECT_EQ(RunConversion(request), ConversionOutcome::DestinationNotCreated);
  }
}

}  // namespace
}  // namespace marlix
