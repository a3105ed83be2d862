// Reading a model file's text for "Open" and "Reload": a regular file, read
// whole, and not larger than the simulator is willing to hold.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "ole_text.h"
#include "platform/automation.h"

namespace vardelon::simulator {

// The codes a failure to read carries in its exception record.
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);  // ERROR_FILE_NOT_FOUND
constexpr HRESULT kFileTooLarge = static_cast<HRESULT>(0x800700DF);  // ERROR_FILE_TOO_LARGE

constexpr std::size_t kLargestModelFile = std::size_t{16} << 20;

// The file a client names, and the file's name as UTF-8 text for messages;
// neither fails, whatever units the name holds.
std::filesystem::path filePath(OleStringView name);
std::string displayName(const std::filesystem::path& file);

// Reads the whole file into `text`. On failure answers kFileNotFound or
// kFileTooLarge, and `error` says why ("cannot read <file>").
HRESULT readModelFile(const std::filesystem::path& file, std::string* text, std::string* error);

}  // namespace vardelon::simulator
