package com.mintova.vardelon.console;

/**
 * One command line split at blanks: the command's name and its words, with the rest of the line
 * after any word still available as typed. A missing or malformed word throws
 * IllegalArgumentException, which the console answers with the command's usage.
 */
final class CommandLine {
  private final String text;
  private final String[] words;

  CommandLine(String text) {
    this.text = text.trim();
    this.words = this.text.isEmpty() ? new String[0] : this.text.split("\\s+");
  }

  boolean isBlank() { return words.length == 0; }

  String name() { return words[0]; }

  int size() { return words.length; }

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

  /** The words from `from` on, each a number. */
  int[] integers(int from) {
    int[] numbers = new int[Math.max(0, words.length - from)];
    for (int i = 0; i < numbers.length; i++) {
      numbers[i] = integer(from + i);
    }
    return numbers;
  }

  /** The text after the first `index` words, as typed; it must not be empty. */
  String rest(int index) {
    word(index);
    String rest = text;
    for (int i = 0; i < index; i++) {
      rest = rest.substring(words[i].length()).trim();
    }
    return rest;
  }
}
