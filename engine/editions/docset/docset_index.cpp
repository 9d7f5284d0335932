#include "engine/editions/docset/docset_index.h"

#include <sqlite3.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>

#include "support/allocation.h"

namespace marlix {

namespace {

// SQLite asks how large a block it was given (xSize), so each block carries
// its size in a header; the header keeps the block aligned as malloc's are.
constexpr std::size_t kHeaderBytes = alignof(std::max_align_t);

unsigned char* BlockOf(void* memory) { return static_cast<unsigned char*>(memory) - kHeaderBytes; }

void* SqliteAllocate(int size) {
  if (size <= 0) return nullptr;
  auto* block =
      static_cast<unsigned char*>(AllocateBytes(kHeaderBytes + static_cast<std::size_t>(size)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  return block + kHeaderBytes;
}

void SqliteRelease(void* memory) {
  if (memory != nullptr) ReleaseBytes(BlockOf(memory));
}

void* SqliteReallocate(void* memory, int size) {
  if (memory == nullptr) return SqliteAllocate(size);
  if (size <= 0) return nullptr;
  // On failure the old block stays as it was, as SQLite expects.
  auto* block = static_cast<unsigned char*>(
      ReallocateBytes(BlockOf(memory), kHeaderBytes + static_cast<std::size_t>(size)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  return block + kHeaderBytes;
}

int SqliteSize(void* memory) {
  if (memory == nullptr) return 0;
  int size;
  std::memcpy(&size, BlockOf(memory), sizeof size);
  return size;
}

int SqliteRoundUp(int size) { return (size + 7) & ~7; }
int SqliteInit(void*) { return SQLITE_OK; }
void SqliteShutdown(void*) {}

// The file layer the index is built on: SQLite's in-memory files (memdb)
// for the database itself, and nothing else. With the journal and the
// temporary store in memory, SQLite asks for no other file; should it ever,
// the request is refused (and the index lost) rather than a file made
// outside the run's folder.
constexpr char kMemoryOnlyFiles[] = "marlix-memory-only";
sqlite3_vfs* memoryFiles = nullptr;  // memdb, once found
sqlite3_vfs memoryOnlyFiles;

int OpenInMemoryOnly(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  if ((flags & SQLITE_OPEN_MAIN_DB) == 0) return SQLITE_CANTOPEN;
  return memoryFiles->xOpen(memoryFiles, name, file, flags, outFlags);
}

// Registers the memory-only file layer on first use; false when SQLite has
// no in-memory files or the layer cannot be registered.
bool RegisterMemoryOnlyFiles() {
  if (memoryFiles != nullptr) return true;
  sqlite3_vfs* memdb = sqlite3_vfs_find("memdb");
  if (memdb == nullptr) return false;
  // memdb's own calls stay: they reach the file layer under it through
  // its application data, which the copy keeps.
  memoryOnlyFiles = *memdb;
  memoryOnlyFiles.pNext = nullptr;
  memoryOnlyFiles.zName = kMemoryOnlyFiles;
  memoryOnlyFiles.xOpen = OpenInMemoryOnly;
  memoryFiles = memdb;
  if (sqlite3_vfs_register(&memoryOnlyFiles, 0) != SQLITE_OK) {
    memoryFiles = nullptr;
    return false;
  }
  return true;
}

// The schema, and the transaction every row goes in. The temporary store is
// kept in memory, so that no sort or statement journal needs a file.
constexpr char kCreateIndex[] =
    "PRAGMA temp_store = MEMORY;"
    "CREATE TABLE searchIndex(id INTEGER PRIMARY KEY, name TEXT, type TEXT, path TEXT);"
    "CREATE UNIQUE INDEX anchor ON searchIndex (name, type, path);"
    "BEGIN;";
constexpr char kInsertRow[] =
    "INSERT OR IGNORE INTO searchIndex(name, type, path) VALUES (?1, ?2, ?3);";

// A value's length as SQLite takes it; false when it is too long for it.
bool FitsSqlite(std::size_t length) { return length <= static_cast<std::size_t>(INT_MAX); }

}  // namespace

bool RouteSqliteAllocations() {
  enum class Routing { NotTried, Routed, Refused };
  static Routing routing = Routing::NotTried;
  if (routing == Routing::NotTried) {
    static const sqlite3_mem_methods methods = {
        SqliteAllocate, SqliteRelease, SqliteReallocate, SqliteSize,
        SqliteRoundUp,  SqliteInit,    SqliteShutdown,   nullptr,
    };
    // Accepted only before SQLite's first use (it copies the methods).
    routing = sqlite3_config(SQLITE_CONFIG_MALLOC, &methods) == SQLITE_OK ? Routing::Routed
                                                                          : Routing::Refused;
  }
  return routing == Routing::Routed;
}

DocsetIndex::~DocsetIndex() { Close(); }

bool DocsetIndex::Fail(int result) {
  if (!failed_) {
    failed_ = true;
    result_ = result;
    error_ = (result & 0xFF) == SQLITE_NOMEM ? ENOMEM : EIO;
  }
  Close();
  return false;
}

void DocsetIndex::Close() {
  image_ = nullptr;
  imageSize_ = 0;
  // Finalizing reports the last step's failure again, which was seen there.
  if (insert_ != nullptr) sqlite3_finalize(insert_);
  insert_ = nullptr;
  if (database_ != nullptr && sqlite3_close(database_) != SQLITE_OK && !failed_) {
    failed_ = true;
    result_ = SQLITE_ERROR;
    error_ = EIO;
  }
  database_ = nullptr;
}

bool DocsetIndex::Open() {
  Close();
  rows_ = 0;
  result_ = SQLITE_OK;
  error_ = 0;
  failed_ = false;

  RouteSqliteAllocations();
  int result = sqlite3_initialize();
  if (result != SQLITE_OK) return Fail(result);
  if (!RegisterMemoryOnlyFiles()) return Fail(SQLITE_ERROR);
  // A name without a leading "/" keeps the database private to this connection.
  result = sqlite3_open_v2("docSet.dsidx", &database_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                           kMemoryOnlyFiles);
  if (result != SQLITE_OK) return Fail(result);
  result = sqlite3_exec(database_, kCreateIndex, nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) return Fail(result);
  result = sqlite3_prepare_v2(database_, kInsertRow, -1, &insert_, nullptr);
  if (result != SQLITE_OK) return Fail(result);
  return true;
}

bool DocsetIndex::Add(const char* name, std::size_t nameLength, const char* type, const char* path,
                      std::size_t pathLength) {
  if (failed_) return false;
  if (insert_ == nullptr) return Fail(SQLITE_MISUSE);
  if (!FitsSqlite(nameLength) || !FitsSqlite(pathLength)) return Fail(SQLITE_TOOBIG);
  // The values stay the caller's: bound without a copy, and unbound again
  // before this call returns.
  int result = sqlite3_bind_text(insert_, 1, name != nullptr ? name : "",
                                 static_cast<int>(nameLength), SQLITE_STATIC);
  if (result == SQLITE_OK) result = sqlite3_bind_text(insert_, 2, type, -1, SQLITE_STATIC);
  if (result == SQLITE_OK) {
    result = sqlite3_bind_text(insert_, 3, path != nullptr ? path : "",
                               static_cast<int>(pathLength), SQLITE_STATIC);
  }
  if (result == SQLITE_OK) {
    result = sqlite3_step(insert_);
    if (result == SQLITE_DONE) {
      result = SQLITE_OK;
      rows_ += static_cast<std::uint32_t>(sqlite3_changes(database_));
    }
  }
  sqlite3_reset(insert_);
  sqlite3_clear_bindings(insert_);
  return result == SQLITE_OK || Fail(result);
}

bool DocsetIndex::Finish() {
  if (failed_) return false;
  if (database_ == nullptr || insert_ == nullptr) return Fail(SQLITE_MISUSE);
  int result = sqlite3_finalize(insert_);
  insert_ = nullptr;
  if (result != SQLITE_OK) return Fail(result);
  result = sqlite3_exec(database_, "COMMIT;", nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) return Fail(result);
  // The database file's bytes as memdb holds them, without a copy; they
  // stay valid while the database stays open and unchanged, which it does
  // until Close.
  sqlite3_int64 size = 0;
  const unsigned char* bytes = sqlite3_serialize(database_, "main", &size, SQLITE_SERIALIZE_NOCOPY);
  if (bytes == nullptr || size <= 0) return Fail(SQLITE_ERROR);
  image_ = bytes;
  imageSize_ = static_cast<std::size_t>(size);
  return true;
}

}  // namespace marlix
