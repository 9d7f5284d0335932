#include "engine/conversion_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "engine/editions/editions.h"
#include "support/allocation.h"
#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ListFolder;
using testing::operator/;
using testing::PathExists;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

// A source folder with two small reference files and a destination parent.
struct Workspace {
  ScratchFolder scratch;
  std::string source = scratch / "source";
  std::string destination = scratch / "destination";

  Workspace() {
    std::filesystem::create_directory(source);
    std::filesystem::create_directory(destination);
    WriteFileBytes(source + "/a.txt", "@First\r\n:One:Uno\r\n One\r\n body ~two~\r\n");
    WriteFileBytes(source + "/b.txt", "@Second\r\n:Two\r\n Two\r\n back to ~one~\r\n");
  }

  ConversionRequest Request(const char* name = "out") const {
    return {source.c_str(), destination.c_str(), name};
  }
};

TEST(DestinationFolder, JoinsPathAndName) {
  const std::string data = std::string(1, kPathSeparator) + "data";
  ConversionRequest request{"src", data.c_str(), "html"};
  EXPECT_EQ(DestinationFolder(request), (data + kPathSeparator + "html").c_str());
  // A docset's folder ends in ".docset", added once.
  request.edition = OutputEdition::Docset;
  EXPECT_EQ(DestinationFolder(request), (data + kPathSeparator + "html.docset").c_str());
  request.destinationFolderName = "html.docset";
  EXPECT_EQ(DestinationFolder(request), (data + kPathSeparator + "html.docset").c_str());
}

// Where the build cannot write an edition (docsets without SQLite), a run
// asked for it makes nothing.
TEST(RunConversion, AnEditionThisBuildCannotWriteMakesNothing) {
  if (CanWrite(OutputEdition::Docset)) GTEST_SKIP() << "this build writes docsets";
  ScratchFolder scratch;
  ConversionRequest request{MARLIX_SAMPLES, scratch.Path().c_str(), "Marlix",
                            OutputEdition::Docset};
  EXPECT_EQ(RunConversion(request), ConversionOutcome::UnexpectedError);
  EXPECT_EQ(ListFolder(scratch.Path()), "");
}

TEST(OutcomeMessages, TextsTitlesAndKinds) {
  struct Expected {
    ConversionOutcome outcome;
    const char* text;
    const char* title;
    MessageKind kind;
  };
  const Expected table[] = {
      {ConversionOutcome::InfoMissing, "Please Fill Information then try again.", "Info Missing",
       MessageKind::Warning},
      {ConversionOutcome::DestinationNotCreated, "Unable to create destination folder.", "Error",
       MessageKind::Error},
      {ConversionOutcome::NoValidSourceFiles,
       "No valid Marlix 2.10 text files available in selected path.", "Unknown Path",
       MessageKind::Warning},
      {ConversionOutcome::UnexpectedError, "Unexpected error during conversion. ", "Error",
       MessageKind::Error},
      {ConversionOutcome::IncompleteOutput,
       "Conversion finished, but some output files could not be written.", "Incomplete Conversion",
       MessageKind::Warning},
  };
  for (const Expected& row : table) {
    OutcomeMessage message = DescribeOutcome(row.outcome);
    EXPECT_STREQ(message.text, row.text);
    EXPECT_STREQ(message.title, row.title);
    EXPECT_EQ(message.kind, row.kind);
  }
  EXPECT_EQ(DescribeOutcome(ConversionOutcome::Completed).kind, MessageKind::None);
}

TEST(RunConversion, AnyEmptyFieldTouchesNothing) {
  Workspace work;
  const ConversionRequest requests[] = {
      {"", work.destination.c_str(), "out"},
      {work.source.c_str(), "", "out"},
      {work.source.c_str(), work.destination.c_str(), ""},
      {"", "", ""},
  };
  for (const ConversionRequest& request : requests) {
    EXPECT_EQ(RunConversion(request), ConversionOutcome::InfoMissing);
  }
  EXPECT_EQ(ListFolder(work.destination), "");
}

