// The simulated Vardelon application: numbered instances with their
// variables, the engine-level (UVO) variables, the model files instances were
// loaded from, and the main window. It starts with a few demo variables, and
// it publishes its own state in engine-level variables, so that a client can
// watch what its commands did:
//   "WindowState"          "normal", "maximized" or "minimized"
//   "Visible"              VT_BOOL, true once "Show" was called
//   "ChangeNotifications"  the requests so far, one "<instance> <name>" per line
//   "LastError"            why the last command (Execute, Open, Reload) failed,
//                          or "" after a success
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ole_text.h"
#include "platform/automation.h"
#include "recursive_lock.h"
#include "script.h"
#include "variable_table.h"

namespace vardelon::simulator {

// What a member answers when the application has quit under its client.
constexpr HRESULT kApplicationGone = static_cast<HRESULT>(0x80010108);  // RPC_E_DISCONNECTED

// Why the last command failed: the code and the text that the exception
// record of its DISP_E_EXCEPTION carries.
struct Failure {
  HRESULT code = S_OK;
  std::string description;
};

enum class WindowState { normal, maximized, minimized };

struct ChangeNotification {
  LONG instance;
  OleString name;
};

class Application {
 public:
  Application();

  static constexpr OleStringView version() { return OLESTR("Vardelon Simulator 1.0"); }

  // Commands run whole or not at all: a text or file with a fault changes
  // nothing and answers DISP_E_EXCEPTION, with the fault in lastFailure()
  // and in "LastError".
  HRESULT execute(std::string_view script);
  // Loads the model in the file into a new instance, whose number
  // `instance` receives: one more than the highest instance in use, and at
  // least 1. Its `set` and `uvo` statements act as they do in execute().
  HRESULT open(const std::filesystem::path& file, LONG* instance);
  // Reads the instance's model file again, as it reads now, and replaces
  // all the instance's variables by the file's. E_INVALIDARG for an
  // instance that was not loaded from a file.
  HRESULT reload(LONG instance);
  const Failure& lastFailure() const { return lastFailure_; }

  void setWindowState(WindowState state);
  void show();
  void quit() { running_ = false; }
  bool running() const { return running_; }

  // An instance that was never written is empty; reading it creates nothing.
  const VariableTable& instance(LONG number) const;
  VariableTable& instance(LONG number) { return instances_[number]; }
  const VariableTable& engine() const { return engine_; }

  void requestChangeNotification(LONG instance, OleStringView name);
  const std::vector<ChangeNotification>& changeNotifications() const { return notifications_; }

  WindowState windowState() const { return windowState_; }
  bool visible() const { return visible_; }

  // Held by whoever calls into the application from a COM call, since
  // clients may call from several threads.
  RecursiveLock& mutex() { return mutex_; }

 private:
  HRESULT readModel(const std::filesystem::path& file, std::vector<Command>* commands);
  // Carries out parsed commands; `var` statements go to instance `model`.
  void apply(std::vector<Command>& commands, LONG model = 0);
  // Gives instance `number` the model's variables, and only those.
  void load(LONG number, std::vector<Command>& commands);
  // Records the failure and answers DISP_E_EXCEPTION.
  HRESULT fail(HRESULT code, std::string description);
  HRESULT succeed();
  void publishState();
  void setLastError(std::string_view error);

  std::map<LONG, VariableTable> instances_;
  VariableTable engine_;
  std::map<LONG, std::filesystem::path> modelFiles_;
  Failure lastFailure_;
  std::vector<ChangeNotification> notifications_;
  WindowState windowState_ = WindowState::normal;
  bool visible_ = false;
  bool running_ = true;
  RecursiveLock mutex_;
};

}  // namespace vardelon::simulator
