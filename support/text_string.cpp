#include "support/text_string.h"

#include <cstring>
#include <functional>

#include "support/allocation.h"

namespace marlix {
namespace {

// Bytes of text before its first zero byte, looking at no more than maxBytes.
std::size_t BoundedLength(const char* text, std::size_t maxBytes) {
  if (text == nullptr) return 0;
  const void* zero = std::memchr(text, 0, maxBytes);
  return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : maxBytes;
}

// Whether p points into the n bytes at begin (std::less orders any pointers).
bool PointsInto(const char* p, const char* begin, std::size_t n) {
  const std::less<const char*> before;
  return begin != nullptr && !before(p, begin) && before(p, begin + n);
}

// Lengths are 32-bit; a string that would grow past this is refused.
constexpr std::size_t kMaxLength = 0xFFFFFFF0u;

}  // namespace

TextString::TextString(const char* text, std::size_t maxBytes) {
  SetBytes(text, BoundedLength(text, maxBytes));
}

TextString::TextString(const TextString& other) { SetBytes(other.CStr(), other.length_); }

TextString::TextString(TextString&& other) noexcept { TakeFrom(other); }

TextString::~TextString() { ReleaseHeap(); }

TextString& TextString::operator=(const TextString& other) {
  if (this != &other) SetBytes(other.CStr(), other.length_);
  return *this;
}

TextString& TextString::operator=(TextString&& other) noexcept {
  if (this != &other) {
    ReleaseHeap();
    TakeFrom(other);
  }
  return *this;
}

void TextString::ReleaseHeap() {
  if (!IsLocal()) ReleaseBytes(data_);
}

void TextString::TakeFrom(TextString& other) noexcept {
  length_ = other.length_;
  capacity_ = other.capacity_;
  if (other.IsLocal()) {
    std::memcpy(local_, other.local_, sizeof local_);
    data_ = local_;
  } else {
    data_ = other.data_;
  }
  other.data_ = nullptr;
  other.length_ = 0;
  other.capacity_ = 0;
}

bool TextString::Reserve(std::size_t length) {
  if (length > kMaxLength) {
    NoteLostAllocation();
    return false;
  }
  if (data_ != nullptr && length <= capacity_) return true;
  if (data_ == nullptr && length <= kLocalBytes) {
    data_ = local_;
    capacity_ = kLocalBytes;
    return true;
  }
  char* grown;
  if (IsLocal()) {
    // Out of the object onto the heap, content and terminator with it.
    grown = static_cast<char*>(AllocateBytes(length + 1));
    if (grown != nullptr) std::memcpy(grown, local_, length_ + 1u);
  } else {
    grown = static_cast<char*>(ReallocateBytes(data_, length + 1));
  }
  if (grown == nullptr) return false;
  data_ = grown;
  capacity_ = static_cast<std::uint32_t>(length);
  return true;
}

void TextString::SetBytes(const char* bytes, std::size_t n) {
  if (n == 0) {
    Empty();
    return;
  }
  // bytes may point into this string's own content (s = Mid(s, ...) forms),
  // which lies within the buffer as it is: no growth is needed then.
  if (PointsInto(bytes, data_, length_)) {
    std::memmove(data_, bytes, n);
  } else if (!Reserve(n)) {
    Empty();
    return;
  } else {
    std::memcpy(data_, bytes, n);
  }
  length_ = static_cast<std::uint32_t>(n);
  data_[length_] = 0;
}

TextString& TextString::Assign(const char* text) {
  SetBytes(text, text ? std::strlen(text) : 0);
  return *this;
}

TextString& TextString::AssignN(const char* text, std::uint32_t n) {
  SetBytes(text, BoundedLength(text, n));
  return *this;
}

char* FormatDecimal(std::uint32_t value, char* end) {
  char* digit = end;
  do {
    *--digit = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return digit;
}

TextString& TextString::AssignNumber(std::uint32_t value) {
  char digits[10];
  char* end = digits + sizeof digits;
  char* start = FormatDecimal(value, end);
  SetBytes(start, static_cast<std::size_t>(end - start));
  return *this;
}

void TextString::Clear() {
  ReleaseHeap();
  data_ = nullptr;
  length_ = 0;
  capacity_ = 0;
}

void TextString::Empty() {
  length_ = 0;
  if (data_ != nullptr) data_[0] = 0;
}

TextString TextString::operator+(const char* text) const {
  TextString joined(*this);
  joined.Append(text);
  return joined;
}

TextString TextString::operator+(const TextString& other) const {
  TextString joined(*this);
  joined += other;
  return joined;
}

TextString& TextString::AppendN(const char* text, std::size_t n) {
  return AppendBytes(text, BoundedLength(text, n));
}

bool TextString::Grow(std::size_t n) {
  // Asked as a difference: the sum could wrap round in a 32-bit size_t.
  if (n > kMaxLength - length_) {
    NoteLostAllocation();
    Clear();
    return false;
  }
  // Geometric growth, so that building a page piece by piece stays linear;
  // doubled in 64 bits, since twice a room past 2 GB does not fit in 32.
  const std::size_t joined = length_ + n;
  const std::uint64_t doubled = 2 * static_cast<std::uint64_t>(capacity_);
  const std::size_t wanted =
      joined < doubled && doubled <= kMaxLength ? static_cast<std::size_t>(doubled) : joined;
  if (Reserve(wanted)) return true;
  Clear();
  return false;
}

TextString& TextString::AppendBytesSlowly(const char* bytes, std::size_t n) {
  if (n == 0) return *this;
  // Appending the string to itself must read the old buffer before it moves.
  const bool own = PointsInto(bytes, data_, length_);
  const std::size_t offset = own ? static_cast<std::size_t>(bytes - data_) : 0;
  if (!Grow(n)) return *this;
  std::memcpy(data_ + length_, own ? data_ + offset : bytes, n);
  length_ += static_cast<std::uint32_t>(n);
  data_[length_] = 0;
  return *this;
}

char* TextString::AppendSpace(std::size_t n) {
  if ((data_ == nullptr || n > capacity_ - length_) && !Grow(n)) return nullptr;
  return data_ + length_;
}

bool TextString::operator==(const char* text) const {
  if (text == nullptr) return false;
  return std::strcmp(CStr(), text) == 0;
}

bool TextString::operator==(const TextString& other) const {
  return length_ == other.length_ && std::memcmp(CStr(), other.CStr(), length_) == 0;
}

const char* TextString::MakeUpper() {
  for (std::uint32_t i = 0; i < length_; ++i) data_[i] = UpperAscii(data_[i]);
  return CStr();
}

TextString TextString::Mid(std::uint32_t start, std::uint32_t count) const {
  if (length_ == 0 || count == 0 || start > length_) return TextString();
  if (start == 0) start = 1;
  std::uint32_t available = length_ - start + 1;
  if (count > available) count = available;
  return TextString(data_ + start - 1, count);
}

TextString TextString::Mid(std::uint32_t start) const {
  if (start > length_) return TextString();
  std::uint32_t first = start == 0 ? 1 : start;
  return Mid(first, length_ - first + 1);
}

TextString TextString::Left(std::uint32_t n) const { return n == 0 ? TextString() : Mid(1, n); }

TextString TextString::Right(std::uint32_t n) const {
  if (n == 0) return TextString();
  return n < length_ ? Mid(length_ - n + 1) : Mid(1);
}

std::uint32_t Len(const TextString& s) { return s.Length(); }
TextString Mid(const TextString& s, std::uint32_t start, std::uint32_t count) {
  return s.Mid(start, count);
}
TextString Mid(const TextString& s, std::uint32_t start) { return s.Mid(start); }
TextString Left(const TextString& s, std::uint32_t n) { return s.Left(n); }
TextString Right(const TextString& s, std::uint32_t n) { return s.Right(n); }

TextString UCase(const char* text) {
  TextString upper(text);
  upper.MakeUpper();
  return upper;
}

}  // namespace marlix
