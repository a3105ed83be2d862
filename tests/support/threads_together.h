#pragma once
// Many threads started at the same moment, for tests of callers that overlap.

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace vardelon::testing {

// Runs `body(scope, thread)` on `count` threads. Each thread first makes its
// own `ThreadScope` (its per-thread set-up, undone when it ends: an apartment,
// a JVM attachment); once every thread has one, all run their body together.
// Gives back what each body reported wrong, "" for nothing.
template <typename ThreadScope, typename Body>
std::vector<std::string> runTogether(int count, Body body) {
  std::vector<std::string> faults(count);
  std::atomic<int> ready = 0;
  std::vector<std::thread> threads;
  for (int thread = 0; thread < count; ++thread) {
    threads.emplace_back([&, thread] {
      ThreadScope scope;
      ++ready;
      while (ready < count) std::this_thread::yield();
      faults[thread] = body(scope, thread);
    });
  }
  for (std::thread& thread : threads) thread.join();
  return faults;
}

}  // namespace vardelon::testing
