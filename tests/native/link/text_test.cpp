// Text between Java strings and BSTRs.
#include <string>

#include "link/holders.h"
#include "link/text.h"
#include "native_test.h"

namespace vardelon::testing {
namespace {

using namespace std::string_literals;

using TextTest = NativeTest;

jstring javaString(JNIEnv* env, const std::u16string& text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

std::u16string contents(JNIEnv* env, jstring text) {
  std::u16string units(env->GetStringLength(text), u'\0');
  env->GetStringRegion(text, 0, static_cast<jsize>(units.size()),
                       reinterpret_cast<jchar*>(units.data()));
  return units;
}

struct TextCase {
  int line;
  std::u16string java;
  std::u16string bstr;
};

TEST_F(TextTest, JavaStringToBstrEndsAtTheFirstZeroUnit) {
  const TextCase cases[] = {
      {__LINE__, u""s, u""s},
      {__LINE__, u"Temperatur"s, u"Temperatur"s},
      {__LINE__, u"Grüße \U0001D11E"s, u"Grüße \U0001D11E"s},
      {__LINE__, u"ab\0cd"s, u"ab"s},
      {__LINE__, u"\0abc"s, u""s},
      {__LINE__, u"abc\0"s, u"abc"s},
  };
  for (const TextCase& row : cases) {
    SCOPED_TRACE(row.line);
    unique_bstr text(javaStringToBstr(env(), javaString(env(), row.java)));
    ASSERT_NE(text.get(), nullptr) << "an empty text is an empty BSTR, never null";
    EXPECT_EQ(std::u16string(text.get(), SysStringLen(text.get())), row.bstr);
    EXPECT_EQ(text.get()[SysStringLen(text.get())], u'\0');
  }
}

TEST_F(TextTest, NullJavaStringGivesNullBstr) {
  EXPECT_EQ(javaStringToBstr(env(), nullptr), nullptr);
}

TEST_F(TextTest, BstrToJavaStringTakesEveryUnit) {
  const std::u16string cases[] = {u""s, u"Druck"s, u"a\0b"s, u"\0"s, u"Grüße \U0001D11E"s};
  for (const std::u16string& row : cases) {
    SCOPED_TRACE(::testing::PrintToString(row));
    unique_bstr text(SysAllocStringLen(row.data(), static_cast<UINT>(row.size())));
    const jstring converted = bstrToJavaString(env(), text.get());
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(contents(env(), converted), row);
  }
}

TEST_F(TextTest, NullBstrGivesEmptyJavaString) {
  const jstring converted = bstrToJavaString(env(), nullptr);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(env()->GetStringLength(converted), 0);
}

}  // namespace
}  // namespace vardelon::testing
