// Reads an existing source file as lines of at most 80 bytes. LF or CR LF ends
// a line; a longer line comes in 80-byte pieces. Reads are buffered: the
// 80-byte rule applies to the bytes handed out, never to the size of the reads.
//
// ReadPiece and PeekPiece hand out a view into the reader's buffer instead of
// a copy; the view stays valid until the next read, peek or Open/Close.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "support/platform/file_system.h"
#include "support/text_string.h"

namespace marlix {

// One line, or one 80-byte piece of a longer line, as the reader hands it out.
struct LinePiece {
  const char* bytes = "";    // content, cut at a zero byte
  std::uint32_t length = 0;  // bytes of content
  bool endsLine = false;     // its line end was read with it (the next piece starts a new line)
};

class LineReader {
 public:
  static constexpr std::uint32_t kMaxLineBytes = 80;
  // A piece is decided by at most 80 bytes and two of look-ahead for a line
  // end right after them.
  static constexpr std::uint32_t kDecidingBytes = kMaxLineBytes + 2;

  LineReader() = default;
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader();

  bool Open(const char* path);
  bool Open(const TextString& path) { return Open(path.CStr()); }
  bool Close();

  // The next line, without its line end; the empty string when nothing was read.
  TextString ReadLine();
  // The same into line, reusing its buffer; true when a line was read.
  bool ReadLine(TextString& line);
  bool SkipLine();
  // The next line as a view; false when nothing was read.
  bool ReadPiece(LinePiece& piece) {
    // The common case, inline: a whole short line in the buffer, no zero byte.
    if (end_ - begin_ >= kDecidingBytes && !zeroSeen_) {
      const char* bytes = buffer_ + begin_;
      std::uint32_t length = FindLineFeed(bytes);
      if (length < kMaxLineBytes) {
        Consume(length + 1);
        if (length > 0 && bytes[length - 1] == '\r') --length;
        piece.bytes = bytes;
        piece.length = length;
        piece.endsLine = true;
        return true;
      }
    }
    return ReadPieceSlowly(piece);
  }
  // Passes over the lines ahead that ReadPiece would hand out whole (a line
  // end within their first 80 bytes) and whose first byte is not mark, as
  // long as the buffer holds them; returns how many. Stops before a line
  // that starts with mark, a longer line, a zero byte, or where more must be
  // read first: ReadPiece then takes over.
  std::uint32_t SkipShortLinesNotStartingWith(char mark) {
    std::uint32_t skipped = zeroSeen_ ? 0 : SkipShortLinesInBlocks(mark);
    // The last lines of the buffer, one at a time.
    while (end_ - begin_ >= kDecidingBytes && !zeroSeen_) {
      const char* bytes = buffer_ + begin_;
      if (bytes[0] == mark) break;
      const std::uint32_t length = FindLineFeed(bytes);
      if (length >= kMaxLineBytes) break;
      Consume(length + 1);
      ++skipped;
    }
    return skipped;
  }
  // The line ReadPiece would hand out if the next skip bytes were taken first,
  // without taking anything; false when there is no such line.
  bool PeekPiece(std::uint32_t skip, LinePiece& piece);
  // The next n bytes, cut at a zero byte; empty when fewer than n remain.
  TextString ReadBytes(std::uint32_t n);
  // True once a read has left the position at the end of the file, or found
  // nothing more to read (a read that fails also ends every reading loop).
  bool AtEnd() const { return atEnd_; }
  // True once a read of the current file failed: the lines handed out may
  // stop short of its end. A file that shrank or grew is no failure.
  bool ReadFailed() const { return readFailed_; }
  // Why that read failed (an errno value, see FileSystem::LastError).
  int ReadError() const { return readError_; }
  bool IsOpen() const { return file_ != platform::kNoFile; }

 private:
  // The offset of the first LF among the kMaxLineBytes bytes at bytes, all of
  // them readable, or kMaxLineBytes when there is none. Inline, since most
  // lines are short and a call costs more than the search.
  static std::uint32_t FindLineFeed(const char* bytes) {
#if defined(__SSE2__)
    static_assert(kMaxLineBytes % 16 == 0, "the window is searched 16 bytes at a time");
    const __m128i lf = _mm_set1_epi8('\n');
    for (std::uint32_t i = 0; i < kMaxLineBytes; i += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
      const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf)));
      if (found != 0) return i + static_cast<std::uint32_t>(std::countr_zero(found));
    }
    return kMaxLineBytes;
#else
    const void* lf = std::memchr(bytes, '\n', kMaxLineBytes);
    return lf ? static_cast<std::uint32_t>(static_cast<const char*>(lf) - bytes) : kMaxLineBytes;
#endif
  }
  // The same walk over the buffer's line feeds found 64 bytes at a time, as
  // far as whole 64-byte blocks reach; the lines after are left to the caller.
  std::uint32_t SkipShortLinesInBlocks(char mark) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    std::uint32_t line = begin_;  // start of the line to decide next
    std::uint32_t skipped = 0;
    for (std::uint32_t block = begin_; block + 64 <= end_; block += 64) {
      std::uint64_t feeds = 0;
      for (std::uint32_t i = 0; i < 64; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer_ + block + i));
        feeds |= static_cast<std::uint64_t>(
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf))))
                 << i;
      }
      for (; feeds != 0; feeds &= feeds - 1) {
        const std::uint32_t feed = block + static_cast<std::uint32_t>(std::countr_zero(feeds));
        // Decided as ReadPiece would: with the bytes it needs in the buffer,
        // not a marked line, and its line end within the first 80 bytes.
        if (end_ - line < kDecidingBytes || buffer_[line] == mark || feed - line >= kMaxLineBytes) {
          Consume(line - begin_);
          return skipped;
        }
        line = feed + 1;
        ++skipped;
      }
    }
    Consume(line - begin_);
    return skipped;
#else
    (void)mark;
    return 0;
#endif
  }
  // Makes at least want bytes available from the position when the file has
  // them; returns how many are available.
  std::uint32_t Fill(std::uint32_t want);
  bool ReadPieceSlowly(LinePiece& piece);
  void Consume(std::uint32_t n) {
    begin_ += n;
    position_ += n;
    if (position_ >= size_) atEnd_ = true;
  }

  platform::FileHandle file_ = platform::kNoFile;
  bool atEnd_ = false;
  bool exhausted_ = false;   // the last read found the end or failed
  bool readFailed_ = false;  // a read reported an error
  bool zeroSeen_ = false;    // a zero byte came in with a read of this file
  int readError_ = 0;        // why the failed read failed
  std::int64_t size_ = 0;    // the file's size when last asked
  std::int64_t position_ = 0;
  char* buffer_ = nullptr;
  std::uint32_t begin_ = 0;  // first unread byte in buffer_
  std::uint32_t end_ = 0;    // one past the last byte read into buffer_
};

}  // namespace marlix
