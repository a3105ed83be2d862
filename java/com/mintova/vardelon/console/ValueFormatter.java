package com.mintova.vardelon.console;

import java.lang.reflect.Array;

/** Shows a value that VardelonLink returned, with its Java type: "Double 12.5". */
final class ValueFormatter {
  private ValueFormatter() {}

  static String format(Object value) {
    if (value == null) {
      return "null";
    }
    if (value instanceof String) {
      return "String \"" + value + "\"";
    }
    if (!value.getClass().isArray()) {
      return value.getClass().getSimpleName() + " " + value;
    }
    return arrayType(value) + " " + arrayText(value);
  }

  /** "double[2][3]" for an array of rows, "int[4]" for one array. */
  private static String arrayType(Object array) {
    Class<?> component = array.getClass().getComponentType();
    int length = Array.getLength(array);
    if (!component.isArray()) {
      return component.getName() + "[" + length + "]";
    }
    int columns = length == 0 || Array.get(array, 0) == null ? 0 : Array.getLength(Array.get(array, 0));
    return component.getComponentType().getName() + "[" + length + "][" + columns + "]";
  }

  private static String arrayText(Object array) {
    StringBuilder text = new StringBuilder("[");
    for (int i = 0; i < Array.getLength(array); i++) {
      Object element = Array.get(array, i);
      text.append(i > 0 ? ", " : "");
      text.append(element != null && element.getClass().isArray() ? arrayText(element) : element);
    }
    return text.append(']').toString();
  }
}
