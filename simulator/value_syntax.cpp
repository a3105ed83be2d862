#include "value_syntax.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "element_types.h"
#include "link/holders.h"
#include "ole_text.h"

namespace vardelon::simulator {

namespace {

constexpr std::string_view kInTheMatrix = "in the matrix";
constexpr std::string_view kUnclosedText = "text without its closing '\"'";

// ---- scalars ----

Value scalar(const ElementType& type, const void* element) {
  VARIANT variant{};
  VariantInit(&variant);
  V_VT(&variant) = type.type;
  // Every scalar type sits at the start of the VARIANT's value union.
  std::memcpy(&V_R8(&variant), element, type.size);
  return Value::adopt(variant);
}

Value readScalar(std::string_view token, const ElementType& type) {
  alignas(double) std::byte element[sizeof(double)];
  type.read(type, token, element);
  return scalar(type, element);
}

// The whole token as a `Number`: std::errc() when it reads and fits,
// result_out_of_range when it reads but does not fit, invalid_argument else.
template <typename Number>
std::errc readNumber(std::string_view token, Number* number) {
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), *number);
  if (token.empty() || end != token.data() + token.size()) return std::errc::invalid_argument;
  return error;
}

// Without a prefix a whole number that fits in 32 bits is an int, and any
// other number a double; a number too large for a double is a fault, and so
// are the words inf and nan, which only a real type's prefix admits.
Value readUntypedScalar(std::string_view token) {
  if (token == "true" || token == "false") return readScalar(token, *findElementType("boolean"));
  std::int32_t whole = 0;
  if (readNumber(token, &whole) == std::errc()) return readScalar(token, *findElementType("int"));
  double real = 0;
  const std::errc error = readNumber(token, &real);
  if (error == std::errc::result_out_of_range || (error == std::errc() && std::isfinite(real))) {
    return readScalar(token, doubleType());  // which names the range of a double
  }
  throw ParseError{"expected a value, found " + quoted(token)};
}

// The type named before a ':' at the cursor, which moves past it; null when
// the value has no prefix.
const ElementType* readTypePrefix(LineReader& line) {
  line.skipBlanks();
  const std::string_view rest = line.rest();
  const std::size_t colon = rest.find_first_of(":[\" \t\r,]");
  if (colon == std::string_view::npos || rest[colon] != ':') return nullptr;
  const std::string_view name = rest.substr(0, colon);
  const ElementType* type = findElementType(name);
  if (type == nullptr) {
    throw ParseError{"unknown type " + quoted(name) + ": a type is " +
                     std::string(elementTypeNames())};
  }
  line.skip(colon + 1);
  return type;
}

// ---- text ----

struct Escape {
  char letter;
  OLECHAR unit;
};

