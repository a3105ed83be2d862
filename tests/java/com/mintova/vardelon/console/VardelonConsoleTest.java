package com.mintova.vardelon.console;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.params.provider.Arguments.arguments;

import com.mintova.vardelon.VardelonLink;
import java.io.BufferedReader;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.io.StringReader;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.stream.Stream;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.MethodSource;

/** The console against the simulator: what each command prints. */
class VardelonConsoleTest {
  private final ByteArrayOutputStream output = new ByteArrayOutputStream();
  private final PrintStream out = new PrintStream(output, true, StandardCharsets.UTF_8);
  private final VardelonConsole console = new VardelonConsole(new VardelonLink(), out);

  /** A new application, whatever the suites before this one left in theirs. */
  @BeforeAll
  static void startANewApplication() {
    VardelonLink link = new VardelonLink();
    link.connect();
    link.quit();
  }

  /** What the lines print, after a connect whose own line is left out. */
  private String connectedRun(String... lines) {
    console.execute("connect");
    assertEquals("connected\n", printed());
    for (String line : lines) {
      console.execute(line);
    }
    return printed();
  }

  private String printed() {
    String text = new String(output.toByteArray(), StandardCharsets.UTF_8);
    output.reset();
    return text;
  }

  @Test
  void readsTheApplication() {
    assertEquals("Vardelon Simulator 1.0\nSpeed\nCount\nLabel\nGrid\nEnabled\n"
            + "double[2][3]\n  1.0  2.0  3.0\n  4.0  5.0  6.0\n"
            + "[0] Double 12.5\n[1] null\n[2] String \"Vardelon demo\"\n",
        connectedRun("version", "names 1", "get 1 Grid", "values 1 0 99 2"));
  }

  @Test
  void getWithoutNameReadsEveryVariable() {
    assertEquals("Speed = Double 12.5\nCount = Integer 42\nLabel = String \"Vardelon demo\"\n"
            + "Grid = double[2][3]\n  1.0  2.0  3.0\n  4.0  5.0  6.0\nEnabled = Boolean true\n"
            + "(no variables)\n",
        connectedRun("get 1", "get 4711"));
  }

  @Test
  void readsEngineLevelVariables() {
    assertEquals(
        "String \"euler\"\n[0] Double 0.01\n", connectedRun("uvoget Solver", "uvovalues 1"));
    assertTrue(connectedRun("uvonames").startsWith("Time\nStepSize\nSolver\n"));
    assertTrue(connectedRun("uvoget").startsWith(
        "Time = Double 0.0\nStepSize = Double 0.01\nSolver = String \"euler\"\n"));
  }

  // clang-format off
  static Stream<Arguments> values() {
    return Stream.of(
        arguments("42", "Integer 42"),
        arguments("-2.5", "Double -2.5"),
        arguments("false", "Boolean false"),
        arguments("\"two  words\"", "String \"two  words\""),
        arguments("\"tab\\there \\u00e9 \\\"q\\\"\"", "String \"tab\\there é \\\"q\\\"\""),
        arguments("\"\"", "String \"\""),
        arguments("byte:-1", "Byte -1"),
        arguments("short:7", "Short 7"),
        arguments("int:7", "Integer 7"),
        arguments("float:0.5", "Float 0.5"),
        arguments("double:3", "Double 3.0"),
        arguments("boolean:true", "Boolean true"),
        arguments("[1, 2]", "double[1][2]\n  1.0  2.0"),
        arguments("[[1, 2], [3, 4]]", "double[2][2]\n  1.0  2.0\n  3.0  4.0"),
        arguments("int:[[1], [-20]]", "int[2][1]\n    1\n  -20"),
        arguments("float:[[0.5, 1]]", "float[1][2]\n  0.5  1.0"),
        arguments("short:[[1, 2], [3]]", "short[2][2]\n  1  2\n  3  0"),
        arguments("boolean:[[true, false]]", "boolean[1][2]\n  true  false"),
        arguments("byte:[-1, 1]", "byte[1][2]\n  -1  1"),
        arguments("[]", "double[0][0]"),
        arguments("null", "null"));
  }
  // clang-format on

  @ParameterizedTest
  @MethodSource("values")
  void setsEveryKindOfValue(String value, String shown) {
    assertEquals(shown + "\n", connectedRun("set 60 v " + value, "get 60 v"));
  }

