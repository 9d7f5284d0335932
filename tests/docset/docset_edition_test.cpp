// Whole conversions into the docset edition: its folders and files, and a
// run that lost anything (a folder, a page, the index, memory inside SQLite)
// never ending as a completed one. What the files hold is checked as the
// browsers read them by check_docset.py and in Zeal (run_docset_tests.sh).
#include "engine/editions/docset/docset_edition.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "engine/conversion_driver.h"
#include "engine/editions/docset/docset_index.h"
#include "support/allocation.h"
#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::FaultyFileSystem;
using testing::ListFolder;
using testing::ListTree;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

constexpr char kDocuments[] = "Contents/Resources/Documents/";

// Two small reference files, the second with a title line that is a topic
// line of its own (a forward page), and a destination parent.
struct Workspace {
  ScratchFolder scratch;
  std::string source = scratch / "source";
  std::string destination = scratch / "destination";

  Workspace() {
    std::filesystem::create_directory(source);
    std::filesystem::create_directory(destination);
    WriteFileBytes(source + "/a.txt", "@First\r\n:One:Uno\r\n One\r\n body ~two~\r\n");
    WriteFileBytes(source + "/b.txt", "@Second\r\n:Two\r\n:Deux\r\n back to ~one~\r\n");
  }

  ConversionRequest Request(const char* name, OutputEdition edition = OutputEdition::Docset) const {
    return {source.c_str(), destination.c_str(), name, edition};
  }
};

// The number of files a listing names.
std::size_t Count(const std::string& listing) {
  return listing.empty() ? 0 : static_cast<std::size_t>(std::count(listing.begin(), listing.end(), ' ')) + 1;
}

TEST(DocsetEdition, WritesTheWebPagesWithoutSearchInsideTheDocsetsFolders) {
  Workspace work;
  ASSERT_EQ(RunConversion(work.Request("web", OutputEdition::Web)), ConversionOutcome::Completed);
  ConversionSummary summary;
  ASSERT_EQ(RunConversion(work.Request("Ref"), summary), ConversionOutcome::Completed);

  const std::string docset = work.destination + "/Ref.docset";
  EXPECT_EQ(ListFolder(work.destination), "Ref.docset web");
  EXPECT_EQ(ListFolder(docset), "Contents icon.png icon@2x.png");
  EXPECT_EQ(ListFolder(docset + "/Contents"), "Info.plist Resources");
  EXPECT_EQ(ListFolder(docset + "/Contents/Resources"), "Documents docSet.dsidx");
  // The web edition's pages, the forward page among them, and its style
  // sheet, less its search page and files and its contents script (the
  // browser lists the contents itself).
  std::string pages = ListFolder(work.destination + "/web");
  for (const std::string search : {" search-index.js", " search.htm", " search.js", "contents.js "}) {
    ASSERT_NE(pages.find(search), std::string::npos) << search;
    pages.erase(pages.find(search), search.size());
  }
  EXPECT_NE(pages.find("B1P2.htm"), std::string::npos);
  EXPECT_EQ(ListFolder(docset + "/" + kDocuments), pages);
  EXPECT_EQ(ReadFileBytes(docset + "/" + kDocuments + "style.css"),
            ReadFileBytes(work.destination + "/web/style.css"));
  EXPECT_EQ(summary.filesWritten, Count(ListTree(docset)));
  EXPECT_EQ(summary.contentsPage, (docset + "/" + kDocuments + "Index.htm").c_str());

  // A NAME that ends in ".docset" names the folder itself: here, one that exists.
  EXPECT_EQ(RunConversion(work.Request("Ref.docset")), ConversionOutcome::DestinationNotCreated);
  EXPECT_EQ(ListFolder(work.destination), "Ref.docset web");
}

