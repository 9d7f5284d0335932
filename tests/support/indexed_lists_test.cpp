// StringList and PairList: order of appending, out-of-range reads, the cursor
// contract, removal, and references that stay safe across growth.
#include "support/indexed_lists.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace marlix {

[[maybe_unused]] static void PrintTo(const TextString& s, std::ostream* out) {
  *out << '"' << s.CStr() << '"';
}

namespace {

TEST(StringListTest, EmptyListReadsEmptyAndMovesNothing) {
  StringList list;
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.At(0), "");
  EXPECT_EQ(list.Ref(0), nullptr);
  EXPECT_FALSE(list.Seek(0));
  list.Next();
  EXPECT_EQ(list.CursorIndex(), 0u);
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
}

TEST(StringListTest, KeepsOrderAndHandsOutCopies) {
  StringList list;
  EXPECT_TRUE(list.Add("a"));
  EXPECT_TRUE(list.Add(TextString("b")));
  EXPECT_TRUE(list.Add(static_cast<const char*>(nullptr)));  // stored as ""
  EXPECT_TRUE(list.Add("c"));
  ASSERT_EQ(list.Count(), 4u);
  EXPECT_EQ(list.At(0), "a");
  EXPECT_EQ(list.At(1), "b");
  EXPECT_EQ(list.At(2), "");
  EXPECT_EQ(list.At(3), "c");
  EXPECT_EQ(list.At(4), "");
  EXPECT_EQ(list.Ref(4), nullptr);
  ASSERT_NE(list.Ref(3), nullptr);
  EXPECT_EQ(*list.Ref(3), "c");

  // What At hands out is a copy, and what Add takes is copied.
  TextString read = list.At(0);
  read += "changed";
  TextString source("d");
  list.Add(source);
  source = "changed";
  EXPECT_EQ(list.At(0), "a");
  EXPECT_EQ(list.At(4), "d");
}

TEST(StringListTest, CursorMovesOnlyBySeekAndNextAndResetsOnAdd) {
  StringList list;
  list.Add("a");
  list.Add("b");
  list.Add("c");
  EXPECT_EQ(list.CursorIndex(), 0u);
  EXPECT_TRUE(list.Seek(1));
  list.Next();
  EXPECT_EQ(list.CursorIndex(), 2u);
  EXPECT_EQ(list.At(list.CursorIndex()), "c");
  list.At(0);  // reading does not move the cursor
  EXPECT_EQ(list.CursorIndex(), 2u);
  list.Next();  // at the last element: stays
  EXPECT_EQ(list.CursorIndex(), 2u);
  EXPECT_FALSE(list.Seek(3));  // out of range: cursor unchanged
  EXPECT_EQ(list.CursorIndex(), 2u);

  list.Add("d");
  EXPECT_EQ(list.CursorIndex(), 0u);
  EXPECT_EQ(list.At(3), "d");

  // A front-to-back pass with Next visits every element once, in order.
  std::string seen;
  for (std::uint32_t i = 0; i < list.Count(); ++i, list.Next()) {
    seen += list.At(list.CursorIndex()).CStr();
  }
  EXPECT_EQ(seen, "abcd");

  list.Seek(2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.CursorIndex(), 0u);
  EXPECT_EQ(list.At(0), "");
}

TEST(StringListTest, AddingItsOwnElementSurvivesGrowth) {
  // The array underneath moves as it grows; adding an element read through
  // Ref must copy it before that happens.
  StringList list;
  list.Add("first element, long enough to live on the heap");
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(list.Add(*list.Ref(0)));
  ASSERT_EQ(list.Count(), 101u);
  for (std::uint32_t i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.At(i), "first element, long enough to live on the heap") << i;
  }
}

