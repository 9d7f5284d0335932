// The docset's search index: the database the browsers read, every value
// stored byte for byte through bound parameters, and every failure of SQLite
// (memory refused included) reported and counted, never a half-built index
// handed out.
#include "engine/editions/docset/docset_index.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "engine/editions/docset/docset_texts.h"
#include "support/allocation.h"

namespace marlix {
namespace {

struct Row {
  std::string name, type, path;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << "(" << row.name << " | " << row.type << " | " << row.path << ")";
}

// A statement's first column, one string per result row.
std::vector<std::string> Column(sqlite3* database, const char* sql) {
  std::vector<std::string> values;
  sqlite3_stmt* statement = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(database, sql, -1, &statement, nullptr), SQLITE_OK) << sql;
  while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    values.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "(null)");
  }
  sqlite3_finalize(statement);
  return values;
}

// Opens the image as a browser would open the file, checks its schema, and
// returns its rows in the order they were added.
std::vector<Row> ReadRows(const DocsetIndex& index) {
  std::vector<Row> rows;
  // SQLite's allocations go through the counted allocator in this process too.
  RouteSqliteAllocations();
  if (index.Bytes() == nullptr) {
    ADD_FAILURE() << "no finished index";
    return rows;
  }
  std::string bytes(index.Bytes(), index.Size());
  EXPECT_EQ(bytes.compare(0, 16, std::string("SQLite format 3\0", 16)), 0);
  sqlite3* database = nullptr;
  EXPECT_EQ(sqlite3_open(":memory:", &database), SQLITE_OK);
  EXPECT_EQ(
      sqlite3_deserialize(database, "main", reinterpret_cast<unsigned char*>(bytes.data()),
                          static_cast<sqlite3_int64>(bytes.size()),
                          static_cast<sqlite3_int64>(bytes.size()), SQLITE_DESERIALIZE_READONLY),
      SQLITE_OK);
  EXPECT_EQ(Column(database, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_EQ(
      Column(database,
             "SELECT name || ' ' || type || ' ' || pk FROM "
             "pragma_table_info('searchIndex')"),
      (std::vector<std::string>{"id INTEGER 1", "name TEXT 0", "type TEXT 0", "path TEXT 0"}));
  EXPECT_EQ(
      Column(database, "SELECT name || ' ' || \"unique\" FROM pragma_index_list('searchIndex')"),
      std::vector<std::string>{"anchor 1"});
  EXPECT_EQ(Column(database, "SELECT name FROM pragma_index_info('anchor') ORDER BY seqno"),
            (std::vector<std::string>{"name", "type", "path"}));
  sqlite3_stmt* statement = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(database, "SELECT name, type, path FROM searchIndex ORDER BY id", -1,
                               &statement, nullptr),
            SQLITE_OK);
  while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
    Row row;
    for (int column = 0; column < 3; ++column) {
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      const int length = sqlite3_column_bytes(statement, column);
      std::string value =
          text != nullptr ? std::string(text, static_cast<std::size_t>(length)) : "(null)";
      (column == 0 ? row.name : column == 1 ? row.type : row.path) = value;
    }
    rows.push_back(row);
  }
  sqlite3_finalize(statement);
  sqlite3_close(database);
  return rows;
}

bool AddAll(DocsetIndex& index, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    if (!index.Add(row.name.c_str(), row.name.size(), row.type.c_str(), row.path.c_str(),
                   row.path.size())) {
      return false;
    }
  }
  return true;
}

// Names that would break a statement built by pasting text, and names
// outside ASCII: each comes back exactly as it went in.
const std::vector<Row> kTrickyRows = {
    {"PRINT USING", kDocsetEntryType, "B1P15.htm"},
    {"O'Brien's \"Rule\"", kDocsetEntryType, "B0P1.htm"},
    {"x'); DROP TABLE searchIndex; --", kDocsetEntryType, "B0P2.htm"},
    {"Semi;colon", kDocsetEntryType, "B0P2.htm"},
    {"--", kDocsetEntryType, "B0P3.htm"},
    {"50% off_%", kDocsetEntryType, "B0P3.htm"},
    {"Caf\xC3\xA9 \xCE\xB2", kDocsetEntryType, "B0P4.htm"},
    {"Functions", kDocsetSectionType, "Topic1.htm"},
};

TEST(DocsetIndex, RowsGoInByteForByteAndEachRowOnce) {
  DocsetIndex index;
  ASSERT_TRUE(index.Open());
  EXPECT_TRUE(AddAll(index, kTrickyRows));
  // The same row again is held once; the same name on another page or of
  // another type is a row of its own.
  EXPECT_TRUE(index.Add("PRINT USING", kDocsetEntryType, "B1P15.htm"));
  EXPECT_TRUE(index.Add("PRINT USING", kDocsetEntryType, "B1P16.htm"));
  EXPECT_TRUE(index.Add("PRINT USING", kDocsetSectionType, "B1P15.htm"));
  EXPECT_EQ(index.Rows(), kTrickyRows.size() + 2);
  ASSERT_TRUE(index.Finish());
  EXPECT_EQ(index.Error(), 0);

  std::vector<Row> expected = kTrickyRows;
  expected.push_back({"PRINT USING", kDocsetEntryType, "B1P16.htm"});
  expected.push_back({"PRINT USING", kDocsetSectionType, "B1P15.htm"});
  EXPECT_EQ(ReadRows(index), expected);

  // The same index may be built again from the start.
  ASSERT_TRUE(index.Open());
  EXPECT_EQ(index.Rows(), 0u);
  EXPECT_EQ(index.Bytes(), nullptr);
  ASSERT_TRUE(index.Finish());
  EXPECT_EQ(ReadRows(index), std::vector<Row>{});
}

