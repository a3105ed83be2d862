// Where registrations come from: the files and folders (their *.reg files,
// in name order) listed in AUTOMATION_REGISTRY, or the system folder when the
// variable is unset. Files later in the list override earlier ones.
#include "registry.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <vector>

#include "layer_internal.h"
#include "live_counts.h"
#include "reg_file.h"

namespace automation::registry {

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> regFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (entry->path().extension() == ".reg" && entry->is_regular_file(error)) {
      files.push_back(entry->path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<fs::path> registrationFiles() {
  const char* variable = std::getenv(kAutomationRegistryVariable);
  const std::string_view list = variable != nullptr ? variable : kAutomationRegistryDefault;
  std::vector<fs::path> files;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string_view::npos) end = list.size();
    const fs::path entry(list.substr(start, end - start));
    start = end + 1;
    std::error_code error;
    if (entry.empty()) continue;
    if (fs::is_directory(entry, error)) {
      std::ranges::copy(regFilesIn(entry), std::back_inserter(files));
    } else if (fs::is_regular_file(entry, error)) {
      files.push_back(entry);
    }
  }
  return files;
}

std::optional<DefaultValue> registeredValue(std::string_view keyPath) {
  RegistryValues values;
  for (const fs::path& file : registrationFiles()) readRegFile(file, values);
  const auto found = values.find(normalisedKeyPath(keyPath));
  if (found == values.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::optional<CLSID> classIdOf(std::u16string_view progId) {
  if (progId.empty()) return std::nullopt;
  const auto value = registeredValue("HKEY_CLASSES_ROOT\\" + utf16ToUtf8(progId) + "\\CLSID");
  if (!value) return std::nullopt;
  // GUID text is ASCII; any other byte fails the parse.
  const std::u16string text(value->text.begin(), value->text.end());
  return parseGuid(text);
}

std::optional<std::string> inprocServerOf(REFCLSID clsid) {
  OLECHAR guidText[39];
  StringFromGUID2(clsid, guidText, 39);
  const auto value =
      registeredValue("HKEY_CLASSES_ROOT\\CLSID\\" + utf16ToUtf8(guidText) + "\\InprocServer32");
  if (!value || value->text.empty()) return std::nullopt;
  const fs::path server(value->text);
  return (server.is_absolute() ? server : value->folder / server).string();
}

}  // namespace automation::registry
