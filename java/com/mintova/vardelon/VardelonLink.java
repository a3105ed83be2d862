package com.mintova.vardelon;

/**
 * The Java side of the bridge to the Vardelon application. Each method is answered by the
 * native VardelonLink library, which talks to the application ("Vardelon.Application") through
 * OLE Automation: every method but {@link #connect()}, {@link #disconnect()} and {@link
 * #isConnected()} makes one call of the automation member named in its description.
 *
 * <p>No method throws. A failure gives a neutral value ({@code null}, {@code false}, -1, "?" or
 * nothing) and, where a method says so, one line on the process's standard error stream (written
 * by the library, not through {@link System#err}). Without a connection the methods return their
 * neutral value at once; those that read or write variable values first write "Not connected to
 * Vardelon".
 *
 * <p>Values travel as follows. To the application: {@code Byte}, {@code Short}, {@code Integer},
 * {@code Float}, {@code Double} and {@code Boolean} as the automation scalars VT_I1, VT_I2, VT_I4,
 * VT_R4, VT_R8 and VT_BOOL (true as 1); a {@code String} as text, which ends at its first U+0000;
 * an array of arrays of {@code byte}, {@code short}, {@code int}, {@code float}, {@code double} or
 * {@code boolean} as a matrix with one row per inner array and as many columns as row 0 has
 * (shorter rows are padded with zeros and a null row counts as empty; a row longer than row 0
 * writes "Row %d of a Java matrix has %d elements, more than the %d of row 0", and the whole value
 * is sent as an empty value); a one-dimensional array of those types as a matrix of one row, or of
 * none when empty; {@code null} as a null value. Anything else writes "Unrecognized Java object
 * class" and is sent as an empty value. From the application: the boxed scalars, {@code String}
 * (every character kept, U+0000 included), and matrices always as arrays of rows ({@code
 * double[][]} and so on).
 *
 * <p>One connection serves the whole process and every instance of this class. Do not end it
 * ({@link #disconnect()}, {@link #quit()}, {@link #close()}) while another thread is inside a
 * method of this class.
 */
public class VardelonLink implements AutoCloseable {
  static { NativeLibraryLoader.load(); }

  /**
   * Makes a peer; loading the class loads the native library through {@link NativeLibraryLoader},
   * which throws {@link UnsatisfiedLinkError} when it cannot find it.
   */
  public VardelonLink() {}

  /**
   * Attaches to the application registered as "Vardelon.Application", starting it if needed, and
   * looks up its members. A connection already made is kept. Writes nothing.
   *
   * @return true when connected on return; false when no application could be created or it
   *     lacks a member
   */
  public native boolean connect();

  /** Ends the connection and lets go of the application, if connected; otherwise does nothing. */
  public native void disconnect();

  /**
   * Tells whether a connection stands. Makes no call and writes nothing.
   *
   * @return true between a successful {@link #connect()} and {@link #disconnect()} or {@link
   *     #quit()}
   */
  public native boolean isConnected();

  /**
   * Reads the property "Version".
   *
   * @return the application's version as text; "?" when not connected (no line), when the call
   *     fails ("Invoke error 0x%x" with the failure code), or when the answer is not text
   *     ("VariantChangeType error 0x%x")
   */
  public native String version();

  /**
   * Calls "Execute" with {@code text} as automation text (cut at its first U+0000). Does nothing
   * when not connected; a failed call writes "Invoke error 0x%x".
   *
   * @param text the statements for the application to run
   */
  public native void execute(String text);

  /**
   * Calls "Open" with {@code text} as automation text (cut at its first U+0000).
   *
   * @param text what to open, for example a model file's path
   * @return the application's answer as an integer (the new instance's number); -1 when not
   *     connected (no line), when the call fails ("Invoke error 0x%x") or when the answer is not
   *     an integer (no line)
   */
  public native int open(String text);

  /**
   * Calls "Reload" with {@code number} as a 32-bit integer, unchanged. Does nothing when not
   * connected; a failed call writes "Invoke error 0x%x".
   *
   * @param number what to reload, for example an instance that {@link #open(String)} returned
   */
  public native void reload(int number);

  /**
   * Calls "MaximizeMainWindow". Does nothing when not connected; a failed call writes nothing.
   */
  public native void maximize();

  /**
   * Calls "MinimizeMainWindow". Does nothing when not connected; a failed call writes nothing.
   */
  public native void minimize();

  /**
   * Calls "RestoreMainWindow". Does nothing when not connected; a failed call writes nothing.
   */
  public native void restoreSize();

  /** Calls "Show". Does nothing when not connected; a failed call writes nothing. */
  public native void show();

  /**
   * Calls "Quit" and ends the connection, whether or not the call succeeded; writes nothing. Does
   * nothing when not connected. A later {@link #connect()} attaches to a new application.
   */
  public native void quit();

