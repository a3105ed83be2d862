package com.mintova.vardelon.bench;

import com.mintova.vardelon.VardelonLink;
import java.lang.management.ManagementFactory;
import java.lang.management.ThreadMXBean;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * Times the peer class's methods as a Java program calls them, through the real loader, against
 * the simulator, each next to a Java baseline timed in the same run: the cheapest native call
 * ({@code isConnected}, which reads one flag) for the per-call methods; for the matrices, a copy of
 * the same {@code double[][]} in plain Java, into new rows for a read (which makes new rows too)
 * and into existing rows for a write. Every operation is warmed up before it is timed, and its
 * rounds alternate with its baseline's, so that the noise of a shared machine falls on both.
 * Times are the calling thread's CPU time, as in the native benchmarks: the work of the garbage
 * collector's own threads is not counted. Prints one Markdown table; the first check that fails
 * ends the run with status 1.
 */
public final class JavaBench {
  private static final int VALUE_INSTANCE = 201;
  private static final int NUMBERED_INSTANCE = 202;
  private static final int MATRIX_INSTANCE = 203;
  private static final int NUMBERED_COUNT = 100;
  private static final String TEXT = "step response, second order";
  private static final int[][] SHAPES = {{100, 100}, {1000, 1000}, {10000, 10}};

  private static final long WARM_UP_NANOS = 1_000_000_000L;
  private static final long ROUND_NANOS = 100_000_000L;
  private static final int ROUNDS = 10;

  /** What each timed call returns goes here, so that the compiler cannot drop the call. */
  private static volatile Object sink;

  private static final ThreadMXBean THREADS = ManagementFactory.getThreadMXBean();

  private final VardelonLink link = new VardelonLink();
  private final List<String> rows = new ArrayList<String>();

  private JavaBench() {}

  /** One timed operation. */
  private interface Operation {
    Object run();
  }

  /** The median and the fastest of the rounds, in nanoseconds per call. */
  private static final class Timing {
    final double median;
    final double fastest;

    Timing(double[] rounds) {
      double[] sorted = rounds.clone();
      Arrays.sort(sorted);
      int middle = sorted.length / 2;
      median = sorted.length % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
      fastest = sorted[0];
    }
  }

  public static void main(String[] arguments) {
    JavaBench bench = new JavaBench();
    bench.setUp();
    bench.runAll();
    bench.link.disconnect();
    bench.print();
  }

  private void setUp() {
    check(THREADS.isCurrentThreadCpuTimeSupported(), "this JVM cannot measure thread CPU time");
    check(link.connect(), "connect() failed: is AUTOMATION_REGISTRY set?");
    link.setVariableValue(VALUE_INSTANCE, "Scalar", 2.5);
    for (int number = 0; number < NUMBERED_COUNT; number++) {
      link.setVariableValue(NUMBERED_INSTANCE, "Value" + number, number * 0.5);
    }
    for (int[] shape : SHAPES) {
      link.setVariableValue(MATRIX_INSTANCE, "Read" + name(shape), matrix(shape[0], shape[1]));
    }
  }

  private void runAll() {
    Operation nativeFloor = () -> link.isConnected();
    compare("isConnected()", () -> link.isConnected(), "empty Java method", () -> Boolean.TRUE);

    check(link.version().startsWith("Vardelon"), "version() gave " + link.version());
    compare("version()", () -> link.version(), "isConnected()", nativeFloor);

    check(Double.valueOf(2.5).equals(link.variableValue(VALUE_INSTANCE, "Scalar")),
        "variableValue() did not read back 2.5");
    compare("variableValue(), a double", () -> link.variableValue(VALUE_INSTANCE, "Scalar"),
        "isConnected()", nativeFloor);

    int[] numbers = new int[NUMBERED_COUNT];
    for (int i = 0; i < numbers.length; i++) {
      numbers[i] = i;
    }
    Object[] values = link.variableValues(NUMBERED_INSTANCE, numbers);
    check(values != null && values.length == NUMBERED_COUNT
            && Double.valueOf((NUMBERED_COUNT - 1) * 0.5).equals(values[NUMBERED_COUNT - 1]),
        "variableValues() did not read back the numbered values");
    compare("variableValues(), " + NUMBERED_COUNT + " numbers",
        () -> link.variableValues(NUMBERED_INSTANCE, numbers), "isConnected()", nativeFloor);

    link.setVariableValue(VALUE_INSTANCE, "Title", TEXT);
    check(TEXT.equals(link.variableValue(VALUE_INSTANCE, "Title")),
        "setVariableValue() did not store the String");
    compare("setVariableValue(), a String", () -> {
      link.setVariableValue(VALUE_INSTANCE, "Title", TEXT);
      return null;
    }, "isConnected()", nativeFloor);

    for (int[] shape : SHAPES) {
      compareMatrix(shape);
    }
  }

