// The simulator's command language, as a client reaches it: through the
// server object's IDispatch::Invoke of "Execute" (random text) and of "Open"
// and "Reload" (random file contents). Invariants: no crash and no leak (the
// layer's live counts are back once the application is gone); a refused text
// changes no variable and says why in "LastError"; an accepted one leaves
// every listed variable readable and "LastError" empty, and an accepted text
// executed again changes nothing more.
//
// An input is a mode byte and its text:
//   'o' <file>             Open a file holding <file>
//   'r' <file> NUL <file>  Open the first, rewrite it as the second, Reload
//   anything else <text>   Execute <text> (each byte one unit; 0xFF lo hi one
//                          unit of any value)
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "class_factory.h"
#include "fuzz_check.h"
#include "link/holders.h"
#include "platform/automation.h"
#include "variant_bytes.h"

namespace vardelon::fuzz {
namespace {

using vardelon::simulator::ClassFactory;

VARIANT integerArgument(LONG number) {
  VARIANT argument{};
  V_VT(&argument) = VT_I4;
  V_I4(&argument) = number;
  return argument;
}

// Borrows `text`, which must outlive the call.
VARIANT textArgument(BSTR text) {
  VARIANT argument{};
  V_VT(&argument) = VT_BSTR;
  V_BSTR(&argument) = text;
  return argument;
}

unique_bstr newText(std::u16string_view units) {
  return unique_bstr(SysAllocStringLen(units.data(), static_cast<UINT>(units.size())));
}

// A client of a newly started application: the factory starts one when no
// other client holds it, and it ends with this client's reference.
class Client {
 public:
  Client() {
    void* object = nullptr;
    FUZZ_CHECK(SUCCEEDED(ClassFactory::instance().CreateInstance(nullptr, IID_IDispatch, &object)));
    dispatch_.reset(static_cast<IDispatch*>(object));
  }

  // Invokes the method `member` with `arguments` in the member's own order.
  HRESULT call(const char16_t* member, std::initializer_list<VARIANT> arguments,
               VARIANT* result = nullptr) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
    DISPID id = DISPID_UNKNOWN;
    FUZZ_CHECK(
        SUCCEEDED(dispatch_.get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id)));
    std::vector<VARIANT> lastFirst(std::rbegin(arguments), std::rend(arguments));
    DISPPARAMS params{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr = dispatch_.get()->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD,
                                               &params, result, &exception, &argumentError);
    // A failure the server describes says what went wrong.
    if (hr == DISP_E_EXCEPTION) FUZZ_CHECK(SysStringLen(exception.bstrDescription) > 0);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
  }

 private:
  unique_com<IDispatch> dispatch_;
};

// Every variable's value, by name, as bytes.
using Variables = std::map<std::u16string, std::string>;

struct State {
  Variables engine;  // without "LastError"
  std::map<LONG, Variables> instances;
  std::u16string lastError;

  bool sameVariables(const State& other) const {
    return engine == other.engine && instances == other.instances;
  }
};

// The names `namesMember` lists, each read back through `valueMember`; every
// listed name must be readable. `instance` is the first argument of both
// members, when given.
Variables readVariables(Client& client, std::optional<LONG> instance, const char16_t* namesMember,
                        const char16_t* valueMember) {
  unique_variant names;
  const HRESULT listed = instance
                             ? client.call(namesMember, {integerArgument(*instance)}, names.get())
                             : client.call(namesMember, {}, names.get());
  FUZZ_CHECK(SUCCEEDED(listed) && V_VT(names.get()) == (VT_ARRAY | VT_BSTR));
  SAFEARRAY* array = V_ARRAY(names.get());
  FUZZ_CHECK(array != nullptr && SafeArrayGetDim(array) == 1);

  Variables variables;
  BSTR* name = nullptr;
  FUZZ_CHECK(SUCCEEDED(SafeArrayAccessData(array, reinterpret_cast<void**>(&name))));
  for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i, ++name) {
    unique_variant value;
    const VARIANT nameArgument = textArgument(*name);
    const HRESULT read =
        instance ? client.call(valueMember, {integerArgument(*instance), nameArgument}, value.get())
                 : client.call(valueMember, {nameArgument}, value.get());
    FUZZ_CHECK(SUCCEEDED(read));
    variables[std::u16string(*name, SysStringLen(*name))] = valueBytes(*value);
  }
  SafeArrayUnaccessData(array);
  return variables;
}