  @Test
  void setsSeveralValuesByNumber() {
    assertEquals("[0] String \"a b\"\n[1] int[1][2]\n  1  2\n",
        connectedRun("set 62 first 0", "set 62 second 0", "setvalues 62 0 \"a b\" 1 int:[1, 2]",
            "values 62 0 1"));
  }

  @Test
  void runsScriptsAndWindowCommands() {
    assertEquals("a\nb\nString \"maximized\"\n",
        connectedRun(
            "execute set 61 a 1\\nset 61 b 2", "names 61", "maximize", "uvoget WindowState"));
    String requests = connectedRun("notify 62 watched", "uvoget ChangeNotifications");
    assertTrue(requests.contains("62 watched\\n"), requests);
  }

  @ParameterizedTest
  // clang-format off
  @CsvSource({
      "maximize, WindowState, String \"maximized\"",
      "minimize, WindowState, String \"minimized\"",
      "restore,  WindowState, String \"normal\"",
      "show,     Visible,     Boolean true"})
  void windowCommandsReachTheApplication(String command, String state, String shown) {
    // clang-format on
    assertEquals(shown + "\n", connectedRun(command, "uvoget " + state));
  }

  @Test
  void aLineBreakInExecuteSeparatesStatementsOutsideQuotesOnly() {
    assertEquals("set 1 a 1\nuvo b \"x\\ny \\\" z\"",
        VardelonConsole.statements("set 1 a 1\\nuvo b \"x\\ny \\\" z\""));
  }

  /** A peer that answers open with 17 and records the instances that other commands use. */
  private static final class RecordingLink extends VardelonLink {
    final List<Integer> instances = new ArrayList<>();

    @Override
    public int open(String text) {
      return text.equals("fails") ? -1 : 17;
    }

    @Override
    public String[] variableNames(int instance) {
      instances.add(instance);
      return null;
    }

    @Override
    public void reload(int instance) {
      instances.add(instance);
    }
  }

  @Test
  void dollarStandsForTheLastOpenedInstance() {
    RecordingLink link = new RecordingLink();
    VardelonConsole recorded = new VardelonConsole(link, out);
    recorded.execute("names $");
    recorded.execute("open model");
    recorded.execute("open fails");
    recorded.execute("names $");
    recorded.execute("reload $");
    assertEquals("no instance opened yet for $; usage: names <instance>\n17\n-1\n(no variables)\n",
        printed());
    assertEquals(List.of(17, 17), link.instances);
  }

  @Test
  void reportsMistakesWithTheUsage() {
    assertEquals("unknown command \"fetch\"; type help for the list\n"
            + "usage: set <instance> <name> <value>\n"
            + "not a number: \"one\"; usage: names <instance>\n"
            + "not a valid int: \"x\"; usage: set <instance> <name> <value>\n"
            + "text must end with a double quote; usage: set <instance> <name> <value>\n"
            + "a number without its value; usage: setvalues <instance> <number> <value>"
            + " [<number> <value>]...\n",
        connectedRun("fetch 1", "set 1 v", "names one", "set 1 v int:x", "set 1 v \"open",
            "setvalues 1 0 1 2"));
  }

  @Test
  void withoutConnectionPrintsNeutralValues() {
    console.execute("disconnect");
    console.execute("status");
    console.execute("version");
    console.execute("open model");
    console.execute("names 1");
    console.execute("get 1 Speed");
    console.execute("uvovalues 0");
    assertEquals("disconnected\nnot connected\n?\n-1\n(no variables)\nnull\nnull\n", printed());
  }

  @Test
  void runsLinesUntilExitAndCountsRefusals() throws IOException {
    console.execute("disconnect");
    assertEquals(VardelonConsole.Outcome.EXIT, console.execute("exit"));
    assertEquals(VardelonConsole.Outcome.DONE, console.execute("  "));
    assertEquals(VardelonConsole.Outcome.REFUSED, console.execute("bogus"));
    printed();
    console.setEcho(true);
    int refused =
        console.run(new BufferedReader(new StringReader("status\nbogus\nexit\nstatus\n")), false);
    assertEquals(1, refused);
    assertEquals("vardelon> status\nnot connected\nvardelon> bogus\n"
            + "unknown command \"bogus\"; type help for the list\nvardelon> exit\n",
        printed());
  }
}
