package com.mintova.vardelon.console;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.params.provider.Arguments.arguments;

import java.util.Arrays;
import java.util.stream.Stream;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.MethodSource;

/** The console's value syntax: what each text gives, and the texts it refuses and why. */
class ValueParserTest {
  // clang-format off
  static Stream<Arguments> values() {
    return Stream.of(
        arguments("42", 42),
        arguments("-2147483648", Integer.MIN_VALUE),
        arguments("2147483648", 2147483648.0),
        arguments("1e-3", 0.001),
        arguments("true", true),
        arguments("null", null),
        arguments("byte:-128", (byte) -128),
        arguments("short:32767", Short.MAX_VALUE),
        arguments("float:NaN", Float.NaN),
        arguments("double:-Infinity", Double.NEGATIVE_INFINITY),
        arguments("\"two  words\"", "two  words"),
        arguments("\"\"", ""),
        arguments("\"say \\\"go\\\"\\t\\\\ \\0 \\u00e9\\n\"", "say \"go\"\t\\ \0 \u00e9\n"),
        arguments("\"\uD834\uDD1E\"", "\uD834\uDD1E"),
        arguments("[1, 2]", new double[] {1, 2}),
        arguments("[]", new double[0]),
        arguments("[[1, 2], [3, 4]]", new double[][] {{1, 2}, {3, 4}}),
        arguments("int:[[1], [2, 3]]", new int[][] {{1}, {2, 3}}),
        arguments("boolean:[[true, false]]", new boolean[][] {{true, false}}),
        arguments("  byte:[-1, 1]  ", new byte[] {-1, 1}));
  }
  // clang-format on

  @ParameterizedTest
  @MethodSource("values")
  void reads(String text, Object expected) {
    Object value = ValueParser.parse(text);
    assertTrue(Arrays.deepEquals(new Object[] {expected}, new Object[] {value}),
        () -> Arrays.deepToString(new Object[] {value}));
    if (value != null) {
      assertEquals(expected.getClass(), value.getClass());
    }
  }

  @ParameterizedTest
  // clang-format off
  @CsvSource(delimiter = '|', value = {
      "0 \"a b\" 1 [[1, 2], [3]] 2 int:[4]  | 0;\"a b\";1;[[1, 2], [3]];2;int:[4]",
      "\"x \\\" y\" \"\"                   | \"x \\\" y\";\"\"",
      "''                                   | ''"})
  void splitsListsOfValues(String text, String values) {
    // clang-format on
    assertEquals(values.isEmpty() ? Arrays.asList() : Arrays.asList(values.split(";")),
        ValueParser.split(text));
  }

  @ParameterizedTest
  // clang-format off
  @CsvSource(delimiter = '|', value = {
      "word            | not a valid double: \"word\"",
      "\"open          | text must end with a double quote",
      "\"open\\\"      | text must end with a double quote",
      "\"a\" b         | one value expected, not 2",
      "''              | a value is missing",
      "\"\\q\"         | unknown escape \\q",
      "\"\\u12\"       | \\u needs four hexadecimal digits",
      "byte:300        | not a valid byte: \"300\"",
      "boolean:1       | not a valid boolean: \"1\"",
      "int:[1, 2.5]    | not a valid int: \"2.5\"",
      "[1, 2           | a matrix must end with ]",
      "[[1, 2], 3]     | each row of a matrix must be in brackets",
      "[1, [2]]        | unexpected bracket in \"1, [2]\"",
      "[1, , 2]        | not a valid double: \"\""})
  void refuses(String text, String reason) {
    // clang-format on
    IllegalArgumentException e =
        assertThrows(IllegalArgumentException.class, () -> ValueParser.parse(text));
    assertEquals(reason, e.getMessage());
  }
}
