// Bytes of any value, zero bytes included, in one heap block: the content of
// a file that is no text (a database image, a picture), which a TextString
// cannot hold since its content ends at the first zero byte. Nothing throws:
// when memory runs out the buffer is left empty and the loss is counted.
#pragma once

#include <cstddef>

namespace marlix {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ~ByteBuffer() { Clear(); }

  // Replaces the content with a copy of bytes[0, size). False, with the
  // buffer empty, when the block cannot be had.
  bool Assign(const void* bytes, std::size_t size);
  // Makes the buffer empty and releases its block.
  void Clear();

  const unsigned char* Data() const { return data_; }
  std::size_t Size() const { return size_; }
  bool IsEmpty() const { return size_ == 0; }

 private:
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace marlix
