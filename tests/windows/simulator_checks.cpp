#include "simulator_checks.h"

#include <string>
#include <string_view>

#include "apartment_probe.h"
#include "captured_stderr.h"
#include "described.h"
#include "vardelon_link_module.h"

namespace vardelon::wine {
namespace {

// Runs `call`, which describes what it returned, and checks that and what
// it wrote to standard error, which must be nothing.
template <typename Call>
void expectQuietCall(HostReport& report, std::string_view what, Call call,
                     std::string_view returned) {
  std::string result;
  const std::string wrote = capturedStderr([&] { result = call(); });
  report.expectEqual(std::string(what) + " returns", result, returned);
  report.expectEqual(std::string(what) + " writes", printable(wrote), "");
}

// The simulator module that connect loaded, held here too so that its
// DllCanUnloadNow can still be asked after the library let go; null when it
// was not loaded.
HMODULE holdLoadedSimulator() {
  HMODULE simulator = nullptr;
  GetModuleHandleExW(0, L"vardelon_simulator.dll", &simulator);
  return simulator;
}

// The simulator's own answer to whether a client still holds one of its
// objects.
std::string simulatorUse(HMODULE simulator) {
  if (simulator == nullptr) return "not loaded";
  using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
  const auto canUnloadNow = findExport<CanUnloadNow>(simulator, "DllCanUnloadNow");
  if (canUnloadNow == nullptr) return "no DllCanUnloadNow";
  return canUnloadNow() == S_FALSE ? "in use" : "unused";
}

}  // namespace

void checkWithSimulator(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link) {
  JNIEnv* env = fake.env();
  expectQuietCall(
      report, "simulator connect", [&] { return described(link.connect(env, nullptr)); }, "true");
  report.expectEqual("simulator after connect isConnected",
                     described(link.isConnected(env, nullptr)), "true");
  const HMODULE simulator = holdLoadedSimulator();
  report.expectEqual("simulator after connect", simulatorUse(simulator), "in use");
  expectQuietCall(
      report, "simulator version", [&] { return described(fake, link.version(env, nullptr)); },
      "\"Vardelon Simulator 1.0\"");
  expectQuietCall(
      report, "simulator disconnect", [&] { return link.disconnect(env, nullptr), std::string(); },
      "");
  report.expectEqual("simulator after disconnect isConnected",
                     described(link.isConnected(env, nullptr)), "false");
  report.expectEqual("simulator after disconnect", simulatorUse(simulator), "unused");
  if (simulator != nullptr) FreeLibrary(simulator);
  report.expectEqual("simulator after disconnect COM is uninitialised",
                     describedResult(singleThreadedApartmentProbe()), describedResult(S_OK));
}

}  // namespace vardelon::wine
