// The library against the test server registered as "Vardelon.Application"
// in the Wine prefix: connecting, the commands, and ending the connection
// by disconnect and by quit.
#pragma once

#include "fake_jni_env.h"
#include "host_report.h"
#include "vardelon_link_module.h"

namespace vardelon::wine {

// `serverPath` is the registered server DLL, loaded here too for its probes.
void checkWithServer(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link,
                     const wchar_t* serverPath);

}  // namespace vardelon::wine
