#include "model_file.h"

#include <fstream>
#include <system_error>

namespace vardelon::simulator {

namespace {

// A file name is bytes on some systems and OLE text on others; the one
// branch that fits is compiled.
template <typename Native>
std::string utf8Name(const Native& name) {
  if constexpr (sizeof(typename Native::value_type) == 1) {
    return name;
  } else {
    return toUtf8(OleStringView(name.data(), name.size()));
  }
}

}  // namespace

std::filesystem::path filePath(OleStringView name) {
  if constexpr (sizeof(std::filesystem::path::value_type) == sizeof(OLECHAR)) {
    return std::filesystem::path(std::filesystem::path::string_type(name.begin(), name.end()));
  } else {
    return std::filesystem::path(toUtf8(name));
  }
}

std::string displayName(const std::filesystem::path& file) {
  return utf8Name(file.native());
}

HRESULT readModelFile(const std::filesystem::path& file, std::string* text, std::string* error) {
  // A name with a zero character would reach the system cut short, naming
  // another file.
  const bool nameWhole = file.native().find(std::filesystem::path::value_type{}) ==
                         std::filesystem::path::string_type::npos;
  std::error_code ignored;
  std::ifstream stream;
  if (nameWhole && std::filesystem::is_regular_file(file, ignored)) {
    stream.open(file, std::ios::binary);
  }
  if (!stream.is_open()) {
    *error = "cannot read " + displayName(file);
    return kFileNotFound;
  }
  text->clear();
  char buffer[1 << 14];
  while (stream.read(buffer, sizeof buffer) || stream.gcount() > 0) {
    if (text->size() + static_cast<std::size_t>(stream.gcount()) > kLargestModelFile) {
      *error =
          displayName(file) + " is larger than " + std::to_string(kLargestModelFile >> 20) + " MiB";
      return kFileTooLarge;
    }
    text->append(buffer, static_cast<std::size_t>(stream.gcount()));
  }
  if (stream.bad()) {
    *error = "cannot read " + displayName(file);
    return kFileNotFound;
  }
  return S_OK;
}

}  // namespace vardelon::simulator
