#include "application.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "model_file.h"
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
  Script script = parseScript(text, ScriptKind::statements);
  if (!script.error.empty()) return fail(E_INVALIDARG, script.error);
  apply(script.commands);
  return succeed();
}

HRESULT Application::readModel(const std::filesystem::path& file, std::vector<Command>* commands) {
  std::string text;
  std::string error;
  const HRESULT read = readModelFile(file, &text, &error);
  if (FAILED(read)) return fail(read, error);
  Script script = parseScript(text, ScriptKind::model);
  if (!script.error.empty()) return fail(E_INVALIDARG, displayName(file) + ": " + script.error);
  *commands = std::move(script.commands);
  return S_OK;
}

void Application::apply(std::vector<Command>& commands, LONG model) {
  for (Command& command : commands) {
    switch (command.target) {
      case Command::Target::instance:
        instance(command.instance).set(command.name, std::move(command.value));
        break;
      case Command::Target::engine:
        engine_.set(command.name, std::move(command.value));
        break;
      case Command::Target::model:
        instance(model).set(command.name, std::move(command.value));
        break;
    }
  }
}

void Application::load(LONG number, std::vector<Command>& commands) {
  instances_[number] = VariableTable();
  apply(commands, number);
}

HRESULT Application::open(const std::filesystem::path& file, LONG* instance) {
  std::vector<Command> commands;
  const HRESULT hr = readModel(file, &commands);
  if (FAILED(hr)) return hr;
  const LONG highest = instances_.empty() ? 0 : instances_.rbegin()->first;
  if (highest == std::numeric_limits<LONG>::max()) {
    return fail(E_INVALIDARG, "instance " + std::to_string(highest) +
                                  " is in use, and a new instance needs a higher number");
  }
  const LONG number = std::max<LONG>(highest + 1, 1);
  load(number, commands);
  modelFiles_[number] = file;
  *instance = number;
  return succeed();
}

HRESULT Application::reload(LONG number) {
  auto model = modelFiles_.find(number);
  if (model == modelFiles_.end()) {
    fail(E_INVALIDARG, "instance " + std::to_string(number) + " was not loaded from a model file");
    return E_INVALIDARG;
  }
  std::vector<Command> commands;
  const HRESULT hr = readModel(model->second, &commands);
  if (FAILED(hr)) return hr;
  load(number, commands);
  return succeed();
}

HRESULT Application::fail(HRESULT code, std::string description) {
  setLastError(description);
  lastFailure_ = {code, std::move(description)};
  return DISP_E_EXCEPTION;
}

HRESULT Application::succeed() {
  setLastError("");
  lastFailure_ = {};
  return S_OK;
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