// The index's rows as "name|type|path" lines, in row order.
std::string IndexRows(const std::string& path) {
  sqlite3* database = nullptr;
  std::string rows;
  if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(database, "SELECT name, type, path FROM searchIndex ORDER BY id", -1, &select,
                       nullptr);
    while (select != nullptr && sqlite3_step(select) == SQLITE_ROW) {
      for (int column = 0; column < 3; ++column) {
        rows += reinterpret_cast<const char*>(sqlite3_column_text(select, column));
        rows += column < 2 ? "|" : "\n";
      }
    }
    sqlite3_finalize(select);
  }
  sqlite3_close(database);
  return rows;
}

// Every name's row leads to its anchor, which stands at the top of the page's
// text, before its navigation and heading; a forward page carries the
// anchors of the names that lead to it.
TEST(DocsetEdition, EveryNamesRowLeadsToItsAnchorAboveTheHeading) {
  Workspace work;
  ASSERT_EQ(RunConversion(work.Request("Ref")), ConversionOutcome::Completed);
  const std::string docset = work.destination + "/Ref.docset/";
  EXPECT_EQ(IndexRows(docset + "Contents/Resources/docSet.dsidx"),
            "One|Entry|B0P0.htm#//apple_ref/cpp/Entry/One\n"
            "Uno|Entry|B0P0.htm#//apple_ref/cpp/Entry/Uno\n"
            "Two|Entry|B1P1.htm#//apple_ref/cpp/Entry/Two\n"
            "Deux|Entry|B1P2.htm#//apple_ref/cpp/Entry/Deux\n"
            "First|Section|Topic0.htm\n"
            "Second|Section|Topic1.htm\n");
  EXPECT_NE(ReadFileBytes(docset + kDocuments + "B0P0.htm")
                .find("<main id=\"text\">\r\n"
                      "<a name=\"//apple_ref/cpp/Entry/One\" class=\"dashAnchor\"></a>\r\n"
                      "<a name=\"//apple_ref/cpp/Entry/Uno\" class=\"dashAnchor\"></a>\r\n"
                      "<nav aria-label=\"Topic\""),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(docset + kDocuments + "B1P2.htm")
                .find("<main>\r\n<a name=\"//apple_ref/cpp/Entry/Deux\" class=\"dashAnchor\"></a>"),
            std::string::npos);
}

// The name the browser shows is the one the pages show: NAME without
// ".docset", a title as it is given, "Marlix" for a blank one.
TEST(DocsetEdition, TheBundleNameIsTheNameThePagesShow) {
  Workspace work;
  struct Case {
    const char* name;
    const char* title;
    const char* folder;
    const char* shown;
  };
  for (const Case& c : {Case{"Ref.docset", "", "Ref.docset", "Ref"},
                        Case{"Titled", "Guide.docset", "Titled.docset", "Guide.docset"},
                        Case{"   ", "", "   .docset", "Marlix"}}) {
    ConversionRequest request = work.Request(c.name);
    request.title = c.title;
    ASSERT_EQ(RunConversion(request), ConversionOutcome::Completed) << c.name;
    const std::string folder = work.destination + "/" + c.folder + "/";
    const std::string shown = c.shown;
    EXPECT_NE(ReadFileBytes(folder + "Contents/Info.plist")
                  .find("<key>CFBundleName</key>\n\t<string>" + shown + "</string>"),
              std::string::npos)
        << c.name;
    EXPECT_NE(ReadFileBytes(folder + kDocuments + "Index.htm").find("<h1>" + shown + "</h1>"),
              std::string::npos)
        << c.name;
  }
}