State readState(Client& client, const std::set<LONG>& instances) {
  State state;
  state.engine =
      readVariables(client, std::nullopt, u"GetUVOVariableNames", u"GetUVOVariableValueByName");
  FUZZ_CHECK(state.engine.erase(u"LastError") == 1);
  unique_variant lastError;
  unique_bstr name = newText(u"LastError");
  FUZZ_CHECK(SUCCEEDED(client.call(u"GetUVOVariableValueByName", {textArgument(name.get())},
                                   lastError.get())) &&
             V_VT(lastError.get()) == VT_BSTR);
  state.lastError.assign(V_BSTR(lastError.get()), SysStringLen(V_BSTR(lastError.get())));
  for (LONG instance : instances) {
    state.instances[instance] =
        readVariables(client, instance, u"GetVariableNames", u"GetVariableValueByName");
  }
  return state;
}

// The instances a text may touch: the first few, and every number written
// in it (up to a limit, to keep each run short).
std::set<LONG> instancesNamedIn(std::string_view text) {
  std::set<LONG> instances{-1, 0, 1, 2, 3, 4};
  constexpr std::size_t kMostInstances = 16;
  for (std::size_t at = 0; at < text.size() && instances.size() < kMostInstances; ++at) {
    LONG number = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), number);
    if (error == std::errc()) {
      instances.insert(number);
      at = static_cast<std::size_t>(end - text.data()) - 1;  // the loop steps past the number
    }
  }
  return instances;
}

struct Outcome {
  HRESULT result;
  State after;
};

// Runs `action` and checks the all-or-nothing promise: a failure changes no
// variable and says why in "LastError"; a success clears "LastError".
template <typename Action>
Outcome allOrNothing(Client& client, const std::set<LONG>& instances, Action action) {
  const State before = readState(client, instances);
  Outcome outcome{action(), readState(client, instances)};
  if (FAILED(outcome.result)) {
    FUZZ_CHECK(outcome.after.sameVariables(before));
    FUZZ_CHECK(!outcome.after.lastError.empty());
  } else {
    FUZZ_CHECK(outcome.after.lastError.empty());
  }
  return outcome;
}

// The one file this process hands to "Open", removed at exit.
class ModelFile {
 public:
  ModelFile()
      : path_(std::filesystem::temp_directory_path() /
              ("vardelon-language-fuzzer-" + std::to_string(getpid()) + ".model")) {}
  ~ModelFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  void write(std::string_view contents) const {
    std::ofstream(path_, std::ios::binary | std::ios::trunc)
        .write(contents.data(), static_cast<std::streamsize>(contents.size()));
  }
  // A new BSTR each time: one kept for the whole run would count as a leak.
  unique_bstr name() const { return newText(path_.u16string()); }

 private:
  std::filesystem::path path_;
};

const ModelFile& modelFile() {
  static const ModelFile file;
  return file;
}

void execute(Client& client, const std::set<LONG>& instances, std::string_view text) {
  const unique_bstr script = newText(unitsFromBytes(text));
  auto run = [&] { return client.call(u"Execute", {textArgument(script.get())}); };
  const Outcome first = allOrNothing(client, instances, run);
  if (FAILED(first.result)) return;
  // Statements only assign, so an accepted text run again changes nothing.
  const Outcome again = allOrNothing(client, instances, run);
  FUZZ_CHECK(SUCCEEDED(again.result) && again.after.sameVariables(first.after));
}

// Opens `contents`; when `reloaded` is given and the file opened, rewrites
// the file with it and reloads what was opened.
void open(Client& client, const std::set<LONG>& instances, std::string_view contents,
          std::optional<std::string_view> reloaded) {
  const ModelFile& file = modelFile();
  file.write(contents);
  const unique_bstr name = file.name();
  unique_variant opened;
  const Outcome outcome = allOrNothing(client, instances, [&] {
    return client.call(u"Open", {textArgument(name.get())}, opened.get());
  });
  if (FAILED(outcome.result) || !reloaded) return;
  FUZZ_CHECK(SUCCEEDED(VariantChangeType(opened.get(), opened.get(), 0, VT_I4)));
  const LONG number = V_I4(opened.get());
  std::set<LONG> touched = instances;
  touched.insert(number);
  file.write(*reloaded);
  allOrNothing(client, touched, [&] { return client.call(u"Reload", {integerArgument(number)}); });
}

void runInput(std::string_view input) {
  Client client;
  const char mode = input.empty() ? '\0' : input.front();
  const std::string_view text = input.substr(input.empty() ? 0 : 1);
  const std::set<LONG> instances = instancesNamedIn(text);
  switch (mode) {
    case 'o':
      return open(client, instances, text, std::nullopt);
    case 'r': {
      const std::size_t split = std::min(text.find('\0'), text.size());
      return open(client, instances, text.substr(0, split),
                  text.substr(split + (split < text.size())));
    }
    default:
      return execute(client, instances, text);
  }
}

}  // namespace
}  // namespace vardelon::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vardelon::fuzz;
  const LiveCounts before;
  runInput(std::string_view(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(LiveCounts() == before);
  return 0;
}
