// Reading registry entries written in the Windows registry's text format
// (.reg files, as regedit exports and imports them). Only default values
// (@="...") are kept; the layer needs nothing else.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace automation {

struct DefaultValue {
  std::string text;
  std::filesystem::path folder;  // of the .reg file that wrote the value
};

// Default values by key path, normalised with `normalisedKeyPath`.
using RegistryValues = std::map<std::string, DefaultValue>;

// Key paths compare without regard to case, and the per-machine and per-user
// class keys are the same as HKEY_CLASSES_ROOT.
std::string normalisedKeyPath(std::string_view path);

// Applies the file to `values` as regedit would import it: later values
// replace earlier ones, [-key] deletes a key with its subkeys and @=-
// deletes a value. A file without a regedit header is ignored; malformed
// lines are skipped.
void readRegFile(const std::filesystem::path& file, RegistryValues& values);

}  // namespace automation
