// Calls and Java values as short texts, so that a test compares what a call
// sent or gave back in one line and a failure shows it whole (automation
// values as variant_text.h writes them):
//   BYREF ARRAY I4 [0:2] {3, 4}         a recorded by-reference argument
//   java.lang.Double 2.5   java.lang.String "x"   [[D [[1.0, 2.0]]   null
//   Execute METHOD 0x400 (BSTR "run") no result      a whole recorded call
#pragma once

#include <jni.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.h"
#include "scripted_server.h"
#include "variant_text.h"

namespace vardelon::testing {

// A by-reference argument shows what it designated when the call came in.
std::string argumentText(const RecordedArgument& argument);
std::vector<std::string> argumentTexts(const RecordedCall& call);
// Member, flags, locale, arguments in the member's order, and whether a
// result was asked for; anything off the library's one shape of call (an
// identifier the server never gave out, a riid other than IID_NULL, named
// arguments, an argument block that disagrees with its count, a missing
// exception record or argument-error index) is marked with "!".
std::string callText(const RecordedCall& call);
// Every call the server has recorded, in order.
std::vector<std::string> callTexts(const ScriptedServer& server);
std::string javaText(JNIEnv* env, jobject value);

std::u16string javaString(JNIEnv* env, jstring text);
jstring newJavaString(JNIEnv* env, std::u16string_view text);

}  // namespace vardelon::testing
