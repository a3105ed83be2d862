package com.mintova.vardelon.console;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Texts the console refuses as values, and why. */
class ValueParserTest {
  @ParameterizedTest
  @CsvSource(delimiter = '|', value = {
      "word            | not a valid double: \"word\"",
      "\"open          | text must end with a double quote",
      "\"a\" b         | text must end with a double quote",
      "byte:300        | not a valid byte: \"300\"",
      "boolean:1       | not a valid boolean: \"1\"",
      "int:[1, 2.5]    | not a valid int: \"2.5\"",
      "[1, 2           | a matrix must end with ]",
      "[[1, 2], 3]     | each row of a matrix must be in brackets",
      "[1, [2]]        | unexpected bracket in \"1, [2]\"",
      "[1, , 2]        | not a valid double: \"\""})
  void refuses(String text, String reason) {
    IllegalArgumentException e =
        assertThrows(IllegalArgumentException.class, () -> ValueParser.parse(text));
    assertEquals(reason, e.getMessage());
  }
}
