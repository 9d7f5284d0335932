// Reads an existing source file as lines of at most 80 bytes. LF or CR LF ends
// a line; a longer line comes in 80-byte pieces. Reads are buffered: the
// 80-byte rule applies to the bytes handed out, never to the size of the reads.
//
// ReadPiece and PeekPiece hand out a view into the reader's buffer instead of
// a copy; the view stays valid until the next read, peek or Open/Close.
#pragma once

#include <cstdint>

#include "support/platform/file_system.h"
#include "support/text_string.h"

namespace marlix {

// One line, or one 80-byte piece of a longer line, as the reader hands it out.
struct LinePiece {
  const char* bytes = "";    // content, cut at a zero byte
  std::uint32_t length = 0;  // bytes of content
  bool endsLine = false;     // its line end was read with it (the next piece starts a new line)
  bool cutAtZero = false;    // bytes after a zero byte were left out
};

class LineReader {
 public:
  static constexpr std::uint32_t kMaxLineBytes = 80;

  LineReader() = default;
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader();

  bool Open(const char* path);
  bool Open(const TextString& path) { return Open(path.CStr()); }
  bool Close();

  // The next piece as a view; false when nothing was read.
  bool ReadPiece(LinePiece& piece);
  // The piece ReadPiece would hand out if the next skip bytes were taken
  // first, without taking anything; false when there is no such piece.
  bool PeekPiece(std::uint32_t skip, LinePiece& piece);
  // The next line, without its line end; the empty string when nothing was read.
  TextString ReadLine();
  bool SkipLine();
  // The next n bytes, cut at a zero byte; empty when fewer than n remain.
  TextString ReadBytes(std::uint32_t n);
  // True once a read has left the position at the end of the file, or found
  // nothing more to read (a read that fails also ends every reading loop).
  bool AtEnd() const { return atEnd_; }
  // True once a read of the current file failed (or its size could not be
  // learnt when it was opened): the lines handed out may stop short of its
  // end. A file that shrank or grew is no failure.
  bool ReadFailed() const { return readFailed_; }
  // Why that read failed (an errno value, see FileSystem::LastError).
  int ReadError() const { return readError_; }
  bool IsOpen() const { return file_ != platform::kNoFile; }
  // Bytes of the file taken so far, and its size when last asked.
  std::int64_t Position() const { return position_; }
  std::int64_t Size() const { return size_; }
  // When the file was last modified, as the file system told when it was
  // opened (seconds; -1 when it keeps no times).
  std::int64_t ModifiedTime() const { return modified_; }

 private:
  // Makes at least want bytes available from the position when the file has
  // them; returns how many are available.
  std::uint32_t Fill(std::uint32_t want);
  // The piece starting skip bytes ahead, and how many bytes it takes with
  // its line end; false when there is none.
  bool CutPiece(std::uint32_t skip, LinePiece& piece, std::uint32_t& consumed);

  platform::FileHandle file_ = platform::kNoFile;
  bool atEnd_ = false;
  bool exhausted_ = false;   // the last read found the end or failed
  bool readFailed_ = false;  // a read reported an error
  bool zeroSeen_ = false;    // a zero byte came in with a read of this file
  int readError_ = 0;        // why the failed read failed
  std::int64_t size_ = 0;    // the file's size when last asked
  std::int64_t modified_ = -1;  // its modification time when opened
  std::int64_t position_ = 0;
  char* buffer_ = nullptr;
  std::uint32_t begin_ = 0;  // first unread byte in buffer_
  std::uint32_t end_ = 0;    // one past the last byte read into buffer_
};

}  // namespace marlix
