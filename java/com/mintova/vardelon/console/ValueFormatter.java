package com.mintova.vardelon.console;

import java.lang.reflect.Array;
import java.util.ArrayList;
import java.util.List;

/**
 * Shows a value that VardelonLink returned, with its Java type: "Double 12.5", "String
 * \"a\\tb\"", and a matrix as its type and size followed by one line per row, columns
 * right-aligned:
 *
 * <pre>
 * double[2][3]
 *   1.0  20.5  3.0
 *   4.0   5.0  6.0
 * </pre>
 *
 * Text is quoted with the escapes that {@link ValueParser} reads, so that what is shown can be
 * typed back.
 */
final class ValueFormatter {
  private static final String ROW_INDENT = "  ";
  private static final String COLUMN_GAP = "  ";

  private ValueFormatter() {}

  static String format(Object value) {
    if (value == null) {
      return "null";
    }
    if (value instanceof String) {
      return "String " + quote((String) value);
    }
    if (!value.getClass().isArray()) {
      return value.getClass().getSimpleName() + " " + value;
    }
    List<List<String>> rows = cells(value);
    StringBuilder text = new StringBuilder(arrayType(value));
    for (String row : alignedRows(rows)) {
      text.append('\n').append(ROW_INDENT).append(row);
    }
    return text.toString();
  }

  /** The text between double quotes, with \" \\ \n \r \t \0 and \\uXXXX for other controls. */
  static String quote(String text) {
    StringBuilder quoted = new StringBuilder("\"");
    for (char c : text.toCharArray()) {
      switch (c) {
        case '"':
          quoted.append("\\\"");
          break;
        case '\\':
          quoted.append("\\\\");
          break;
        case '\n':
          quoted.append("\\n");
          break;
        case '\r':
          quoted.append("\\r");
          break;
        case '\t':
          quoted.append("\\t");
          break;
        case '\0':
          quoted.append("\\0");
          break;
        default:
          if (Character.isISOControl(c)) {
            quoted.append(String.format("\\u%04x", (int) c));
          } else {
            quoted.append(c);
          }
      }
    }
    return quoted.append('"').toString();
  }

  /** "double[2][3]" for an array of rows, "int[4]" for one array. */
  private static String arrayType(Object array) {
    Class<?> component = array.getClass().getComponentType();
    int length = Array.getLength(array);
    if (!component.isArray()) {
      return component.getName() + "[" + length + "]";
    }
    Object first = length == 0 ? null : Array.get(array, 0);
    int columns = first == null ? 0 : Array.getLength(first);
    return component.getComponentType().getName() + "[" + length + "][" + columns + "]";
  }

  /** The cells of each row; a one-dimensional array is one row. */
  private static List<List<String>> cells(Object array) {
    List<List<String>> rows = new ArrayList<List<String>>();
    if (!array.getClass().getComponentType().isArray()) {
      rows.add(row(array));
      return rows;
    }
    for (int i = 0; i < Array.getLength(array); i++) {
      Object row = Array.get(array, i);
      rows.add(row == null ? new ArrayList<String>() : row(row));
    }
    return rows;
  }

  private static List<String> row(Object array) {
    List<String> row = new ArrayList<String>();
    for (int j = 0; j < Array.getLength(array); j++) {
      row.add(String.valueOf(Array.get(array, j)));
    }
    return row;
  }

  /** Each column as wide as its widest cell; no lines when there is no cell at all. */
  private static List<String> alignedRows(List<List<String>> rows) {
    List<Integer> widths = new ArrayList<Integer>();
    for (List<String> row : rows) {
      for (int j = 0; j < row.size(); j++) {
        if (j == widths.size()) {
          widths.add(0);
        }
        widths.set(j, Math.max(widths.get(j), row.get(j).length()));
      }
    }
    List<String> lines = new ArrayList<String>();
    if (widths.isEmpty()) {
      return lines;
    }
    for (List<String> row : rows) {
      StringBuilder line = new StringBuilder();
      for (int j = 0; j < row.size(); j++) {
        line.append(j > 0 ? COLUMN_GAP : "");
        for (int pad = row.get(j).length(); pad < widths.get(j); pad++) {
          line.append(' ');
        }
        line.append(row.get(j));
      }
      lines.add(line.toString());
    }
    return lines;
  }
}