// A large index needs no file at all: were SQLite to ask for a journal or
// a temporary file, the memory-only file layer would refuse it and the
// build would fail.
TEST(DocsetIndex, ALargeIndexIsBuiltInMemoryAlone) {
  DocsetIndex index;
  ASSERT_TRUE(index.Open());
  constexpr std::uint32_t kRows = 60000;
  std::string name, page;
  for (std::uint32_t i = 0; i < kRows; ++i) {
    // In an order unlike the index's, so that its pages split everywhere.
    name.assign("Topic name of some length, number ").append(std::to_string((i * 7919u) % kRows));
    page.assign("B")
        .append(std::to_string(i % 40))
        .append("P")
        .append(std::to_string(i))
        .append(".htm");
    ASSERT_TRUE(index.Add(name.c_str(), name.size(), kDocsetEntryType, page.c_str(), page.size()))
        << i;
  }
  ASSERT_TRUE(index.Finish());
  EXPECT_GT(index.Size(), 4u * 1024 * 1024);  // more than the default page cache holds
  const std::vector<Row> rows = ReadRows(index);
  ASSERT_EQ(rows.size(), kRows);
  EXPECT_EQ(rows[kRows - 1].path, "B39P59999.htm");

  // The same file layer refuses any file but the database itself.
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open_v2("probe", &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            "marlix-memory-only"),
            SQLITE_OK);
  const int result =
      sqlite3_exec(database,
                   "PRAGMA temp_store = FILE; PRAGMA cache_size = 10;"
                   "CREATE TEMP TABLE spill(x);"
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                   "WHERE i < 2000) INSERT INTO spill SELECT randomblob(4000) FROM n;",
                   nullptr, nullptr, nullptr);
  EXPECT_EQ(result, SQLITE_CANTOPEN) << sqlite3_errmsg(database);
  sqlite3_close(database);
}

TEST(DocsetIndex, FailuresAreReportedAndStick) {
  DocsetIndex index;
  // Not opened.
  EXPECT_FALSE(index.Add("A", kDocsetEntryType, "B0P0.htm"));
  EXPECT_NE(index.Error(), 0);
  EXPECT_FALSE(index.Finish());
  EXPECT_EQ(index.Bytes(), nullptr);

  // A value longer than SQLite takes loses the index; nothing after it helps.
  ASSERT_TRUE(index.Open());
  EXPECT_TRUE(index.Add("A", kDocsetEntryType, "B0P0.htm"));
  EXPECT_FALSE(
      index.Add("B", static_cast<std::size_t>(INT_MAX) + 1, kDocsetEntryType, "B0P1.htm", 8));
  EXPECT_EQ(index.SqliteResult(), SQLITE_TOOBIG);
  EXPECT_EQ(index.Error(), EIO);
  EXPECT_FALSE(index.Add("C", kDocsetEntryType, "B0P2.htm"));
  EXPECT_FALSE(index.Finish());
  EXPECT_EQ(index.Bytes(), nullptr);
  EXPECT_EQ(index.Size(), 0u);
}

// Every allocation of a build refused in turn, SQLite's own included: each
// build either fails, reporting it, or (where SQLite copes with the loss)
// hands out the complete index; and the count of failed allocations always
// moves, so that a run that built it cannot end Completed.
TEST(DocsetIndex, ARefusedAllocationIsReportedAndMakesTheRunIncomplete) {
  ASSERT_TRUE(RouteSqliteAllocations()) << "SQLite was used before its allocations were routed";
  unsigned failedBuilds = 0;
  unsigned nomemBuilds = 0;
  for (std::uint64_t allowed = 0;; ++allowed) {
    ASSERT_LT(allowed, 100000u) << "the build never completed";
    const std::uint64_t failedBefore = FailedAllocations();
    DocsetIndex index;
    bool built;
    std::uint64_t refused;
    {
      ScopedAllocationFailure refuse(allowed);
      built = index.Open() && AddAll(index, kTrickyRows) && index.Finish();
      refused = refuse.Refused();
    }
    if (refused == 0) {
      EXPECT_TRUE(built);
      EXPECT_EQ(FailedAllocations(), failedBefore);
      EXPECT_EQ(ReadRows(index), kTrickyRows);
      break;
    }
    EXPECT_GT(FailedAllocations(), failedBefore) << "allowed " << allowed;
    if (built) {
      EXPECT_EQ(ReadRows(index), kTrickyRows) << "allowed " << allowed;
    } else {
      ++failedBuilds;
      if (index.Error() == ENOMEM) ++nomemBuilds;
      EXPECT_NE(index.Error(), 0) << "allowed " << allowed;
      EXPECT_EQ(index.Bytes(), nullptr) << "allowed " << allowed;
    }
  }
  // Most refusals end the build with SQLite's out-of-memory result.
  EXPECT_GT(failedBuilds, 10u);
  EXPECT_GT(nomemBuilds, failedBuilds / 2);
}

}  // namespace
}  // namespace marlix
