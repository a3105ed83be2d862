package com.mintova.vardelon.console;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.params.provider.Arguments.arguments;

import java.util.stream.Stream;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** How the console shows values: scalars with their type, text quoted, matrices as aligned rows. */
class ValueFormatterTest {
  // clang-format off
  static Stream<Arguments> values() {
    return Stream.of(
        arguments(null, "null"),
        arguments((byte) -128, "Byte -128"),
        arguments((short) 7, "Short 7"),
        arguments(Integer.MAX_VALUE, "Integer 2147483647"),
        arguments(Float.MIN_VALUE, "Float 1.4E-45"),
        arguments(Double.NaN, "Double NaN"),
        arguments(false, "Boolean false"),
        arguments("", "String \"\""),
        arguments("say \"go\"\t\\\n\0\u0001 é \uD834\uDD1E",
            "String \"say \\\"go\\\"\\t\\\\\\n\\0\\u0001 é \uD834\uDD1E\""),
        arguments(new double[][] {{1, 20.5, 3}, {-4, 5, 600}},
            "double[2][3]\n   1.0  20.5    3.0\n  -4.0   5.0  600.0"),
        arguments(new boolean[][] {{true, false}, {false, true}},
            "boolean[2][2]\n   true  false\n  false   true"),
        arguments(new byte[][] {{-128, 0, 127}}, "byte[1][3]\n  -128  0  127"),
        arguments(new int[] {1, 22}, "int[2]\n  1  22"),
        arguments(new double[0][], "double[0][0]"),
        arguments(new int[2][0], "int[2][0]"),
        arguments(new int[][] {{1, 2}, {3}}, "int[2][2]\n  1  2\n  3"));
  }
  // clang-format on

  @ParameterizedTest
  @MethodSource("values")
  void shows(Object value, String text) {
    assertEquals(text, ValueFormatter.format(value));
  }
}
