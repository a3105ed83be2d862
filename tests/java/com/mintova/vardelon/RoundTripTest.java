package com.mintova.vardelon;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.params.provider.Arguments.arguments;

import java.util.Arrays;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** Every kind of value the peer class accepts, written to the simulator and read back. */
class RoundTripTest extends SimulatorTest {
  private static final int INSTANCE = 50;

  private Object roundTrip(Object value) {
    link.setVariableValue(INSTANCE, "value", value);
    return link.variableValue(INSTANCE, "value");
  }

  // clang-format off
  static Stream<Object> scalars() {
    return Stream.of(Byte.MIN_VALUE, (byte) 0, Byte.MAX_VALUE, Short.MIN_VALUE, (short) -2,
        Short.MAX_VALUE, Integer.MIN_VALUE, 42, Integer.MAX_VALUE, Float.MIN_VALUE,
        Float.MIN_NORMAL, 0.1f, -0.0f, Float.MAX_VALUE, Float.NaN, Float.POSITIVE_INFINITY,
        Float.NEGATIVE_INFINITY, Double.MIN_VALUE, 2.25, -0.0, Double.MAX_VALUE, Double.NaN,
        Double.POSITIVE_INFINITY, Double.NEGATIVE_INFINITY, true, false);
  }
  // clang-format on

  // clang-format off
  static Stream<Object> texts() {
    return Stream.of("", "Vardelon", "Grüße ✓ € 20 °C", "\uD834\uDD1E clef", "two\nlines",
        "tab\t \"quotes\" \\ back\\slash", "\u007f\u0001");
  }
  // clang-format on

  @ParameterizedTest
  @MethodSource({"scalars", "texts"})
  void scalarsAndTextsComeBackEqualAndOfTheSameClass(Object value) {
    Object back = roundTrip(value);
    assertEquals(value, back);
    assertEquals(value.getClass(), back.getClass());
  }

  @Test
  void textSentEndsAtItsFirstNullCharacter() {
    assertEquals("ab", roundTrip("ab\u0000cd"));
    assertEquals("", roundTrip("\u0000cd"));
  }

  @Test
  void textReadKeepsEveryCharacter() {
    link.execute("uvo NulText \"a\\0b \uD834\uDD1E\"");
    assertEquals("", link.uvoVariableValue("LastError"));
    assertEquals("a\u0000b \uD834\uDD1E", link.uvoVariableValue("NulText"));
  }

  // clang-format off
  static Stream<Object> matrices() {
    return Stream.of(
        new double[][] {{1, 2, 3}, {4, 5, 6}},
        new double[][] {{1, 2}, {3, 4}, {5, 6}},
        new float[][] {{0.5f, -1.25f}},
        new byte[][] {{-128, 127}, {0, -1}},
        new short[][] {{Short.MIN_VALUE}, {Short.MAX_VALUE}},
        new int[][] {{1, 2, 3, 4}},
        new int[][] {{1}, {2}, {3}, {4}},
        new int[][] {{Integer.MIN_VALUE, Integer.MAX_VALUE}},
        new float[][] {{Float.NaN, Float.POSITIVE_INFINITY}, {Float.MIN_VALUE, -0.0f}},
        new double[][] {{Double.NaN, Double.NEGATIVE_INFINITY, Double.MIN_VALUE}},
        new boolean[][] {{true, false}, {false, true}},
        new double[0][],
        new int[2][0]);
  }
  // clang-format on

  @ParameterizedTest
  @MethodSource("matrices")
  void matricesComeBackEqual(Object matrix) {
    Object back = roundTrip(matrix);
    assertEquals(matrix.getClass(), back.getClass());
    assertTrue(Arrays.deepEquals((Object[]) matrix, (Object[]) back),
        () -> Arrays.deepToString((Object[]) back));
  }

  // clang-format off
  static Stream<Arguments> rows() {
    return Stream.of(
        arguments(new double[] {1.5, 2.5, 3.5}, new double[][] {{1.5, 2.5, 3.5}}),
        arguments(new float[] {0.5f}, new float[][] {{0.5f}}),
        arguments(new byte[] {-1, 1}, new byte[][] {{-1, 1}}),
        arguments(new short[] {7, 8}, new short[][] {{7, 8}}),
        arguments(new int[] {9}, new int[][] {{9}}),
        arguments(new boolean[] {false, true}, new boolean[][] {{false, true}}),
        arguments(new int[0], new int[0][]),
        arguments(new double[0], new double[0][]),
        arguments(new boolean[0], new boolean[0][]));
  }
  // clang-format on

