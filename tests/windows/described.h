// Values as the host's report prints and compares them: plain ASCII, with
// line ends and every other character written as an escape.
#pragma once

#include <jni.h>
#include <windows.h>

#include <string>
#include <string_view>

#include "fake_jni_env.h"

namespace vardelon::wine {

std::string printable(std::u16string_view text);
std::string printable(std::string_view bytes);
// Windows' wide text is UTF-16 too.
std::string printable(const wchar_t* text);

std::string described(jboolean value);
std::string described(jint value);
// An HRESULT in hexadecimal; a function of its own, as HRESULT and jint are both long.
std::string describedResult(HRESULT value);
// A Java value as Java source would write it, with its type: "null",
// "\"text\"", "Integer 42", "int[][] {{1, 2}, {3, 4}}",
// "Object[] {Double 0.5, null}"; floats and doubles with the digits that
// tell every value apart. "object ?" for a reference that is not the fake's.
std::string described(const FakeJniEnv& fake, jobject value);

}  // namespace vardelon::wine
