#include "support/byte_buffer.h"

#include <cstring>

#include "support/allocation.h"

namespace marlix {

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept : data_(other.data_), size_(other.size_) {
  other.data_ = nullptr;
  other.size_ = 0;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    Clear();
    data_ = other.data_;
    size_ = other.size_;
    other.data_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

bool ByteBuffer::Assign(const void* bytes, std::size_t size) {
  if (size == 0) {
    Clear();
    return true;
  }
  // The copy is made before the old block goes, in case bytes lie in it.
  auto* block = static_cast<unsigned char*>(AllocateBytes(size));
  if (block != nullptr) std::memcpy(block, bytes, size);
  Clear();
  if (block == nullptr) return false;
  data_ = block;
  size_ = size;
  return true;
}

void ByteBuffer::Clear() {
  ReleaseBytes(data_);
  data_ = nullptr;
  size_ = 0;
}

}  // namespace marlix
