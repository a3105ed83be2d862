#include "dispatch_table.h"

#include <algorithm>
#include <array>
#include <utility>

#include "model_file.h"
#include "ole_text.h"
#include "results.h"

namespace vardelon::simulator {

namespace {

// Members read their arguments in order and stop at the first that does not
// fit; `all` runs the readers until one fails.
template <typename... Reads>
HRESULT all(Reads... reads) {
  HRESULT hr = S_OK;
  ((SUCCEEDED(hr) ? void(hr = reads()) : void()), ...);
  return hr;
}

HRESULT execute(Application& application, const Arguments& arguments, VARIANT*) {
  OleString script;
  return all([&] { return arguments.text(0, &script); },
             [&] { return application.execute(toUtf8(script)); });
}

HRESULT open(Application& application, const Arguments& arguments, VARIANT* result) {
  OleString file;
  LONG instance = 0;
  return all([&] { return arguments.text(0, &file); },
             [&] { return application.open(filePath(file), &instance); },
             [&] { return putInteger(instance, result); });
}

HRESULT reload(Application& application, const Arguments& arguments, VARIANT*) {
  LONG instance = 0;
  return all([&] { return arguments.integer(0, &instance); },
             [&] { return application.reload(instance); });
}

template <WindowState state>
HRESULT setWindowState(Application& application, const Arguments&, VARIANT*) {
  application.setWindowState(state);
  return S_OK;
}

HRESULT show(Application& application, const Arguments&, VARIANT*) {
  application.show();
  return S_OK;
}

HRESULT quit(Application& application, const Arguments&, VARIANT*) {
  application.quit();
  return S_OK;
}

HRESULT version(Application&, const Arguments&, VARIANT* result) {
  return putText(Application::version(), result);
}

HRESULT getVariableNames(Application& application, const Arguments& arguments, VARIANT* result) {
  LONG instance = 0;
  return all([&] { return arguments.integer(0, &instance); },
             [&] { return putNames(std::as_const(application).instance(instance), result); });
}

HRESULT getVariableValueByName(Application& application, const Arguments& arguments,
                               VARIANT* result) {
  LONG instance = 0;
  OleString name;
  return all(
      [&] { return arguments.integer(0, &instance); }, [&] { return arguments.text(1, &name); },
      [&] { return putValue(std::as_const(application).instance(instance).find(name), result); });
}

HRESULT getVariableValues(Application& application, const Arguments& arguments, VARIANT* result) {
  LONG instance = 0;
  std::vector<LONG> numbers;
  return all(
      [&] { return arguments.integer(0, &instance); },
      [&] { return arguments.numbers(1, &numbers); },
      [&] { return putValues(std::as_const(application).instance(instance), numbers, result); });
}

HRESULT setVariableValueByName(Application& application, const Arguments& arguments, VARIANT*) {
  LONG instance = 0;
  OleString name;
  const VARIANT* value = nullptr;
  return all([&] { return arguments.integer(0, &instance); },
             [&] { return arguments.text(1, &name); },
             [&] { return arguments.storable(2, &value); },
             [&] { return name.empty() ? E_INVALIDARG : S_OK; },
             [&] { return application.instance(instance).set(name, *value); });
}

// All or nothing: both lists must be as long as each other and every number
// must name an existing variable before any value changes.
HRESULT setVariableValues(Application& application, const Arguments& arguments, VARIANT*) {
  LONG instance = 0;
  std::vector<LONG> numbers;
  std::vector<Value> values;
  auto known = [&] {
    const VariableTable& table = std::as_const(application).instance(instance);
    return std::all_of(numbers.begin(), numbers.end(),
                       [&](LONG number) { return table.find(number) != nullptr; });
  };
  auto store = [&] {
    HRESULT hr = S_OK;
    for (std::size_t i = 0; SUCCEEDED(hr) && i < numbers.size(); ++i) {
      hr = application.instance(instance).set(numbers[i], values[i].get());
    }
    return hr;
  };
  return all([&] { return arguments.integer(0, &instance); },
             [&] { return arguments.numbers(1, &numbers); },
             [&] { return arguments.values(2, &values); },
             [&] { return numbers.size() == values.size() ? S_OK : E_INVALIDARG; },
             [&] { return known() ? S_OK : DISP_E_BADINDEX; }, store);
}

HRESULT setVarChangeNotification(Application& application, const Arguments& arguments, VARIANT*) {
  LONG instance = 0;
  OleString name;
  return all([&] { return arguments.integer(0, &instance); },
             [&] { return arguments.text(1, &name); },
             [&] {
               application.requestChangeNotification(instance, name);
               return S_OK;
             });
}

HRESULT getUvoVariableNames(Application& application, const Arguments&, VARIANT* result) {
  return putNames(application.engine(), result);
}

HRESULT getUvoVariableValues(Application& application, const Arguments& arguments,
                             VARIANT* result) {
  std::vector<LONG> numbers;
  return all([&] { return arguments.numbers(0, &numbers); },
             [&] { return putValues(application.engine(), numbers, result); });
}

HRESULT getUvoVariableValueByName(Application& application, const Arguments& arguments,
                                  VARIANT* result) {
  OleString name;
  return all([&] { return arguments.text(0, &name); },
             [&] { return putValue(application.engine().find(name), result); });
}

constexpr DISPID kFirstId = 1001;
constexpr WORD M = DISPATCH_METHOD;
constexpr WORD G = DISPATCH_PROPERTYGET;

constexpr std::array<Member, 18> kMembers{{
    {OLESTR("Execute"), kFirstId + 0, M, 1, execute},
    {OLESTR("Open"), kFirstId + 1, M, 1, open},
    {OLESTR("Reload"), kFirstId + 2, M, 1, reload},
    {OLESTR("MaximizeMainWindow"), kFirstId + 3, M, 0, setWindowState<WindowState::maximized>},
    {OLESTR("MinimizeMainWindow"), kFirstId + 4, M, 0, setWindowState<WindowState::minimized>},
    {OLESTR("RestoreMainWindow"), kFirstId + 5, M, 0, setWindowState<WindowState::normal>},
    {OLESTR("Show"), kFirstId + 6, M, 0, show},
    {OLESTR("Quit"), kFirstId + 7, M, 0, quit},
    {OLESTR("Version"), kFirstId + 8, G, 0, version},
    {OLESTR("GetVariableNames"), kFirstId + 9, M, 1, getVariableNames},
    {OLESTR("GetVariableValueByName"), kFirstId + 10, M, 2, getVariableValueByName},
    {OLESTR("GetVariableValues"), kFirstId + 11, M, 2, getVariableValues},
    {OLESTR("SetVariableValueByName"), kFirstId + 12, M, 3, setVariableValueByName},
    {OLESTR("SetVariableValues"), kFirstId + 13, M, 3, setVariableValues},
    {OLESTR("SetVarChangeNotification"), kFirstId + 14, M, 2, setVarChangeNotification},
    {OLESTR("GetUVOVariableNames"), kFirstId + 15, M, 0, getUvoVariableNames},
    {OLESTR("GetUVOVariableValues"), kFirstId + 16, M, 1, getUvoVariableValues},
    {OLESTR("GetUVOVariableValueByName"), kFirstId + 17, M, 1, getUvoVariableValueByName},
}};

OLECHAR foldCase(OLECHAR c) {
  return c >= 'A' && c <= 'Z' ? static_cast<OLECHAR>(c - 'A' + 'a') : c;
}

bool sameName(OleStringView a, OleStringView b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](OLECHAR x, OLECHAR y) { return foldCase(x) == foldCase(y); });
}

}  // namespace

std::span<const Member> serverMembers() {
  return kMembers;
}

const Member* findMember(OleStringView name) {
  auto found = std::find_if(kMembers.begin(), kMembers.end(),
                            [name](const Member& member) { return sameName(member.name, name); });
  return found == kMembers.end() ? nullptr : &*found;
}

const Member* findMember(DISPID id) {
  auto found = std::find_if(kMembers.begin(), kMembers.end(),
                            [id](const Member& member) { return member.id == id; });
  return found == kMembers.end() ? nullptr : &*found;
}

}  // namespace vardelon::simulator