  private void compareMatrix(int[] shape) {
    double[][] expected = matrix(shape[0], shape[1]);
    String read = "Read" + name(shape);
    check(Arrays.deepEquals(expected, (Object[]) link.variableValue(MATRIX_INSTANCE, read)),
        "variableValue() did not read back " + read);
    compare("variableValue(), " + name(shape) + " doubles",
        () -> link.variableValue(MATRIX_INSTANCE, read), "Java copy into new rows",
        () -> deepCopy(expected));

    String written = "Written" + name(shape);
    link.setVariableValue(MATRIX_INSTANCE, written, expected);
    check(Arrays.deepEquals(expected, (Object[]) link.variableValue(MATRIX_INSTANCE, written)),
        "setVariableValue() did not store " + written);
    double[][] target = matrix(shape[0], shape[1]);
    compare("setVariableValue(), " + name(shape) + " doubles", () -> {
      link.setVariableValue(MATRIX_INSTANCE, written, expected);
      return null;
    }, "Java copy into existing rows", () -> copyInto(expected, target));
  }

  /** Times the operation and its baseline in alternating rounds and adds their row. */
  private void compare(String name, Operation operation, String baselineName, Operation baseline) {
    warmUp(operation);
    warmUp(baseline);
    int calls = callsPerRound(operation);
    int baselineCalls = callsPerRound(baseline);
    double[] measured = new double[ROUNDS];
    double[] reference = new double[ROUNDS];
    for (int round = 0; round < ROUNDS; round++) {
      measured[round] = nanosPerCall(operation, calls);
      reference[round] = nanosPerCall(baseline, baselineCalls);
    }
    Timing timing = new Timing(measured);
    Timing baselineTiming = new Timing(reference);
    rows.add(String.format("| %s | %s | %s | %s | %.2f | %.2f |", name, duration(timing.median),
        baselineName, duration(baselineTiming.median), timing.median / baselineTiming.median,
        timing.fastest / baselineTiming.fastest));
  }

  private static void warmUp(Operation operation) {
    long end = System.nanoTime() + WARM_UP_NANOS;
    while (System.nanoTime() < end) {
      sink = operation.run();
    }
  }

  /** As many calls as fill about one round, at least one. */
  private static int callsPerRound(Operation operation) {
    int calls = 1;
    while (calls < Integer.MAX_VALUE / 2
        && nanosPerCall(operation, calls) * calls < ROUND_NANOS / 4) {
      calls *= 2;
    }
    return calls * 4;
  }

  private static double nanosPerCall(Operation operation, int calls) {
    long start = THREADS.getCurrentThreadCpuTime();
    for (int i = 0; i < calls; i++) {
      sink = operation.run();
    }
    return (double) (THREADS.getCurrentThreadCpuTime() - start) / calls;
  }

  private void print() {
    System.out.println(
        "| operation | per call | baseline | baseline per call | ratio | of the fastest |");
    System.out.println("|---|--:|---|--:|--:|--:|");
    for (String row : rows) {
      System.out.println(row);
    }
    System.out.println();
    System.out.println("JVM: " + System.getProperty("java.vm.name") + " "
        + System.getProperty("java.vm.version") + ", " + Runtime.getRuntime().availableProcessors()
        + " processors, maximum heap " + Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MB");
  }

  private static String duration(double nanos) {
    if (nanos >= 1e6) {
      return String.format("%.2f ms", nanos / 1e6);
    }
    if (nanos >= 1e3) {
      return String.format("%.2f us", nanos / 1e3);
    }
    return String.format("%.1f ns", nanos);
  }

  private static String name(int[] shape) {
    return shape[0] + "x" + shape[1];
  }

  /** Rows of varied doubles. */
  private static double[][] matrix(int rows, int columns) {
    double[][] matrix = new double[rows][columns];
    for (int i = 0; i < rows; i++) {
      for (int j = 0; j < columns; j++) {
        matrix[i][j] = ((i * columns + j) % 1000) * 0.5 - 100.0;
      }
    }
    return matrix;
  }

  private static double[][] copyInto(double[][] matrix, double[][] target) {
    for (int i = 0; i < matrix.length; i++) {
      System.arraycopy(matrix[i], 0, target[i], 0, matrix[i].length);
    }
    return target;
  }

  private static double[][] deepCopy(double[][] matrix) {
    double[][] copy = new double[matrix.length][];
    for (int i = 0; i < matrix.length; i++) {
      copy[i] = matrix[i].clone();
    }
    return copy;
  }

  private static void check(boolean passed, String failure) {
    if (!passed) {
      System.err.println("JavaBench: " + failure);
      System.exit(1);
    }
  }
}