TEST(RunConversion, CompletesOnceThenRefusesTheSameFolder) {
  Workspace work;
  ConversionSummary summary;
  ASSERT_EQ(RunConversion(work.Request(), summary), ConversionOutcome::Completed);
  EXPECT_EQ(summary.sourceFiles, 2u);
  EXPECT_EQ(summary.topics, 2u);
  EXPECT_EQ(summary.filesWritten, 8u);  // Index, 2 sections, 2 topics, 3 project files
  const std::string out = work.destination + "/out";
  const std::string before = ReadFileBytes(out + "/B0P0.htm");
  EXPECT_NE(before.find("<A HREF=\"B1P1.htm\">two</A>"), std::string::npos);

  // The second run must not touch the first run's files.
  EXPECT_EQ(RunConversion(work.Request()), ConversionOutcome::DestinationNotCreated);
  EXPECT_EQ(ReadFileBytes(out + "/B0P0.htm"), before);
  EXPECT_EQ(ListFolder(out),
            "B0P0.htm B1P1.htm Index.hhk Index.htm Marlix.hhp Topic0.htm Topic1.htm toc.hhc");
}

// NAME makes one new folder inside DESTINATION_FOLDER and nowhere else, in
// every edition this build writes (before an edition's suffix is added).
TEST(RunConversion, ANameThatIsNotOneFolderNameMakesNothing) {
  Workspace work;
  std::filesystem::create_directory(work.destination + "/sub");
  const std::string separator(1, kPathSeparator);
  const std::string names[] = {".", "..", ".." + separator + "out", "sub" + separator + "out",
                               "out" + separator};
  for (const EditionRow& edition : Editions()) {
    if (!edition.available) continue;
    for (const std::string& name : names) {
      ConversionRequest request = work.Request(name.c_str());
      request.edition = edition.id;
      EXPECT_EQ(RunConversion(request), ConversionOutcome::DestinationNotCreated) << name;
    }
  }
  EXPECT_EQ(ListFolder(work.scratch.Path()), "destination source");
  EXPECT_EQ(ListFolder(work.destination), "sub");
  EXPECT_EQ(ListFolder(work.destination + "/sub"), "");
}

TEST(RunConversion, MissingParentIsNotCreated) {
  Workspace work;
  ConversionRequest request{work.source.c_str(), (work.destination + "/missing").c_str(), "out"};
  EXPECT_EQ(RunConversion(request), ConversionOutcome::DestinationNotCreated);
  EXPECT_FALSE(PathExists(work.destination + "/missing"));
}

TEST(RunConversion, NoValidSourcesLeavesTheEmptyFolder) {
  Workspace work;
  ConversionRequest request{work.destination.c_str(), work.scratch.Path().c_str(), "out"};
  EXPECT_EQ(RunConversion(request), ConversionOutcome::NoValidSourceFiles);
  EXPECT_EQ(ListFolder(work.scratch / "out"), "");
  EXPECT_EQ(RunConversion(request), ConversionOutcome::DestinationNotCreated);
}

TEST(RunConversion, IndexPageThatCannotBeCreatedIsUnexpected) {
  Workspace work;
  FaultyFileSystem faulty;
  faulty.refuseCreate = {"Index.htm"};
  platform::ScopedFileSystem guard(faulty);
  EXPECT_EQ(RunConversion(work.Request()), ConversionOutcome::UnexpectedError);
  EXPECT_EQ(ListFolder(work.destination + "/out"), "");
}

