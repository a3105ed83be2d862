#include "link/text.h"

#include <cstring>
#include <memory>
#include <new>

namespace vardelon {

static_assert(sizeof(OLECHAR) == sizeof(jchar), "BSTR and Java strings share UTF-16 code units");

BSTR javaStringToBstr(JNIEnv* env, jstring text) {
  if (text == nullptr) return nullptr;
  const jsize length = env->GetStringLength(text);
  const std::unique_ptr<OLECHAR[]> units(new (std::nothrow) OLECHAR[length + 1]);
  if (units == nullptr) return nullptr;
  const jchar* chars = env->GetStringChars(text, nullptr);
  if (chars == nullptr) return nullptr;  // the JVM's OutOfMemoryError stays pending
  std::memcpy(units.get(), chars, length * sizeof(jchar));
  units[length] = 0;
  env->ReleaseStringChars(text, chars);
  // SysAllocString stops at the first zero unit: the text ends before a U+0000.
  return SysAllocString(units.get());
}

jstring bstrToJavaString(JNIEnv* env, BSTR text) {
  const OLECHAR* units = text != nullptr ? text : OLESTR("");
  return env->NewString(reinterpret_cast<const jchar*>(units),
                        static_cast<jsize>(SysStringLen(text)));
}

}  // namespace vardelon
