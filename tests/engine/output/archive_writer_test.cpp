// The archive writer: entries read back by the tests' reader, written from
// the format's layout (support/archive_reader.h); the same bytes for the
// same entries, the time fields, the limits of the format without its
// 64-bit extensions, and a failed write as a loss, also through the page
// sink that counts entries like files.
#include "engine/output/archive_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/output/page_sink.h"
#include "support/archive_reader.h"
#include "support/faulty_file_system.h"
#include "support/scratch_folder.h"

namespace marlix {
namespace {

using testing::ArchiveEntry;
using testing::FaultyFileSystem;
using testing::ReadArchive;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

constexpr std::int64_t k2024Feb29 = 1709214358;  // 2024-02-29 13:45:58 UTC

// Writes the entries into a new file of the scratch folder and returns its bytes.
std::string WriteArchive(const std::string& path,
                         const std::vector<std::pair<std::string, std::string>>& entries) {
  platform::FolderHandle folder = platform::Files().HoldFolder(path.c_str());
  EXPECT_NE(folder, platform::kNoFolder);
  {
    ArchiveWriter archive;
    archive.Begin(platform::Files().CreateNewIn(folder, "a.zip"), k2024Feb29);
    bool first = true;
    for (const auto& [name, bytes] : entries) {
      EXPECT_TRUE(archive.Add(name.c_str(), bytes.data(), bytes.size(),
                              first ? ArchiveWriter::kStored : ArchiveWriter::kDeflated));
      first = false;
    }
    EXPECT_TRUE(archive.Finish());
    EXPECT_FALSE(archive.IsOpen());
  }
  platform::Files().ReleaseFolder(folder);
  return ReadFileBytes(testing::JoinedPath(path, "a.zip"));
}

TEST(ArchiveWriter, EntriesReadBackStoredAndDeflatedWithTheirSums) {
  ScratchFolder scratch;
  std::string page(5000, 'x');
  page[1234] = '\0';  // binary bytes pass as they are
  page += "\xE2\x95\x90 end";
  const std::string zip = WriteArchive(
      scratch.Path(), {{"mimetype", "123456789"}, {"EPUB/p.xhtml", page}, {"empty", ""}});
  const std::vector<ArchiveEntry> entries = ReadArchive(zip);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "mimetype");
  EXPECT_EQ(entries[0].method, 0u);
  EXPECT_EQ(entries[0].crc, 0xCBF43926u);  // the CRC-32 check value
  EXPECT_EQ(entries[0].extra, 0u);
  // Stored first, with no extra field: the bytes stand right after the name.
  EXPECT_EQ(zip.substr(30, 8), "mimetype");
  EXPECT_EQ(zip.substr(38, 9), "123456789");
  EXPECT_EQ(entries[1].method, 8u);
  EXPECT_EQ(entries[1].bytes, page);
  EXPECT_LT(zip.size(), page.size());  // deflated indeed
  EXPECT_EQ(entries[2].bytes, "");
}

TEST(ArchiveWriter, TheSameEntriesGiveTheSameBytesAndOneTime) {
  ScratchFolder one;
  ScratchFolder two;
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"mimetype", "application/epub+zip"}, {"a", std::string(70000, 'a')}, {"b", "b"}};
  const std::string zip = WriteArchive(one.Path(), entries);
  EXPECT_EQ(zip, WriteArchive(two.Path(), entries));
  for (const ArchiveEntry& entry : ReadArchive(zip)) {
    // 2024-02-29 13:45:58 as DOS time and date.
    EXPECT_EQ(entry.time, (13u << 11) | (45u << 5) | 29u);
    EXPECT_EQ(entry.date, (44u << 9) | (2u << 5) | 29u);
  }
}