TEST(RunConversion, LostOutputIsReportedButEveryStepRuns) {
  {
    Workspace work;  // a topic page that cannot be created
    FaultyFileSystem faulty;
    faulty.refuseCreate = {"B0P0.htm"};
    platform::ScopedFileSystem guard(faulty);
    ConversionSummary summary;
    EXPECT_EQ(RunConversion(work.Request(), summary), ConversionOutcome::IncompleteOutput);
    EXPECT_EQ(summary.filesFailed, 1u);
    EXPECT_EQ(ListFolder(work.destination + "/out"),
              "B1P1.htm Index.hhk Index.htm Marlix.hhp Topic0.htm Topic1.htm toc.hhc");
  }
  {
    Workspace work;  // the disk fills up while the keyword index is written
    FaultyFileSystem faulty;
    faulty.diskFullFor = {"Index.hhk"};
    faulty.diskFullAfterBytes = 100;
    platform::ScopedFileSystem guard(faulty);
    EXPECT_EQ(RunConversion(work.Request()), ConversionOutcome::IncompleteOutput);
    EXPECT_EQ(ReadFileBytes(work.destination + "/out/Index.hhk").size(), 100u);
    EXPECT_TRUE(PathExists(work.destination + "/out/toc.hhc"));
  }
  {
    Workspace work;  // a source file vanishes after discovery
    FaultyFileSystem faulty;
    faulty.vanishOnOpen = {"b.txt"};
    faulty.vanishFromOpen = 2;
    platform::ScopedFileSystem guard(faulty);
    ConversionSummary summary;
    EXPECT_EQ(RunConversion(work.Request(), summary), ConversionOutcome::IncompleteOutput);
    EXPECT_EQ(summary.sourcesUnreadable, 1u);  // one file, however many steps missed it
    EXPECT_EQ(ListFolder(work.destination + "/out"),
              "B0P0.htm Index.hhk Index.htm Marlix.hhp Topic0.htm toc.hhc");
  }
}

// A "*.txt" file that discovery cannot open or examine may be a source: its
// section would vanish, so the run is incomplete. Files that are gone since
// the listing, empty, or do not start with "@" are no source and change nothing.
TEST(RunConversion, ACandidateThatCannotBeOpenedOrExaminedIsALoss) {
  Workspace work;
  WriteFileBytes(work.source + "/c.txt", "@Third\r\n:Three\r\n Three\r\n");
  WriteFileBytes(work.source + "/d.txt", "");
  WriteFileBytes(work.source + "/e.txt", "no mark");
  const std::string all = "B0P0.htm B1P1.htm B2P2.htm Index.hhk Index.htm Marlix.hhp Topic0.htm "
                          "Topic1.htm Topic2.htm toc.hhc";
  const std::string withoutC = "B0P0.htm B1P1.htm Index.hhk Index.htm Marlix.hhp Topic0.htm "
                               "Topic1.htm toc.hhc";
  {
    FaultyFileSystem faulty;
    faulty.vanishOnOpen = {"c.txt"};  // gone since the listing
    platform::ScopedFileSystem guard(faulty);
    EXPECT_EQ(RunConversion(work.Request("gone")), ConversionOutcome::Completed);
    EXPECT_EQ(ListFolder(work.destination + "/gone"), withoutC);
  }
  for (const char* fault : {"open", "size"}) {
    FaultyFileSystem faulty;
    (fault[0] == 'o' ? faulty.refuseOpen : faulty.sizeFailsFor) = {"c.txt"};
    platform::ScopedFileSystem guard(faulty);
    ConversionSummary summary;
    EXPECT_EQ(RunConversion(work.Request(fault), summary), ConversionOutcome::IncompleteOutput)
        << fault;
    EXPECT_EQ(summary.sourcesUnreadable, 1u) << fault;
    EXPECT_EQ(summary.sourceFiles, 2u) << fault;
    EXPECT_EQ(ListFolder(work.destination + "/" + fault), withoutC) << fault;
  }
  EXPECT_EQ(RunConversion(work.Request("clean")), ConversionOutcome::Completed);
  EXPECT_EQ(ListFolder(work.destination + "/clean"), all);
}

