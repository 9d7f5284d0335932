// Whole runs of the e-book: one new file and nothing else, its entries in
// their order, the pages' lines and headings, the language and the time,
// escaping, and a book that could not be written in full.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/conversion_driver.h"
#include "support/archive_reader.h"
#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::ArchiveEntry;
using testing::FaultyFileSystem;
using testing::FindEntry;
using testing::ListFolder;
using testing::ReadArchive;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

ConversionRequest EpubRequest(const std::string& source, const std::string& destination,
                              const char* name) {
  ConversionRequest request;
  request.sourceFolderPath = source.c_str();
  request.destinationFolderPath = destination.c_str();
  request.destinationFolderName = name;
  request.edition = OutputEdition::Epub;
  return request;
}

std::string Page(const std::vector<ArchiveEntry>& entries, const std::string& name) {
  const ArchiveEntry* entry = FindEntry(entries, name);
  EXPECT_NE(entry, nullptr) << name;
  return entry != nullptr ? entry->bytes : std::string();
}

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(EpubEdition, WritesOneNewFileWithItsEntriesInOrder) {
  ScratchFolder scratch;
  ConversionSummary summary;
  EXPECT_EQ(RunConversion(EpubRequest(MARLIX_SAMPLES, scratch.Path(), "Book"), summary),
            ConversionOutcome::Completed);
  EXPECT_EQ(ListFolder(scratch.Path()), "Book.epub");
  EXPECT_EQ(summary.startPage, (scratch / "Book.epub").c_str());
  const std::vector<ArchiveEntry> entries = ReadArchive(ReadFileBytes(scratch / "Book.epub"));
  ASSERT_GT(entries.size(), 8u);
  EXPECT_EQ(summary.filesWritten, entries.size());
  EXPECT_EQ(entries[0].name, "mimetype");
  EXPECT_EQ(entries[0].method, 0u);
  EXPECT_EQ(entries[0].extra, 0u);
  EXPECT_EQ(entries[0].bytes, "application/epub+zip");
  const char* order[] = {"META-INF/container.xml", "EPUB/nav.xhtml", "EPUB/Index.xhtml",
                         "EPUB/Topic0.xhtml"};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(entries[i + 1].name, order[i]);
  EXPECT_EQ(entries.back().name, "EPUB/package.opf");
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].method, 8u) << entries[i].name;
  }
  // Every content document is in the manifest and the spine.
  const std::string package = entries.back().bytes;
  for (const ArchiveEntry& entry : entries) {
    if (entry.name.rfind("EPUB/B", 0) != 0) continue;
    const std::string id = entry.name.substr(5, entry.name.size() - 11);
    EXPECT_TRUE(Holds(package, "<itemref idref=\"" + id + "\"")) << id;
  }

  // A second run beside it: the same name is refused and the book untouched,
  // a NAME ending in ".epub" is not given a second one.
  const std::string before = ReadFileBytes(scratch / "Book.epub");
  EXPECT_EQ(RunConversion(EpubRequest(MARLIX_SAMPLES, scratch.Path(), "Book")),
            ConversionOutcome::DestinationNotCreated);
  EXPECT_EQ(RunConversion(EpubRequest(MARLIX_SAMPLES, scratch.Path(), "Book.epub")),
            ConversionOutcome::DestinationNotCreated);
  EXPECT_EQ(ReadFileBytes(scratch / "Book.epub"), before);
  EXPECT_EQ(ListFolder(scratch.Path()), "Book.epub");
}