TEST(ArchiveInstant, ClampsToTheDosRangeInEvenSeconds) {
  EXPECT_EQ(ArchiveInstant(0), 315532800);  // 1980-01-01
  EXPECT_EQ(ArchiveInstant(-5), 315532800);
  EXPECT_EQ(ArchiveInstant(k2024Feb29 + 1), k2024Feb29);
  const CivilTime last = ToCivilTime(ArchiveInstant(INT64_C(1) << 40));
  EXPECT_EQ(last.year, 2107);
  EXPECT_EQ(last.month, 12);
  EXPECT_EQ(last.day, 31);
  EXPECT_EQ(last.second, 58);
  const CivilTime leap = ToCivilTime(k2024Feb29);
  EXPECT_EQ(leap.year * 10000 + leap.month * 100 + leap.day, 20240229);
  EXPECT_EQ(leap.hour * 10000 + leap.minute * 100 + leap.second, 134558);
}

TEST(ArchiveWriter, RefusesWhatWouldNeedTheSixtyFourBitExtensions) {
  ScratchFolder scratch;
  platform::FolderHandle folder = platform::Files().HoldFolder(scratch.Path().c_str());
  ArchiveWriter archive;
  archive.Begin(platform::Files().CreateNewIn(folder, "a.zip"), 0);
  for (unsigned i = 0; i < 0xFFFF; ++i) ASSERT_TRUE(archive.Add("e", "", 0, ArchiveWriter::kStored));
  EXPECT_FALSE(archive.Add("e", "", 0, ArchiveWriter::kStored));
  EXPECT_EQ(archive.Error(), EFBIG);
  EXPECT_FALSE(archive.Finish());
  platform::Files().ReleaseFolder(folder);
}

TEST(ArchiveWriter, AFailedWriteBreaksTheArchiveAndStillClosesIt) {
  ScratchFolder scratch;
  FaultyFileSystem faulty;
  faulty.diskFullFor = {"a.zip"};
  faulty.diskFullAfterBytes = 100;
  platform::ScopedFileSystem scoped(faulty);
  platform::FolderHandle folder = platform::Files().HoldFolder(scratch.Path().c_str());
  ArchiveWriter archive;
  archive.Begin(platform::Files().CreateNewIn(folder, "a.zip"), 0);
  EXPECT_TRUE(archive.Add("mimetype", "application/epub+zip", 20, ArchiveWriter::kStored));
  const std::string big(500, 'q');
  EXPECT_FALSE(archive.Add("big", big.data(), big.size(), ArchiveWriter::kStored));
  EXPECT_EQ(archive.Error(), ENOSPC);
  EXPECT_FALSE(archive.Add("small", "s", 1, ArchiveWriter::kDeflated));
  EXPECT_EQ(archive.Entries(), 1u);
  EXPECT_FALSE(archive.Finish());
  EXPECT_FALSE(archive.IsOpen());
  platform::Files().ReleaseFolder(folder);
}

// One thing a listener hears: written (+), not created (!) or not written
// in full (-), with the error.
std::string Event(char kind, const std::string& path, int error = -1) {
  std::string event(1, kind);
  event.append(path);
  if (error >= 0) event.append(" ").append(std::to_string(error));
  return event;
}

struct Heard : Diagnostics {
  std::vector<std::string> events;
  void OutputWritten(const char* path) override { events.push_back(Event('+', path)); }
  void OutputNotCreated(const char* path, int error) override {
    events.push_back(Event('!', path, error));
  }
  void OutputNotWritten(const char* path, int error) override {
    events.push_back(Event('-', path, error));
  }
};

// The path a listener is told for an entry of archive.
std::string EntryPath(const std::string& archive, const std::string& entry) {
  return testing::JoinedPath(archive, entry);
}

