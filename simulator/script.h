// The simulator's language, which "Execute" runs and "Open" and "Reload"
// read from a model file. One statement per line, UTF-8; blank lines and
// lines whose first word starts with '#' are skipped, and so is a '#' word
// and all after it once a statement's value is read.
//
//   set <instance> <name> <value>   sets a variable of an instance
//   uvo <name> <value>              sets an engine-level variable
//   var <name> <value>              sets a variable of the model being loaded
//                                   (only in a model file)
//
// value_syntax.h tells how a value is written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ole_text.h"
#include "platform/automation.h"
#include "value.h"

namespace vardelon::simulator {

// A line longer than this is refused rather than read.
constexpr std::size_t kLongestLine = std::size_t{1} << 20;

struct Command {
  enum class Target { instance, engine, model };

  Target target = Target::instance;
  LONG instance = 0;  // only for Target::instance
  OleString name;
  Value value;
};

// Whether the text is a model file, whose `var` statements have an instance
// to go to, or statements to execute, which have none.
enum class ScriptKind { statements, model };

struct Script {
  std::vector<Command> commands;
  // Empty when the whole text was read; otherwise "line <n>: <what>" about
  // the first fault, and `commands` is empty.
  std::string error;
};

Script parseScript(std::string_view text, ScriptKind kind);

}  // namespace vardelon::simulator
