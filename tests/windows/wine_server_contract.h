// What the host and the in-process test server agree on: the answers the
// server gives and the probes it exports, through which the host sees what
// reached the server and what is still alive there.
#pragma once

#include <windows.h>

namespace vardelon::wine {

// Version's text: beyond ASCII, so that every UTF-16 unit must cross whole.
inline constexpr wchar_t kServerVersion[] = L"Vardelon 7.2 \u2014 Wine";
// Open answers this text, which the library coerces to 42.
inline constexpr wchar_t kOpenAnswer[] = L"42";
// Execute fails with DISP_E_EXCEPTION for this text.
inline constexpr wchar_t kFailingText[] = L"fail";

// The probes' export names and types.
inline constexpr char kObjectsAliveProbe[] = "ServerObjectsAlive";
inline constexpr char kInvokeCountProbe[] = "ServerInvokeCount";
inline constexpr char kLastMemberProbe[] = "ServerLastMember";
inline constexpr char kLastTextProbe[] = "ServerLastText";
using CountProbe = LONG (*)();
using TextProbe = const wchar_t* (*)();

}  // namespace vardelon::wine
