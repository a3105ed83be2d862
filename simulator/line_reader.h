// A cursor over one line of the simulator's language, and the fault a line
// can have. Blanks are spaces, tabs and carriage returns; every reader but
// rest() skips them first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vardelon::simulator {

// A fault in one line, carried up to the line loop, which adds the number.
struct ParseError {
  std::string what;
};

// `token` in double quotes for a message, cut short when it is long, so that
// a fault in a huge line gives a short message.
std::string quoted(std::string_view token);

class LineReader {
 public:
  explicit LineReader(std::string_view line) : rest_(line) {}

  void skipBlanks();
  // True when only blanks are left.
  bool atEnd();
  // True when only blanks are left, or a comment: a word that starts with '#'.
  bool atEndOrComment();
  // The next character after the blanks, or '\0' at the end.
  char peek();

  // The characters up to the next blank.
  std::string_view word();
  // The characters up to the next blank or one of `stops`.
  std::string_view token(std::string_view stops);

  // Takes `c` if it comes next.
  bool accept(char c);
  // Takes `c`, or fails with "expected '<c>' <where>".
  void expect(char c, std::string_view where);

  // What is left, blanks included, for readers that go character by
  // character; `skip` takes what they used.
  std::string_view rest() const { return rest_; }
  void skip(std::size_t count) { rest_.remove_prefix(count); }

 private:
  std::string_view rest_;
};

}  // namespace vardelon::simulator
