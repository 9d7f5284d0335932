// Ordered lists appended at the end and read by 0-based index. Reads hand out
// copies (the empty string when the index is out of range); the Ref forms give
// read-only access without a copy. Every element is one index step away, so
// the cursor (Seek/Next) is only a position for callers that walk a list
// front to back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "support/allocation.h"
#include "support/text_string.h"

namespace marlix {

// Growable array of T without exceptions: Append reports false (and the loss
// is counted) when memory runs out or the count would pass its 32-bit limit,
// and leaves the array as it was. Growing moves the elements into a new block.
template <typename T>
class Slots {
 public:
  Slots() = default;
  Slots(const Slots&) = delete;
  Slots& operator=(const Slots&) = delete;
  Slots(Slots&& other) noexcept
      : items_(other.items_), count_(other.count_), capacity_(other.capacity_) {
    other.items_ = nullptr;
    other.count_ = other.capacity_ = 0;
  }
  Slots& operator=(Slots&& other) noexcept {
    if (this != &other) {
      Clear();
      ReleaseBytes(items_);
      items_ = other.items_;
      count_ = other.count_;
      capacity_ = other.capacity_;
      other.items_ = nullptr;
      other.count_ = other.capacity_ = 0;
    }
    return *this;
  }
  ~Slots() {
    Clear();
    ReleaseBytes(items_);
  }

  std::uint32_t Count() const { return count_; }
  T& operator[](std::uint32_t i) { return items_[i]; }
  const T& operator[](std::uint32_t i) const { return items_[i]; }
  T* begin() { return items_; }
  T* end() { return items_ + count_; }
  bool Append(T&& item);
  void RemoveAt(std::uint32_t i);
  // Destroys every element; the block is kept for the next ones.
  void Clear();

 private:
  T* items_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint32_t capacity_ = 0;
};

template <typename T>
bool Slots<T>::Append(T&& item) {
  if (count_ == capacity_) {
    // At most 2^32 - 1 elements, and never more bytes than a size_t counts
    // (the tighter limit on 32-bit platforms).
    constexpr std::uint64_t kMaxCount = 0xFFFFFFFFu;
    constexpr std::uint64_t kMaxFitting = static_cast<std::size_t>(-1) / sizeof(T);
    constexpr std::uint64_t kLimit = kMaxCount < kMaxFitting ? kMaxCount : kMaxFitting;
    if (count_ >= kLimit) {
      NoteLostAllocation();
      return false;
    }
    std::uint64_t capacity = capacity_ == 0 ? 8 : 2 * static_cast<std::uint64_t>(capacity_);
    if (capacity > kLimit) capacity = kLimit;
    T* grown = static_cast<T*>(AllocateBytes(static_cast<std::size_t>(capacity) * sizeof(T)));
    if (grown == nullptr) return false;
    for (std::uint32_t i = 0; i < count_; ++i) {
      new (&grown[i]) T(std::move(items_[i]));
      items_[i].~T();
    }
    ReleaseBytes(items_);
    items_ = grown;
    capacity_ = static_cast<std::uint32_t>(capacity);
  }
  new (&items_[count_]) T(std::move(item));
  ++count_;
  return true;
}

template <typename T>
void Slots<T>::RemoveAt(std::uint32_t i) {
  for (std::uint32_t j = i; j + 1 < count_; ++j) items_[j] = std::move(items_[j + 1]);
  items_[count_ - 1].~T();
  --count_;
}

template <typename T>
void Slots<T>::Clear() {
  for (std::uint32_t i = 0; i < count_; ++i) items_[i].~T();
  count_ = 0;
}

class ListCursor {
 public:
  std::uint32_t CursorIndex() const { return index_; }

 protected:
  bool SeekWithin(std::uint32_t i, std::uint32_t count);
  void NextWithin(std::uint32_t count);
  void Reset() { index_ = 0; }

 private:
  std::uint32_t index_ = 0;
};

class StringList : public ListCursor {
 public:
  std::uint32_t Count() const { return items_.Count(); }
  bool Add(const char* text) { return Add(TextString(text)); }
  bool Add(const TextString& text);
  // The same, taking over text instead of copying it.
  bool Add(TextString&& text);
  TextString At(std::uint32_t i) const;
  // The element itself, or nullptr when there is none at i.
  const TextString* Ref(std::uint32_t i) const;
  bool Seek(std::uint32_t i) { return SeekWithin(i, Count()); }
  void Next() { NextWithin(Count()); }
  void Clear();
  // The elements as an array, for sorting them in place.
  TextString* begin() { return items_.begin(); }
  TextString* end() { return items_.end(); }

 private:
  Slots<TextString> items_;
};

class PairList : public ListCursor {
 public:
  std::uint32_t Count() const { return items_.Count(); }
  bool Add(const TextString& key, const TextString& value);
  // The same, taking over key and value instead of copying them.
  bool Add(TextString&& key, TextString&& value);
  TextString KeyAt(std::uint32_t i) const;
  TextString ValueAt(std::uint32_t i) const;
  const TextString* KeyRef(std::uint32_t i) const;
  const TextString* ValueRef(std::uint32_t i) const;
  bool RemoveAt(std::uint32_t i);
  bool Seek(std::uint32_t i) { return SeekWithin(i, Count()); }
  void Next() { NextWithin(Count()); }
  void Clear();

 private:
  struct Pair {
    TextString key;
    TextString value;
  };
  Slots<Pair> items_;
};

}  // namespace marlix
