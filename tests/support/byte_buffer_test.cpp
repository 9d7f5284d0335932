// The byte buffer holds what a TextString cannot: zero bytes, and content of
// any length; a block it cannot have leaves it empty and is counted.
#include "support/byte_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/allocation.h"

namespace marlix {
namespace {

std::string Content(const ByteBuffer& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
}

TEST(ByteBuffer, KeepsZeroBytesAndCopiesFromItself) {
  const std::string image("SQLite\0\x01\0tail", 13);
  ByteBuffer buffer;
  ASSERT_TRUE(buffer.Assign(image.data(), image.size()));
  EXPECT_EQ(Content(buffer), image);

  // Some of its own bytes: copied before the old block goes.
  ASSERT_TRUE(buffer.Assign(buffer.Data() + 6, 3));
  EXPECT_EQ(Content(buffer), std::string("\0\x01\0", 3));

  ByteBuffer moved(std::move(buffer));
  EXPECT_TRUE(buffer.IsEmpty());
  EXPECT_EQ(Content(moved), std::string("\0\x01\0", 3));
  buffer = std::move(moved);
  EXPECT_TRUE(moved.IsEmpty());
  EXPECT_EQ(buffer.Size(), 3u);

  EXPECT_TRUE(buffer.Assign("x", 0));
  EXPECT_TRUE(buffer.IsEmpty());
}

TEST(ByteBuffer, ABlockThatCannotBeHadLeavesItEmptyAndIsCounted) {
  ByteBuffer buffer;
  ASSERT_TRUE(buffer.Assign("old", 3));
  const std::uint64_t failedBefore = FailedAllocations();
  {
    ScopedAllocationFailure refuse(0);
    EXPECT_FALSE(buffer.Assign("new", 3));
    EXPECT_EQ(refuse.Refused(), 1u);
  }
  EXPECT_TRUE(buffer.IsEmpty());
  EXPECT_EQ(buffer.Data(), nullptr);
  EXPECT_EQ(FailedAllocations(), failedBefore + 1);
}

}  // namespace
}  // namespace marlix
