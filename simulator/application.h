// The simulated Vardelon application: numbered instances with their
// variables, the engine-level (UVO) variables, the opened documents and the
// main window. It starts with a few demo variables, and it publishes its own
// state in engine-level variables, so that a client can watch what its
// commands did:
//   "WindowState"          "normal", "maximized" or "minimized"
//   "Visible"              VT_BOOL, true once "Show" was called
//   "ChangeNotifications"  the requests so far, one "<instance> <name>" per line
//   "LastError"            why the last script failed, or "" after a success
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ole_text.h"
#include "platform/automation.h"
#include "recursive_lock.h"
#include "variable_table.h"

namespace vardelon::simulator {

// What a member answers when the application has quit under its client.
constexpr HRESULT kApplicationGone = static_cast<HRESULT>(0x80010108);  // RPC_E_DISCONNECTED
// What "Open" and "Reload" answer for a file they cannot read.
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);

enum class WindowState { normal, maximized, minimized };

struct ChangeNotification {
  LONG instance;
  OleString name;
};

class Application {
 public:
  Application();

  static constexpr OleStringView version() { return OLESTR("Vardelon Simulator 1.0"); }

  // Scripts run whole or not at all: a text with a fault changes no variable
  // and answers E_INVALIDARG, with the fault in "LastError".
  HRESULT execute(std::string_view script);
  // Runs the script in the file and remembers it as a document; `document`
  // receives its number, counted from 1.
  HRESULT open(const std::filesystem::path& file, LONG* document);
  // Runs the document's file again, as it reads now.
  HRESULT reload(LONG document);

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
  HRESULT runFile(const std::filesystem::path& file);
  void publishState();
  void setLastError(std::string_view error);

  std::map<LONG, VariableTable> instances_;
  VariableTable engine_;
  std::vector<std::filesystem::path> documents_;
  std::vector<ChangeNotification> notifications_;
  WindowState windowState_ = WindowState::normal;
  bool visible_ = false;
  bool running_ = true;
  RecursiveLock mutex_;
};

}  // namespace vardelon::simulator
