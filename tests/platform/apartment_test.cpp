// Apartment initialisation counts: per thread, the first call's model sticks
// until every successful call is balanced by CoUninitialize.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/automation.h"

namespace {

enum class Step { Multi, Single, Uninitialize };

struct Call {
  Step step;
  HRESULT expected;  // ignored for Uninitialize
};

// Runs the calls on a fresh thread, so that no test inherits another's state.
void runOnNewThread(int line, const std::vector<Call>& calls) {
  std::thread([&] {
    SCOPED_TRACE(testing::Message() << "line " << line);
    for (std::size_t i = 0; i < calls.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "call " << i);
      switch (calls[i].step) {
        case Step::Multi:
          EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), calls[i].expected);
          break;
        case Step::Single:
          EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), calls[i].expected);
          break;
        case Step::Uninitialize:
          CoUninitialize();
          break;
      }
    }
  }).join();
}

TEST(Apartment, CountsInitialisationsPerThread) {
  const Step M = Step::Multi, S = Step::Single, U = Step::Uninitialize;
  struct Sequence {
    int line;
    std::vector<Call> calls;
  };
  const Sequence sequences[] = {
      {__LINE__, {{M, S_OK}, {M, S_FALSE}, {M, S_FALSE}}},
      {__LINE__, {{S, S_OK}, {S, S_FALSE}}},
      {__LINE__, {{M, S_OK}, {S, RPC_E_CHANGED_MODE}, {M, S_FALSE}}},
      {__LINE__, {{S, S_OK}, {M, RPC_E_CHANGED_MODE}}},
      // A refused call is not counted: one CoUninitialize ends the apartment.
      {__LINE__, {{M, S_OK}, {S, RPC_E_CHANGED_MODE}, {U, 0}, {S, S_OK}}},
      // Two successful calls need two CoUninitialize calls.
      {__LINE__, {{M, S_OK}, {M, S_FALSE}, {U, 0}, {S, RPC_E_CHANGED_MODE}, {U, 0}, {S, S_OK}}},
      // An unbalanced CoUninitialize is ignored.
      {__LINE__, {{U, 0}, {U, 0}, {M, S_OK}, {M, S_FALSE}}},
  };
  for (const Sequence& sequence : sequences) runOnNewThread(sequence.line, sequence.calls);
}

TEST(Apartment, CoInitializeJoinsASingleThreadedApartment) {
  std::thread([] {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    CoUninitialize();
  }).join();
}

TEST(Apartment, ThreadsDoNotShareCounts) {
  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    // Another thread starts from zero and may choose the other model.
    std::thread([] {
      EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
      CoUninitialize();
    }).join();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
  }).join();
}

TEST(Apartment, ManyThreadsInitialiseAtOnce) {
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([i] {
      const DWORD model = i % 2 ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED;
      for (int round = 0; round < 100; ++round) {
        EXPECT_EQ(CoInitializeEx(nullptr, model), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, model), S_FALSE);
        CoUninitialize();
        CoUninitialize();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
