// TextString: 1-based extraction, byte-wise equality, ASCII-only case folding,
// number formatting, and the in-place operations that may alias the string.
#include "support/text_string.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace marlix {

// Readable failure messages; internal to this file.
[[maybe_unused]] static void PrintTo(const TextString& s, std::ostream* out) {
  *out << '"' << s.CStr() << '"';
}

namespace {

TEST(TextStringTest, MidCutsAtBothEndsAndTreatsStartZeroAsOne) {
  TextString s("ABCDE");
  EXPECT_EQ(Mid(s, 2, 3), "BCD");
  EXPECT_EQ(Mid(s, 0, 2), "AB");
  EXPECT_EQ(Mid(s, 4, 10), "DE");
  EXPECT_EQ(Mid(s, 5, 1), "E");
  EXPECT_EQ(Mid(s, 6, 1), "");
  EXPECT_EQ(Mid(s, 3, 0), "");
  EXPECT_EQ(Mid(s, 1, 0xFFFFFFFFu), "ABCDE");  // count + start must not overflow
  EXPECT_EQ(Mid(s, 0xFFFFFFFFu, 1), "");
  EXPECT_EQ(Mid(TextString(), 1, 1), "");

  EXPECT_EQ(Mid(s, 2), "BCDE");
  EXPECT_EQ(Mid(s, 0), "ABCDE");
  EXPECT_EQ(Mid(s, 5), "E");
  EXPECT_EQ(Mid(s, 6), "");
  EXPECT_EQ(s, "ABCDE");  // the operand is left as it was
}

TEST(TextStringTest, LeftAndRight) {
  TextString abc("ABC");
  EXPECT_EQ(Left(abc, 0), "");
  EXPECT_EQ(Left(abc, 2), "AB");
  EXPECT_EQ(Left(abc, 5), "ABC");

  TextString xyz("XYZ");
  EXPECT_EQ(Right(xyz, 0), "");
  EXPECT_EQ(Right(xyz, 1), "Z");
  EXPECT_EQ(Right(xyz, 2), "YZ");
  EXPECT_EQ(Right(xyz, 3), "XYZ");
  EXPECT_EQ(Right(xyz, 5), "XYZ");
  // An empty path never "ends in a backslash".
  EXPECT_FALSE(Right(TextString(), 1) == "\\");

  // The member forms give the same strings.
  EXPECT_EQ(xyz.Mid(2, 1), "Y");
  EXPECT_EQ(xyz.Mid(3), "Z");
  EXPECT_EQ(xyz.Left(1), "X");
  EXPECT_EQ(xyz.Right(2), "YZ");
}

TEST(TextStringTest, NullPointersAndZeroBytes) {
  TextString fromNull(static_cast<const char*>(nullptr));
  ASSERT_NE(fromNull.CStr(), nullptr);
  EXPECT_STREQ(fromNull.CStr(), "");
  EXPECT_EQ(fromNull.Length(), 0u);
  EXPECT_TRUE(fromNull.IsEmpty());
  EXPECT_FALSE(fromNull == static_cast<const char*>(nullptr));
  EXPECT_TRUE(fromNull != static_cast<const char*>(nullptr));
  EXPECT_TRUE(fromNull == "");

  // Content ends at the first zero byte, however it comes in.
  const char withZero[] = "ab\0cd";
  EXPECT_EQ(TextString(withZero).Length(), 2u);
  EXPECT_EQ(TextString(withZero, 5), "ab");
  TextString assigned;
  assigned.AssignN(withZero, 5);
  EXPECT_EQ(assigned, "ab");
  assigned.AppendN(withZero, 5);
  EXPECT_EQ(assigned, "abab");
  assigned.AppendChar('\0');
  EXPECT_EQ(assigned.Length(), 4u);

  // The bounded constructor reads no further than it is told (the sanitizer
  // and valgrind runs watch the unterminated array).
  const char raw[3] = {'x', 'y', 'z'};
  EXPECT_EQ(TextString(raw, 3), "xyz");
  EXPECT_EQ(TextString(raw, 2), "xy");
}

TEST(TextStringTest, EqualityIsByteWiseAndCaseFoldsAsciiOnly) {
  TextString lower("abc");
  EXPECT_FALSE(lower == "ABC");
  EXPECT_TRUE(lower != "ABC");
  EXPECT_FALSE(lower == "ab");
  EXPECT_FALSE(lower == "abcd");
  EXPECT_FALSE(lower == TextString("abcd"));
  EXPECT_TRUE(lower == TextString("abc"));
  EXPECT_EQ(UCase("abc"), UCase("ABC"));

  // Only a..z change: bytes above 0x7F (code page 437 letters) and the
  // neighbours of the letter ranges stay as they are.
  TextString mixed("a\x82z`{@[\xE1Q");
  EXPECT_STREQ(mixed.MakeUpper(), "A\x82Z`{@[\xE1Q");
  EXPECT_EQ(mixed, "A\x82Z`{@[\xE1Q");
  EXPECT_EQ(UCase("\x81x"), "\x81X");
  EXPECT_FALSE(UCase("\x81") == UCase("\x9A"));
}

TEST(TextStringTest, AssignNumberAndAssignN) {
  TextString s("a long text before the number");
  EXPECT_EQ(s.AssignNumber(0), "0");
  EXPECT_EQ(s.AssignNumber(7), "7");
  EXPECT_EQ(s.Length(), 1u);
  EXPECT_EQ(s.AssignNumber(1000000), "1000000");
  EXPECT_EQ(s.AssignNumber(0xFFFFFFFFu), "4294967295");

  TextString n;
  EXPECT_EQ(n.AssignN("ABC", 5), "ABC");
  EXPECT_EQ(n.AssignN("ABC", 2), "AB");
  EXPECT_EQ(n.AssignN("ABC", 0), "");
}

TEST(TextStringTest, ConcatenationLeavesOperandsAndCopiesAreDeep) {
  TextString left("ab");
  TextString right("cd");
  TextString joined = left + right + "ef";
  EXPECT_EQ(joined, "abcdef");
  EXPECT_EQ(joined.Length(), 6u);
  EXPECT_EQ(left, "ab");
  EXPECT_EQ(right, "cd");

  TextString copy(joined);
  copy.MakeUpper();
  copy += "!";
  EXPECT_EQ(joined, "abcdef");
  EXPECT_EQ(copy, "ABCDEF!");

  TextString assigned;
  assigned = copy;
  copy.Clear();
  EXPECT_EQ(assigned, "ABCDEF!");

  TextString moved(std::move(assigned));
  EXPECT_EQ(moved, "ABCDEF!");
  EXPECT_STREQ(assigned.CStr(), "");  // NOLINT(bugprone-use-after-move): stays valid and empty
}

TEST(TextStringTest, AppendingToItselfDoubles) {
  TextString s("abc");
  s += s;
  EXPECT_EQ(s, "abcabc");
  s.Append(s.CStr());
  EXPECT_EQ(s, "abcabcabcabc");
  const char* tail = &s.CStr()[s.Length() - 3];
  s += tail;  // a tail of its own buffer
  EXPECT_EQ(s, "abcabcabcabcabc");
  // Also when the buffer already has room and does not move.
  TextString roomy("0123456789012345678901234567890123456789");
  roomy.Empty();
  roomy.Append("xy");
  roomy += roomy;
  EXPECT_EQ(roomy, "xyxy");
  // Doubling many times keeps every byte.
  TextString grown("q");
  for (int i = 0; i < 14; ++i) grown += grown;
  EXPECT_EQ(grown.Length(), 16384u);
  EXPECT_EQ(std::string(grown.CStr()), std::string(16384, 'q'));
}

TEST(TextStringTest, AssigningFromItsOwnContent) {
  TextString s("Hello, world");
  const TextString& same = s;  // through a reference, as real self-assignment happens
  s = same;
  EXPECT_EQ(s, "Hello, world");
  s = s.Mid(8);
  EXPECT_EQ(s, "world");
  s = Mid(s, 2, 3);
  EXPECT_EQ(s, "orl");
  TextString t("prefix-rest");
  t.Assign(t.CStr() + 7);  // overlapping source inside its own buffer
  EXPECT_EQ(t, "rest");
  t.AssignN(t.CStr() + 1, 2);
  EXPECT_EQ(t, "es");
}

TEST(TextStringTest, EmptyKeepsAValidStringAndIndexingIsZeroBased) {
  TextString s("abc");
  EXPECT_EQ(s[0], 'a');
  EXPECT_EQ(s[2], 'c');
  s.Empty();
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_STREQ(s.CStr(), "");
  EXPECT_EQ(s, "");
  s.AppendChar('z');
  EXPECT_EQ(s, "z");
  s.Clear();
  EXPECT_STREQ(s.CStr(), "");
  EXPECT_EQ(s.Length(), 0u);

  // A line built byte by byte, as the renderer does.
  TextString line;
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    char c = static_cast<char>('a' + i % 26);
    line.AppendChar(c);
    expected.push_back(c);
  }
  EXPECT_EQ(line.Length(), 5000u);
  EXPECT_EQ(std::string(line.CStr()), expected);
}

}  // namespace
}  // namespace marlix
