package com.mintova.vardelon.console;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.params.provider.Arguments.arguments;

import com.mintova.vardelon.VardelonLink;
import java.io.BufferedReader;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.io.StringReader;
import java.nio.charset.StandardCharsets;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** The console against the simulator: what each command prints. */
class VardelonConsoleTest {
  private final ByteArrayOutputStream output = new ByteArrayOutputStream();
  private final VardelonConsole console =
      new VardelonConsole(new VardelonLink(), new PrintStream(output, true));

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
            + "double[2][3] [[1.0, 2.0, 3.0], [4.0, 5.0, 6.0]]\n"
            + "[0] Double 12.5\n[1] null\n[2] String \"Vardelon demo\"\n",
        connectedRun("version", "names 1", "get 1 Grid", "values 1 0 99 2"));
  }

  @Test
  void readsEngineLevelVariables() {
    assertEquals("String \"euler\"\n[0] Double 0.01\n", connectedRun("uvo Solver", "uvovalues 1"));
    assertTrue(connectedRun("uvo").startsWith("Time\nStepSize\nSolver\n"));
  }

  static Stream<Arguments> values() {
    return Stream.of(
        arguments("42", "Integer 42"),
        arguments("-2.5", "Double -2.5"),
        arguments("false", "Boolean false"),
        arguments("\"two  words\"", "String \"two  words\""),
        arguments("\"\"", "String \"\""),
        arguments("byte:-1", "Byte -1"),
        arguments("short:7", "Short 7"),
        arguments("int:7", "Integer 7"),
        arguments("float:0.5", "Float 0.5"),
        arguments("double:3", "Double 3.0"),
        arguments("boolean:true", "Boolean true"),
        arguments("[1, 2]", "double[1][2] [[1.0, 2.0]]"),
        arguments("[[1, 2], [3, 4]]", "double[2][2] [[1.0, 2.0], [3.0, 4.0]]"),
        arguments("int:[[1], [2]]", "int[2][1] [[1], [2]]"),
        arguments("boolean:[[true, false]]", "boolean[1][2] [[true, false]]"),
        arguments("byte:[-1, 1]", "byte[1][2] [[-1, 1]]"),
        arguments("[]", "double[0][0] []"));
  }

  @ParameterizedTest
  @MethodSource("values")
  void setsEveryKindOfValue(String value, String shown) {
    assertEquals(shown + "\n", connectedRun("set 60 v " + value, "get 60 v"));
  }

  @Test
  void runsScriptsAndWindowCommands() {
    assertEquals("a\nb\nString \"maximized\"\n",
        connectedRun("execute set 61 a 1\\nset 61 b 2", "names 61", "maximize", "uvo WindowState"));
  }

  @Test
  void reportsMistakesWithTheUsage() {
    assertEquals("unknown command \"fetch\"; type help for the list\n"
            + "usage: get <instance> <name>\n"
            + "not a number: \"one\"; usage: names <instance>\n"
            + "not a valid int: \"x\"; usage: set <instance> <name> <value>\n"
            + "text must end with a double quote; usage: set <instance> <name> <value>\n",
        connectedRun("fetch 1", "get 1", "names one", "set 1 v int:x", "set 1 v \"open"));
  }

  @Test
  void withoutConnectionPrintsNeutralValues() {
    console.execute("disconnect");
    console.execute("status");
    console.execute("version");
    console.execute("names 1");
    console.execute("get 1 Speed");
    assertEquals("disconnected\nnot connected\n?\n(no names)\nnull\n", printed());
  }

  @Test
  void stopsAtExit() throws IOException {
    assertFalse(console.execute("exit"));
    assertTrue(console.execute("  "));
    console.run(new BufferedReader(new StringReader("status\nexit\nstatus\n")), false);
    assertEquals(1, printed().split("\n").length);
  }
}
