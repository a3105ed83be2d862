// BSTR layout (byte count before the text, zero after it) and the live count.
#include <cstring>
#include <string>

#include "leak_checked_test.h"
#include "platform/automation.h"

namespace {

using Bstr = vardelon::testing::LeakCheckedTest;

ULONG prefixOf(BSTR text) {
  ULONG count;
  std::memcpy(&count, reinterpret_cast<const char*>(text) - sizeof count, sizeof count);
  return count;
}

TEST_F(Bstr, StoresTheByteCountBeforeAndAZeroAfterTheText) {
  BSTR text = SysAllocStringLen(u"ab\0cd", 5);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(prefixOf(text), 10u);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(SysStringByteLen(text), 10u);
  EXPECT_EQ(std::u16string(text, 5), std::u16string(u"ab\0cd", 5));
  EXPECT_EQ(text[5], 0);
  SysFreeString(text);
}

TEST_F(Bstr, AllocStringStopsAtTheFirstZero) {
  BSTR text = SysAllocString(u"hello");
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(std::u16string(text), u"hello");
  SysFreeString(text);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST_F(Bstr, NullTextGivesZeroedContentOfTheLength) {
  BSTR text = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 4u);
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(text[i], 0) << i;
  SysFreeString(text);
}

TEST_F(Bstr, ByteLengthMayBeOdd) {
  BSTR text = SysAllocStringByteLen("abc", 3);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringByteLen(text), 3u);
  EXPECT_EQ(SysStringLen(text), 1u);
  const char* bytes = reinterpret_cast<const char*>(text);
  EXPECT_EQ(std::string(bytes, 3), "abc");
  EXPECT_EQ(bytes[3], 0);
  EXPECT_EQ(bytes[4], 0);
  // Read as units, the text is "ab", then "c" completed by a zero byte, then
  // a whole zero unit: a reader that stops at a zero unit stays inside it.
  EXPECT_EQ(bytes[5], 0);
  EXPECT_EQ(text[2], 0);
  SysFreeString(text);

  BSTR zeroed = SysAllocStringByteLen(nullptr, 2);
  EXPECT_EQ(SysStringLen(zeroed), 1u);
  EXPECT_EQ(zeroed[0], 0);
  SysFreeString(zeroed);
}

TEST_F(Bstr, NullHasNoLength) {
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST_F(Bstr, ImpossibleSizesFailWithoutCounting) {
  EXPECT_EQ(SysAllocStringLen(nullptr, 0x7FFFFFFF), nullptr);
  EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFF), nullptr);
  EXPECT_EQ(newBstrs(), 0);
}

TEST_F(Bstr, CountsLiveStrings) {
  BSTR first = SysAllocString(u"one");
  BSTR empty = SysAllocString(u"");
  EXPECT_EQ(newBstrs(), 2);
  SysFreeString(first);
  EXPECT_EQ(newBstrs(), 1);
  SysFreeString(empty);
  EXPECT_EQ(newBstrs(), 0);
}

}  // namespace
