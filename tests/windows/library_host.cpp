// A Windows program that loads the VardelonLink DLL as a JVM would and drives
// its exports through a fake JNI environment, against the system's own ole32
// and oleaut32 (Wine's, when run under Wine).
//
// usage: library_host.exe VARDELONLINK_DLL [SERVER_DLL | --simulator | --local-server]
//   without SERVER_DLL: nothing is registered as "Vardelon.Application";
//   with it: that DLL is, and the library connects to it;
//   with --simulator: the simulator DLL is;
//   with --local-server: the simulator's program vardelon_simulator.exe is.
//
// Prints one line per check and a last line that counts them; exits with 0
// when every check holds.
#include <cstdio>
#include <cwchar>

#include "apartment_probe.h"
#include "captured_stderr.h"
#include "connected_checks.h"
#include "described.h"
#include "fake_jni_env.h"
#include "host_report.h"
#include "local_server_checks.h"
#include "not_connected_table.h"
#include "simulator_checks.h"
#include "vardelon_link_module.h"

namespace vardelon::wine {
namespace {

// connect finds no class for the ProgID: false, silently, and the thread's
// COM initialisation undone; every other method stays neutral before and
// after.
void checkNothingRegistered(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link) {
  checkEveryMethodNotConnected(report, fake, link, "before connect");
  const int callsBefore = fake.calls();
  jboolean connected = JNI_TRUE;
  const std::string written =
      capturedStderr([&] { connected = link.connect(fake.env(), nullptr); });
  report.expectEqual("connect returns", described(connected), "false");
  report.expectEqual("connect writes", printable(written), "");
  report.expectEqual("connect JNI calls", std::to_string(fake.calls() - callsBefore), "0");
  report.expectEqual("after connect COM is uninitialised",
                     describedResult(singleThreadedApartmentProbe()), describedResult(S_OK));
  checkEveryMethodNotConnected(report, fake, link, "after failed connect");
}

}  // namespace
}  // namespace vardelon::wine

int wmain(int argc, wchar_t** argv) {
  using namespace vardelon::wine;
  if (argc != 2 && argc != 3) {
    std::printf(
        "usage: library_host.exe VARDELONLINK_DLL [SERVER_DLL | --simulator | --local-server]\n");
    return 2;
  }
  HostReport report;
  FakeJniEnv fake;
  VardelonLinkModule link;
  const bool loaded = loadVardelonLink(argv[1], link);
  report.expectTrue("VardelonLink.dll loads with its 21 methods", loaded);
  if (loaded && argc == 2) checkNothingRegistered(report, fake, link);
  const bool simulator = argc == 3 && std::wcscmp(argv[2], L"--simulator") == 0;
  const bool localServer = argc == 3 && std::wcscmp(argv[2], L"--local-server") == 0;
  if (loaded && simulator) checkWithSimulator(report, fake, link);
  if (loaded && localServer) checkWithLocalServer(report, fake, link);
  if (loaded && argc == 3 && !simulator && !localServer) {
    checkWithServer(report, fake, link, argv[2]);
  }
  return report.finish();
}
