// A scratch folder of .reg files and the AUTOMATION_REGISTRY variable
// pointed at whatever the test chooses; both are restored when it ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/automation.h"

namespace vardelon::testing {

inline const std::string kRegHeader = "Windows Registry Editor Version 5.00\n\n";

class RegistryFiles {
 public:
  RegistryFiles() {
    static int next = 0;
    folder_ = std::filesystem::temp_directory_path() /
              ("registry_files_" + std::to_string(getpid()) + "_" + std::to_string(next++));
    std::filesystem::create_directories(folder_);
    if (const char* previous = std::getenv(kAutomationRegistryVariable)) previous_ = previous;
  }
  RegistryFiles(const RegistryFiles&) = delete;
  RegistryFiles& operator=(const RegistryFiles&) = delete;
  ~RegistryFiles() {
    if (previous_) {
      setenv(kAutomationRegistryVariable, previous_->c_str(), 1);
    } else {
      unsetenv(kAutomationRegistryVariable);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  const std::filesystem::path& folder() const { return folder_; }

  // Writes `content` byte for byte to `name` (which may contain folders)
  // and returns its path.
  std::filesystem::path write(const std::string& name, const std::string& content) const {
    std::filesystem::path file = folder_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

  // Points the variable at `list`, a ':'-separated list of files and folders.
  void use(const std::string& list) const { setenv(kAutomationRegistryVariable, list.c_str(), 1); }

  // Writes one file and makes it the whole registry.
  void useOnly(const std::string& content) const { use(write("only.reg", content).string()); }

 private:
  std::filesystem::path folder_;
  std::optional<std::string> previous_;
};

}  // namespace vardelon::testing
