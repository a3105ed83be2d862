#include "not_connected_table.h"

#include <string>

#include "captured_stderr.h"
#include "described.h"

namespace vardelon::wine {
namespace {

using namespace std::string_literals;

constexpr const char* kNotConnected = "Not connected to Vardelon\n";

// What a row calls with: a real Java string wherever the method takes text
// or a value, so that a method that looked at its arguments would be seen
// calling JNI; array arguments are null.
struct Caller {
  const FakeJniEnv& fake;
  const VardelonLinkModule& link;
  JNIEnv* env;
  jstring text;
};

// Returns what the method returned, "" for void.
using Call = std::string (*)(const Caller& c);

struct Disconnected {
  const char* method;
  Call call;
  const char* returned;
  const char* written;
  int jniCalls;  // NewStringUTF for version's "?"
};

// clang-format off
const Disconnected kDisconnected[] = {
    {"disconnect", [](const Caller& c) { return c.link.disconnect(c.env, nullptr), ""s; },
     "", "", 0},
    {"isConnected", [](const Caller& c) { return described(c.link.isConnected(c.env, nullptr)); },
     "false", "", 0},
    {"version", [](const Caller& c) { return described(c.fake, c.link.version(c.env, nullptr)); },
     "\"?\"", "", 1},
    {"execute", [](const Caller& c) { return c.link.execute(c.env, nullptr, c.text), ""s; },
     "", "", 0},
    {"open", [](const Caller& c) { return described(c.link.open(c.env, nullptr, c.text)); },
     "-1", "", 0},
    {"reload", [](const Caller& c) { return c.link.reload(c.env, nullptr, 1), ""s; },
     "", "", 0},
    {"maximize", [](const Caller& c) { return c.link.maximize(c.env, nullptr), ""s; },
     "", "", 0},
    {"minimize", [](const Caller& c) { return c.link.minimize(c.env, nullptr), ""s; },
     "", "", 0},
    {"restoreSize", [](const Caller& c) { return c.link.restoreSize(c.env, nullptr), ""s; },
     "", "", 0},
    {"show", [](const Caller& c) { return c.link.show(c.env, nullptr), ""s; },
     "", "", 0},
    {"quit", [](const Caller& c) { return c.link.quit(c.env, nullptr), ""s; },
     "", "", 0},
    {"variableNames",
     [](const Caller& c) { return described(c.fake, c.link.variableNames(c.env, nullptr, 1)); },
     "null", "", 0},
    {"variableValue",
     [](const Caller& c) {
       return described(c.fake, c.link.variableValue(c.env, nullptr, 1, c.text));
     },
     "null", kNotConnected, 0},
    {"variableValues",
     [](const Caller& c) {
       return described(c.fake, c.link.variableValues(c.env, nullptr, 1, nullptr));
     },
     "null", kNotConnected, 0},
    {"setVariableValue",
     [](const Caller& c) {
       return c.link.setVariableValue(c.env, nullptr, 1, c.text, c.text), ""s;
     },
     "", kNotConnected, 0},
    {"setVariableValues",
     [](const Caller& c) {
       return c.link.setVariableValues(c.env, nullptr, 1, nullptr, nullptr), ""s;
     },
     "", kNotConnected, 0},
    {"setVariableChangeNotification",
     [](const Caller& c) {
       return c.link.setVariableChangeNotification(c.env, nullptr, 1, c.text), ""s;
     },
     "", kNotConnected, 0},
    {"uvoVariableNames",
     [](const Caller& c) { return described(c.fake, c.link.uvoVariableNames(c.env, nullptr)); },
     "null", "", 0},
    {"uvoVariableValue",
     [](const Caller& c) {
       return described(c.fake, c.link.uvoVariableValue(c.env, nullptr, c.text));
     },
     "null", kNotConnected, 0},
    {"uvoVariableValues",
     [](const Caller& c) {
       return described(c.fake, c.link.uvoVariableValues(c.env, nullptr, nullptr));
     },
     "null", kNotConnected, 0},
};
// clang-format on

}  // namespace

void checkEveryMethodNotConnected(HostReport& report, FakeJniEnv& fake,
                                  const VardelonLinkModule& link, std::string_view when) {
  const Caller caller{fake, link, fake.env(), fake.newJavaString(u"Temperature")};
  for (const Disconnected& row : kDisconnected) {
    const std::string what = std::string(when) + " | " + row.method;
    const int callsBefore = fake.calls();
    std::string returned;
    const std::string written = capturedStderr([&] { returned = row.call(caller); });
    report.expectEqual(what + " returns", returned, row.returned);
    report.expectEqual(what + " writes", printable(written), printable(row.written));
    report.expectEqual(what + " JNI calls", std::to_string(fake.calls() - callsBefore),
                       std::to_string(row.jniCalls));
    report.expectEqual(what + " stays disconnected",
                       described(link.isConnected(fake.env(), nullptr)), "false");
  }
}

}  // namespace vardelon::wine
