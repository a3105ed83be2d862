// GoogleTest prints GUIDs in their registry form.
#pragma once

#include <ostream>
#include <string>

#include "platform/automation.h"

inline void PrintTo(const GUID& guid, std::ostream* stream) {
  OLECHAR text[39];
  StringFromGUID2(guid, text, 39);
  *stream << std::string(text, text + 38);
}
