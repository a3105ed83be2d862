// The simulator's command language, which "Execute" runs and "Open" and
// "Reload" read from a file. One command per line; blank lines and lines
// whose first non-blank character is '#' are skipped.
//
//   set <instance> <name> <value>   sets a variable of an instance
//   uvo <name> <value>              sets an engine-level variable
//
// A value is true or false (VT_BOOL), a 32-bit integer (VT_I4), any other
// number (VT_R8), "text" (VT_BSTR: everything between the first and the last
// double quote of the line), or a matrix of numbers, [[1, 2, 3], [4, 5, 6]]
// (two rows) or [1, 2, 3] (one row), always VT_ARRAY|VT_R8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ole_text.h"
#include "platform/automation.h"
#include "value.h"

namespace vardelon::simulator {

struct Command {
  enum class Target { instance, engine };

  Target target = Target::instance;
  LONG instance = 0;  // only for Target::instance
  OleString name;
  Value value;
};

struct Script {
  std::vector<Command> commands;
  // Empty when the whole text was read; otherwise "line <n>: <what>" about
  // the first fault, and `commands` is empty.
  std::string error;
};

Script parseScript(std::string_view text);

}  // namespace vardelon::simulator
