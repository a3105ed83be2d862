package com.mintova.vardelon;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Paths;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;

/**
 * The neutral value and the diagnostic lines of each method, as a Java program sees them: the
 * library writes to the process's standard error, so each scenario runs DiagnosticProbe in a JVM
 * of its own and compares its transcript, line for line.
 */
class DiagnosticsTest {
  private static final String NOT_CONNECTED = "Not connected to Vardelon\n";

  /** What every method gives without a connection: silence or one line, then the neutral value. */
  // clang-format off
  private static final String EVERY_METHOD_DISCONNECTED = String.join("",
      "isConnected() = false\n",
      "version() = \"?\"\n",
      "execute(\"set 1 Speed 1\")\n",
      "open(\"model\") = -1\n",
      "reload(1)\n",
      "maximize()\n",
      "minimize()\n",
      "restoreSize()\n",
      "show()\n",
      "quit()\n",
      "variableNames(1) = null\n",
      NOT_CONNECTED, "variableValue(1, \"Speed\") = null\n",
      NOT_CONNECTED, "variableValue(1, null) = null\n",
      NOT_CONNECTED, "variableValues(1, [0]) = null\n",
      NOT_CONNECTED, "variableValues(1, null) = null\n",
      NOT_CONNECTED, "setVariableValue(1, \"Speed\", 1.0)\n",
      NOT_CONNECTED, "setVariableValue(1, null, null)\n",
      NOT_CONNECTED, "setVariableValues(1, [0], [1.0])\n",
      NOT_CONNECTED, "setVariableValues(1, null, null)\n",
      NOT_CONNECTED, "setVariableChangeNotification(1, \"Speed\")\n",
      "uvoVariableNames() = null\n",
      NOT_CONNECTED, "uvoVariableValue(\"Time\") = null\n",
      NOT_CONNECTED, "uvoVariableValues([0]) = null\n",
      "disconnect()\n");
  // clang-format on

  private static String transcript(String scenario) throws Exception {
    Process process = new ProcessBuilder(
        Paths.get(System.getProperty("java.home"), "bin", "java").toString(), "-cp",
        System.getProperty("vardelon.test.linkJar") + File.pathSeparator
            + System.getProperty("vardelon.test.testJar"),
        DiagnosticProbe.class.getName(), scenario)
                          .redirectOutput(ProcessBuilder.Redirect.DISCARD)
                          .start();
    byte[] errors = process.getErrorStream().readAllBytes();
    assertTrue(process.waitFor(60, TimeUnit.SECONDS), "the probe JVM did not finish");
    assertEquals(0, process.exitValue(), () -> new String(errors, StandardCharsets.UTF_8));
    return new String(errors, StandardCharsets.UTF_8);
  }

  @Test
  void withoutConnectionEveryMethodGivesItsNeutralValue() throws Exception {
    assertEquals(EVERY_METHOD_DISCONNECTED, transcript("disconnected"));
  }

  @Test
  void afterQuitEveryMethodIsDisconnectedUntilTheNextConnect() throws Exception {
    assertEquals("connect() = true\nquit()\n" + EVERY_METHOD_DISCONNECTED
            + "connect() = true\nvariableValue(1, \"Speed\") = 12.5\n",
        transcript("afterQuit"));
  }

  @Test
  void failuresWhileConnectedWriteTheirLines() throws Exception {
    // clang-format off
    assertEquals(String.join("",
        "connect() = true\n",
        "version() = \"Vardelon Simulator 1.0\"\n",
        "Invoke error 0x80020006\nUnknown OLE variant type (0)\n",
        "variableValue(1, \"NoSuchVariable\") = null\n",
        "Invoke error 0x80020006\nUnknown OLE variant type (0)\n",
        "uvoVariableValue(\"NoSuchVariable\") = null\n",
        "Unknown OLE variant type (0)\n",
        "variableValues(1, [0, 99]) = [12.5, null]\n",
        "variableNames(4711) = null\n",
        "Invoke error 0x80070057\n",
        "reload(4711)\n",
        "Unrecognized Java object class\n",
        "setVariableValue(70, \"long\", 5L)\n",
        "Unknown OLE variant type (0)\n",
        "variableValue(70, \"long\") = null\n",
        "Row 1 of a Java matrix has 3 elements, more than the 2 of row 0\n",
        "setVariableValue(70, \"ragged\", [[1, 2], [3, 4, 5]])\n",
        "setVariableValue(70, \"none\", null)\n",
        "variableValue(70, \"none\") = null\n",
        "Invoke error 0x80070057\n",
        "setVariableValues(70, [0, 1], [1])\n",
        "Unrecognized Java object class\n",
        "setVariableValues(70, [0], [Object])\n",
        "variableValue(1, null) = null\n",
        "open(null) = -1\n",
        "execute(null)\n",
        "variableValues(1, null) = null\n",
        "uvoVariableValues(null) = null\n"),
        transcript("connected"));
    // clang-format on
  }
}
