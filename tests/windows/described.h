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
// "null", a string in quotes, or "object" for any other reference.
std::string described(const FakeJniEnv& fake, jobject value);

}  // namespace vardelon::wine
