// The language that "Execute" runs and "Open" and "Reload" read.
#include "script.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"
#include "variant_text.h"

namespace vardelon::simulator {
namespace {

using vardelon::testing::variantText;

struct ValueCase {
  int line;
  std::string_view value;  // as written after "uvo x "
  std::string_view shown;  // as variantText() shows what was stored
};

void expectValues(std::initializer_list<ValueCase> cases) {
  for (const ValueCase& row : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line << ": " << row.value);
    Script script = parseScript("uvo x " + std::string(row.value), ScriptKind::statements);
    ASSERT_EQ(script.error, "");
    ASSERT_EQ(script.commands.size(), 1u);
    EXPECT_EQ(variantText(script.commands[0].value.get()), row.shown);
  }
}

TEST(Script, ReadsValuesWithoutAPrefixByTheirLook) {
  expectValues({
      {__LINE__, "42", "I4 42"},
      {__LINE__, "-2147483648", "I4 -2147483648"},
      {__LINE__, "2147483648", "R8 2147483648"},
      {__LINE__, "-0", "I4 0"},
      {__LINE__, "12.5", "R8 12.5"},
      {__LINE__, "-1e3", "R8 -1000"},
      {__LINE__, "0.0", "R8 0"},
      {__LINE__, ".5", "R8 0.5"},
      {__LINE__, "true", "BOOL -1"},
      {__LINE__, "false", "BOOL 0"},
      {__LINE__, "[[1, 2, 3], [4, 5, 6]]", "ARRAY R8 [0:2][0:3] {1, 2, 3, 4, 5, 6}"},
      {__LINE__, "[[1,2],[3,4],[5,6]]", "ARRAY R8 [0:3][0:2] {1, 2, 3, 4, 5, 6}"},
      {__LINE__, "[1, 2.5, -3]", "ARRAY R8 [0:1][0:3] {1, 2.5, -3}"},
      {__LINE__, "[]", "ARRAY R8 [0:0][0:0] {}"},
      {__LINE__, "[ ]", "ARRAY R8 [0:0][0:0] {}"},
      {__LINE__, "[[], []]", "ARRAY R8 [0:2][0:0] {}"},
      {__LINE__, "[[7]]", "ARRAY R8 [0:1][0:1] {7}"},
      {__LINE__, "\t[ [ 1 ,2 ] ,\t[3, 4 ] ]  \r", "ARRAY R8 [0:2][0:2] {1, 2, 3, 4}"},
      {__LINE__, "7 # the rest is a comment", "I4 7"},
      {__LINE__, "[1] #", "ARRAY R8 [0:1][0:1] {1}"},
  });
}

TEST(Script, ReadsEveryTypedScalarUpToItsBounds) {
  expectValues({
      {__LINE__, "byte:-128", "I1 -128"},
      {__LINE__, "byte:127", "I1 127"},
      {__LINE__, "byte:-7", "I1 -7"},
      {__LINE__, "short:-32768", "I2 -32768"},
      {__LINE__, "short:32767", "I2 32767"},
      {__LINE__, "int:-2147483648", "I4 -2147483648"},
      {__LINE__, "int:2147483647", "I4 2147483647"},
      {__LINE__, "int: 5", "I4 5"},
      {__LINE__, "float:0.1", "R4 0.1"},
      {__LINE__, "float:3.4028235e38", "R4 3.4028235e+38"},
      {__LINE__, "float:1e-45", "R4 1.4013e-45"},
      {__LINE__, "float:-0", "R4 -0"},
      {__LINE__, "float:inf", "R4 inf"},
      {__LINE__, "float:-inf", "R4 -inf"},
      {__LINE__, "float:nan", "R4 nan"},
      {__LINE__, "double:5", "R8 5"},
      {__LINE__, "double:1.7976931348623157e308", "R8 1.7976931348623157e+308"},
      {__LINE__, "double:4.9e-324", "R8 4.94066e-324"},
      {__LINE__, "double:-inf", "R8 -inf"},
      {__LINE__, "boolean:true", "BOOL -1"},
      {__LINE__, "boolean:false", "BOOL 0"},
  });
}

TEST(Script, ReadsMatricesOfEveryElementType) {
  expectValues({
      {__LINE__, "byte:[[-128, 127], [0, 1]]", "ARRAY I1 [0:2][0:2] {-128, 127, 0, 1}"},
      {__LINE__, "short:[1, -2, 32767]", "ARRAY I2 [0:1][0:3] {1, -2, 32767}"},
      {__LINE__, "int:[[1, 2, 3], [4, 5, 6]]", "ARRAY I4 [0:2][0:3] {1, 2, 3, 4, 5, 6}"},
      {__LINE__, "float:[[0.5], [0.25], [inf]]", "ARRAY R4 [0:3][0:1] {0.5, 0.25, inf}"},
      {__LINE__, "double:[[1e-3, nan]]", "ARRAY R8 [0:1][0:2] {0.001, nan}"},
      {__LINE__, "boolean:[[true, false], [false, true]]", "ARRAY BOOL [0:2][0:2] {-1, 0, 0, -1}"},
      {__LINE__, "int:[]", "ARRAY I4 [0:0][0:0] {}"},
      {__LINE__, "boolean:[[], [], []]", "ARRAY BOOL [0:3][0:0] {}"},
      {__LINE__, "short: [[1]]", "ARRAY I2 [0:1][0:1] {1}"},
  });
}

TEST(Script, ReadsTextWithItsEscapes) {
  expectValues({
      {__LINE__, R"("two words")", R"(BSTR "two words")"},
      {__LINE__, R"("")", R"(BSTR "")"},
      {__LINE__, R"("say \"hi\"")", R"(BSTR "say \u0022hi\u0022")"},
      {__LINE__, R"("C:\\models\\a")", R"(BSTR "C:\u005Cmodels\u005Ca")"},
      {__LINE__, R"("\n\r\t")", R"(BSTR "\u000A\u000D\u0009")"},
      {__LINE__, R"("before\0after")", R"(BSTR "before\0after")"},
      {__LINE__, R"("\u00e9\u00C9\u0000")", R"(BSTR "\u00E9\u00C9\0")"},
      {__LINE__, R"("\uD83D\uDE00")", R"(BSTR "\uD83D\uDE00")"},
      {__LINE__, R"("\uD800")", R"(BSTR "\uD800")"},
      {__LINE__, "\"Grüße 😀\"", R"(BSTR "Gr\u00FC\u00DFe \uD83D\uDE00")"},
      {__LINE__, "\"\xEF\xBF\xBD\"", R"(BSTR "\uFFFD")"},
      {__LINE__, R"("# not a comment, [not a matrix]")",
       R"(BSTR "# not a comment, [not a matrix]")"},
      {__LINE__, "\"raw\ttab\"", R"(BSTR "raw\u0009tab")"},
      {__LINE__, R"("a" # a comment)", R"(BSTR "a")"},
  });
}

TEST(Script, AddressesInstancesTheEngineAndTheModel) {
  Script script = parseScript(
      "# demo\n"
      "\n"
      "set -3 Speed 1\n"
      "   # indented comment\n"
      "uvo Time 2\n"
      "set 7 Grüße 3\n"
      "var Mass 4",
      ScriptKind::model);
  ASSERT_EQ(script.error, "");
  ASSERT_EQ(script.commands.size(), 4u);
  EXPECT_EQ(script.commands[0].target, Command::Target::instance);
  EXPECT_EQ(script.commands[0].instance, -3);
  EXPECT_EQ(script.commands[0].name, u"Speed");
  EXPECT_EQ(script.commands[1].target, Command::Target::engine);
  EXPECT_EQ(script.commands[1].name, u"Time");
  EXPECT_EQ(script.commands[2].instance, 7);
  EXPECT_EQ(automation::utf16ToUtf8(script.commands[2].name), "Grüße");
  EXPECT_EQ(script.commands[3].target, Command::Target::model);
  EXPECT_EQ(script.commands[3].name, u"Mass");
}

TEST(Script, SkipsABlankTextAndAByteOrderMark) {
  for (std::string_view text : {"", "\n\n", "# only a comment", "  \r\n", "\xEF\xBB\xBF"}) {
    Script script = parseScript(text, ScriptKind::model);
    EXPECT_EQ(script.error, "") << text;
    EXPECT_TRUE(script.commands.empty()) << text;
  }
  Script script = parseScript("\xEF\xBB\xBFvar x 1\r\nvar y 2\r\n", ScriptKind::model);
  EXPECT_EQ(script.error, "");
  EXPECT_EQ(script.commands.size(), 2u);
}

struct FaultCase {
  int line;
  std::string text;
  std::string_view error;
};

void expectFaults(ScriptKind kind, std::initializer_list<FaultCase> cases) {
  for (const FaultCase& row : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line << ": " << row.text);
    Script script = parseScript(row.text, kind);
    EXPECT_EQ(script.error, row.error);
    EXPECT_TRUE(script.commands.empty());
  }
}

TEST(Script, NamesTheFirstFaultInAStatementAndKeepsNoCommand) {
  expectFaults(
      ScriptKind::statements,
      {
          {__LINE__, "put 1 x 1", "line 1: unknown command \"put\""},
          {__LINE__, "Set 1 x 1", "line 1: unknown command \"Set\""},
          {__LINE__, "set x y 1", "line 1: expected an instance number, found \"x\""},
          {__LINE__, "set 99999999999 y 1",
           "line 1: expected an instance number, found \"99999999999\""},
          {__LINE__, "set 1.5 y 1", "line 1: expected an instance number, found \"1.5\""},
          {__LINE__, "set 1", "line 1: expected a variable name"},
          {__LINE__, "uvo", "line 1: expected a variable name"},
          {__LINE__, "set 1 x", "line 1: expected a value"},
          {__LINE__, "set 1 x 1 2", "line 1: unexpected text after the value"},
          {__LINE__, "set 1 x \"a\" b", "line 1: unexpected text after the value"},
          {__LINE__, "set 1 x [1, 2] 3", "line 1: unexpected text after the value"},
          {__LINE__, "var x 1",
           "line 1: var sets a variable of the model being loaded, and only a model file "
           "has one: use set <instance> <name> <value>"},
          {__LINE__, "set 1 a 1\n\nset 1 b ?\nset 1 c 3", "line 3: expected a value, found \"?\""},
      });
}

TEST(Script, NamesWhatIsWrongWithAValue) {
  expectFaults(
      ScriptKind::statements,
      {
          {__LINE__, "uvo x abc", "line 1: expected a value, found \"abc\""},
          {__LINE__, "uvo x nan", "line 1: expected a value, found \"nan\""},
          {__LINE__, "uvo x inf", "line 1: expected a value, found \"inf\""},
          {__LINE__, "uvo x +1", "line 1: expected a value, found \"+1\""},
          {__LINE__, "uvo x 1e999", "line 1: \"1e999\" is out of range for double"},
          {__LINE__, "uvo x 1e-400", "line 1: \"1e-400\" is out of range for double"},
          {__LINE__, "uvo x long:5",
           "line 1: unknown type \"long\": a type is byte, short, int, float, double or boolean"},
          {__LINE__, "uvo x Int:5",
           "line 1: unknown type \"Int\": a type is byte, short, int, float, double or boolean"},
          {__LINE__, "uvo x int:", "line 1: expected a value after int:"},
          {__LINE__, "uvo x int: # note", "line 1: expected a value after int:"},
          {__LINE__, "uvo x byte:128", "line 1: \"128\" is out of range for byte (-128 to 127)"},
          {__LINE__, "uvo x byte:300", "line 1: \"300\" is out of range for byte (-128 to 127)"},
          {__LINE__, "uvo x byte:-129", "line 1: \"-129\" is out of range for byte (-128 to 127)"},
          {__LINE__, "uvo x short:32768",
           "line 1: \"32768\" is out of range for short (-32768 to 32767)"},
          {__LINE__, "uvo x int:2147483648",
           "line 1: \"2147483648\" is out of range for int (-2147483648 to 2147483647)"},
          {__LINE__, "uvo x int:99999999999999999999999",
           "line 1: \"99999999999999999999999\" is out of range for int (-2147483648 to "
           "2147483647)"},
          {__LINE__, "uvo x int:1.5", "line 1: expected a whole number (int), found \"1.5\""},
          {__LINE__, "uvo x int:1e3", "line 1: expected a whole number (int), found \"1e3\""},
          {__LINE__, "uvo x int:true", "line 1: expected a whole number (int), found \"true\""},
          {__LINE__, "uvo x int:\"7\"", "line 1: expected a whole number (int), found \"\"7\"\""},
          {__LINE__, "uvo x float:3.5e38", "line 1: \"3.5e38\" is out of range for float"},
          {__LINE__, "uvo x float:1e-50", "line 1: \"1e-50\" is out of range for float"},
          {__LINE__, "uvo x float:abc", "line 1: expected a number (float), found \"abc\""},
          {__LINE__, "uvo x double:infinity",
           "line 1: expected a number (double), found \"infinity\""},
          {__LINE__, "uvo x double:0x10", "line 1: expected a number (double), found \"0x10\""},
          {__LINE__, "uvo x boolean:1", "line 1: expected true or false (boolean), found \"1\""},
          {__LINE__, "uvo x boolean:TRUE",
           "line 1: expected true or false (boolean), found \"TRUE\""},
          {__LINE__, "uvo x int:12345678901234567890123456789012345678901234567890",
           "line 1: \"1234567890123456789012345678901234567890...\" is out of range for int "
           "(-2147483648 to 2147483647)"},
      });
}

TEST(Script, NamesWhatIsWrongWithAText) {
  expectFaults(
      ScriptKind::statements,
      {
          {__LINE__, R"(uvo x "open)", "line 1: text without its closing '\"'"},
          {__LINE__, R"(uvo x "open\")", "line 1: text without its closing '\"'"},
          {__LINE__, R"(uvo x "ends in a backslash\)", "line 1: text without its closing '\"'"},
          {__LINE__, "uvo x \"line\nbreak\"", "line 1: text without its closing '\"'"},
          {__LINE__, R"(uvo x "say "hi"")", "line 1: unexpected text after the value"},
          {__LINE__, R"(uvo x "C:\path")",
           R"(line 1: unknown escape "\p" in a text: write \\ for a backslash)"},
          {__LINE__, R"(uvo x "\é")",
           "line 1: unknown escape \"\\é\" in a text: write \\\\ for a backslash"},
          {__LINE__, R"(uvo x "\u12")", R"(line 1: \u takes four hexadecimal digits, found "12"")"},
          {__LINE__, R"(uvo x "\u12g4")",
           R"(line 1: \u takes four hexadecimal digits, found "12g4")"},
          {__LINE__, R"(uvo x "\u-123")",
           R"(line 1: \u takes four hexadecimal digits, found "-123")"},
      });
}

TEST(Script, NamesWhatIsWrongWithAMatrix) {
  expectFaults(
      ScriptKind::statements,
      {
          {__LINE__, "uvo x [[1, 2], [3]]",
           "line 1: the rows of a matrix must have the same length: row 2 has 1, row 1 has 2"},
          {__LINE__, "uvo x [[], [3]]",
           "line 1: the rows of a matrix must have the same length: row 2 has 1, row 1 has 0"},
          {__LINE__, "uvo x [1, , 2]", "line 1: expected a number (double), found \"\""},
          {__LINE__, "uvo x [1, 2,]", "line 1: expected a number (double), found \"\""},
          {__LINE__, "uvo x [1, 2", "line 1: expected ']' in the matrix"},
          {__LINE__, "uvo x [", "line 1: expected a number (double), found \"\""},
          {__LINE__, "uvo x [[1, 2] [3, 4]]", "line 1: expected ']' in the matrix"},
          {__LINE__, "uvo x [[1, 2], [3, 4]", "line 1: expected ']' in the matrix"},
          {__LINE__, "uvo x [[1, 2], 3]", "line 1: expected '[' in the matrix"},
          {__LINE__, "uvo x [[[1]]]", "line 1: a matrix has two levels of brackets at most"},
          {__LINE__, "uvo x [1, [2]]", "line 1: a matrix has two levels of brackets at most"},
          {__LINE__, "uvo x " + std::string(100000, '['),
           "line 1: a matrix has two levels of brackets at most"},
          {__LINE__, "uvo x [true]", "line 1: expected a number (double), found \"true\""},
          {__LINE__, "uvo x [\"a\"]", "line 1: expected a number (double), found \"\"a\"\""},
          {__LINE__, "uvo x byte:[1, 200]",
           "line 1: \"200\" is out of range for byte (-128 to 127)"},
          {__LINE__, "uvo x boolean:[[true, 0]]",
           "line 1: expected true or false (boolean), found \"0\""},
          {__LINE__, "uvo x int:[[1], [2.5]]",
           "line 1: expected a whole number (int), found \"2.5\""},
      });
}

TEST(Script, RefusesLinesItCannotRead) {
  const std::string longLine = "uvo x \"" + std::string(kLongestLine, 'a') + "\"";
  expectFaults(ScriptKind::statements,
               {
                   {__LINE__, "uvo x 1\n" + longLine, "line 2: longer than 1048576 bytes"},
                   {__LINE__, "uvo x \"\xFF\"", "line 1: not UTF-8 at byte 8"},
                   {__LINE__, "uvo x \"\xC3\"", "line 1: not UTF-8 at byte 8"},
                   {__LINE__, "uvo x \"\xC0\xAF\"", "line 1: not UTF-8 at byte 8"},
                   {__LINE__, "uvo x \"\xED\xA0\x80\"", "line 1: not UTF-8 at byte 8"},
                   {__LINE__, "uvo x 1\n\xFE", "line 2: not UTF-8 at byte 1"},
                   {__LINE__, "# comment \xFF", "line 1: not UTF-8 at byte 11"},
                   {__LINE__, std::string("uvo x \"a\0b\"", 11),
                    "line 1: a zero character at byte 9: write \\0 inside a text"},
               });

  // The longest line that is read, and a script of many lines.
  const std::string longest = "uvo x \"" + std::string(kLongestLine - 8, 'a') + "\"";
  ASSERT_EQ(longest.size(), kLongestLine);
  EXPECT_EQ(parseScript(longest, ScriptKind::statements).error, "");
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "uvo x " + std::to_string(i) + "\n";
  Script script = parseScript(many + "bogus", ScriptKind::statements);
  EXPECT_EQ(script.error, "line 100001: unknown command \"bogus\"");
}

// Every way a model can be cut short reads or names a fault; none leaves a
// command behind with a fault.
TEST(Script, EveryTruncationOfAModelReadsOrNamesItsFault) {
  const std::string model =
      "var a byte:[[1, -2], [3, 4]]\n"
      "var b \"Gr\xC3\xBC\xC3\x9F\x65 \\\"q\\\" \\u00e9\\0\"\n"
      "set 2 c boolean:[true, false]\n"
      "uvo d float:-1.5e3 # note\n";
  for (std::size_t length = 0; length <= model.size(); ++length) {
    SCOPED_TRACE(::testing::Message() << "first " << length << " bytes");
    Script script = parseScript(std::string_view(model).substr(0, length), ScriptKind::model);
    if (script.error.empty()) continue;
    EXPECT_EQ(script.error.rfind("line ", 0), 0u) << script.error;
    EXPECT_TRUE(script.commands.empty());
  }
  EXPECT_EQ(parseScript(model, ScriptKind::model).commands.size(), 4u);
}

}  // namespace
}  // namespace vardelon::simulator