constexpr std::array<Escape, 6> kEscapes{
    {{'"', '"'}, {'\\', '\\'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'}, {'0', 0}}};

// The escape at rest[at], a backslash, appended to `text`; answers where the
// text goes on.
std::size_t readEscape(std::string_view rest, std::size_t at, OleString& text) {
  if (at + 1 == rest.size()) throw ParseError{std::string(kUnclosedText)};
  const char letter = rest[at + 1];
  for (const Escape& escape : kEscapes) {
    if (escape.letter == letter) {
      text.push_back(escape.unit);
      return at + 2;
    }
  }
  if (letter == 'u') {
    const std::string_view digits = rest.substr(at + 2, 4);
    unsigned unit = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), unit, 16);
    if (digits.size() != 4 || end != digits.data() + 4 || error != std::errc()) {
      throw ParseError{"\\u takes four hexadecimal digits, found " + quoted(digits)};
    }
    text.push_back(static_cast<OLECHAR>(unit));
    return at + 6;
  }
  std::size_t length = 1;  // the whole character after the backslash
  while (at + 1 + length < rest.size() &&
         (static_cast<unsigned char>(rest[at + 1 + length]) & 0xC0) == 0x80)
    ++length;
  throw ParseError{"unknown escape " + quoted(rest.substr(at, 1 + length)) +
                   " in a text: write \\\\ for a backslash"};
}

OleString readText(LineReader& line) {
  line.skipBlanks();
  const std::string_view rest = line.rest();  // starts with the opening '"'
  OleString text;
  std::size_t plain = 1;  // where the characters not yet appended begin
  for (std::size_t at = 1; at < rest.size();) {
    if (rest[at] != '"' && rest[at] != '\\') {
      ++at;
      continue;
    }
    text += toOleString(rest.substr(plain, at - plain));
    if (rest[at] == '"') {
      line.skip(at + 1);
      return text;
    }
    at = plain = readEscape(rest, at, text);
  }
  throw ParseError{std::string(kUnclosedText)};
}

// ---- matrices ----

// Reads the rest of a row after its '[' — "x, y, ...]" or "]" — appending
// the elements to `data`; answers how many there were.
std::size_t readRow(LineReader& line, const ElementType& type, std::vector<std::byte>& data) {
  if (line.accept(']')) return 0;
  std::size_t count = 0;
  do {
    if (line.peek() == '[') throw ParseError{"a matrix has two levels of brackets at most"};
    const std::string_view token = line.token(",[]");
    data.resize(data.size() + type.size);
    type.read(type, token, data.data() + data.size() - type.size);
    ++count;
  } while (line.accept(','));
  line.expect(']', kInTheMatrix);
  return count;
}

// The rows one after another in the data block: element [i][j] is element
// i * columns + j, the layout the library reads a matrix in.
Value matrix(const ElementType& type, std::size_t rows, std::size_t columns,
             const std::vector<std::byte>& data) {
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows), 0}, {static_cast<ULONG>(columns), 0}};
  unique_safearray array(SafeArrayCreate(type.type, 2, bounds));
  void* block = nullptr;
  if (!array || FAILED(SafeArrayAccessData(array.get(), &block))) {
    throw ParseError{"no memory for a matrix of " + std::to_string(rows) + " x " +
                     std::to_string(columns)};
  }
  if (!data.empty()) std::memcpy(block, data.data(), data.size());
  SafeArrayUnaccessData(array.get());
  VARIANT variant{};
  VariantInit(&variant);
  V_VT(&variant) = VT_ARRAY | type.type;
  V_ARRAY(&variant) = array.release();
  return Value::adopt(variant);
}

// [] | [x, y, ...] (one row) | [[x, ...], [y, ...], ...] (rows of one length)
Value readMatrix(LineReader& line, const ElementType& type) {
  line.expect('[', kInTheMatrix);
  std::vector<std::byte> data;
  std::size_t rows = 0;
  std::size_t columns = 0;
  if (line.peek() != '[') {
    columns = readRow(line, type, data);
    rows = columns == 0 ? 0 : 1;
    return matrix(type, rows, columns, data);
  }
  do {
    line.expect('[', kInTheMatrix);
    const std::size_t count = readRow(line, type, data);
    if (rows > 0 && count != columns) {
      throw ParseError{"the rows of a matrix must have the same length: row " +
                       std::to_string(rows + 1) + " has " + std::to_string(count) + ", row 1 has " +
                       std::to_string(columns)};
    }
    columns = count;
    ++rows;
  } while (line.accept(','));
  line.expect(']', kInTheMatrix);
  return matrix(type, rows, columns, data);
}

}  // namespace

Value readValue(LineReader& line) {
  if (line.atEnd()) throw ParseError{"expected a value"};
  if (line.peek() == '"') return Value::text(readText(line));
  const ElementType* type = readTypePrefix(line);
  if (line.peek() == '[') return readMatrix(line, type != nullptr ? *type : doubleType());
  if (type == nullptr) return readUntypedScalar(line.word());
  if (line.atEndOrComment()) {
    throw ParseError{"expected a value after " + std::string(type->name) + ":"};
  }
  return readScalar(line.word(), *type);
}

}  // namespace vardelon::simulator
