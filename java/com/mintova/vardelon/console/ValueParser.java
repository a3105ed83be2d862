package com.mintova.vardelon.console;

import java.lang.reflect.Array;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;

/**
 * Reads the console's value syntax into the Java objects that {@code setVariableValue} accepts.
 *
 * <pre>
 *   42          Integer        2.5         Double         true, false   Boolean
 *   "some text" String, with the escapes \" \\ \n \r \t \0 and \\uXXXX
 *   [1, 2, 3]   double[]       [[1, 2], [3, 4]]   double[][] (one inner array per row)
 *   byte:5  short:5  int:5  float:5  double:5  boolean:true   a scalar of that type
 *   int:[[1, 2], [3, 4]]   float:[1, 2]   ...                a matrix of that type
 *   null        no value
 * </pre>
 */
final class ValueParser {
  private static final Map<String, Class<?>> TYPES = new HashMap<String, Class<?>>();

  static {
    TYPES.put("byte", byte.class);
    TYPES.put("short", short.class);
    TYPES.put("int", int.class);
    TYPES.put("float", float.class);
    TYPES.put("double", double.class);
    TYPES.put("boolean", boolean.class);
  }

  private ValueParser() {}

  /** The value the text denotes; IllegalArgumentException says what is wrong with it. */
  static Object parse(String text) {
    List<String> values = split(text);
    if (values.size() != 1) {
      throw new IllegalArgumentException(
          values.isEmpty() ? "a value is missing" : "one value expected, not " + values.size());
    }
    return parseOne(values.get(0));
  }

  /**
   * Splits a text into the texts of its values: each is a quoted text, a bracketed matrix, or a
   * word, any of them after a type prefix; blanks separate them.
   */
  static List<String> split(String text) {
    List<String> values = new ArrayList<String>();
    int at = 0;
    while (true) {
      while (at < text.length() && Character.isWhitespace(text.charAt(at))) {
        at++;
      }
      if (at == text.length()) {
        return values;
      }
      int end = endOfValue(text, at);
      values.add(text.substring(at, end));
      at = end;
    }
  }

  private static int endOfValue(String text, int start) {
    int at = start;
    int depth = 0;
    boolean quoted = false;
    for (; at < text.length(); at++) {
      char c = text.charAt(at);
      if (quoted) {
        if (c == '\\') {
          at++;
        } else if (c == '"') {
          quoted = false;
          if (depth == 0) {
            return at + 1;
          }
        }
      } else if (c == '"') {
        quoted = true;
      } else if (c == '[') {
        depth++;
      } else if (c == ']' && depth > 0 && --depth == 0) {
        return at + 1;
      } else if (depth == 0 && Character.isWhitespace(c)) {
        return at;
      }
    }
    if (quoted) {
      throw new IllegalArgumentException("text must end with a double quote");
    }
    if (depth > 0) {
      throw new IllegalArgumentException("a matrix must end with ]");
    }
    return at;
  }

  private static Object parseOne(String text) {
    if (text.startsWith("\"")) {
      return unquote(text);
    }
    if (text.equals("null")) {
      return null;
    }
    Class<?> type = null;
    String value = text;
    int colon = value.indexOf(':');
    if (colon > 0 && TYPES.containsKey(value.substring(0, colon))) {
      type = TYPES.get(value.substring(0, colon));
      value = value.substring(colon + 1).trim();
    }
    if (value.startsWith("[")) {
      return matrix(value, type == null ? double.class : type);
    }
    return type == null ? inferredScalar(value) : scalar(value, type);
  }

  /** The text of a quoted value, escapes resolved. */
  private static String unquote(String quoted) {
    if (quoted.length() < 2 || !quoted.endsWith("\"")) {
      throw new IllegalArgumentException("text must end with a double quote");
    }
    StringBuilder text = new StringBuilder();
    for (int at = 1; at < quoted.length() - 1; at++) {
      char c = quoted.charAt(at);
      if (c != '\\') {
        text.append(c);
        continue;
      }
      if (++at == quoted.length() - 1) {
        throw new IllegalArgumentException("text must end with a double quote");
      }
      char escaped = quoted.charAt(at);
      switch (escaped) {
        case '"':
        case '\\':
          text.append(escaped);
          break;
        case 'n':
          text.append('\n');
          break;
        case 'r':
          text.append('\r');
          break;
        case 't':
          text.append('\t');
          break;
        case '0':
          text.append('\0');
          break;
        case 'u':
          text.append(unicodeEscape(quoted, at + 1));
          at += 4;
          break;
        default:
          throw new IllegalArgumentException("unknown escape \\" + escaped);
      }
    }
    return text.toString();
  }

  private static char unicodeEscape(String quoted, int start) {
    String digits = quoted.substring(start, Math.min(start + 4, quoted.length() - 1));
    if (!digits.matches("[0-9a-fA-F]{4}")) {
      throw new IllegalArgumentException("\\u needs four hexadecimal digits");
    }
    return (char) Integer.parseInt(digits, 16);
  }

  private static Object inferredScalar(String token) {
    if (token.equals("true") || token.equals("false")) {
      return Boolean.valueOf(token);
    }
    try {
      return Integer.valueOf(token);
    } catch (NumberFormatException notAnInteger) {
      return scalar(token, double.class);
    }
  }

  private static Object scalar(String token, Class<?> type) {
    try {
      if (type == byte.class) {
        return Byte.valueOf(token);
      } else if (type == short.class) {
        return Short.valueOf(token);
      } else if (type == int.class) {
        return Integer.valueOf(token);
      } else if (type == float.class) {
        return Float.valueOf(token);
      } else if (type == double.class) {
        return Double.valueOf(token);
      } else if (token.equals("true") || token.equals("false")) {
        return Boolean.valueOf(token);
      }
    } catch (NumberFormatException e) {
      // reported below
    }
    throw new IllegalArgumentException("not a valid " + type.getName() + ": \"" + token + "\"");
  }

  /** [x, ...] gives a one-dimensional array, [[x, ...], ...] an array of rows. */
  private static Object matrix(String text, Class<?> type) {
    if (!text.endsWith("]")) {
      throw new IllegalArgumentException("a matrix must end with ]");
    }
    String inner = text.substring(1, text.length() - 1).trim();
    if (!inner.startsWith("[")) {
      return row(inner, type);
    }
    if (!inner.endsWith("]")) {
      throw new IllegalArgumentException("each row of a matrix must be in brackets");
    }
    String[] rowTexts = inner.substring(1, inner.length() - 1).split("\\]\\s*,\\s*\\[", -1);
    Object rows = Array.newInstance(Array.newInstance(type, 0).getClass(), rowTexts.length);
    for (int i = 0; i < rowTexts.length; i++) {
      Array.set(rows, i, row(rowTexts[i], type));
    }
    return rows;
  }

  private static Object row(String text, Class<?> type) {
    List<String> tokens = new ArrayList<String>();
    if (!text.trim().isEmpty()) {
      for (String token : text.split(",", -1)) {
        tokens.add(token.trim());
      }
    }
    Object row = Array.newInstance(type, tokens.size());
    for (int i = 0; i < tokens.size(); i++) {
      String token = tokens.get(i);
      if (token.contains("[") || token.contains("]")) {
        throw new IllegalArgumentException("unexpected bracket in \"" + text + "\"");
      }
      Array.set(row, i, scalar(token, type));
    }
    return row;
  }
}
