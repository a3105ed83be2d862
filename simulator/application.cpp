#include "application.h"

#include <fstream>
#include <iterator>

#include "ole_text.h"
#include "script.h"

namespace vardelon::simulator {

namespace {

// What a newcomer finds after connecting: one value of each kind in
// instance 1, and a few engine-level variables.
constexpr std::string_view kDemoScript = R"(# The simulator's demo variables
set 1 Speed 12.5
set 1 Count 42
set 1 Label "Vardelon demo"
set 1 Grid [[1, 2, 3], [4, 5, 6]]
set 1 Enabled true
uvo Time 0.0
uvo StepSize 0.01
uvo Solver "euler"
)";

Value boolean(bool flag) {
  VARIANT variant;
  VariantInit(&variant);
  V_VT(&variant) = VT_BOOL;
  V_BOOL(&variant) = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return Value::adopt(variant);
}

OleStringView windowStateName(WindowState state) {
  switch (state) {
    case WindowState::maximized:
      return OLESTR("maximized");
    case WindowState::minimized:
      return OLESTR("minimized");
    case WindowState::normal:
      break;
  }
  return OLESTR("normal");
}

const VariableTable kNoVariables;

}  // namespace

Application::Application() {
  execute(kDemoScript);
  publishState();
}

HRESULT Application::execute(std::string_view text) {
  Script script = parseScript(text);
  if (!script.error.empty()) {
    setLastError(script.error);
    return E_INVALIDARG;
  }
  for (Command& command : script.commands) {
    VariableTable& table =
        command.target == Command::Target::engine ? engine_ : instance(command.instance);
    table.set(command.name, std::move(command.value));
  }
  setLastError("");
  return S_OK;
}

HRESULT Application::runFile(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    setLastError("cannot read " + file.string());
    return kFileNotFound;
  }
  const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  return execute(text);
}

HRESULT Application::open(const std::filesystem::path& file, LONG* document) {
  const HRESULT hr = runFile(file);
  if (FAILED(hr)) return hr;
  documents_.push_back(file);
  *document = static_cast<LONG>(documents_.size());
  return S_OK;
}

HRESULT Application::reload(LONG document) {
  if (document < 1 || static_cast<std::size_t>(document) > documents_.size()) {
    setLastError("no document " + std::to_string(document));
    return E_INVALIDARG;
  }
  return runFile(documents_[document - 1]);
}

void Application::setWindowState(WindowState state) {
  windowState_ = state;
  publishState();
}

void Application::show() {
  visible_ = true;
  publishState();
}

const VariableTable& Application::instance(LONG number) const {
  auto found = instances_.find(number);
  return found == instances_.end() ? kNoVariables : found->second;
}

void Application::requestChangeNotification(LONG instance, OleStringView name) {
  notifications_.push_back({instance, OleString(name)});
  publishState();
}

void Application::publishState() {
  engine_.set(OLESTR("WindowState"), Value::text(windowStateName(windowState_)));
  engine_.set(OLESTR("Visible"), boolean(visible_));
  OleString requests;
  for (const ChangeNotification& request : notifications_) {
    requests +=
        toOleString(std::to_string(request.instance)) + OLESTR(" ") + request.name + OLESTR("\n");
  }
  engine_.set(OLESTR("ChangeNotifications"), Value::text(requests));
}

void Application::setLastError(std::string_view error) {
  engine_.set(OLESTR("LastError"), Value::text(toOleString(error)));
}

}  // namespace vardelon::simulator