  @ParameterizedTest
  @MethodSource("rows")
  void aOneDimensionalArrayComesBackAsOneRow(Object row, Object expected) {
    Object back = roundTrip(row);
    assertEquals(expected.getClass(), back.getClass());
    assertTrue(Arrays.deepEquals((Object[]) expected, (Object[]) back),
        () -> Arrays.deepToString((Object[]) back));
  }

  // clang-format off
  static Stream<Arguments> raggedMatrices() {
    return Stream.of(
        arguments(new int[][] {{1, 2, 3}, {4}}, new int[][] {{1, 2, 3}, {4, 0, 0}}),
        arguments(new int[][] {{1, 2}, null}, new int[][] {{1, 2}, {0, 0}}),
        arguments(new double[][] {{1.5, 2.5}, {}, {3.5}},
            new double[][] {{1.5, 2.5}, {0, 0}, {3.5, 0}}),
        arguments(new boolean[][] {{true, true}, {true}}, new boolean[][] {{true, true}, {true, false}}),
        arguments(new byte[][] {{}, {}}, new byte[2][0]));
  }
  // clang-format on

  @ParameterizedTest
  @MethodSource("raggedMatrices")
  void rowsShorterThanTheFirstArePaddedWithZeros(Object ragged, Object expected) {
    Object back = roundTrip(ragged);
    assertEquals(expected.getClass(), back.getClass());
    assertTrue(Arrays.deepEquals((Object[]) expected, (Object[]) back),
        () -> Arrays.deepToString((Object[]) back));
  }

  @Test
  void anUnrecognisedValueIsStoredAsNothing() {
    roundTrip(1.0);
    assertNull(roundTrip(5L));
    assertNull(roundTrip(new Double[] {1.0}));
    roundTrip(1.0);
    assertNull(roundTrip(new int[][] {{1}, {2, 3}}), "a row longer than row 0");
    roundTrip(1.0);
    assertNull(roundTrip(null));
  }

  // clang-format off
  static Stream<Arguments> engineValues() {
    return Stream.of(
        arguments("byte:-128", Byte.MIN_VALUE),
        arguments("short:32767", Short.MAX_VALUE),
        arguments("int:-2147483648", Integer.MIN_VALUE),
        arguments("float:-inf", Float.NEGATIVE_INFINITY),
        arguments("double:1e308", 1e308),
        arguments("boolean:false", false),
        arguments("\"Grüße \uD834\uDD1E\"", "Grüße \uD834\uDD1E"),
        arguments("byte:[[-128, 127]]", new byte[][] {{-128, 127}}),
        arguments("short:[[1], [2]]", new short[][] {{1}, {2}}),
        arguments("int:[[1, 2], [3, 4]]", new int[][] {{1, 2}, {3, 4}}),
        arguments("float:[[0.5, 1]]", new float[][] {{0.5f, 1}}),
        arguments("[[1.5, 2], [3, 4]]", new double[][] {{1.5, 2}, {3, 4}}),
        arguments("boolean:[[true, false]]", new boolean[][] {{true, false}}),
        arguments("[]", new double[0][]));
  }
  // clang-format on

  /** Engine-level variables have no setter: the application's own statements write them. */
  @ParameterizedTest
  @MethodSource("engineValues")
  void engineLevelValuesOfEveryTypeReadByNameAndByNumber(String text, Object expected) {
    link.execute("uvo RoundTrip " + text);
    assertEquals("", link.uvoVariableValue("LastError"));
    int number = Arrays.asList(link.uvoVariableNames()).indexOf("RoundTrip");
    Object[] read = {
        link.uvoVariableValue("RoundTrip"), link.uvoVariableValues(new int[] {number})[0]};
    assertTrue(Arrays.deepEquals(new Object[] {expected, expected}, read),
        () -> Arrays.deepToString(read));
    assertEquals(expected.getClass(), read[0].getClass());
  }

  @Test
  void listsOfValuesTravelByNumber() {
    link.setVariableValue(INSTANCE + 1, "a", 0);
    link.setVariableValue(INSTANCE + 1, "b", 0);
    link.setVariableValue(INSTANCE + 1, "c", 0);
    Object[] values = {new double[][] {{1, 2}, {3, 4}}, "text", new boolean[] {true}};
    link.setVariableValues(INSTANCE + 1, new int[] {0, 1, 2}, values);

    Object[] back = link.variableValues(INSTANCE + 1, new int[] {0, 1, 2});
    assertTrue(
        Arrays.deepEquals(
            new Object[] {new double[][] {{1, 2}, {3, 4}}, "text", new boolean[][] {{true}}}, back),
        () -> Arrays.deepToString(back));
  }
}