// A source file that changes between the catalogue and its topic pages (here
// just before the section pages are written) no longer gives the pages the
// catalogue named: the run is incomplete. A topic renamed in place keeps
// every count, and is told by the file's time. Written again with the same
// bytes and time, it is no loss.
TEST(RunConversion, ASourceThatChangesDuringTheRunIsALoss) {
  const std::string b = "@Second\r\n:Two\r\n Two\r\n back to ~one~\r\n";
  std::string sameSizeFewerTopics = b;
  sameSizeFewerTopics[9] = ' ';
  std::string renamed = b;
  renamed[10] = 'X';
  struct Change {
    const char* name;
    std::string bytes;
    int secondsLater;  // the file's new time against its old one
    ConversionOutcome outcome;
  };
  const Change changes[] = {
      {"emptied", "", 0, ConversionOutcome::IncompleteOutput},
      {"notopic", sameSizeFewerTopics, 0, ConversionOutcome::IncompleteOutput},
      {"longer", b + " more\r\n", 0, ConversionOutcome::IncompleteOutput},
      {"renamed", renamed, 10, ConversionOutcome::IncompleteOutput},
      {"same", b, 0, ConversionOutcome::Completed},
  };
  for (OutputEdition edition : {OutputEdition::Classic, OutputEdition::Web, OutputEdition::Docset}) {
    if (!CanWrite(edition)) continue;
    for (const Change& change : changes) {
      Workspace work;
      FaultyFileSystem faulty;
      faulty.beforeCreate = [&](const std::string& name) {
        if (name != "Topic0.htm") return;
        const std::string path = work.source + "/b.txt";
        const auto time = std::filesystem::last_write_time(path);
        WriteFileBytes(path, change.bytes);
        std::filesystem::last_write_time(path, time + std::chrono::seconds(change.secondsLater));
      };
      platform::ScopedFileSystem guard(faulty);
      ConversionRequest request = work.Request();
      request.edition = edition;
      ConversionSummary summary;
      EXPECT_EQ(RunConversion(request, summary), change.outcome) << change.name;
      EXPECT_EQ(summary.sourcesUnreadable,
                change.outcome == ConversionOutcome::Completed ? 0u : 1u)
          << change.name;
    }
  }
}

TEST(RunConversion, AReadThatFailsPartWayIsALossButAShrunkFileIsNot) {
  Workspace work;
  ASSERT_EQ(RunConversion(work.Request("clean")), ConversionOutcome::Completed);
  {
    // b.txt reads fine up to its first topic line, then every read fails.
    FaultyFileSystem faulty;
    faulty.readFailsFor = {"b.txt"};
    faulty.readFailsAfterBytes = 12;
    platform::ScopedFileSystem guard(faulty);
    ConversionSummary summary;
    EXPECT_EQ(RunConversion(work.Request("failed"), summary), ConversionOutcome::IncompleteOutput);
    EXPECT_EQ(summary.sourcesUnreadable, 1u);
  }
  {
    // A size that promises more than the file holds is no failure.
    FaultyFileSystem faulty;
    faulty.sizeOverstatedFor = {"a.txt", "b.txt"};
    faulty.sizeOverstatement = 1000;
    platform::ScopedFileSystem guard(faulty);
    EXPECT_EQ(RunConversion(work.Request("shrunk")), ConversionOutcome::Completed);
  }
  for (const char* name : {"B0P0.htm", "B1P1.htm", "Topic1.htm", "Index.hhk"}) {
    EXPECT_EQ(ReadFileBytes(work.destination + "/shrunk/" + name),
              ReadFileBytes(work.destination + "/clean/" + name))
        << name;
  }
}

TEST(RunConversion, MemoryThatRunsOutIsNeverASilentCompletion) {
  // Refuses the k-th allocation of a run, and every later one, for each k in
  // turn: a run that was refused anything must not end as Completed, and the
  // first run that is refused nothing must complete with the clean output.
  Workspace work;
  ASSERT_EQ(RunConversion(work.Request("clean")), ConversionOutcome::Completed);
  const std::string clean = ListFolder(work.destination + "/clean");
  bool completed = false;
  for (std::uint64_t allowed = 0; allowed < 100000 && !completed; ++allowed) {
    const std::string name = "run" + std::to_string(allowed);
    ConversionOutcome outcome;
    std::uint64_t refused;
    {
      ScopedAllocationFailure failure(allowed);
      outcome = RunConversion(work.Request(name.c_str()));
      refused = failure.Refused();
    }
    // Nothing may be made outside the new folder.
    ASSERT_EQ(ListFolder(work.source), "a.txt b.txt");
    for (const auto& entry : std::filesystem::directory_iterator(work.destination)) {
      const std::string made = entry.path().filename().string();
      ASSERT_TRUE(made == "clean" || made.rfind("run", 0) == 0) << made;
    }
    if (refused > 0) {
      ASSERT_NE(outcome, ConversionOutcome::Completed) << "refused after " << allowed;
    } else {
      ASSERT_EQ(outcome, ConversionOutcome::Completed);
      EXPECT_EQ(ListFolder(work.destination + "/" + name), clean);
      EXPECT_EQ(ReadFileBytes(work.destination + "/" + name + "/Index.hhk"),
                ReadFileBytes(work.destination + "/clean/Index.hhk"));
      completed = true;
    }
  }
  EXPECT_TRUE(completed);
}

