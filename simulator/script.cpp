#include "script.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

#include "ole_text.h"

namespace vardelon::simulator {

namespace {

// A fault in one line, carried up to the line loop, which adds the number.
struct LineError {
  std::string what;
};

Value scalar(VARTYPE type, auto store) {
  VARIANT variant;
  VariantInit(&variant);
  V_VT(&variant) = type;
  store(variant);
  return Value::adopt(variant);
}

// Rows one after another in the data block: element [i][j] is element
// i * columns + j, the layout the library reads a matrix in.
Value matrix(const std::vector<std::vector<double>>& rows) {
  const ULONG columns = rows.empty() ? 0 : static_cast<ULONG>(rows.front().size());
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows.size()), 0}, {columns, 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_R8, 2, bounds);
  if (array == nullptr) throw LineError{"out of memory"};
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  auto* elements = static_cast<double*>(data);
  for (const auto& row : rows) elements = std::copy(row.begin(), row.end(), elements);
  SafeArrayUnaccessData(array);
  return scalar(VT_ARRAY | VT_R8, [array](VARIANT& v) { V_ARRAY(&v) = array; });
}

class LineReader {
 public:
  explicit LineReader(std::string_view line) : rest_(line) {}

  bool atEnd() {
    skipBlanks();
    return rest_.empty();
  }

  std::string_view word() {
    skipBlanks();
    std::size_t length = 0;
    while (length < rest_.size() && !isBlank(rest_[length])) ++length;
    std::string_view word = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return word;
  }

  LONG instanceNumber() {
    std::string_view token = word();
    std::optional<LONG> number = wholeNumber<LONG>(token);
    if (!number)
      throw LineError{"expected an instance number, found \"" + std::string(token) + "\""};
    return *number;
  }

  OleString name() {
    std::string_view token = word();
    if (token.empty()) throw LineError{"expected a variable name"};
    return toOleString(token);
  }

  Value value() {
    skipBlanks();
    if (rest_.empty()) throw LineError{"expected a value"};
    if (rest_.front() == '"') return text();
    if (rest_.front() == '[') return matrix(rows());
    std::string_view token = word();
    if (token == "true" || token == "false") {
      const VARIANT_BOOL flag = token == "true" ? VARIANT_TRUE : VARIANT_FALSE;
      return scalar(VT_BOOL, [flag](VARIANT& v) { V_BOOL(&v) = flag; });
    }
    if (auto integer = wholeNumber<LONG>(token)) {
      return scalar(VT_I4, [&](VARIANT& v) { V_I4(&v) = *integer; });
    }
    if (auto real = realNumber(token)) {
      return scalar(VT_R8, [&](VARIANT& v) { V_R8(&v) = *real; });
    }
    throw LineError{"expected a value, found \"" + std::string(token) + "\""};
  }

 private:
  static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

  void skipBlanks() {
    while (!rest_.empty() && isBlank(rest_.front())) rest_.remove_prefix(1);
  }

  template <typename Number>
  static std::optional<Number> wholeNumber(std::string_view token) {
    Number number{};
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), number);
    if (error != std::errc() || end != token.data() + token.size() || token.empty()) {
      return std::nullopt;
    }
    return number;
  }

  static std::optional<double> realNumber(std::string_view token) {
    std::optional<double> real = wholeNumber<double>(token);
    if (real && !std::isfinite(*real)) return std::nullopt;
    return real;
  }

  Value text() {
    const std::size_t closing = rest_.find_last_of('"');
    if (closing == 0) throw LineError{"text without its closing '\"'"};
    Value value = Value::text(toOleString(rest_.substr(1, closing - 1)));
    rest_.remove_prefix(closing + 1);
    return value;
  }

  void expect(char c) {
    skipBlanks();
    if (rest_.empty() || rest_.front() != c) {
      throw LineError{std::string("expected '") + c + "' in the matrix"};
    }
    rest_.remove_prefix(1);
  }

  bool accept(char c) {
    skipBlanks();
    if (rest_.empty() || rest_.front() != c) return false;
    rest_.remove_prefix(1);
    return true;
  }

  // [] | [row, row, ...] | [x, y, ...], the last being one row.
  std::vector<std::vector<double>> rows() {
    expect('[');
    skipBlanks();
    if (accept(']')) return {};
    std::vector<std::vector<double>> rows;
    if (rest_.front() != '[') {  // a single row without inner brackets
      rows.push_back(numbersUntil(']'));
      return rows;
    }
    do {
      expect('[');
      rows.push_back(accept(']') ? std::vector<double>{} : numbersUntil(']'));
      if (rows.back().size() != rows.front().size()) {
        throw LineError{"the rows of a matrix must have the same length"};
      }
    } while (accept(','));
    expect(']');
    return rows;
  }

  // x, y, ... <close>, consuming the closing character.
  std::vector<double> numbersUntil(char close) {
    std::vector<double> numbers;
    do {
      skipBlanks();
      std::size_t length = 0;
      while (length < rest_.size() && !isBlank(rest_[length]) && rest_[length] != ',' &&
             rest_[length] != close) {
        ++length;
      }
      std::string_view token = rest_.substr(0, length);
      std::optional<double> number = realNumber(token);
      if (!number)
        throw LineError{"expected a number in the matrix, found \"" + std::string(token) + "\""};
      numbers.push_back(*number);
      rest_.remove_prefix(length);
    } while (accept(','));
    expect(close);
    return numbers;
  }

  std::string_view rest_;
};

std::optional<Command> parseLine(std::string_view line) {
  LineReader reader(line);
  if (reader.atEnd()) return std::nullopt;
  const std::string_view keyword = reader.word();
  if (keyword.front() == '#') return std::nullopt;

  Command command;
  if (keyword == "set") {
    command.target = Command::Target::instance;
    command.instance = reader.instanceNumber();
  } else if (keyword == "uvo") {
    command.target = Command::Target::engine;
  } else {
    throw LineError{"unknown command \"" + std::string(keyword) + "\""};
  }
  command.name = reader.name();
  command.value = reader.value();
  if (!reader.atEnd()) throw LineError{"unexpected text after the value"};
  return command;
}

}  // namespace

Script parseScript(std::string_view text) {
  Script script;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    try {
      if (auto command = parseLine(line)) script.commands.push_back(std::move(*command));
    } catch (const LineError& error) {
      script.commands.clear();
      script.error = "line " + std::to_string(lineNumber) + ": " + error.what;
      break;
    }
  }
  return script;
}

}  // namespace vardelon::simulator
