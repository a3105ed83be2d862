package com.mintova.vardelon;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.function.Supplier;

/**
 * Calls the peer class in a fresh JVM, which DiagnosticsTest starts, and writes a transcript to
 * standard error: each call's diagnostic lines, as the library writes them to the same stream,
 * followed by the call and what it returned ("version() = \"?\""). The argument names the
 * scenario: "disconnected", "afterQuit" or "connected".
 */
public final class DiagnosticProbe {
  private static final Object NOTHING = new Object();
  private static final VardelonLink LINK = new VardelonLink();

  private DiagnosticProbe() {}

  private static final class Call {
    final String label;
    final Supplier<Object> call;

    Call(String label, Supplier<Object> call) {
      this.label = label;
      this.call = call;
    }
  }

  private static Call call(String label, Supplier<Object> call) { return new Call(label, call); }

  private static Call command(String label, Runnable command) {
    return new Call(label, () -> {
      command.run();
      return NOTHING;
    });
  }

  /** Every method but connect, with arguments that would succeed if connected. */
  static List<Call> everyMethod() {
    // clang-format off
    return Arrays.asList(
        call("isConnected()", LINK::isConnected),
        call("version()", LINK::version),
        command("execute(\"set 1 Speed 1\")", () -> LINK.execute("set 1 Speed 1")),
        call("open(\"model\")", () -> LINK.open("model")),
        command("reload(1)", () -> LINK.reload(1)),
        command("maximize()", LINK::maximize),
        command("minimize()", LINK::minimize),
        command("restoreSize()", LINK::restoreSize),
        command("show()", LINK::show),
        command("quit()", LINK::quit),
        call("variableNames(1)", () -> LINK.variableNames(1)),
        call("variableValue(1, \"Speed\")", () -> LINK.variableValue(1, "Speed")),
        call("variableValue(1, null)", () -> LINK.variableValue(1, null)),
        call("variableValues(1, [0])", () -> LINK.variableValues(1, new int[] {0})),
        call("variableValues(1, null)", () -> LINK.variableValues(1, null)),
        command("setVariableValue(1, \"Speed\", 1.0)", () -> LINK.setVariableValue(1, "Speed", 1.0)),
        command("setVariableValue(1, null, null)", () -> LINK.setVariableValue(1, null, null)),
        command("setVariableValues(1, [0], [1.0])",
            () -> LINK.setVariableValues(1, new int[] {0}, new Object[] {1.0})),
        command("setVariableValues(1, null, null)", () -> LINK.setVariableValues(1, null, null)),
        command("setVariableChangeNotification(1, \"Speed\")",
            () -> LINK.setVariableChangeNotification(1, "Speed")),
        call("uvoVariableNames()", LINK::uvoVariableNames),
        call("uvoVariableValue(\"Time\")", () -> LINK.uvoVariableValue("Time")),
        call("uvoVariableValues([0])", () -> LINK.uvoVariableValues(new int[] {0})),
        command("disconnect()", LINK::disconnect));
    // clang-format on
  }

  /** Calls that fail while connected, or whose arguments the library cannot use. */
  static List<Call> failuresWhileConnected() {
    // clang-format off
    return Arrays.asList(
        call("version()", LINK::version),
        call("variableValue(1, \"NoSuchVariable\")", () -> LINK.variableValue(1, "NoSuchVariable")),
        call("uvoVariableValue(\"NoSuchVariable\")", () -> LINK.uvoVariableValue("NoSuchVariable")),
        call("variableValues(1, [0, 99])", () -> LINK.variableValues(1, new int[] {0, 99})),
        call("variableNames(4711)", () -> LINK.variableNames(4711)),
        command("reload(4711)", () -> LINK.reload(4711)),
        command("setVariableValue(70, \"long\", 5L)", () -> LINK.setVariableValue(70, "long", 5L)),
        call("variableValue(70, \"long\")", () -> LINK.variableValue(70, "long")),
        command("setVariableValue(70, \"ragged\", [[1, 2], [3, 4, 5]])",
            () -> LINK.setVariableValue(70, "ragged", new int[][] {{1, 2}, {3, 4, 5}})),
        command("setVariableValue(70, \"none\", null)", () -> LINK.setVariableValue(70, "none", null)),
        call("variableValue(70, \"none\")", () -> LINK.variableValue(70, "none")),
        command("setVariableValues(70, [0, 1], [1])",
            () -> LINK.setVariableValues(70, new int[] {0, 1}, new Object[] {1})),
        command("setVariableValues(70, [0], [Object])",
            () -> LINK.setVariableValues(70, new int[] {0}, new Object[] {new Object()})),
        call("variableValue(1, null)", () -> LINK.variableValue(1, null)),
        call("open(null)", () -> LINK.open(null)),
        command("execute(null)", () -> LINK.execute(null)),
        call("variableValues(1, null)", () -> LINK.variableValues(1, null)),
        call("uvoVariableValues(null)", () -> LINK.uvoVariableValues(null)));
    // clang-format on
  }

  static String show(Object value) {
    if (value instanceof String) {
      return "\"" + value + "\"";
    }
    if (value instanceof Object[]) {
      return Arrays.deepToString((Object[]) value);
    }
    return String.valueOf(value);
  }

  private static void run(List<Call> calls) {
    for (Call call : calls) {
      Object result = call.call.get();
      System.err.println(call.label + (result == NOTHING ? "" : " = " + show(result)));
    }
  }

  public static void main(String[] args) {
    List<Call> calls = new ArrayList<>();
    switch (args[0]) {
      case "disconnected":
        calls.addAll(everyMethod());
        break;
      case "afterQuit":
        calls.add(call("connect()", LINK::connect));
        calls.add(command("quit()", LINK::quit));
        calls.addAll(everyMethod());
        calls.add(call("connect()", LINK::connect));
        calls.add(call("variableValue(1, \"Speed\")", () -> LINK.variableValue(1, "Speed")));
        break;
      default:
        calls.add(call("connect()", LINK::connect));
        calls.addAll(failuresWhileConnected());
    }
    run(calls);
  }
}
