#include "server_process.h"

#include <tlhelp32.h>

#include <cwchar>

namespace vardelon::wine {

std::vector<DWORD> serverProcesses() {
  std::vector<DWORD> ids;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL found = Process32FirstW(snapshot, &entry); found;
       found = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"vardelon_simulator.exe") == 0) {
      ids.push_back(entry.th32ProcessID);
    }
  }
  CloseHandle(snapshot);
  return ids;
}

bool terminateProcess(DWORD id) {
  const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  if (process == nullptr) return false;
  constexpr DWORD kWaitMilliseconds = 10000;
  const bool ended = TerminateProcess(process, 1) &&
                     WaitForSingleObject(process, kWaitMilliseconds) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

bool waitUntilNoServerProcess(DWORD milliseconds) {
  constexpr DWORD kPollMilliseconds = 50;
  for (DWORD waited = 0; !serverProcesses().empty(); waited += kPollMilliseconds) {
    if (waited >= milliseconds) return false;
    Sleep(kPollMilliseconds);
  }
  return true;
}

}  // namespace vardelon::wine
