// The command language that "Execute" runs and "Open" reads.
#include "script.h"

#include <gtest/gtest.h>

#include "platform/utf.h"
#include "variant_text.h"

namespace vardelon::simulator {
namespace {

using vardelon::testing::variantText;

struct ValueCase {
  int line;
  std::string_view text;
  std::string_view value;  // as variantText() shows it
};

TEST(Script, ReadsEveryKindOfValue) {
  const ValueCase cases[] = {
      {__LINE__, "set 1 x 42", "I4 42"},
      {__LINE__, "set 1 x -2147483648", "I4 -2147483648"},
      {__LINE__, "set 1 x 2147483648", "R8 2147483648"},
      {__LINE__, "set 1 x 12.5", "R8 12.5"},
      {__LINE__, "set 1 x -1e3", "R8 -1000"},
      {__LINE__, "set 1 x 0.0", "R8 0"},
      {__LINE__, "set 1 x true", "BOOL -1"},
      {__LINE__, "set 1 x false", "BOOL 0"},
      {__LINE__, "set 1 x \"two words\"", "BSTR \"two words\""},
      {__LINE__, "set 1 x \"\"", "BSTR \"\""},
      {__LINE__, "set 1 x \"say \"hi\"\"", "BSTR \"say \\u0022hi\\u0022\""},
      {__LINE__, "set 1 x \"Grüße\"", "BSTR \"Gr\\u00FC\\u00DFe\""},
      {__LINE__, "set 1 x [[1, 2, 3], [4, 5, 6]]", "ARRAY R8 [0:2][0:3] {1, 2, 3, 4, 5, 6}"},
      {__LINE__, "set 1 x [[1,2],[3,4],[5,6]]", "ARRAY R8 [0:3][0:2] {1, 2, 3, 4, 5, 6}"},
      {__LINE__, "set 1 x [1, 2.5, -3]", "ARRAY R8 [0:1][0:3] {1, 2.5, -3}"},
      {__LINE__, "set 1 x []", "ARRAY R8 [0:0][0:0] {}"},
      {__LINE__, "set 1 x [[], []]", "ARRAY R8 [0:2][0:0] {}"},
      {__LINE__, "\t set  1\tx   7 \r", "I4 7"},
  };
  for (const ValueCase& row : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line << ": " << row.text);
    Script script = parseScript(row.text);
    ASSERT_EQ(script.error, "");
    ASSERT_EQ(script.commands.size(), 1u);
    EXPECT_EQ(variantText(script.commands[0].value.get()), row.value);
  }
}

TEST(Script, AddressesInstancesAndTheEngine) {
  Script script = parseScript(
      "# demo\n"
      "\n"
      "set -3 Speed 1\n"
      "   # indented comment\n"
      "uvo Time 2\n"
      "set 7 Grüße 3");
  ASSERT_EQ(script.error, "");
  ASSERT_EQ(script.commands.size(), 3u);
  EXPECT_EQ(script.commands[0].target, Command::Target::instance);
  EXPECT_EQ(script.commands[0].instance, -3);
  EXPECT_EQ(script.commands[0].name, u"Speed");
  EXPECT_EQ(script.commands[1].target, Command::Target::engine);
  EXPECT_EQ(script.commands[1].name, u"Time");
  EXPECT_EQ(script.commands[2].instance, 7);
  EXPECT_EQ(automation::utf16ToUtf8(script.commands[2].name), "Grüße");
}

TEST(Script, EmptyTextHasNoCommands) {
  for (std::string_view text : {"", "\n\n", "# only a comment", "  \r\n"}) {
    Script script = parseScript(text);
    EXPECT_EQ(script.error, "") << text;
    EXPECT_TRUE(script.commands.empty()) << text;
  }
}

struct FaultCase {
  int line;
  std::string_view text;
  std::string_view error;
};

TEST(Script, NamesTheFirstFaultAndKeepsNoCommand) {
  const FaultCase cases[] = {
      {__LINE__, "put 1 x 1", "line 1: unknown command \"put\""},
      {__LINE__, "set x y 1", "line 1: expected an instance number, found \"x\""},
      {__LINE__, "set 99999999999 y 1",
       "line 1: expected an instance number, found \"99999999999\""},
      {__LINE__, "set 1", "line 1: expected a variable name"},
      {__LINE__, "uvo", "line 1: expected a variable name"},
      {__LINE__, "set 1 x", "line 1: expected a value"},
      {__LINE__, "set 1 x abc", "line 1: expected a value, found \"abc\""},
      {__LINE__, "set 1 x nan", "line 1: expected a value, found \"nan\""},
      {__LINE__, "set 1 x \"open", "line 1: text without its closing '\"'"},
      {__LINE__, "set 1 x 1 2", "line 1: unexpected text after the value"},
      {__LINE__, "set 1 x \"a\" b", "line 1: unexpected text after the value"},
      {__LINE__, "set 1 x [[1, 2], [3]]", "line 1: the rows of a matrix must have the same length"},
      {__LINE__, "set 1 x [1, , 2]", "line 1: expected a number in the matrix, found \"\""},
      {__LINE__, "set 1 x [1, 2", "line 1: expected ']' in the matrix"},
      {__LINE__, "set 1 x [[1, 2] [3, 4]]", "line 1: expected ']' in the matrix"},
      {__LINE__, "set 1 x [1, 2] 3", "line 1: unexpected text after the value"},
      {__LINE__, "set 1 a 1\n\nset 1 b ?\nset 1 c 3", "line 3: expected a value, found \"?\""},
  };
  for (const FaultCase& row : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line << ": " << row.text);
    Script script = parseScript(row.text);
    EXPECT_EQ(script.error, row.error);
    EXPECT_TRUE(script.commands.empty());
  }
}

}  // namespace
}  // namespace vardelon::simulator
