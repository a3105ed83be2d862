import com.mintova.vardelon.VardelonLink;
import java.util.Arrays;

/**
 * Writes variables of one instance, by name and by number, and reads them back: a number, a
 * text and a matrix (an array of rows).
 *
 * <pre>
 *   java -cp vardelon-link.jar WriteVariables.java
 * </pre>
 */
public class WriteVariables {
  private static final int INSTANCE = 2;

  public static void main(String[] args) {
    // close() disconnects, whichever way the block ends.
    try (VardelonLink vardelon = new VardelonLink()) {
      if (!vardelon.connect()) {
        System.err.println("Vardelon is not available");
        System.exit(1);
      }
      vardelon.setVariableValue(INSTANCE, "Gain", 2.5);
      vardelon.setVariableValue(INSTANCE, "Title", "step response");
      vardelon.setVariableValue(INSTANCE, "Weights", new double[][] {{1, 0, 0}, {0, 1, 0}});

      // Variables can also be written by number; their numbers are the positions in the list
      // of names.
      vardelon.setVariableValues(INSTANCE, new int[] {0}, new Object[] {3.5});

      String[] names = vardelon.variableNames(INSTANCE);
      Object[] values = vardelon.variableValues(INSTANCE, new int[] {0, 1, 2});
      for (int i = 0; i < values.length; i++) {
        System.out.println(names[i] + " = " + show(values[i]));
      }

      // Ask the application to report changes of "Gain".
      vardelon.setVariableChangeNotification(INSTANCE, "Gain");
    }
  }

  /** A value as text: matrices row by row, everything else as Java prints it. */
  private static String show(Object value) {
    if (value instanceof Object[]) {
      return Arrays.deepToString((Object[]) value);
    }
    return String.valueOf(value);
  }
}
