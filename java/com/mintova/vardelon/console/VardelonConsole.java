package com.mintova.vardelon.console;

import com.mintova.vardelon.VardelonLink;
import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * A command line for the Vardelon application, built on {@link VardelonLink}: one command per
 * program argument, or one per line from standard input when there is none. Type "help" for the
 * list. Results go to standard output; the library's own diagnostics appear on standard error.
 *
 * <pre>
 *   java -jar vardelon-link.jar connect version "open model.txt" "get $"
 *   java -jar vardelon-link.jar --echo connect "names 1"     (prints each command before it runs)
 * </pre>
 *
 * <p>An instance argument may be "$": the instance that the last "open" returned.
 */
public final class VardelonConsole {
  /** The first program argument that makes the console print each command before it runs it. */
  public static final String ECHO_OPTION = "--echo";

  private static final String PROMPT = "vardelon> ";
  private static final String LAST_OPENED = "$";
  private static final int NO_INSTANCE = -1;

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
  private boolean echo;
  private Integer lastOpened;

  /**
   * Makes a console that drives {@code link} and prints to {@code out}.
   *
   * @param link the peer that every command calls
   * @param out where results, usage messages and echoed commands go
   */
  public VardelonConsole(VardelonLink link, PrintStream out) {
    this.link = link;
    this.out = out;
    defineCommands();
  }

