// The class that the test in-process server (platform_test_server) serves.
#pragma once

#include "platform/automation.h"

// {5C0F6A3E-2B1D-4E7A-9C48-0D3F1A6B7E21}
inline constexpr CLSID kTestServerClsid = {
    0x5C0F6A3E, 0x2B1D, 0x4E7A, {0x9C, 0x48, 0x0D, 0x3F, 0x1A, 0x6B, 0x7E, 0x21}};
inline constexpr char16_t kTestServerClsidText[] = u"{5C0F6A3E-2B1D-4E7A-9C48-0D3F1A6B7E21}";

// Exported by the server: how many of its objects are alive.
using TestServerLiveObjectsFunction = int (*)();
inline constexpr const char* kTestServerLiveObjectsName = "TestServerLiveObjects";
