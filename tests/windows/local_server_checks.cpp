#include "local_server_checks.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "captured_stderr.h"
#include "described.h"
#include "not_connected_table.h"
#include "server_process.h"

namespace vardelon::wine {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// An instance that holds no demo variable: its variables are numbered from 0
// in the order the checks write them.
constexpr jint kInstance = 7;
constexpr DWORD kServerExitMilliseconds = 10000;

// A value written with setVariableValue under `name` and what reading it
// back gives: every type crosses to the server and back.
struct RoundTrip {
  const char* name;
  jobject (*make)(FakeJniEnv& fake);
  const char* readBack;
};

// clang-format off
const RoundTrip kRoundTrips[] = {
    {"Byte", [](FakeJniEnv& f) { return f.box(jbyte{-128}); }, "Byte -128"},
    {"Short", [](FakeJniEnv& f) { return f.box(jshort{32767}); }, "Short 32767"},
    {"Integer", [](FakeJniEnv& f) { return f.box(jint{-2147483647 - 1}); }, "Integer -2147483648"},
    {"Float", [](FakeJniEnv& f) { return f.box(jfloat{3.14159274f}); }, "Float 3.14159274"},
    {"NegativeZero", [](FakeJniEnv& f) { return f.box(jfloat{-0.0f}); }, "Float -0"},
    {"Double", [](FakeJniEnv& f) { return f.box(jdouble{0.1}); }, "Double 0.10000000000000001"},
    {"True", [](FakeJniEnv& f) { return f.box(jboolean{JNI_TRUE}); }, "Boolean true"},
    {"False", [](FakeJniEnv& f) { return f.box(jboolean{JNI_FALSE}); }, "Boolean false"},
    {"Text", [](FakeJniEnv& f) { return jobject(f.newJavaString(u"Gr\u00fc\u00dfe \u2713 \U0001D11E")); },
     "\"Gr\\u00fc\\u00dfe \\u2713 \\ud834\\udd1e\""},
    {"EmptyText", [](FakeJniEnv& f) { return jobject(f.newJavaString(u"")); }, "\"\""},
    {"CutText", [](FakeJniEnv& f) { return jobject(f.newJavaString(u"ab\0cd"sv)); }, "\"ab\""},
    {"Bytes", [](FakeJniEnv& f) { return jobject(f.newMatrix<jbyte>({{-128, 0, 1}, {2, 3, 127}})); },
     "byte[][] {{-128, 0, 1}, {2, 3, 127}}"},
    {"Shorts", [](FakeJniEnv& f) { return jobject(f.newMatrix<jshort>({{-32768, 1, 2}, {3, 4, 32767}})); },
     "short[][] {{-32768, 1, 2}, {3, 4, 32767}}"},
    {"Ints", [](FakeJniEnv& f) { return jobject(f.newMatrix<jint>({{1, 2, 3}, {4, 5, -2147483647 - 1}})); },
     "int[][] {{1, 2, 3}, {4, 5, -2147483648}}"},
    {"Floats", [](FakeJniEnv& f) { return jobject(f.newMatrix<jfloat>({{0.5f, -1.25f, 3}, {4, 5, 6.75f}})); },
     "float[][] {{0.5, -1.25, 3}, {4, 5, 6.75}}"},
    {"Doubles", [](FakeJniEnv& f) { return jobject(f.newMatrix<jdouble>({{0.1, 2, 3}, {4, 5, -6}})); },
     "double[][] {{0.10000000000000001, 2, 3}, {4, 5, -6}}"},
    {"Booleans", [](FakeJniEnv& f) { return jobject(f.newMatrix<jboolean>({{1, 0, 1}, {0, 0, 1}})); },
     "boolean[][] {{true, false, true}, {false, false, true}}"},
    {"Column", [](FakeJniEnv& f) { return jobject(f.newMatrix<jint>({{1}, {2}, {3}})); },
     "int[][] {{1}, {2}, {3}}"},
    {"Ragged", [](FakeJniEnv& f) { return jobject(f.newMatrix<jshort>({{1, 2}, {3}})); },
     "short[][] {{1, 2}, {3, 0}}"},
    {"Row", [](FakeJniEnv& f) { return jobject(f.newRow<jint>({5, 6, 7})); }, "int[][] {{5, 6, 7}}"},
    {"EmptyRow", [](FakeJniEnv& f) { return jobject(f.newRow<jdouble>({})); }, "double[][] {}"},
};
// clang-format on

// Whether `code` says that the call could not reach the server: RPC's own
// facility, or a Win32 RPC_S_* error (0x800706ba, RPC_S_SERVER_UNAVAILABLE,
// on Windows).
bool isRpcFailure(unsigned long code) {
  const unsigned long facility = (code >> 16) & 0x1FFF;
  const unsigned long error = code & 0xFFFF;
  constexpr unsigned long kFirstRpcError = 1700;
  constexpr unsigned long kLastRpcError = 1999;
  return (code & 0x80000000UL) != 0 &&
         (facility == FACILITY_RPC ||
          (facility == FACILITY_WIN32 && error >= kFirstRpcError && error <= kLastRpcError));
}

// The HRESULT of a line "Invoke error 0x%x\n"; 0 when the text is not one.
unsigned long invokeErrorOf(const std::string& written) {
  unsigned long code = 0;
  char end = 0;
  if (std::sscanf(written.c_str(), "Invoke error 0x%lx%c", &code, &end) != 2 || end != '\n') {
    return 0;
  }
  return code;
}

std::string invokeErrorLine(unsigned long code) {
  char line[40];
  std::snprintf(line, sizeof line, "Invoke error 0x%lx\n", code);
  return line;
}

std::u16string wideToJava(const wchar_t* text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

class LocalServerChecks {
 public:
  LocalServerChecks(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link)
      : report_(report), fake_(fake), link_(link) {}

  // Connecting starts the server in a process of its own; nothing of it is
  // loaded here. Returns the id of that process.
  DWORD connect(std::string_view when) {
    const std::string prefix = std::string(when) + " | ";
    expectCall(
        prefix + "connect", [&] { return described(link_.connect(env(), nullptr)); }, "true", "");
    report_.expectEqual(prefix + "isConnected", described(link_.isConnected(env(), nullptr)),
                        "true");
    const std::vector<DWORD> processes = serverProcesses();
    report_.expectEqual(prefix + "server processes", std::to_string(processes.size()), "1");
    report_.expectTrue(prefix + "the simulator is not loaded in this process",
                       GetModuleHandleW(L"vardelon_simulator.dll") == nullptr &&
                           GetModuleHandleW(L"vardelon_simulator.exe") == nullptr);
    return processes.size() == 1 ? processes.front() : 0;
  }

  void roundTrips() {
    for (const RoundTrip& row : kRoundTrips) {
      const std::string what =
          "setVariableValue(" + std::to_string(kInstance) + ", \"" + row.name + "\")";
      const jstring name = javaString(row.name);
      const jobject value = row.make(fake_);
      expectCall(
          what, [&] { return link_.setVariableValue(env(), nullptr, kInstance, name, value), ""s; },
          "", "");
      expectCall(
          "variableValue(" + std::to_string(kInstance) + ", \"" + row.name + "\")",
          [&] { return described(fake_, link_.variableValue(env(), nullptr, kInstance, name)); },
          row.readBack, "");
    }
    // A matrix that the server itself made comes to Java in row order.
    execute("set " + std::to_string(kInstance) + " Layout [[1, 2, 3], [4, 5, 6]]");
    expectCall(
        "variableValue(instance, \"Layout\")",
        [&] {
          return described(fake_,
                           link_.variableValue(env(), nullptr, kInstance, javaString("Layout")));
        },
        "double[][] {{1, 2, 3}, {4, 5, 6}}", "");
  }

  // Lists of numbers and of values travel as by-reference VARIANTs holding
  // SAFEARRAYs; the numbers are the positions in kRoundTrips.
  void vectors() {
    std::string names = "String[] {";
    for (const RoundTrip& row : kRoundTrips) names += "\""s + row.name + "\", ";
    names += "\"Layout\"}";
    expectCall(
        "variableNames(instance)",
        [&] { return described(fake_, link_.variableNames(env(), nullptr, kInstance)); }, names,
        "");

    const auto numbers = [&](std::initializer_list<jint> list) {
      return static_cast<jintArray>(fake_.newRow<jint>(list));
    };
    const jobjectArray values = fake_.newObjectArray(
        {fake_.box(jint{5}), fake_.newMatrix<jint>({{1, 2}, {3, 4}}), javaString("five")});
    expectCall(
        "setVariableValues(instance, {0, 1, 2})",
        [&] {
          return link_.setVariableValues(env(), nullptr, kInstance, numbers({0, 1, 2}), values),
                 ""s;
        },
        "", "");
    expectCall(
        "variableValues(instance, {2, 0, 1})",
        [&] {
          return described(fake_,
                           link_.variableValues(env(), nullptr, kInstance, numbers({2, 0, 1})));
        },
        "Object[] {\"five\", Integer 5, int[][] {{1, 2}, {3, 4}}}", "");
    expectCall(
        "variableValues(instance, {})",
        [&] {
          return described(fake_, link_.variableValues(env(), nullptr, kInstance, numbers({})));
        },
        "Object[] {}", "");
    // The server refuses the whole list when one number names no variable.
    expectCall(
        "setVariableValues(instance, {0, 99})",
        [&] {
          return link_.setVariableValues(
                     env(), nullptr, kInstance, numbers({0, 99}),
                     fake_.newObjectArray({fake_.box(jint{6}), fake_.box(jint{7})})),
                 ""s;
        },
        "", "Invoke error 0x8002000b\n");

    execute("uvo WineText \"engine\"\nuvo WineNumber 2.5");
    expectCall(
        "uvoVariableValue(\"WineText\")",
        [&] {
          return described(fake_, link_.uvoVariableValue(env(), nullptr, javaString("WineText")));
        },
        "\"engine\"", "");
    const jint text = uvoNumberOf(u"WineText");
    const jint number = uvoNumberOf(u"WineNumber");
    expectCall(
        "uvoVariableValues({WineNumber, WineText})",
        [&] {
          return described(fake_, link_.uvoVariableValues(env(), nullptr, numbers({number, text})));
        },
        "Object[] {Double 2.5, \"engine\"}", "");
  }

  // Each command shows in the engine-level variables the simulator
  // publishes its state in.
  void commands() {
    expectCall(
        "version", [&] { return described(fake_, link_.version(env(), nullptr)); },
        "\"Vardelon Simulator 1.0\"", "");

    using Command = decltype(VardelonLinkModule::show);
    struct Case {
      const char* method;
      Command command;
      const char* variable;
      const char* value;
    };
    for (const Case& row : {Case{"maximize", link_.maximize, "WindowState", "\"maximized\""},
                            Case{"minimize", link_.minimize, "WindowState", "\"minimized\""},
                            Case{"restoreSize", link_.restoreSize, "WindowState", "\"normal\""},
                            Case{"show", link_.show, "Visible", "Boolean true"}}) {
      expectCall(
          row.method, [&] { return row.command(env(), nullptr), ""s; }, "", "");
      expectUvo(std::string("after ") + row.method, row.variable, row.value);
    }

    expectCall(
        "setVariableChangeNotification(3, \"Speed\")",
        [&] {
          return link_.setVariableChangeNotification(env(), nullptr, 3, javaString("Speed")), ""s;
        },
        "", "");
    expectUvo("after setVariableChangeNotification", "ChangeNotifications", "\"3 Speed\\n\"");

    openAndReload();
    // A text with a fault is refused whole, as an exception of the application.
    expectCall(
        "execute(a ragged matrix)",
        [&] {
          return link_.execute(env(), nullptr, javaString("set 1 Ragged [[1, 2], [3]]")), ""s;
        },
        "", "Invoke error 0x80020009\n");
    // No model was opened into a negative instance.
    expectCall(
        "reload(-5)", [&] { return link_.reload(env(), nullptr, -5), ""s; }, "",
        "Invoke error 0x80070057\n");
  }

  // quit ends the application's process; the next connect starts a new one,
  // with nothing of what the old one held.
  // Returns the id of the new process.
  DWORD quitAndReconnect(DWORD server) {
    expectCall(
        "quit", [&] { return link_.quit(env(), nullptr), ""s; }, "", "");
    report_.expectEqual("after quit isConnected", described(link_.isConnected(env(), nullptr)),
                        "false");
    report_.expectTrue("after quit the server process ends",
                       waitUntilNoServerProcess(kServerExitMilliseconds));
    const DWORD restarted = connect("after quit");
    report_.expectTrue("after quit connect starts another process", restarted != server);
    expectCall(
        "after quit variableNames(instance)",
        [&] { return described(fake_, link_.variableNames(env(), nullptr, kInstance)); }, "null",
        "");
    return restarted;
  }

  // The server dies under a connected library: every call fails with an RPC
  // error and returns its neutral value, and nothing crashes.
  void serverKilled(DWORD server) {
    report_.expectTrue("the server process is killed", terminateProcess(server));
    std::string written;
    const std::string returned =
        described(fake_, captured(written, [&] { return link_.version(env(), nullptr); }));
    const unsigned long code = invokeErrorOf(written);
    report_.expectEqual("killed | version returns", returned, "\"?\"");
    report_.expectTrue("killed | version writes an RPC failure, " + printable(written),
                       isRpcFailure(code));
    const std::string failed = invokeErrorLine(code);
    const std::string unreadable = failed + "Unknown OLE variant type (0)\n";
    // A fetch from the empty result of a failed call: E_INVALIDARG.
    const std::string fetch = "Invoke error 0x80070057\n";
    const auto numbers = [&](std::initializer_list<jint> list) {
      return static_cast<jintArray>(fake_.newRow<jint>(list));
    };
    const jstring name = javaString("Speed");
    struct Case {
      const char* method;
      std::function<std::string()> call;
      std::string returned;
      std::string written;
    };
    const Case cases[] = {
        {"execute", [&] { return link_.execute(env(), nullptr, name), ""s; }, "", failed},
        {"open", [&] { return described(link_.open(env(), nullptr, name)); }, "-1", failed},
        {"reload", [&] { return link_.reload(env(), nullptr, 1), ""s; }, "", failed},
        {"maximize", [&] { return link_.maximize(env(), nullptr), ""s; }, "", ""},
        {"show", [&] { return link_.show(env(), nullptr), ""s; }, "", ""},
        {"variableNames", [&] { return described(fake_, link_.variableNames(env(), nullptr, 1)); },
         "null", ""},
        {"variableValue",
         [&] { return described(fake_, link_.variableValue(env(), nullptr, 1, name)); }, "null",
         unreadable},
        {"variableValues",
         [&] {
           return described(fake_, link_.variableValues(env(), nullptr, 1, numbers({0, 1})));
         },
         "Object[] {null, null}", fetch + fetch},
        {"setVariableValue",
         [&] { return link_.setVariableValue(env(), nullptr, 1, name, fake_.box(jint{1})), ""s; },
         "", ""},
        {"setVariableValues",
         [&] {
           return link_.setVariableValues(env(), nullptr, 1, numbers({0}),
                                          fake_.newObjectArray({fake_.box(jint{1})})),
                  ""s;
         },
         "", failed},
        {"setVariableChangeNotification",
         [&] { return link_.setVariableChangeNotification(env(), nullptr, 1, name), ""s; }, "",
         failed},
        {"uvoVariableNames",
         [&] { return described(fake_, link_.uvoVariableNames(env(), nullptr)); }, "null", ""},
        {"uvoVariableValue",
         [&] { return described(fake_, link_.uvoVariableValue(env(), nullptr, name)); }, "null",
         unreadable},
        {"uvoVariableValues",
         [&] { return described(fake_, link_.uvoVariableValues(env(), nullptr, numbers({0}))); },
         "Object[] {null}", fetch},
        // quit still ends the connection.
        {"quit", [&] { return link_.quit(env(), nullptr), ""s; }, "", ""},
    };
    for (const Case& row : cases)
      expectCall("killed | "s + row.method, row.call, row.returned, row.written);
    report_.expectEqual("killed | after quit isConnected",
                        described(link_.isConnected(env(), nullptr)), "false");
    // Windows starts a new server for the next client. Wine keeps the dead
    // process's class registration, and there the next connect finds no
    // class object and fails as a connect to a missing server does: quietly.
    std::string wrote;
    const jboolean reconnected = captured(wrote, [&] { return link_.connect(env(), nullptr); });
    report_.expectEqual("after the kill connect writes", printable(wrote), "");
    report_.expectEqual(
        "after the kill isConnected agrees with connect's " + described(reconnected),
        described(link_.isConnected(env(), nullptr)), described(reconnected));
    if (reconnected) {
      expectCall(
          "after the kill version", [&] { return described(fake_, link_.version(env(), nullptr)); },
          "\"Vardelon Simulator 1.0\"", "");
      expectCall(
          "disconnect", [&] { return link_.disconnect(env(), nullptr), ""s; }, "", "");
      report_.expectTrue("after disconnect the server process ends",
                         waitUntilNoServerProcess(kServerExitMilliseconds));
    }
    checkEveryMethodNotConnected(report_, fake_, link_, "local server, after disconnect");
  }

 private:
  JNIEnv* env() { return fake_.env(); }

  jstring javaString(std::string_view ascii) {
    return fake_.newJavaString(std::u16string(ascii.begin(), ascii.end()));
  }

  template <typename Call>
  std::invoke_result_t<Call> captured(std::string& written, Call call) {
    std::invoke_result_t<Call> result{};
    written = capturedStderr([&] { result = call(); });
    return result;
  }

  // Runs `call`, which describes what it returned, and checks that, what it
  // wrote to standard error, and that it gave back every string and array
  // it held.
  template <typename Call>
  void expectCall(std::string_view what, Call call, std::string_view returned,
                  std::string_view written) {
    std::string wrote;
    const std::string result = captured(wrote, call);
    report_.expectEqual(std::string(what) + " returns", result, returned);
    report_.expectEqual(std::string(what) + " writes", printable(wrote), printable(written));
    report_.expectEqual(std::string(what) + " holds no Java strings or arrays",
                        std::to_string(fake_.pinnedStrings() + fake_.pinnedArrays()), "0");
  }

  void execute(std::string_view script) {
    const jstring text = javaString(script);
    expectCall(
        "execute(\"" + printable(script) + "\")",
        [&] { return link_.execute(env(), nullptr, text), ""s; }, "", "");
  }

  void expectUvo(const std::string& when, const char* variable, std::string_view value) {
    const jstring name = javaString(variable);
    expectCall(
        when + " uvoVariableValue(\"" + variable + "\")",
        [&] { return described(fake_, link_.uvoVariableValue(env(), nullptr, name)); }, value, "");
  }

  // The number of an engine-level variable: its position in the names list.
  jint uvoNumberOf(std::u16string_view name) {
    const FakeObject* names = fake_.objectOf(link_.uvoVariableNames(env(), nullptr));
    for (std::size_t i = 0; names != nullptr && i < names->references.size(); ++i) {
      const std::u16string* text = fake_.textOf(names->references[i]);
      if (text != nullptr && *text == name) return static_cast<jint>(i);
    }
    report_.expectTrue("uvoVariableNames lists " + printable(name), false);
    return -1;
  }

  // A model in a file of the prefix's temporary folder: open loads it into a
  // new instance and answers its number; reload reads the file again.
  void openAndReload() {
    wchar_t folder[MAX_PATH];
    wchar_t path[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"vdl", 0, path) == 0) {
      report_.expectTrue("a temporary file for open", false);
      return;
    }
    std::ofstream(path, std::ios::binary) << "var FromFile 2.5\n";
    const jstring file = fake_.newJavaString(wideToJava(path));
    std::string written;
    const jint instance = captured(written, [&] { return link_.open(env(), nullptr, file); });
    report_.expectTrue("open returns an instance number, " + std::to_string(instance),
                       instance > kInstance);
    report_.expectEqual("open writes", printable(written), "");
    const auto readBack = [&](const std::string& when, std::string_view expected) {
      expectCall(
          when + " variableValue(instance, \"FromFile\")",
          [&] {
            return described(fake_,
                             link_.variableValue(env(), nullptr, instance, javaString("FromFile")));
          },
          expected, "");
    };
    readBack("after open", "Double 2.5");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "var FromFile int:7\n";
    expectCall(
        "reload(instance)", [&] { return link_.reload(env(), nullptr, instance), ""s; }, "", "");
    readBack("after reload", "Integer 7");
    DeleteFileW(path);
  }

  HostReport& report_;
  FakeJniEnv& fake_;
  const VardelonLinkModule& link_;
};

}  // namespace

void checkWithLocalServer(HostReport& report, FakeJniEnv& fake, const VardelonLinkModule& link) {
  report.expectEqual("before connect server processes", std::to_string(serverProcesses().size()),
                     "0");
  LocalServerChecks checks(report, fake, link);
  const DWORD server = checks.connect("local server");
  checks.roundTrips();
  checks.vectors();
  checks.commands();
  checks.serverKilled(checks.quitAndReconnect(server));
}

}  // namespace vardelon::wine
