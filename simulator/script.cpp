#include "script.h"

#include <charconv>
#include <optional>
#include <utility>

#include "line_reader.h"
#include "ole_text.h"
#include "platform/utf.h"
#include "value_syntax.h"

namespace vardelon::simulator {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A line is read only when it is not too long and is UTF-8 throughout, without
// the zero character, which a text writes as \0.
void checkCharacters(std::string_view line) {
  if (line.size() > kLongestLine) {
    throw ParseError{"longer than " + std::to_string(kLongestLine) + " bytes"};
  }
  using namespace automation::utf_detail;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t start = at;
    if (line[at] == '\0') {
      throw ParseError{"a zero character at byte " + std::to_string(start + 1) +
                       ": write \\0 inside a text"};
    }
    // The decoder answers a broken sequence with U+FFFD after one byte; a
    // U+FFFD that was written takes three.
    if (decodeUtf8(line, at) == kReplacementCharacter && at - start == 1) {
      throw ParseError{"not UTF-8 at byte " + std::to_string(start + 1)};
    }
  }
}

LONG readInstanceNumber(LineReader& reader) {
  const std::string_view token = reader.word();
  LONG number = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), number);
  if (token.empty() || end != token.data() + token.size() || error != std::errc()) {
    throw ParseError{"expected an instance number, found " + quoted(token)};
  }
  return number;
}

OleString readName(LineReader& reader) {
  const std::string_view token = reader.word();
  if (token.empty()) throw ParseError{"expected a variable name"};
  return toOleString(token);
}

Command::Target readTarget(std::string_view keyword, ScriptKind kind) {
  if (keyword == "set") return Command::Target::instance;
  if (keyword == "uvo") return Command::Target::engine;
  if (keyword != "var") throw ParseError{"unknown command " + quoted(keyword)};
  if (kind != ScriptKind::model) {
    throw ParseError{
        "var sets a variable of the model being loaded, and only a model file has one: "
        "use set <instance> <name> <value>"};
  }
  return Command::Target::model;
}

std::optional<Command> parseLine(std::string_view line, ScriptKind kind) {
  checkCharacters(line);
  LineReader reader(line);
  if (reader.atEndOrComment()) return std::nullopt;
  Command command;
  command.target = readTarget(reader.word(), kind);
  if (command.target == Command::Target::instance) command.instance = readInstanceNumber(reader);
  command.name = readName(reader);
  command.value = readValue(reader);
  if (!reader.atEndOrComment()) throw ParseError{"unexpected text after the value"};
  return command;
}

}  // namespace

Script parseScript(std::string_view text, ScriptKind kind) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  Script script;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    try {
      if (auto command = parseLine(line, kind)) script.commands.push_back(std::move(*command));
    } catch (const ParseError& error) {
      script.commands.clear();
      script.error = "line " + std::to_string(lineNumber) + ": " + error.what;
      break;
    }
  }
  return script;
}

}  // namespace vardelon::simulator
