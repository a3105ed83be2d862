#include "line_reader.h"

#include <algorithm>

namespace vardelon::simulator {

namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::size_t kLongestQuotedToken = 40;

bool isContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string quoted(std::string_view token) {
  const bool cut = token.size() > kLongestQuotedToken;
  std::size_t length = std::min(token.size(), kLongestQuotedToken);
  while (cut && length > 0 && isContinuationByte(token[length])) --length;  // whole characters
  std::string text(1, '"');
  text.append(token.substr(0, length)).append(cut ? "...\"" : "\"");
  return text;
}

void LineReader::skipBlanks() {
  const std::size_t first = rest_.find_first_not_of(kBlanks);
  rest_.remove_prefix(first == std::string_view::npos ? rest_.size() : first);
}

bool LineReader::atEnd() {
  skipBlanks();
  return rest_.empty();
}

bool LineReader::atEndOrComment() {
  return atEnd() || rest_.front() == '#';
}

char LineReader::peek() {
  skipBlanks();
  return rest_.empty() ? '\0' : rest_.front();
}

std::string_view LineReader::word() {
  return token("");
}

std::string_view LineReader::token(std::string_view stops) {
  skipBlanks();
  std::size_t length = 0;
  while (length < rest_.size() && kBlanks.find(rest_[length]) == std::string_view::npos &&
         stops.find(rest_[length]) == std::string_view::npos) {
    ++length;
  }
  const std::string_view token = rest_.substr(0, length);
  rest_.remove_prefix(length);
  return token;
}

bool LineReader::accept(char c) {
  if (peek() != c || rest_.empty()) return false;
  rest_.remove_prefix(1);
  return true;
}

void LineReader::expect(char c, std::string_view where) {
  if (!accept(c)) throw ParseError{std::string("expected '") + c + "' " + std::string(where)};
}

}  // namespace vardelon::simulator
