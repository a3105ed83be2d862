// The library against the real simulator DLL registered as
// "Vardelon.Application" in the Wine prefix: the Windows build of the server
// that Linux users run, reached through the system's own COM.
#pragma once

#include "fake_jni_env.h"
#include "host_report.h"
#include "vardelon_link_module.h"

namespace vardelon::wine {

void checkWithSimulator(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link);

}  // namespace vardelon::wine