  /**
   * Calls "GetVariableNames" with {@code instance} as a 32-bit integer.
   *
   * @param instance the instance whose variables to list
   * @return the names, in the order of the variables' numbers (index 0 names variable 0); null,
   *     without a line, when not connected, when the call fails, when the answer is not a list of
   *     texts, or when the instance has no variables
   */
  public native String[] variableNames(int instance);

  /**
   * Calls "GetVariableValueByName" with {@code instance} as a 32-bit integer and {@code name} as
   * text.
   *
   * @param instance the instance that holds the variable
   * @param name the variable's name
   * @return the value: a boxed scalar, a {@code String}, or a matrix as an array of rows; null when
   *     the application answers with a null value (no line), when not connected ("Not connected to
   *     Vardelon"), when the call fails ("Invoke error 0x%x", then "Unknown OLE variant type
   *     (0)"), and when the value has no Java form ("Unknown OLE variant type (%d)", "Unknown OLE
   *     array type (%d)" or "Unsupported number of dimensions of OLE array (%d)")
   */
  public native Object variableValue(int instance, String name);

  /**
   * Calls "GetVariableValues" with {@code instance} as a 32-bit integer and {@code numbers} as a
   * vector of 32-bit integers. The array passed is not changed.
   *
   * @param instance the instance that holds the variables
   * @param numbers the variables' numbers: their positions in {@link #variableNames(int)}
   * @return one slot per number: slot i holds the value for {@code numbers[i]}, as {@link
   *     #variableValue(int, String)} gives it, or null when the answer has no element i ("Invoke
   *     error 0x%x" for that slot) or the value has no Java form (the conversion's line); an empty
   *     array for no numbers; null when not connected ("Not connected to Vardelon")
   */
  public native Object[] variableValues(int instance, int[] numbers);

  /**
   * Calls "SetVariableValueByName" with {@code instance} as a 32-bit integer, {@code name} as text
   * and {@code value} converted as the class description says. When not connected writes "Not
   * connected to Vardelon" and sends nothing. A value of another class writes "Unrecognized Java
   * object class" and is sent as an empty value. A failed call writes nothing.
   *
   * @param instance the instance that holds the variable
   * @param name the variable's name
   * @param value a boxed scalar, a {@code String}, or a one- or two-dimensional primitive array
   */
  public native void setVariableValue(int instance, String name, Object value);

  /**
   * Calls "SetVariableValues" with {@code instance} as a 32-bit integer, {@code numbers} as a
   * vector of 32-bit integers and {@code values} as a vector of values, each converted as the
   * class description says. The two arrays are sent as they are, even when their lengths differ;
   * neither is changed. When not connected writes "Not connected to Vardelon" and sends nothing.
   * Each value of another class writes "Unrecognized Java object class" and is sent as an empty
   * value. A failed call writes "Invoke error 0x%x".
   *
   * @param instance the instance that holds the variables
   * @param numbers the variables' numbers: their positions in {@link #variableNames(int)}
   * @param values the new values; {@code values[i]} for {@code numbers[i]}
   */
  public native void setVariableValues(int instance, int[] numbers, Object[] values);

  /**
   * Calls "SetVarChangeNotification" with {@code instance} as a 32-bit integer and {@code name} as
   * text, asking the application to report changes of that variable. When not connected writes
   * "Not connected to Vardelon" and sends nothing; a failed call writes "Invoke error 0x%x".
   *
   * @param instance the instance that holds the variable
   * @param name the variable's name
   */
  public native void setVariableChangeNotification(int instance, String name);

  /**
   * Calls "GetUVOVariableNames", with no argument.
   *
   * @return the names of the engine-level variables, in the order of their numbers; null, without
   *     a line, when not connected, when the call fails, when the answer is not a list of texts,
   *     or when there are none
   */
  public native String[] uvoVariableNames();

  /**
   * Calls "GetUVOVariableValueByName" with {@code name} as text.
   *
   * @param name the engine-level variable's name
   * @return the value, as {@link #variableValue(int, String)} gives it; null with the same lines
   *     in the same cases
   */
  public native Object uvoVariableValue(String name);

  /**
   * Calls "GetUVOVariableValues" with {@code numbers} as a vector of 32-bit integers. The array
   * passed is not changed.
   *
   * @param numbers the engine-level variables' numbers: their positions in {@link
   *     #uvoVariableNames()}
   * @return one slot per number, as {@link #variableValues(int, int[])} gives them, with the same
   *     lines; null when not connected ("Not connected to Vardelon")
   */
  public native Object[] uvoVariableValues(int[] numbers);

  /**
   * Ends the connection as {@link #disconnect()} does, so that a try-with-resources block lets go
   * of the application. The connection belongs to the process: closing one peer ends it for all.
   */
  @Override
  public void close() {
    disconnect();
  }
}
