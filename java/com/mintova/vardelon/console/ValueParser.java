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
 *   "some text" String: everything between the first and the last double quote
 *   [1, 2, 3]   double[]       [[1, 2], [3, 4]]   double[][] (one inner array per row)
 *   byte:5  short:5  int:5  float:5  double:5  boolean:true   a scalar of that type
 *   int:[[1, 2], [3, 4]]   float:[1, 2]   ...                a matrix of that type
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
    String value = text.trim();
    if (value.startsWith("\"")) {
      int closing = value.lastIndexOf('"');
      if (closing != value.length() - 1 || closing == 0) {
        throw new IllegalArgumentException("text must end with a double quote");
      }
      return value.substring(1, closing);
    }
    Class<?> type = null;
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
    String inner = text.substring(1).trim();
    if (!text.endsWith("]")) {
      throw new IllegalArgumentException("a matrix must end with ]");
    }
    inner = inner.substring(0, inner.length() - 1).trim();
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