TEST(PageSinkArchive, CountsAndTellsEntriesLikeFiles) {
  ScratchFolder scratch;
  Heard heard;
  const std::string prefix = testing::JoinedPath(scratch.Path(), "b.epub");
  {
    PageSink sink(&heard);
    ASSERT_TRUE(sink.Hold(scratch.Path().c_str()));
    ASSERT_TRUE(sink.EnterArchive("b.epub"));
    sink.SetArchiveTime(k2024Feb29);
    EXPECT_TRUE(sink.WriteStored("mimetype", "application/epub+zip", 20));
    EXPECT_TRUE(sink.Write("EPUB/a.xhtml", TextString("<p/>")));
    EXPECT_TRUE(sink.LeaveArchive());
    EXPECT_EQ(sink.Written(), 2u);
    EXPECT_EQ(sink.Lost(), 0u);
    // Out of the archive, files go into the folder again.
    EXPECT_TRUE(sink.Write("after", TextString("x")));
  }
  const std::vector<ArchiveEntry> entries = ReadArchive(ReadFileBytes(prefix));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].method, 0u);
  EXPECT_EQ(entries[1].method, 8u);
  EXPECT_EQ(entries[1].bytes, "<p/>");
  EXPECT_EQ(heard.events, (std::vector<std::string>{Event('+', EntryPath(prefix, "mimetype")),
                                                    Event('+', EntryPath(prefix, "EPUB/a.xhtml")),
                                                    Event('+', scratch / "after")}));
}

TEST(PageSinkArchive, IsCreatedExclusively) {
  ScratchFolder scratch;
  WriteFileBytes(scratch / "b.epub", "mine");
  Heard heard;
  PageSink sink(&heard);
  ASSERT_TRUE(sink.Hold(scratch.Path().c_str()));
  EXPECT_FALSE(sink.EnterArchive("b.epub"));
  EXPECT_EQ(sink.Lost(), 1u);
  EXPECT_EQ(heard.events, (std::vector<std::string>{Event('!', scratch / "b.epub", EEXIST)}));
  EXPECT_EQ(ReadFileBytes(scratch / "b.epub"), "mine");
}

TEST(PageSinkArchive, AnEntryNotWrittenInFullLosesTheRestAndNamesThePartialArchive) {
  ScratchFolder scratch;
  FaultyFileSystem faulty;
  faulty.diskFullFor = {"b.epub"};
  faulty.diskFullAfterBytes = 200;
  platform::ScopedFileSystem scoped(faulty);
  Heard heard;
  const std::string prefix = scratch / "b.epub";
  PageSink sink(&heard);
  ASSERT_TRUE(sink.Hold(scratch.Path().c_str()));
  ASSERT_TRUE(sink.EnterArchive("b.epub"));
  EXPECT_TRUE(sink.WriteStored("mimetype", "application/epub+zip", 20));
  EXPECT_FALSE(sink.WriteStored("big", std::string(300, 'b').c_str(), 300));
  EXPECT_FALSE(sink.Write("c", TextString("c")));
  EXPECT_FALSE(sink.LeaveArchive());
  EXPECT_EQ(sink.Written(), 1u);
  EXPECT_EQ(sink.Lost(), 3u);  // two entries and the archive itself
  EXPECT_EQ(heard.events, (std::vector<std::string>{Event('+', EntryPath(prefix, "mimetype")),
                                                    Event('-', EntryPath(prefix, "big"), ENOSPC),
                                                    Event('-', EntryPath(prefix, "c"), ENOSPC),
                                                    Event('-', prefix, ENOSPC)}));
}

TEST(PageSinkArchive, AnEntryKnownShortIsLostButTheArchiveStaysReadable) {
  ScratchFolder scratch;
  Heard heard;
  {
    PageSink sink(&heard);
    ASSERT_TRUE(sink.Hold(scratch.Path().c_str()));
    ASSERT_TRUE(sink.EnterArchive("b.epub"));
    EXPECT_FALSE(sink.Write("a", TextString("half"), false, EIO));
    EXPECT_TRUE(sink.Write("b", TextString("whole")));
    EXPECT_FALSE(sink.LeaveArchive());
    EXPECT_EQ(sink.Lost(), 2u);
  }
  EXPECT_EQ(heard.events.back(), Event('-', scratch / "b.epub", EIO));
  EXPECT_EQ(ReadArchive(ReadFileBytes(scratch / "b.epub")).size(), 2u);
}

}  // namespace
}  // namespace marlix