  /**
   * Runs the console: each argument as one command, stopping at the first refused one, or with
   * no argument (after the {@value #ECHO_OPTION} option, if any) every line of standard input.
   * Exits with status 2 when a command was refused, other than at an interactive prompt.
   *
   * @param args the commands, optionally after {@value #ECHO_OPTION}
   * @throws IOException when standard input cannot be read
   */
  public static void main(String[] args) throws IOException {
    VardelonConsole console = new VardelonConsole(new VardelonLink(), System.out);
    List<String> lines = new ArrayList<String>(Arrays.asList(args));
    if (!lines.isEmpty() && lines.get(0).equals(ECHO_OPTION)) {
      console.setEcho(true);
      lines.remove(0);
    }
    boolean interactive = lines.isEmpty() && System.console() != null;
    int refused = 0;
    if (lines.isEmpty()) {
      refused =
          console.run(new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8)),
              interactive);
    } else {
      Outcome outcome = Outcome.DONE;
      for (int i = 0; i < lines.size() && outcome == Outcome.DONE; i++) {
        outcome = console.execute(lines.get(i));
      }
      refused = outcome == Outcome.REFUSED ? 1 : 0;
    }
    System.out.flush();
    if (refused > 0 && !interactive) {
      System.exit(2);
    }
  }

  /** What became of one command line. */
  public enum Outcome {
    /** The command ran (or the line was blank). */
    DONE,
    /** The command was unknown or its arguments wrong; its usage was printed. */
    REFUSED,
    /** The line was "exit". */
    EXIT
  }

  /**
   * Prints each command, after the prompt, before running it, so that a transcript shows what
   * produced each result.
   *
   * @param echo whether to print the commands
   */
  public void setEcho(boolean echo) { this.echo = echo; }

  /**
   * Runs every line until "exit" or the end of the input.
   *
   * @param in the lines to run
   * @param prompt whether to print a prompt before reading each line
   * @return the number of refused commands
   * @throws IOException when {@code in} cannot be read
   */
  public int run(BufferedReader in, boolean prompt) throws IOException {
    int refused = 0;
    while (true) {
      if (prompt) {
        out.print(PROMPT);
        out.flush();
      }
      String line = in.readLine();
      if (line == null) {
        return refused;
      }
      Outcome outcome = execute(line);
      if (outcome == Outcome.EXIT) {
        return refused;
      }
      refused += outcome == Outcome.REFUSED ? 1 : 0;
    }
  }

  /**
   * Runs one command line.
   *
   * @param text the command and its arguments
   * @return whether it ran, was refused, or was "exit"
   */
  public Outcome execute(String text) {
    CommandLine line = new CommandLine(text);
    if (line.isBlank()) {
      return Outcome.DONE;
    }
    if (echo) {
      out.println(PROMPT + text.trim());
    }
    if (line.name().equals("exit")) {
      return Outcome.EXIT;
    }
    Command command = commands.get(line.name());
    if (command == null) {
      out.println("unknown command \"" + line.name() + "\"; type help for the list");
      return Outcome.REFUSED;
    }
    try {
      command.action.run(line);
      return Outcome.DONE;
    } catch (IllegalArgumentException e) {
      out.println(
          (e.getMessage() == null ? "" : e.getMessage() + "; ") + "usage: " + command.usage);
      return Outcome.REFUSED;
    }
  }

  private void define(String usage, Action action) {
    commands.put(usage.split(" ", 2)[0], new Command(usage, action));
  }

  private void defineCommands() {
    define("help", line -> printHelp());
    define("connect", line -> connect());
    define("disconnect", line -> {
      link.disconnect();
      out.println("disconnected");
    });
    define("status", line -> out.println(link.isConnected() ? "connected" : "not connected"));
    define("version", line -> out.println(link.version()));
    define("open <text>", line -> open(line.rest(1)));
    define("reload <instance>", line -> link.reload(instance(line, 1)));
    define("execute <text>", line -> link.execute(statements(line.rest(1))));
    define("names <instance>", line -> printNames(link.variableNames(instance(line, 1))));
    define("get <instance> [<name>]", line -> get(instance(line, 1), line));
    define("values <instance> <number>...",
        line -> printValues(link.variableValues(instance(line, 1), line.integers(2))));
    define("set <instance> <name> <value>", line -> set(line));
    define("setvalues <instance> <number> <value> [<number> <value>]...",
        line -> setValues(instance(line, 1), line.rest(2)));
    define("notify <instance> <name>",
        line -> link.setVariableChangeNotification(instance(line, 1), line.word(2)));
    define("uvonames", line -> printNames(link.uvoVariableNames()));
    define("uvoget [<name>]", line -> uvoGet(line));
    define("uvovalues <number>...", line -> printValues(link.uvoVariableValues(line.integers(1))));
    define("show", line -> link.show());
    define("maximize", line -> link.maximize());
    define("minimize", line -> link.minimize());
    define("restore", line -> link.restoreSize());
    define("quit", line -> {
      link.quit();
      out.println("disconnected");
    });
  }

  private void printHelp() {
    for (Command command : commands.values()) {
      out.println("  " + command.usage);
    }
    out.println("  exit");
    out.println("An <instance> may be $: the instance the last open returned.");
    out.println("Values: 42, 2.5, true, \"text\" (escapes \\\" \\\\ \\n \\t \\0 \\uXXXX), null,"
        + " [1, 2], [[1, 2], [3, 4]];");
    out.println("  with a type: byte:-7, short:7, int:7, float:0.5, double:7, boolean:true,"
        + " int:[[1, 2], [3, 4]].");
    out.println("In execute, \\n outside double quotes separates statements.");
  }

  private void connect() {
    out.println(link.connect()
            ? "connected"
            : "not connected: no server registered as Vardelon.Application could be started");
  }

  private void set(CommandLine line) {
    link.setVariableValue(instance(line, 1), line.word(2), ValueParser.parse(line.rest(3)));
  }

  /** Opens the text and prints the instance number the application answered; $ now means it. */
  private void open(String text) {
    int opened = link.open(text);
    if (opened != NO_INSTANCE) {
      lastOpened = opened;
    }
    out.println(opened);
  }

  /** An instance argument: a number, or $ for the last opened instance. */
  private int instance(CommandLine line, int index) {
    if (!line.word(index).equals(LAST_OPENED)) {
      return line.integer(index);
    }
    if (lastOpened == null) {
      throw new IllegalArgumentException("no instance opened yet for $");
    }
    return lastOpened;
  }

  /** The text with each \n outside double quotes made a line break. */
  static String statements(String text) {
    StringBuilder result = new StringBuilder();
    boolean quoted = false;
    for (int at = 0; at < text.length(); at++) {
      char c = text.charAt(at);
      if (c != '\\' || at + 1 == text.length()) {
        quoted ^= c == '"';
        result.append(c);
        continue;
      }
      char next = text.charAt(++at);
      if (!quoted && next == 'n') {
        result.append('\n');
      } else {
        // Inside quotes an escape belongs to the text, which the application reads.
        result.append(c).append(next);
      }
    }
    return result.toString();
  }

  private void get(int instance, CommandLine line) {
    if (line.size() > 2) {
      out.println(ValueFormatter.format(link.variableValue(instance, line.word(2))));
      return;
    }
    String[] names = link.variableNames(instance);
    if (names == null) {
      out.println("(no variables)");
      return;
    }
    for (String name : names) {
      out.println(name + " = " + ValueFormatter.format(link.variableValue(instance, name)));
    }
  }

  private void uvoGet(CommandLine line) {
    if (line.size() > 1) {
      out.println(ValueFormatter.format(link.uvoVariableValue(line.word(1))));
      return;
    }
    String[] names = link.uvoVariableNames();
    if (names == null) {
      out.println("(no variables)");
      return;
    }
    for (String name : names) {
      out.println(name + " = " + ValueFormatter.format(link.uvoVariableValue(name)));
    }
  }

  /** Pairs of a number and a value, sent in one call. */
  private void setValues(int instance, String pairs) {
    List<String> texts = ValueParser.split(pairs);
    if (texts.size() % 2 != 0) {
      throw new IllegalArgumentException("a number without its value");
    }
    int[] numbers = new int[texts.size() / 2];
    Object[] values = new Object[numbers.length];
    for (int i = 0; i < numbers.length; i++) {
      numbers[i] = number(texts.get(2 * i));
      values[i] = ValueParser.parse(texts.get(2 * i + 1));
    }
    link.setVariableValues(instance, numbers, values);
  }

  private static int number(String text) {
    try {
      return Integer.parseInt(text);
    } catch (NumberFormatException e) {
      throw new IllegalArgumentException("not a number: \"" + text + "\"");
    }
  }

  private void printNames(String[] names) {
    if (names == null) {
      out.println("(no variables)");
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
}