TEST(RunConversion, AFolderListingThatFailsPartWayIsNoSilentSuccess) {
  {
    Workspace work;  // the source listing fails after one name: a.txt or b.txt is missed
    FaultyFileSystem faulty;
    faulty.listingFailsFor = {"source"};
    faulty.listingFailsAfterNames = 1;
    platform::ScopedFileSystem guard(faulty);
    ConversionSummary summary;
    EXPECT_EQ(RunConversion(work.Request(), summary), ConversionOutcome::IncompleteOutput);
    EXPECT_TRUE(summary.sourceListingFailed);
    EXPECT_EQ(summary.sourceFiles, 1u);
    EXPECT_TRUE(PathExists(work.destination + "/out/Topic0.htm"));
    EXPECT_FALSE(PathExists(work.destination + "/out/Topic1.htm"));
  }
  {
    Workspace work;  // it fails before any name came back
    FaultyFileSystem faulty;
    faulty.listingFailsFor = {"source"};
    faulty.listingFailsAfterNames = 0;
    platform::ScopedFileSystem guard(faulty);
    EXPECT_EQ(RunConversion(work.Request()), ConversionOutcome::NoValidSourceFiles);
    EXPECT_EQ(ListFolder(work.destination + "/out"), "");
  }
  {
    Workspace work;  // the listing of the new folder for the project file fails
    FaultyFileSystem faulty;
    faulty.listingFailsFor = {"out"};
    faulty.listingFailsAfterNames = 2;
    platform::ScopedFileSystem guard(faulty);
    ConversionSummary summary;
    EXPECT_EQ(RunConversion(work.Request(), summary), ConversionOutcome::IncompleteOutput);
    EXPECT_EQ(summary.filesFailed, 1u);
    EXPECT_FALSE(summary.sourceListingFailed);
  }
}

// Past 99 source files and 999 topics the page names grow to 13 bytes and
// more ("B100P1000.htm"): every page must still be made under the name the
// catalogue gave it, so that every link in the output reaches a file.
TEST(RunConversion, PageNamesOfAnyLengthMatchTheirLinks) {
  constexpr int kFiles = 101;
  constexpr int kTopicsPerFile = 10;
  ScratchFolder scratch;
  const std::string source = scratch / "source";
  std::filesystem::create_directory(source);
  std::set<std::string> pages = {"Index.htm"};
  char bytes[96];
  for (int file = 0; file < kFiles; ++file) {
    std::snprintf(bytes, sizeof bytes, "@Section %d\r\n", file);
    std::string text = bytes;
    for (int k = 0; k < kTopicsPerFile; ++k) {
      // Each topic refers to the same topic of the next file.
      std::snprintf(bytes, sizeof bytes, ":t%d_%d:alias %d_%d\r\n Title\r\n see ~t%d_%d~\r\n",
                    file, k, file, k, (file + 1) % kFiles, k);
      text += bytes;
      std::snprintf(bytes, sizeof bytes, "B%dP%d.htm", file, file * kTopicsPerFile + k);
      pages.insert(bytes);
    }
    std::snprintf(bytes, sizeof bytes, "Topic%d.htm", file);
    pages.insert(bytes);
    std::snprintf(bytes, sizeof bytes, "s%03d.txt", file);
    WriteFileBytes(source / bytes, text);
  }
  const std::regex link(R"re((?:HREF|href|value)="([^"#?:]+\.htm)[#"])re");
  for (OutputEdition edition : {OutputEdition::Classic, OutputEdition::Web}) {
    const std::string name = edition == OutputEdition::Classic ? "classic" : "web";
    ConversionRequest request{source.c_str(), scratch.Path().c_str(), name.c_str(), edition};
    ASSERT_EQ(RunConversion(request), ConversionOutcome::Completed) << name;
    const std::string out = scratch / name;
    std::set<std::string> made;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
      const std::string file = entry.path().filename().string();
      if (file.size() > 4 && file.compare(file.size() - 4, 4, ".htm") == 0) made.insert(file);
    }
    made.erase("search.htm");
    EXPECT_EQ(made, pages) << name;
    std::size_t links = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
      const std::string bytes = ReadFileBytes(entry.path().string());
      for (std::sregex_iterator it(bytes.begin(), bytes.end(), link), end; it != end; ++it) {
        ++links;
        EXPECT_TRUE(PathExists(out / (*it)[1].str()))
            << name << ": " << entry.path().filename().string() << " links to " << (*it)[1];
      }
    }
    EXPECT_GT(links, 3u * kFiles * kTopicsPerFile) << name;
    // The last section page names its topics' pages as the catalogue does.
    EXPECT_NE(ReadFileBytes(out / "Topic100.htm").find("\"B100P1009.htm"), std::string::npos)
        << name;
  }
}

