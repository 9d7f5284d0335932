// The one string type: 8-bit bytes with value semantics. Content ends at the
// first zero byte; positions are 1-based and counted in bytes. Operations never
// throw: when memory runs out the target is left empty, and the failure is
// counted (FailedAllocations) so that no loss goes unnoticed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace marlix {

class TextString {
 public:
  TextString() noexcept = default;
  // NOLINTNEXTLINE(google-explicit-constructor): a null pointer gives ""
  TextString(const char* text) {
    if (text != nullptr) SetBytes(text, std::strlen(text));
  }
  TextString(const char* text, std::size_t maxBytes);  // at most maxBytes, cut at a zero byte
  TextString(const TextString& other);
  TextString(TextString&& other) noexcept;
  ~TextString();

  TextString& operator=(const char* text) { return Assign(text); }
  TextString& operator=(const TextString& other);
  TextString& operator=(TextString&& other) noexcept;

  TextString& Assign(const char* text);
  // The first n bytes of text, or all of it when it ends sooner.
  TextString& AssignN(const char* text, std::uint32_t n);
  // Decimal digits of value: no sign, no leading zeros, no grouping.
  TextString& AssignNumber(std::uint32_t value);
  // Makes the string empty and releases its buffer.
  void Clear();
  // Makes the string empty but keeps its buffer, for strings reused in loops.
  void Empty();

  const char* CStr() const { return data_ ? data_ : ""; }
  std::uint32_t Length() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }
  // Byte at a 0-based index; index must be below Length().
  char operator[](std::uint32_t index) const { return data_[index]; }

  TextString operator+(const char* text) const;
  TextString operator+(const TextString& other) const;
  TextString& operator+=(const char* text) { return Append(text); }
  TextString& operator+=(const TextString& other) {
    return AppendBytes(other.CStr(), other.length_);
  }
  // Always inlined, so that the length of a literal is known where it is
  // appended: pages are built from many short literals.
  [[gnu::always_inline]] TextString& Append(const char* text) {
    return AppendBytes(text, text ? std::strlen(text) : 0);
  }
  // Appends at most n bytes of text, stopping at a zero byte.
  TextString& AppendN(const char* text, std::size_t n);
  TextString& AppendChar(char c) { return c != 0 ? AppendBytes(&c, 1) : *this; }
  // Appends n bytes that the caller knows hold no zero byte. Inline while
  // there is room, since most appends are a few bytes.
  [[gnu::always_inline]] TextString& AppendBytes(const char* bytes, std::size_t n) {
    if (data_ != nullptr && n <= capacity_ - length_) {
      std::memcpy(data_ + length_, bytes, n);
      length_ += static_cast<std::uint32_t>(n);
      data_[length_] = 0;
      return *this;
    }
    return AppendBytesSlowly(bytes, n);
  }

  // For callers that write into the string directly: makes room for n more
  // bytes after the content and returns where they go (nullptr, the string
  // emptied and the loss counted, when memory runs out). CommitAppended(k)
  // then adds the first k of them, which must hold no zero byte, k <= n.
  char* AppendSpace(std::size_t n);
  void CommitAppended(std::size_t k) {
    length_ += static_cast<std::uint32_t>(k);
    data_[length_] = 0;
  }

  bool operator==(const char* text) const;  // false for a null pointer
  bool operator==(const TextString& other) const;
  bool operator!=(const char* text) const { return !(*this == text); }
  bool operator!=(const TextString& other) const { return !(*this == other); }

  // a to z become A to Z; every other byte, those above 0x7F included, stays.
  const char* MakeUpper();

  TextString Mid(std::uint32_t start, std::uint32_t count) const;
  TextString Mid(std::uint32_t start) const;
  TextString Left(std::uint32_t n) const;
  TextString Right(std::uint32_t n) const;

 private:
  TextString& AppendBytesSlowly(const char* bytes, std::size_t n);
  // Room for n more bytes, growing geometrically; false (the string cleared
  // and the loss counted) when memory or the length limit runs out.
  bool Grow(std::size_t n);
  // Room for length bytes plus the terminator, the content kept.
  bool Reserve(std::size_t length);
  void SetBytes(const char* bytes, std::size_t n);  // n bytes without zeros
  void ReleaseHeap();  // frees data_ when it is a heap block
  // Takes over other's content (its heap block, or a copy of its local bytes).
  void TakeFrom(TextString& other) noexcept;
  bool IsLocal() const { return data_ == local_; }

  // Content of up to kLocalBytes bytes is kept in the object itself, so that
  // short strings (page and file names, most topic names) need no heap block.
  static constexpr std::uint32_t kLocalBytes = 15;

  char* data_ = nullptr;  // local_, a heap block, or nullptr before any content
  std::uint32_t length_ = 0;
  std::uint32_t capacity_ = 0;  // bytes usable for content, terminator excluded
  char local_[kLocalBytes + 1];
};

// The decimal digits of value, without sign or leading zeros, written
// backwards from end; returns where they start. end needs 10 bytes before it.
char* FormatDecimal(std::uint32_t value, char* end);

std::uint32_t Len(const TextString& s);
TextString Mid(const TextString& s, std::uint32_t start, std::uint32_t count);
TextString Mid(const TextString& s, std::uint32_t start);
TextString Left(const TextString& s, std::uint32_t n);
TextString Right(const TextString& s, std::uint32_t n);
TextString UCase(const char* text);

// ASCII-only upper-casing of one byte, the folding used wherever names are
// compared without regard to case.
inline char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

}  // namespace marlix
