package com.mintova.vardelon;

/**
 * The Java side of the bridge to the Vardelon application. Each method is answered by the
 * native VardelonLink library, which talks to the application through OLE Automation.
 *
 * <p>No method throws: a failure gives a neutral value (null, false, -1, "?" or nothing) and,
 * for most failures, one line on the standard error stream. One connection serves the whole
 * process; do not end it ({@link #disconnect()}, {@link #quit()}) while another thread is inside
 * a method of this class.
 */
public class VardelonLink {
  static {
    NativeLibraryLoader.load();
  }

  /** Attaches to "Vardelon.Application"; true when connected on return. */
  public native boolean connect();

  /** Ends the connection, if there is one. */
  public native void disconnect();

  public native boolean isConnected();

  /** The application's version as text, or "?" . */
  public native String version();

  public native void execute(String text);

  /** Hands the application a text to open; -1 when not connected. */
  public native int open(String text);

  public native void reload(int number);

  public native void maximize();

  public native void minimize();

  public native void restoreSize();

  public native void show();

  /** Tells the application to quit and ends the connection. */
  public native void quit();

  /** The names of an instance's variables, or null when there are none. */
  public native String[] variableNames(int instance);

  /**
   * One variable: a boxed scalar, a String, an array of primitive arrays (a matrix, one inner
   * array per row), or null.
   */
  public native Object variableValue(int instance, String name);

  /** Several variables by number; slot i answers numbers[i]. */
  public native Object[] variableValues(int instance, int[] numbers);

  /**
   * Sets one variable. Accepted values: Double, Float, Byte, Short, Integer, Boolean, String,
   * and one- or two-dimensional arrays of double, float, byte, short, int or boolean.
   */
  public native void setVariableValue(int instance, String name, Object value);

  public native void setVariableValues(int instance, int[] numbers, Object[] values);

  public native void setVariableChangeNotification(int instance, String name);

  public native String[] uvoVariableNames();

  public native Object uvoVariableValue(String name);

  public native Object[] uvoVariableValues(int[] numbers);
}
