#include "support/line_reader.h"

#include <cstring>

#include "support/allocation.h"

namespace marlix {
namespace {

constexpr std::uint32_t kBufferBytes = 16 * 1024;
// A piece is decided by at most 80 bytes and two of look-ahead for a line
// end right after them.
constexpr std::uint32_t kDecidingBytes = LineReader::kMaxLineBytes + 2;

// The one rule of pieces: where the piece starting at bytes ends, given the
// available bytes (fewer than kDecidingBytes only at the end of the file).
// lineBytes belong to the piece, consumed are taken with its line end. A CR
// just before the LF of a line end is part of the line end.
void SplitPiece(const char* bytes, std::uint32_t available, std::uint32_t& lineBytes,
                std::uint32_t& consumed) {
  constexpr std::uint32_t kMax = LineReader::kMaxLineBytes;
  const std::uint32_t window = available < kMax ? available : kMax;
  const char* lf = static_cast<const char*>(std::memchr(bytes, '\n', window));
  if (lf != nullptr) {
    lineBytes = static_cast<std::uint32_t>(lf - bytes);
    consumed = lineBytes + 1;
  } else if (window < kMax) {
    lineBytes = consumed = window;  // the last line, without a line end
    return;
  } else if (available > kMax && bytes[kMax] == '\n') {
    // A full window whose line end directly follows it, or straddles it (its
    // CR the window's last byte): the line end belongs to this piece.
    lineBytes = kMax;
    consumed = kMax + 1;
  } else if (available > kMax + 1 && bytes[kMax] == '\r' && bytes[kMax + 1] == '\n') {
    lineBytes = kMax;
    consumed = kMax + 2;
    return;
  } else {
    lineBytes = consumed = kMax;  // an 80-byte piece of a longer line
    return;
  }
  if (lineBytes > 0 && bytes[lineBytes - 1] == '\r') --lineBytes;
}

}  // namespace

LineReader::~LineReader() {
  Close();
  ReleaseBytes(buffer_);
}

bool LineReader::Open(const char* path) {
  Close();
  if (buffer_ == nullptr) {
    buffer_ = static_cast<char*>(AllocateBytes(kBufferBytes));
    if (buffer_ == nullptr) return false;
  }
  file_ = platform::Files().OpenExisting(path);
  if (file_ == platform::kNoFile) return false;
  size_ = platform::Files().Size(file_);
  modified_ = platform::Files().ModifiedTime(file_);
  if (size_ < 0) {
    // A file whose size cannot be learnt cannot be read soundly: it reads as
    // a read that failed at once, never as an empty file.
    size_ = 0;
    readFailed_ = true;
    readError_ = platform::Files().LastError();
    exhausted_ = true;
  }
  return true;
}

bool LineReader::Close() {
  if (file_ == platform::kNoFile) return false;
  bool closed = platform::Files().Close(file_);
  file_ = platform::kNoFile;
  atEnd_ = false;
  exhausted_ = false;
  readFailed_ = false;
  zeroSeen_ = false;
  readError_ = 0;
  size_ = 0;
  modified_ = -1;
  position_ = 0;
  begin_ = end_ = 0;
  return closed;
}

std::uint32_t LineReader::Fill(std::uint32_t want) {
  while (end_ - begin_ < want && !exhausted_) {
    if (begin_ > 0) {
      std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
    const std::uint32_t asked = kBufferBytes - end_;
    std::int64_t n = platform::Files().Read(file_, buffer_ + end_, asked);
    if (n <= 0) {
      // The end of the file, or a failure; either way no more bytes come, so
      // every reading loop ends. A failure is kept for the caller to see.
      if (n < 0) {
        readFailed_ = true;
        readError_ = platform::Files().LastError();
      }
      exhausted_ = true;
      break;
    }
    // Pieces are cut at zero bytes only in a file that holds one.
    if (std::memchr(buffer_ + end_, 0, static_cast<std::size_t>(n)) != nullptr) zeroSeen_ = true;
    end_ += static_cast<std::uint32_t>(n);
    // The file may have grown or shrunk since it was opened: the at-end test
    // uses the size as it stands now, asked again when a read came back short
    // (the end may be near) or went past the size known.
    if (static_cast<std::uint64_t>(n) < asked || position_ + (end_ - begin_) > size_) {
      std::int64_t size = platform::Files().Size(file_);
      if (size >= 0) size_ = size;
    }
  }
  return end_ - begin_;
}

bool LineReader::CutPiece(std::uint32_t skip, LinePiece& piece, std::uint32_t& consumed) {
  if (file_ == platform::kNoFile || skip > kBufferBytes - kDecidingBytes) return false;
  std::uint32_t available = end_ - begin_;
  if (available < skip + kDecidingBytes) available = Fill(skip + kDecidingBytes);
  if (available <= skip) return false;
  const char* bytes = buffer_ + begin_ + skip;
  std::uint32_t lineBytes = 0;
  SplitPiece(bytes, available - skip, lineBytes, consumed);
  // The content ends at a zero byte; the rest of the piece is dropped.
  const void* zero = zeroSeen_ ? std::memchr(bytes, 0, lineBytes) : nullptr;
  piece.bytes = bytes;
  piece.length = zero ? static_cast<std::uint32_t>(static_cast<const char*>(zero) - bytes)
                      : lineBytes;
  piece.endsLine = consumed > lineBytes;
  piece.cutAtZero = zero != nullptr;
  return true;
}

bool LineReader::ReadPiece(LinePiece& piece) {
  std::uint32_t consumed = 0;
  if (!CutPiece(0, piece, consumed)) {
    atEnd_ = true;
    return false;
  }
  begin_ += consumed;
  position_ += consumed;
  if (position_ >= size_) atEnd_ = true;
  return true;
}

bool LineReader::PeekPiece(std::uint32_t skip, LinePiece& piece) {
  std::uint32_t consumed = 0;
  return CutPiece(skip, piece, consumed);
}

TextString LineReader::ReadLine() {
  LinePiece piece;
  return ReadPiece(piece) ? TextString(piece.bytes, piece.length) : TextString();
}

bool LineReader::SkipLine() {
  LinePiece piece;
  return ReadPiece(piece);
}

TextString LineReader::ReadBytes(std::uint32_t n) {
  if (file_ == platform::kNoFile || n == 0 || n > kBufferBytes) return TextString();
  if (position_ + n > size_) return TextString();
  if (Fill(n) < n) {
    // The size promised more than the file gave: it shrank or the read failed.
    atEnd_ = true;
    return TextString();
  }
  TextString bytes(buffer_ + begin_, n);
  begin_ += n;
  position_ += n;
  if (position_ >= size_) atEnd_ = true;
  return bytes;
}

}  // namespace marlix
