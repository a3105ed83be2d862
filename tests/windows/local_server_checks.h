// The library against the simulator as a local server: vardelon_simulator.exe
// registered under LocalServer32 in the Wine prefix, so that every call
// crosses into another process through COM's own marshalling of BSTRs,
// by-reference VARIANTs and SAFEARRAYs, as calls to the application do.
#pragma once

#include "fake_jni_env.h"
#include "host_report.h"
#include "vardelon_link_module.h"

namespace vardelon::wine {

void checkWithLocalServer(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link);

}  // namespace vardelon::wine
