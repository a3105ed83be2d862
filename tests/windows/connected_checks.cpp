#include "connected_checks.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "apartment_probe.h"
#include "captured_stderr.h"
#include "described.h"
#include "not_connected_table.h"
#include "wine_server_contract.h"

namespace vardelon::wine {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

struct ServerProbes {
  CountProbe objectsAlive = nullptr;
  CountProbe invokeCount = nullptr;
  TextProbe lastMember = nullptr;
  TextProbe lastText = nullptr;
};

// The host holds the module too, so that the probes outlive the library's
// last reference on the server.
bool loadServerProbes(const wchar_t* path, ServerProbes& probes) {
  const HMODULE server = LoadLibraryW(path);
  if (server == nullptr) {
    std::printf("LoadLibrary of %ls failed: error %lu\n", path, GetLastError());
    return false;
  }
  probes.objectsAlive = findExport<CountProbe>(server, kObjectsAliveProbe);
  probes.invokeCount = findExport<CountProbe>(server, kInvokeCountProbe);
  probes.lastMember = findExport<TextProbe>(server, kLastMemberProbe);
  probes.lastText = findExport<TextProbe>(server, kLastTextProbe);
  const bool found =
      probes.objectsAlive && probes.invokeCount && probes.lastMember && probes.lastText;
  if (!found) std::printf("%ls lacks a probe\n", path);
  return found;
}

class ServerChecks {
 public:
  ServerChecks(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link,
               const ServerProbes& server)
      : report_(report), fake_(fake), link_(link), server_(server) {}

  void connect() {
    const LONG invoked = server_.invokeCount();
    expectCall(
        "connect", [&] { return described(link_.connect(env(), nullptr)); }, "true", "");
    expectConnected("after connect", true);
    report_.expectEqual("connect joins the multithreaded apartment",
                        describedResult(singleThreadedApartmentProbe()),
                        describedResult(RPC_E_CHANGED_MODE));
    report_.expectEqual("connect invokes nothing", std::to_string(server_.invokeCount()),
                        std::to_string(invoked));
  }

  void version() {
    const std::string expected = "\"" + printable(kServerVersion) + "\"";
    expectCall(
        "version", [&] { return described(fake_, link_.version(env(), nullptr)); }, expected, "");
    expectLastMember("version", L"Version");
  }

  // The text crosses as a BSTR, cut before a U+0000; the answer "42"
  // reaches Java through the system's VariantChangeType.
  void open() {
    struct Case {
      std::u16string_view sent;
      std::u16string_view received;
    };
    for (const Case& row :
         {Case{u"model\u00e9.vdl", u"model\u00e9.vdl"}, Case{u"ab\0cd"sv, u"ab"}, Case{u"", u""}}) {
      const std::string what = "open(\"" + printable(row.sent) + "\")";
      const jstring text = fake_.newJavaString(row.sent);
      expectCall(
          what, [&] { return described(link_.open(env(), nullptr, text)); }, "42", "");
      report_.expectEqual(what + " server received", printable(server_.lastText()),
                          printable(row.received));
      report_.expectEqual(what + " gives back the characters",
                          std::to_string(fake_.pinnedStrings()), "0");
    }
  }

  void failedCalls() {
    const jstring failing = fake_.newJavaString(u"fail");
    expectCall(
        "execute failing", [&] { return link_.execute(env(), nullptr, failing), ""s; }, "",
        "Invoke error 0x80020009\n");
    expectLastMember("execute failing", L"Execute");
    const jstring script = fake_.newJavaString(u"run model");
    expectCall(
        "execute", [&] { return link_.execute(env(), nullptr, script), ""s; }, "", "");
    report_.expectEqual("execute server received", printable(server_.lastText()), "run model");
    // The server does not implement Reload.
    expectCall(
        "reload", [&] { return link_.reload(env(), nullptr, 3), ""s; }, "",
        "Invoke error 0x80004001\n");
    expectLastMember("reload", L"Reload");
  }

  void windowCommands() {
    using Command = decltype(VardelonLinkModule::show);
    struct Case {
      const char* method;
      Command command;
      const wchar_t* member;
    };
    for (const Case& row : {Case{"maximize", link_.maximize, L"MaximizeMainWindow"},
                            Case{"minimize", link_.minimize, L"MinimizeMainWindow"},
                            Case{"restoreSize", link_.restoreSize, L"RestoreMainWindow"},
                            Case{"show", link_.show, L"Show"}}) {
      const LONG invoked = server_.invokeCount();
      expectCall(
          row.method, [&] { return row.command(env(), nullptr), ""s; }, "", "");
      expectLastMember(row.method, row.member);
      report_.expectEqual(std::string(row.method) + " invokes once",
                          std::to_string(server_.invokeCount() - invoked), "1");
    }
  }

  // Nothing reaches the released server afterwards.
  void disconnect() {
    expectCall(
        "disconnect", [&] { return link_.disconnect(env(), nullptr), ""s; }, "", "");
    expectConnected("after disconnect", false);
    const LONG invoked = server_.invokeCount();
    checkEveryMethodNotConnected(report_, fake_, link_, "after disconnect");
    report_.expectEqual("after disconnect the server is not called",
                        std::to_string(server_.invokeCount()), std::to_string(invoked));
  }

  void quit() {
    expectCall(
        "connect again", [&] { return described(link_.connect(env(), nullptr)); }, "true", "");
    expectCall(
        "quit", [&] { return link_.quit(env(), nullptr), ""s; }, "", "");
    expectLastMember("quit", L"Quit");
    expectConnected("after quit", false);
  }

 private:
  JNIEnv* env() { return fake_.env(); }

  template <typename Call>
  void expectCall(std::string_view what, Call call, std::string_view returned,
                  std::string_view written) {
    std::string result;
    const std::string wrote = capturedStderr([&] { result = call(); });
    report_.expectEqual(std::string(what) + " returns", result, returned);
    report_.expectEqual(std::string(what) + " writes", printable(wrote), printable(written));
  }

  void expectLastMember(std::string_view what, const wchar_t* member) {
    report_.expectEqual(std::string(what) + " invokes", printable(server_.lastMember()),
                        printable(member));
  }

  // Connected: one server object held and the thread in the multithreaded
  // apartment. Not connected: the object released and COM's initialisation
  // on this thread undone.
  void expectConnected(std::string_view when, bool connected) {
    const std::string prefix(when);
    report_.expectEqual(prefix + " isConnected", described(link_.isConnected(env(), nullptr)),
                        connected ? "true" : "false");
    report_.expectEqual(prefix + " server objects alive", std::to_string(server_.objectsAlive()),
                        connected ? "1" : "0");
    if (!connected) {
      report_.expectEqual(prefix + " COM is uninitialised",
                          describedResult(singleThreadedApartmentProbe()), describedResult(S_OK));
    }
  }

  HostReport& report_;
  FakeJniEnv& fake_;
  const VardelonLinkModule& link_;
  const ServerProbes& server_;
};

}  // namespace

void checkWithServer(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link,
                     const wchar_t* serverPath) {
  ServerProbes probes;
  const bool loaded = loadServerProbes(serverPath, probes);
  report.expectTrue("the server's probes load", loaded);
  if (!loaded) return;
  ServerChecks checks(report, fake, link, probes);
  checks.connect();
  checks.version();
  checks.open();
  checks.failedCalls();
  checks.windowCommands();
  checks.disconnect();
  checks.quit();
}

}  // namespace vardelon::wine
