#include "support/line_reader.h"

#include <cstdlib>
#include <cstring>

namespace marlix {
namespace {
constexpr std::uint32_t kBufferBytes = 64 * 1024;
constexpr char kLf = '\n';
constexpr char kCr = '\r';
}  // namespace

LineReader::~LineReader() {
  Close();
  std::free(buffer_);
}

bool LineReader::Open(const char* path) {
  Close();
  if (buffer_ == nullptr) {
    buffer_ = static_cast<char*>(std::malloc(kBufferBytes));
    if (buffer_ == nullptr) return false;
  }
  file_ = platform::Files().OpenExisting(path);
  if (file_ == platform::kNoFile) return false;
  size_ = platform::Files().Size(file_);
  if (size_ < 0) size_ = 0;
  return true;
}

bool LineReader::Close() {
  if (file_ == platform::kNoFile) return false;
  bool closed = platform::Files().Close(file_);
  file_ = platform::kNoFile;
  atEnd_ = false;
  exhausted_ = false;
  size_ = 0;
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
    std::int64_t n = platform::Files().Read(file_, buffer_ + end_, kBufferBytes - end_);
    if (n <= 0) {
      exhausted_ = true;
      break;
    }
    end_ += static_cast<std::uint32_t>(n);
    // The file may have grown or shrunk since it was opened: the at-end test
    // uses the size as it stands now.
    std::int64_t size = platform::Files().Size(file_);
    if (size >= 0) size_ = size;
  }
  return end_ - begin_;
}

void LineReader::Consume(std::uint32_t n) {
  begin_ += n;
  position_ += n;
  if (position_ >= size_) atEnd_ = true;
}

bool LineReader::NextLine(const char*& bytes, std::uint32_t& lineBytes) {
  if (file_ == platform::kNoFile) {
    atEnd_ = true;
    return false;
  }
  // The window plus two bytes of look-ahead for a line end right after it.
  std::uint32_t available = Fill(kMaxLineBytes + 2);
  if (available == 0) {
    atEnd_ = true;
    return false;
  }
  bytes = buffer_ + begin_;
  std::uint32_t window = available < kMaxLineBytes ? available : kMaxLineBytes;
  const char* lf = static_cast<const char*>(std::memchr(bytes, kLf, window));
  std::uint32_t consumed;
  if (lf != nullptr) {
    lineBytes = static_cast<std::uint32_t>(lf - bytes);
    consumed = lineBytes + 1;
    if (lineBytes > 0 && bytes[lineBytes - 1] == kCr) --lineBytes;
  } else if (window < kMaxLineBytes) {
    lineBytes = consumed = window;  // the last line, without a line end
  } else if (available > kMaxLineBytes && bytes[kMaxLineBytes] == kLf) {
    // A full window whose line end straddles or directly follows it: the line
    // end belongs to this line and its CR is not kept.
    lineBytes = bytes[kMaxLineBytes - 1] == kCr ? kMaxLineBytes - 1 : kMaxLineBytes;
    consumed = kMaxLineBytes + 1;
  } else if (available > kMaxLineBytes + 1 && bytes[kMaxLineBytes] == kCr &&
             bytes[kMaxLineBytes + 1] == kLf) {
    lineBytes = kMaxLineBytes;
    consumed = kMaxLineBytes + 2;
  } else {
    lineBytes = consumed = kMaxLineBytes;  // an 80-byte piece of a longer line
  }
  Consume(consumed);
  return true;
}

bool LineReader::ReadLine(TextString& line) {
  const char* bytes = nullptr;
  std::uint32_t lineBytes = 0;
  line.Empty();
  if (!NextLine(bytes, lineBytes)) return false;
  line.AppendN(bytes, lineBytes);  // stops at a zero byte
  return true;
}

TextString LineReader::ReadLine() {
  TextString line;
  ReadLine(line);
  return line;
}

bool LineReader::SkipLine() {
  const char* bytes = nullptr;
  std::uint32_t lineBytes = 0;
  return NextLine(bytes, lineBytes);
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
  Consume(n);
  return bytes;
}

}  // namespace marlix