// Another process renames the new folder mid-run and puts a link to a
// folder of its choosing in its place: the rest of the output still goes into
// the folder the run made, and the project file lists that folder.
#ifdef _WIN32
TEST(RunConversion, TheHeldFolderCannotBeMovedDuringTheRun) {
  // Held without FILE_SHARE_DELETE: nobody can rename the folder away, so
  // its path names it to the end of the run.
  Workspace work;
  const std::string out = work.destination + "/out";
  bool moved = true;
  FaultyFileSystem faulty;
  faulty.beforeCreate = [&](const std::string& name) {
    if (name != "Topic0.htm") return;
    std::error_code error;
    std::filesystem::rename(out, work.destination + "/moved", error);
    moved = !error;
  };
  platform::ScopedFileSystem guard(faulty);
  EXPECT_EQ(RunConversion(work.Request()), ConversionOutcome::Completed);
  EXPECT_FALSE(moved);
  EXPECT_EQ(ListFolder(out),
            "B0P0.htm B1P1.htm Index.hhk Index.htm Marlix.hhp Topic0.htm Topic1.htm toc.hhc");
  // Released at the end of the run.
  std::error_code error;
  std::filesystem::rename(out, work.destination + "/moved", error);
  EXPECT_FALSE(error) << error.message();
}
#else
TEST(RunConversion, OutputStaysInTheFolderItMadeWhenItsPathIsRedirected) {
  Workspace work;
  const std::string out = work.destination + "/out";
  const std::string moved = work.destination + "/moved";
  const std::string elsewhere = work.scratch / "elsewhere";
  std::filesystem::create_directory(elsewhere);
  WriteFileBytes(elsewhere + "/decoy.htm", "x");
  FaultyFileSystem faulty;
  faulty.beforeCreate = [&](const std::string& name) {
    if (name != "Topic0.htm") return;
    std::filesystem::rename(out, moved);
    std::filesystem::create_directory_symlink(elsewhere, out);
  };
  platform::ScopedFileSystem guard(faulty);
  EXPECT_EQ(RunConversion(work.Request()), ConversionOutcome::Completed);
  EXPECT_EQ(ListFolder(elsewhere), "decoy.htm");
  EXPECT_EQ(ListFolder(moved),
            "B0P0.htm B1P1.htm Index.hhk Index.htm Marlix.hhp Topic0.htm Topic1.htm toc.hhc");
  std::string project = ReadFileBytes(moved + "/Marlix.hhp");
  EXPECT_NE(project.find("[FILES]\r\nB0P0.htm\r\nB1P1.htm\r\nIndex.htm\r\n"), std::string::npos);
  EXPECT_EQ(project.find("decoy"), std::string::npos);
}
#endif

}  // namespace
}  // namespace marlix
