// The .reg text format: a header line, then [key] lines, each followed by
// its values; ';' starts a comment line. Files are UTF-16LE with a byte-order
// mark (as regedit writes them) or 8-bit text.
#include "reg_file.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <optional>

#include "layer_internal.h"

namespace automation {

namespace {

constexpr std::string_view kClassesRoot = "hkey_classes_root";
constexpr std::array<std::string_view, 2> kClassesRootAliases = {
    "hkey_local_machine\\software\\classes", "hkey_current_user\\software\\classes"};
constexpr std::array<std::string_view, 2> kHeaders = {"Windows Registry Editor Version 5.00",
                                                      "REGEDIT4"};

std::string_view trimmed(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string lowercase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return result;
}

bool startsWithKey(std::string_view path, std::string_view key) {
  return path.starts_with(key) && (path.size() == key.size() || path[key.size()] == '\\');
}

// The file's text as UTF-8.
std::string fileText(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  if (bytes.starts_with("\xFF\xFE")) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    return utf16ToUtf8(units);
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  return bytes;
}

// The text of a quoted string at the start of `text`, with \\ and \"
// unescaped, when nothing but a comment follows it.
std::optional<std::string> quotedString(std::string_view text) {
  if (!text.starts_with('"')) return std::nullopt;
  std::string value;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const std::string_view rest = trimmed(text.substr(i + 1));
      if (!rest.empty() && !rest.starts_with(';')) return std::nullopt;
      return value;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      ++i;
    }
    value += text[i];
  }
  return std::nullopt;  // no closing quote
}

// Applies the lines of one file to `values`.
class RegFileReader {
 public:
  RegFileReader(RegistryValues& values, std::filesystem::path folder)
      : values_(values), folder_(std::move(folder)) {}

  void apply(std::string_view line) {
    line = trimmed(line);
    if (line.starts_with('[')) {
      openKey(line);
    } else if (line.starts_with('@')) {
      setDefaultValue(trimmed(line.substr(1)));
    }
    // Comments, named values and anything unrecognised are ignored.
  }

 private:
  void openKey(std::string_view line) {
    currentKey_.reset();
    const std::size_t end = line.rfind(']');
    if (end == std::string_view::npos) return;
    std::string_view path = trimmed(line.substr(1, end - 1));
    if (path.starts_with('-')) {
      deleteKey(normalisedKeyPath(path.substr(1)));
    } else if (!path.empty()) {
      currentKey_ = normalisedKeyPath(path);
    }
  }

  void deleteKey(const std::string& key) {
    std::erase_if(values_, [&](const auto& entry) { return startsWithKey(entry.first, key); });
  }

  void setDefaultValue(std::string_view assignment) {
    if (!currentKey_ || !assignment.starts_with('=')) return;
    const std::string_view value = trimmed(assignment.substr(1));
    if (value == "-") {
      values_.erase(*currentKey_);
    } else if (std::optional<std::string> text = quotedString(value)) {
      values_[*currentKey_] = {std::move(*text), folder_};
    }
  }

  RegistryValues& values_;
  std::filesystem::path folder_;
  std::optional<std::string> currentKey_;
};

}  // namespace

std::string normalisedKeyPath(std::string_view path) {
  std::string key = lowercase(trimmed(path));
  while (key.ends_with('\\')) key.pop_back();
  for (std::string_view alias : kClassesRootAliases) {
    if (startsWithKey(key, alias)) return std::string(kClassesRoot) + key.substr(alias.size());
  }
  return key;
}

void readRegFile(const std::filesystem::path& file, RegistryValues& values) {
  const std::string text = fileText(file);
  RegFileReader reader(values, file.parent_path());
  bool headerSeen = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = std::string_view(text).substr(start, end - start);
    start = end + 1;
    if (headerSeen) {
      reader.apply(line);
    } else if (!trimmed(line).empty()) {
      headerSeen = std::find(kHeaders.begin(), kHeaders.end(), trimmed(line)) != kHeaders.end();
      if (!headerSeen) return;  // regedit refuses a file that does not start with its header
    }
  }
}

}  // namespace automation