TEST(DocsetEdition, AFolderAPageOrTheIndexThatIsLostIsNoCompletion) {
  {
    // The folder of the pages cannot be made: the run ends before any file.
    Workspace work;
    FaultyFileSystem faulty;
    faulty.refuseFolder = {"Documents"};
    platform::ScopedFileSystem guard(faulty);
    EXPECT_EQ(RunConversion(work.Request("folder")), ConversionOutcome::UnexpectedError);
    const std::string docset = work.destination + "/folder.docset";
    EXPECT_EQ(ListTree(docset), "");
    EXPECT_EQ(ListFolder(docset + "/Contents/Resources"), "");
  }
  struct Case {
    const char* name;
    void (*fault)(FaultyFileSystem&);
    const char* missing;  // the file that is not there afterwards, if any
  };
  const Case cases[] = {
      {"page", [](FaultyFileSystem& f) { f.refuseCreate = {"B1P2.htm"}; },
       "Contents/Resources/Documents/B1P2.htm"},
      {"index", [](FaultyFileSystem& f) { f.refuseCreate = {"docSet.dsidx"}; },
       "Contents/Resources/docSet.dsidx"},
      {"full",
       [](FaultyFileSystem& f) {
         f.diskFullFor = {"docSet.dsidx"};
         f.diskFullAfterBytes = 100;
       },
       nullptr},
  };
  for (const Case& c : cases) {
    Workspace work;
    ASSERT_EQ(RunConversion(work.Request("clean")), ConversionOutcome::Completed);
    std::string expected = ListTree(work.destination + "/clean.docset");
    FaultyFileSystem faulty;
    c.fault(faulty);
    platform::ScopedFileSystem guard(faulty);
    ConversionSummary summary;
    EXPECT_EQ(RunConversion(work.Request(c.name), summary), ConversionOutcome::IncompleteOutput)
        << c.name;
    EXPECT_EQ(summary.filesFailed, 1u) << c.name;
    // Every other file is written all the same.
    if (c.missing != nullptr) {
      const std::string missing = std::string(" ") + c.missing;
      ASSERT_NE(expected.find(missing), std::string::npos) << c.name;
      expected.erase(expected.find(missing), missing.size());
    }
    const std::string docset = work.destination + "/" + c.name + ".docset";
    EXPECT_EQ(ListTree(docset), expected) << c.name;
    EXPECT_EQ(summary.filesWritten + (c.missing != nullptr ? 0u : 1u), Count(expected)) << c.name;
  }
}

// Refuses the k-th allocation of a run, and every later one, for each k in
// turn, SQLite's own allocations included: a run that was refused anything
// must not end as Completed, and the first run refused nothing writes the
// same docset as a clean run.
TEST(DocsetEdition, MemoryThatRunsOutIsNeverASilentCompletion) {
  ASSERT_TRUE(RouteSqliteAllocations()) << "SQLite was used before its allocations were routed";
  Workspace work;
  ASSERT_EQ(RunConversion(work.Request("clean")), ConversionOutcome::Completed);
  const std::string cleanFolder = work.destination + "/clean.docset";
  const std::string clean = ListTree(cleanFolder);
  bool completed = false;
  unsigned incomplete = 0;
  for (std::uint64_t allowed = 0; allowed < 100000 && !completed; ++allowed) {
    const std::string name = "run" + std::to_string(allowed);
    ConversionOutcome outcome;
    std::uint64_t refused;
    ConversionRequest request = work.Request(name.c_str());
    request.title = "clean";  // which every page shows
    {
      ScopedAllocationFailure failure(allowed);
      outcome = RunConversion(request);
      refused = failure.Refused();
    }
    if (refused > 0) {
      ASSERT_NE(outcome, ConversionOutcome::Completed) << "refused after " << allowed;
      if (outcome == ConversionOutcome::IncompleteOutput) ++incomplete;
    } else {
      ASSERT_EQ(outcome, ConversionOutcome::Completed);
      const std::string folder = work.destination + "/" + name + ".docset";
      EXPECT_EQ(ListTree(folder), clean);
      for (const std::string& file :
           {std::string("Contents/Resources/docSet.dsidx"), std::string(kDocuments) + "Topic1.htm",
            std::string(kDocuments) + "B1P1.htm"}) {
        EXPECT_EQ(ReadFileBytes(folder + "/" + file), ReadFileBytes(cleanFolder + "/" + file))
            << file;
      }
      completed = true;
    }
  }
  EXPECT_TRUE(completed);
  // Most refusals come after the contents page was claimed, SQLite's among them.
  EXPECT_GT(incomplete, 100u);
}

}  // namespace
}  // namespace marlix
