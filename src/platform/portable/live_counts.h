// Not part of Windows: the layer counts the BSTRs and SAFEARRAYs alive in the
// process, so that tests can prove every call gave back what it made.
#pragma once

#include "types.h"

extern "C" {
LONG AutomationLiveBstrCount();
LONG AutomationLiveSafeArrayCount();
}

// Where class registrations (.reg files) are looked for: a ':'-separated list
// of files and directories; directories contribute their *.reg files.
constexpr const char* kAutomationRegistryVariable = "AUTOMATION_REGISTRY";
constexpr const char* kAutomationRegistryDefault = "/etc/automation/registry.d";
