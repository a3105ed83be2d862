package com.mintova.vardelon.console;

import com.mintova.vardelon.VardelonLink;
import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.util.LinkedHashMap;
import java.util.Map;

/**
 * A command line for the Vardelon application, built on {@link VardelonLink}: one command per
 * line from standard input, or one per program argument. Type "help" for the list. Results go
 * to standard output; the library's own diagnostics appear on standard error.
 *
 * <pre>
 *   java -jar vardelon-link.jar connect version "names 1" "get 1 Speed"
 * </pre>
 */
public final class VardelonConsole {
  private interface Action {
    void run(CommandLine line);
  }

  private static final class Command {
    final String usage;
    final Action action;

    Command(String usage, Action action) {
      this.usage = usage;
      this.action = action;
    }
  }

  private final VardelonLink link;
  private final PrintStream out;
  private final Map<String, Command> commands = new LinkedHashMap<String, Command>();

  public VardelonConsole(VardelonLink link, PrintStream out) {
    this.link = link;
    this.out = out;
    defineCommands();
  }

  public static void main(String[] args) throws IOException {
    VardelonConsole console = new VardelonConsole(new VardelonLink(), System.out);
    if (args.length > 0) {
      for (String line : args) {
        if (!console.execute(line)) {
          break;
        }
      }
    } else {
      console.run(new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8)),
          System.console() != null);
    }
  }

  /** Runs every line until "exit" or the end of the input. */
  public void run(BufferedReader in, boolean prompt) throws IOException {
    while (true) {
      if (prompt) {
        out.print("vardelon> ");
        out.flush();
      }
      String line = in.readLine();
      if (line == null || !execute(line)) {
        return;
      }
    }
  }

  /** Runs one command line; false when it was "exit". */
  public boolean execute(String text) {
    CommandLine line = new CommandLine(text);
    if (line.isBlank()) {
      return true;
    }
    if (line.name().equals("exit")) {
      return false;
    }
    Command command = commands.get(line.name());
    if (command == null) {
      out.println("unknown command \"" + line.name() + "\"; type help for the list");
      return true;
    }
    try {
      command.action.run(line);
    } catch (IllegalArgumentException e) {
      out.println((e.getMessage() == null ? "" : e.getMessage() + "; ") + "usage: " + command.usage);
    }
    return true;
  }

  private void define(String usage, Action action) {
    commands.put(usage.split(" ", 2)[0], new Command(usage, action));
  }

  private void defineCommands() {
    define("help", line -> {
      for (Command command : commands.values()) {
        out.println("  " + command.usage);
      }
      out.println("  exit");
    });
    define("connect", line -> out.println(link.connect()
        ? "connected"
        : "not connected: no server registered as Vardelon.Application could be started"));
    define("disconnect", line -> {
      link.disconnect();
      out.println("disconnected");
    });
    define("status", line -> out.println(link.isConnected() ? "connected" : "not connected"));
    define("version", line -> out.println(link.version()));
    define("execute <text, \\n for a new line>",
        line -> link.execute(line.rest(1).replace("\\n", "\n")));
    define("open <text>", line -> out.println(link.open(line.rest(1))));
    define("reload <number>", line -> link.reload(line.integer(1)));
    define("show", line -> link.show());
    define("maximize", line -> link.maximize());
    define("minimize", line -> link.minimize());
    define("restore", line -> link.restoreSize());
    define("quit", line -> {
      link.quit();
      out.println("disconnected");
    });
    define("names <instance>", line -> printNames(link.variableNames(line.integer(1))));
    define("get <instance> <name>",
        line -> out.println(ValueFormatter.format(link.variableValue(line.integer(1), line.word(2)))));
    define("values <instance> <number>...",
        line -> printValues(link.variableValues(line.integer(1), line.integers(2))));
    define("set <instance> <name> <value>", line -> link.setVariableValue(
        line.integer(1), line.word(2), ValueParser.parse(line.rest(3))));
    define("notify <instance> <name>",
        line -> link.setVariableChangeNotification(line.integer(1), line.word(2)));
    define("uvo [<name>]", line -> {
      if (line.size() == 1) {
        printNames(link.uvoVariableNames());
      } else {
        out.println(ValueFormatter.format(link.uvoVariableValue(line.word(1))));
      }
    });
    define("uvovalues <number>...", line -> printValues(link.uvoVariableValues(line.integers(1))));
  }

  private void printNames(String[] names) {
    if (names == null) {
      out.println("(no names)");
      return;
    }
    for (String name : names) {
      out.println(name);
    }
  }

  private void printValues(Object[] values) {
    if (values == null) {
      out.println("null");
      return;
    }
    for (int i = 0; i < values.length; i++) {
      out.println("[" + i + "] " + ValueFormatter.format(values[i]));
    }
  }

  /** A command line split at blanks; the rest of the line stays available as typed. */
  private static final class CommandLine {
    private final String text;
    private final String[] words;

    CommandLine(String text) {
      this.text = text.trim();
      this.words = this.text.isEmpty() ? new String[0] : this.text.split("\\s+");
    }

    boolean isBlank() {
      return words.length == 0;
    }

    String name() {
      return words[0];
    }

    int size() {
      return words.length;
    }

    String word(int index) {
      if (index >= words.length) {
        throw new IllegalArgumentException((String) null);
      }
      return words[index];
    }

    int integer(int index) {
      try {
        return Integer.parseInt(word(index));
      } catch (NumberFormatException e) {
        throw new IllegalArgumentException("not a number: \"" + words[index] + "\"");
      }
    }

    int[] integers(int from) {
      int[] numbers = new int[Math.max(0, words.length - from)];
      for (int i = 0; i < numbers.length; i++) {
        numbers[i] = integer(from + i);
      }
      return numbers;
    }

    /** The text after the first `index` words, as typed. */
    String rest(int index) {
      word(index);
      String rest = text;
      for (int i = 0; i < index; i++) {
        rest = rest.substring(words[i].length()).trim();
      }
      return rest;
    }
  }
}
