// The lock on the server's state: a Win32 critical section, which builds
// wherever the automation layer does (MinGW's win32-thread compilers have no
// std::mutex). Recursive, and usable with std::scoped_lock.
#pragma once

#include "platform/automation.h"

namespace vardelon::simulator {

class RecursiveLock {
 public:
  RecursiveLock() { InitializeCriticalSection(&section_); }
  ~RecursiveLock() { DeleteCriticalSection(&section_); }
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void lock() { EnterCriticalSection(&section_); }
  void unlock() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

}  // namespace vardelon::simulator
