// Takes a fuzz input apart: small numbers and byte runs from the front, the
// rest left for whatever the target makes of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace marlix::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Left() const { return size_ - used_; }
  // The next byte, 0 once the input is used up.
  std::uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }
  // The next two bytes, low byte first.
  std::uint32_t Short() { return Byte() | static_cast<std::uint32_t>(Byte()) << 8; }
  // Up to n of the next bytes, in the input itself (no copy).
  std::string_view Bytes(std::size_t n) {
    if (n > Left()) n = Left();
    std::string_view bytes(reinterpret_cast<const char*>(data_ + used_), n);
    used_ += n;
    return bytes;
  }
  std::string_view Rest() { return Bytes(Left()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t used_ = 0;
};

}  // namespace marlix::fuzz
