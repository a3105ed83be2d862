// Every native method but connect, called while there is no connection.
#pragma once

#include <string_view>

#include "fake_jni_env.h"
#include "host_report.h"
#include "vardelon_link_module.h"

namespace vardelon::wine {

// Checks each method's neutral value, its one line or none, that it leaves
// its arguments untouched (no JNI call but making "?") and that the
// connection stays down. `when` names the moment in the report.
void checkEveryMethodNotConnected(HostReport& report, FakeJniEnv& fake,
                                  const VardelonLinkModule& link, std::string_view when);

}  // namespace vardelon::wine
