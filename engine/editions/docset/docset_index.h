// The search index of a docset (Contents/Resources/docSet.dsidx): an SQLite
// database with the one table offline documentation browsers read,
//
//   searchIndex(id INTEGER PRIMARY KEY, name TEXT, type TEXT, path TEXT)
//   with the unique index "anchor" on (name, type, path),
//
// built entirely in memory; the finished index hands out the bytes of the
// database file where SQLite holds them (no copy), so that the caller writes
// it like any other output file. SQLite itself
// opens no file: the database lives in SQLite's in-memory file layer (memdb),
// reached through a file layer of this program's own that refuses every
// other file (journals and temporary files are kept in memory as well).
//
// Every failure is reported, never ignored: a statement that fails, memory
// that SQLite cannot have (SQLITE_NOMEM), an image that cannot be handed out.
// Once a step has failed the index is lost: later steps fail too.
//
// Use:
//   DocsetIndex index;
//   bool built = index.Open();
//   built = built && index.Add(name, type, page);               // per row
//   built = built && index.Finish();
//   write index.Bytes(), index.Size()                            // while index lives
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/text_string.h"

struct sqlite3;
struct sqlite3_stmt;

namespace marlix {

// Routes SQLite's heap blocks through the project's allocator (support/
// allocation.h), so that a block SQLite cannot have is counted like any other
// lost allocation (a run that saw one is incomplete) and tests can refuse
// them with ScopedAllocationFailure. Must come before SQLite is first used in
// the process; DocsetIndex::Open calls it. False when SQLite was already in
// use by then (its own allocator stays; failures are still reported, only not
// counted).
bool RouteSqliteAllocations();

class DocsetIndex {
 public:
  DocsetIndex() = default;
  DocsetIndex(const DocsetIndex&) = delete;
  DocsetIndex& operator=(const DocsetIndex&) = delete;
  ~DocsetIndex();

  // Makes the empty database with the table and its unique index, and opens
  // the one transaction every row goes in. False when any of it fails.
  bool Open();
  // One row. Every value goes in through a bound parameter, byte for byte
  // (quotes, semicolons and "--" included); text is UTF-8. A row equal in
  // name, type and path to one already added is left out (the unique index
  // "anchor" holds each once) and counts as added. False when the row could
  // not be stored.
  bool Add(const char* name, std::size_t nameLength, const char* type, const char* path,
           std::size_t pathLength);
  bool Add(const TextString& name, const char* type, const TextString& path) {
    return Add(name.CStr(), name.Length(), type, path.CStr(), path.Length());
  }
  // Commits the rows; the bytes of the finished database file are then
  // Bytes() and Size(), valid until the index is opened again or destroyed.
  // False when the index is lost.
  bool Finish();
  // The finished file; nullptr and 0 unless Finish succeeded.
  const char* Bytes() const { return reinterpret_cast<const char*>(image_); }
  std::size_t Size() const { return imageSize_; }

  // Rows stored so far.
  std::uint32_t Rows() const { return rows_; }
  // Why the index was lost, as an errno value for the diagnostics (ENOMEM
  // when SQLite ran out of memory, EIO for any other failure); 0 while it
  // is not lost.
  int Error() const { return error_; }
  // SQLite's result code of the step that failed (SQLITE_OK while none has).
  int SqliteResult() const { return result_; }

 private:
  // Notes a failure with SQLite's result code; always false.
  bool Fail(int result);
  void Close();

  sqlite3* database_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  const unsigned char* image_ = nullptr;  // SQLite's own bytes of the open database
  std::size_t imageSize_ = 0;
  std::uint32_t rows_ = 0;
  int result_ = 0;
  int error_ = 0;
  bool failed_ = false;
};

}  // namespace marlix
