// Strings and lists at the edges of what 32 bits hold. A length is 32 bits
// wide on every build, and on the 32-bit build so is size_t: an append or a
// block whose size would pass those limits must be refused and counted,
// never computed into a small size that then gets written past.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/allocation.h"
#include "support/indexed_lists.h"
#include "support/text_string.h"

namespace marlix {
namespace {

constexpr std::size_t kSizeMax = std::numeric_limits<std::size_t>::max();
constexpr std::uint64_t kFourGigabytes = std::uint64_t{1} << 32;

// Sizes of an append to a string of `length` bytes that no string can take:
// the result would pass 4 GB, or the sum length + size would wrap round in a
// size_t to 0, 5 or 40 (small enough to fit the room a string already has).
std::vector<std::size_t> SizesPastTheLimit(std::uint32_t length) {
  std::vector<std::size_t> sizes{kSizeMax, kSizeMax / 2 + 1};
  for (std::uint64_t past : {kFourGigabytes - length, kFourGigabytes + 100 - length}) {
    if (past <= kSizeMax) sizes.push_back(static_cast<std::size_t>(past));
  }
  for (std::size_t wrapsTo : {0u, 5u, 40u}) {
    if (wrapsTo < length) sizes.push_back(kSizeMax - length + 1 + wrapsTo);
  }
  return sizes;
}

// A string of each kind an append can meet: no buffer yet, its bytes in the
// object itself, its bytes in a heap block.
std::vector<std::string> StartingContents() { return {"", "abc", std::string(100, 'h')}; }

TEST(StringSizeLimits, AppendsPastFourGigabytesAreRefusedAndCountedNeverWrapped) {
  const char source[] = "only a few bytes";
  for (const std::string& start : StartingContents()) {
    for (std::size_t size : SizesPastTheLimit(static_cast<std::uint32_t>(start.size()))) {
      SCOPED_TRACE("length " + std::to_string(start.size()) + ", append of " + std::to_string(size));
      {
        TextString text(start.c_str());
        const std::uint64_t failuresBefore = FailedAllocations();
        EXPECT_EQ(text.AppendSpace(size), nullptr);
        EXPECT_EQ(FailedAllocations(), failuresBefore + 1);
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_EQ(text.Append("usable"), "usable");
      }
      {
        // The size alone decides: not one byte of the source is read.
        TextString text(start.c_str());
        const std::uint64_t failuresBefore = FailedAllocations();
        text.AppendBytes(source, size);
        EXPECT_EQ(FailedAllocations(), failuresBefore + 1);
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_STREQ(text.CStr(), "");
      }
    }
  }
}

TEST(StringSizeLimits, AStringPastTwoGigabytesGrowsByWhatEachAppendNeeds) {
  // Twice the room of a string past 2 GB passes 4 GB: from there on it grows
  // by what an append needs. Where the address space has no room for 2 GB in
  // one block (the 32-bit build), the string is refused and counted instead.
  constexpr std::size_t kTwoGigabytes = std::size_t{1} << 31;
  TextString text;
  const std::uint64_t failuresBefore = FailedAllocations();
  if (text.AppendSpace(kTwoGigabytes) == nullptr) {
    EXPECT_EQ(FailedAllocations(), failuresBefore + 1);
    EXPECT_TRUE(text.IsEmpty());
    return;
  }
  // Taken as content without being written (none of it is read back), so
  // that the pages of the block are never touched.
  text.CommitAppended(kTwoGigabytes);
  const std::string tail(1 << 20, 't');
  text.AppendBytes(tail.data(), tail.size());
  ASSERT_EQ(text.Length(), kTwoGigabytes + tail.size());
  EXPECT_EQ(text.Mid(static_cast<std::uint32_t>(kTwoGigabytes) + 1, 2), "tt");
  EXPECT_EQ(text.Right(2), "tt");
  EXPECT_EQ(FailedAllocations(), failuresBefore);
}

// An element so large that the first block of a list (room for eight) would
// pass what a 32-bit size_t holds. Making one touches none of its pages, and
// moving one copies only its first and last byte: a block smaller than the
// element would still be written past at its far end.
struct HugeElement {
  static constexpr std::size_t kBytes = (std::size_t{1} << 29) + 64;
  HugeElement() {}  // NOLINT: leaves the bytes untouched on purpose
  HugeElement(HugeElement&& other) noexcept {
    bytes[0] = other.bytes[0];
    bytes[kBytes - 1] = other.bytes[kBytes - 1];
  }
  unsigned char bytes[kBytes];
};

TEST(ListSizeLimits, AnElementWhoseBlockWouldPassTheAddressSpaceIsRefusedAndCounted) {
  auto element = std::make_unique<HugeElement>();
  element->bytes[0] = 'a';
  element->bytes[HugeElement::kBytes - 1] = 'z';
  Slots<HugeElement> list;
  const std::uint64_t failuresBefore = FailedAllocations();
  const bool appended = list.Append(std::move(*element));
  if (HugeElement::kBytes > kSizeMax / 8) {
    // 32 bits: the block for eight would wrap round, and even seven are more
    // than the address space can give.
    EXPECT_FALSE(appended);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(FailedAllocations(), failuresBefore + 1);
  } else if (appended) {
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list[0].bytes[0], 'a');
    EXPECT_EQ(list[0].bytes[HugeElement::kBytes - 1], 'z');
    EXPECT_EQ(FailedAllocations(), failuresBefore);
  } else {
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(FailedAllocations(), failuresBefore + 1);
  }
}

}  // namespace
}  // namespace marlix
