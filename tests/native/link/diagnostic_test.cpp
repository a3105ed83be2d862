// reportDiagnostic: one line on standard error, as fprintf would format it.
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "link/diagnostic.h"
#include "platform/automation.h"
#include "stderr_capture.h"

namespace vardelon::testing {
namespace {

struct DiagnosticCase {
  int line;
  std::function<void()> report;
  std::string written;
};

TEST(DiagnosticTest, WritesTheFormattedLineWithoutPrefix) {
  const std::string longText(3000, 'x');
  const DiagnosticCase cases[] = {
      {__LINE__, [] { reportDiagnostic("Not connected to Vardelon\n"); },
       "Not connected to Vardelon\n"},
      {__LINE__, [] { reportDiagnostic("Invoke error 0x%x\n", DISP_E_EXCEPTION); },
       "Invoke error 0x80020009\n"},
      {__LINE__, [] { reportDiagnostic("Invoke error 0x%x\n", 0x1a); }, "Invoke error 0x1a\n"},
      {__LINE__, [] { reportDiagnostic("Unknown OLE variant type (%d)\n", 0); },
       "Unknown OLE variant type (0)\n"},
      {__LINE__, [&] { reportDiagnostic("%s\n", longText.c_str()); }, longText + "\n"},
  };
  for (const DiagnosticCase& row : cases) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(captureStderr(row.report), row.written);
  }
}

TEST(DiagnosticTest, LinesFromSeveralThreadsDoNotMix) {
  constexpr int kThreads = 4;
  constexpr int kLinesEach = 200;
  const std::string written = captureStderr([] {
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
      threads.emplace_back([thread] {
        const std::string line(400, static_cast<char>('A' + thread));
        for (int count = 0; count < kLinesEach; ++count) reportDiagnostic("%s\n", line.c_str());
      });
    }
    for (std::thread& thread : threads) thread.join();
  });

  std::istringstream lines(written);
  int linesSeen = 0;
  for (std::string line; std::getline(lines, line); ++linesSeen) {
    ASSERT_EQ(line, std::string(400, line.front())) << "line " << linesSeen;
  }
  EXPECT_EQ(linesSeen, kThreads * kLinesEach);
}

}  // namespace
}  // namespace vardelon::testing
