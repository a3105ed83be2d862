package com.mintova.vardelon;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.params.provider.Arguments.arguments;

import java.util.Arrays;
import java.util.stream.Stream;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** Every kind of value the peer class accepts, written to the simulator and read back. */
class RoundTripTest {
  private static final int INSTANCE = 50;

  private final VardelonLink link = new VardelonLink();

  @BeforeEach
  void connect() {
    assertTrue(link.connect(), "AUTOMATION_REGISTRY must name the simulator's registration");
  }

  private Object roundTrip(Object value) {
    link.setVariableValue(INSTANCE, "value", value);
    return link.variableValue(INSTANCE, "value");
  }

  static Stream<Object> scalars() {
    return Stream.of((byte) -1, Byte.MIN_VALUE, (short) -2, Short.MAX_VALUE, 42,
        Integer.MIN_VALUE, 0.1f, Float.NaN, 2.25, -0.0, Double.MAX_VALUE, true, false, "",
        "Vardelon", "Grüße ✓ \uD834\uDD1E", "two\nlines");
  }

  @ParameterizedTest
  @MethodSource("scalars")
  void scalarsComeBackEqualAndOfTheSameClass(Object value) {
    assertEquals(value, roundTrip(value));
  }

  @Test
  void textEndsAtItsFirstNullCharacter() {
    assertEquals("ab", roundTrip("ab\u0000cd"));
  }

  static Stream<Object> matrices() {
    return Stream.of(
        new double[][] {{1, 2, 3}, {4, 5, 6}},
        new double[][] {{1, 2}, {3, 4}, {5, 6}},
        new float[][] {{0.5f, -1.25f}},
        new byte[][] {{-128, 127}, {0, -1}},
        new short[][] {{Short.MIN_VALUE}, {Short.MAX_VALUE}},
        new int[][] {{1, 2, 3, 4}},
        new int[][] {{1}, {2}, {3}, {4}},
        new boolean[][] {{true, false}, {false, true}},
        new double[0][],
        new int[2][0]);
  }

  @ParameterizedTest
  @MethodSource("matrices")
  void matricesComeBackEqual(Object matrix) {
    Object back = roundTrip(matrix);
    assertEquals(matrix.getClass(), back.getClass());
    assertTrue(Arrays.deepEquals((Object[]) matrix, (Object[]) back),
        () -> Arrays.deepToString((Object[]) back));
  }

  static Stream<Arguments> rows() {
    return Stream.of(
        arguments(new double[] {1.5, 2.5, 3.5}, new double[][] {{1.5, 2.5, 3.5}}),
        arguments(new float[] {0.5f}, new float[][] {{0.5f}}),
        arguments(new byte[] {-1, 1}, new byte[][] {{-1, 1}}),
        arguments(new short[] {7, 8}, new short[][] {{7, 8}}),
        arguments(new int[] {9}, new int[][] {{9}}),
        arguments(new boolean[] {false, true}, new boolean[][] {{false, true}}),
        arguments(new int[0], new int[0][]));
  }

  @ParameterizedTest
  @MethodSource("rows")
  void aOneDimensionalArrayComesBackAsOneRow(Object row, Object expected) {
    Object back = roundTrip(row);
    assertEquals(expected.getClass(), back.getClass());
    assertTrue(Arrays.deepEquals((Object[]) expected, (Object[]) back),
        () -> Arrays.deepToString((Object[]) back));
  }

  @Test
  void shortRowsAreFilledWithZeros() {
    assertArrayEquals(new int[][] {{1, 2, 3}, {4, 0, 0}}, (int[][]) roundTrip(new int[][] {{1, 2, 3}, {4}}));
  }

  @Test
  void anUnrecognisedValueIsStoredAsNothing() {
    roundTrip(1.0);
    assertNull(roundTrip(5L));
    assertNull(roundTrip(new Double[] {1.0}));
  }

  @Test
  void listsOfValuesTravelByNumber() {
    link.setVariableValue(INSTANCE + 1, "a", 0);
    link.setVariableValue(INSTANCE + 1, "b", 0);
    link.setVariableValue(INSTANCE + 1, "c", 0);
    Object[] values = {new double[][] {{1, 2}, {3, 4}}, "text", new boolean[] {true}};
    link.setVariableValues(INSTANCE + 1, new int[] {0, 1, 2}, values);

    Object[] back = link.variableValues(INSTANCE + 1, new int[] {0, 1, 2});
    assertTrue(Arrays.deepEquals(
        new Object[] {new double[][] {{1, 2}, {3, 4}}, "text", new boolean[][] {{true}}}, back),
        () -> Arrays.deepToString(back));
  }
}