TEST(PairListTest, KeysAndValuesByIndexDuplicatesKept) {
  PairList pairs;
  EXPECT_EQ(pairs.KeyAt(0), "");
  EXPECT_EQ(pairs.ValueAt(0), "");
  EXPECT_EQ(pairs.KeyRef(0), nullptr);
  EXPECT_EQ(pairs.ValueRef(0), nullptr);
  EXPECT_FALSE(pairs.Seek(0));
  EXPECT_FALSE(pairs.RemoveAt(0));

  pairs.Add("PRINT", "B1P1.htm");
  pairs.Add("INPUT", "B1P2.htm");
  pairs.Add("PRINT", "B2P1.htm");
  ASSERT_EQ(pairs.Count(), 3u);
  EXPECT_EQ(pairs.KeyAt(0), "PRINT");
  EXPECT_EQ(pairs.ValueAt(0), "B1P1.htm");
  EXPECT_EQ(pairs.KeyAt(2), "PRINT");
  EXPECT_EQ(pairs.ValueAt(2), "B2P1.htm");
  EXPECT_EQ(pairs.KeyAt(3), "");
  EXPECT_EQ(pairs.ValueAt(3), "");
  ASSERT_NE(pairs.ValueRef(1), nullptr);
  EXPECT_EQ(*pairs.KeyRef(1), "INPUT");
  EXPECT_EQ(*pairs.ValueRef(1), "B1P2.htm");
  EXPECT_EQ(pairs.KeyRef(3), nullptr);

  // Adding a pair read from the list itself, across growth of the array.
  for (int i = 0; i < 20; ++i) pairs.Add(*pairs.KeyRef(1), *pairs.ValueRef(1));
  EXPECT_EQ(pairs.Count(), 23u);
  EXPECT_EQ(pairs.KeyAt(22), "INPUT");
  EXPECT_EQ(pairs.ValueAt(22), "B1P2.htm");
}

TEST(PairListTest, RemoveAtShiftsFollowersAndResetsCursor) {
  PairList pairs;
  pairs.Add("a", "1");
  pairs.Add("b", "2");
  pairs.Add("c", "3");
  pairs.Add("d", "4");

  pairs.Seek(3);
  EXPECT_TRUE(pairs.RemoveAt(1));  // middle
  EXPECT_EQ(pairs.CursorIndex(), 0u);
  ASSERT_EQ(pairs.Count(), 3u);
  EXPECT_EQ(pairs.KeyAt(1), "c");
  EXPECT_EQ(pairs.ValueAt(1), "3");

  EXPECT_TRUE(pairs.RemoveAt(0));  // first: b is gone, c leads
  EXPECT_EQ(pairs.KeyAt(0), "c");
  EXPECT_EQ(pairs.ValueAt(0), "3");
  EXPECT_FALSE(pairs.RemoveAt(2));
  EXPECT_EQ(pairs.Count(), 2u);

  EXPECT_TRUE(pairs.RemoveAt(1));  // last: its predecessor is now last
  EXPECT_EQ(pairs.Count(), 1u);
  EXPECT_EQ(pairs.KeyAt(0), "c");
  EXPECT_EQ(pairs.KeyAt(1), "");
  pairs.Add("e", "5");
  EXPECT_EQ(pairs.KeyAt(1), "e");

  EXPECT_TRUE(pairs.RemoveAt(0));
  EXPECT_TRUE(pairs.RemoveAt(0));  // the only element
  EXPECT_EQ(pairs.Count(), 0u);
  EXPECT_EQ(pairs.KeyAt(0), "");
  EXPECT_FALSE(pairs.Seek(0));
}

TEST(PairListTest, SeekNextAndClear) {
  PairList pairs;
  pairs.Add("k0", "v0");
  pairs.Add("k1", "v1");
  EXPECT_TRUE(pairs.Seek(1));
  EXPECT_EQ(pairs.CursorIndex(), 1u);
  pairs.Next();
  EXPECT_EQ(pairs.CursorIndex(), 1u);
  EXPECT_FALSE(pairs.Seek(2));
  EXPECT_EQ(pairs.CursorIndex(), 1u);
  pairs.Add("k2", "v2");
  EXPECT_EQ(pairs.CursorIndex(), 0u);
  pairs.Next();
  pairs.Next();
  EXPECT_EQ(pairs.CursorIndex(), 2u);

  pairs.Clear();
  EXPECT_EQ(pairs.Count(), 0u);
  EXPECT_EQ(pairs.CursorIndex(), 0u);
  EXPECT_EQ(pairs.ValueAt(0), "");
  pairs.Add("again", "ok");  // still usable after Clear
  EXPECT_EQ(pairs.ValueAt(0), "ok");
}

}  // namespace
}  // namespace marlix
