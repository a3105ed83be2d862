// The simulator's local server as processes: COM starts
// vardelon_simulator.exe on its own, so the host finds it by its program
// name in a snapshot of the running processes.
#pragma once

#include <windows.h>

#include <vector>

namespace vardelon::wine {

// The ids of the running vardelon_simulator.exe processes.
std::vector<DWORD> serverProcesses();

// Ends the process at once, as a crash would, and waits for it to go; false
// when it cannot be ended.
bool terminateProcess(DWORD id);

// Waits up to `milliseconds` for every server process to end; false when
// one still runs.
bool waitUntilNoServerProcess(DWORD milliseconds);

}  // namespace vardelon::wine