TEST(EpubEdition, LinesSideBySideHeadingsInOrderTextEscaped) {
  ScratchFolder scratch;
  const std::string source = scratch / "src";
  const std::string out = scratch / "out";
  std::filesystem::create_directories(source);
  std::filesystem::create_directories(out);
  WriteFileBytes(source + "/a.txt",
                 "@A & <B>\r\n"
                 ":One:Uno\r\n"
                 " One ]]> & <tag> \"q\"\r\n"
                 "%Bold first\r\n"
                 " plain ~Two~ and ~None~\r\n"
                 "^Centred\r\n"
                 "%Bold under it\r\n"
                 " \xC9\xCD\xBB\r\n"
                 ":Two\r\n"
                 " Two\r\n"
                 "%\tCode\tName\r\n"
                 "\t 0\tZero\r\n");
  ConversionRequest request = EpubRequest(source, out, "A&B");
  request.language = "de-CH";
  EXPECT_EQ(RunConversion(request), ConversionOutcome::Completed);
  const std::vector<ArchiveEntry> entries = ReadArchive(ReadFileBytes(out + "/A&B.epub"));
  const std::string page = Page(entries, "EPUB/B0P0.xhtml");
  EXPECT_TRUE(Holds(page, "lang=\"de-CH\" xml:lang=\"de-CH\""));
  EXPECT_TRUE(Holds(page, "<h1>One ]]&gt; &amp; &lt;tag&gt; &quot;q&quot;</h1>"));
  EXPECT_TRUE(Holds(page,
                    "<div class=\"text\"><h2 class=\"b\">Bold first</h2><div>plain <a "
                    "href=\"B0P1.xhtml\">Two</a> and <b>None</b></div><h2 class=\"c\">Centred"
                    "</h2><h3 class=\"b\">Bold under it</h3><div class=\"table\"><div>"
                    "\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97</div></div></div>"));
  // Every tab to the next multiple of 8 columns, an indented line's format
  // column included: the heading's "Name" and the row's "Zero" line up.
  EXPECT_TRUE(Holds(Page(entries, "EPUB/B0P1.xhtml"),
                    "<h2 class=\"b\">        Code    Name</h2><div>         0      Zero</div>"));
  const std::string package = Page(entries, "EPUB/package.opf");
  EXPECT_TRUE(Holds(package, "<dc:title>A&amp;B</dc:title>"));
  EXPECT_TRUE(Holds(package, "<dc:language>de-CH</dc:language>"));
  EXPECT_TRUE(Holds(Page(entries, "EPUB/Topic0.xhtml"), "<h1>A &amp; &lt;B&gt;</h1>"));
  EXPECT_TRUE(Holds(Page(entries, "EPUB/nav.xhtml"), "<a href=\"B0P1.xhtml\">Two</a>"));

  // A title given is UTF-8, as typed: it is not read as code page 437.
  request = EpubRequest(source, out, "titled");
  request.title = "Caf\xC3\xA9 <1>";
  EXPECT_EQ(RunConversion(request), ConversionOutcome::Completed);
  const std::vector<ArchiveEntry> titled = ReadArchive(ReadFileBytes(out + "/titled.epub"));
  EXPECT_TRUE(Holds(Page(titled, "EPUB/package.opf"), "<dc:title>Caf\xC3\xA9 &lt;1&gt;</dc:title>"));
  // The contents page and its line in the table of contents are the book's.
  EXPECT_TRUE(Holds(Page(titled, "EPUB/Index.xhtml"),
                    "<title>Caf\xC3\xA9 &lt;1&gt;</title>"));
  EXPECT_TRUE(Holds(Page(titled, "EPUB/Index.xhtml"), "<h1>Caf\xC3\xA9 &lt;1&gt;</h1>"));
  EXPECT_TRUE(Holds(Page(titled, "EPUB/nav.xhtml"),
                    "<a href=\"Index.xhtml\">Caf\xC3\xA9 &lt;1&gt;</a>"));
}

TEST(EpubEdition, TheIdentifierComesFromTheNameAndTheText) {
  ScratchFolder scratch;
  const std::string source = scratch / "src";
  std::filesystem::create_directories(source);
  WriteFileBytes(source + "/a.txt", "@A\r\n:One\r\n Text\r\n");
  EXPECT_EQ(RunConversion(EpubRequest(source, scratch.Path(), "one")),
            ConversionOutcome::Completed);
  EXPECT_EQ(RunConversion(EpubRequest(source, scratch.Path(), "two")),
            ConversionOutcome::Completed);
  WriteFileBytes(source + "/a.txt", "@A\r\n:One\r\n Text!\r\n");
  EXPECT_EQ(RunConversion(EpubRequest(source, scratch.Path(), "three")),
            ConversionOutcome::Completed);
  auto identifier = [&](const char* book) {
    const std::string package =
        Page(ReadArchive(ReadFileBytes(scratch / book)), "EPUB/package.opf");
    const std::size_t at = package.find("urn:uuid:");
    return at == std::string::npos ? std::string() : package.substr(at, 45);
  };
  EXPECT_NE(identifier("one.epub"), identifier("two.epub"));
  EXPECT_NE(identifier("one.epub"), identifier("three.epub"));
  EXPECT_EQ(identifier("one.epub").size(), 45u);
}

TEST(EpubEdition, ABookNotWrittenInFullIsNamedAndTheRunIncomplete) {
  ScratchFolder scratch;
  FaultyFileSystem faulty;
  faulty.diskFullFor = {"Book.epub"};
  faulty.diskFullAfterBytes = 5000;
  platform::ScopedFileSystem scoped(faulty);
  ConversionSummary summary;
  EXPECT_EQ(RunConversion(EpubRequest(MARLIX_SAMPLES, scratch.Path(), "Book"), summary),
            ConversionOutcome::IncompleteOutput);
  EXPECT_GT(summary.filesFailed, 1u);
  EXPECT_GT(summary.filesWritten, 0u);
  EXPECT_EQ(ListFolder(scratch.Path()), "Book.epub");
}

}  // namespace
}  // namespace marlix
