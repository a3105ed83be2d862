import com.mintova.vardelon.VardelonLink;
import java.util.Arrays;

/**
 * Connects to Vardelon, prints its version and every variable of one instance with its value,
 * then the engine-level variables.
 *
 * <pre>
 *   java -cp vardelon-link.jar ReadVariables.java [instance]
 * </pre>
 */
public class ReadVariables {
  public static void main(String[] args) {
    int instance = args.length > 0 ? Integer.parseInt(args[0]) : 1;
    // close() disconnects, whichever way the block ends.
    try (VardelonLink vardelon = new VardelonLink()) {
      if (!vardelon.connect()) {
        System.err.println("Vardelon is not available");
        System.exit(1);
      }
      System.out.println("Connected to " + vardelon.version());

      String[] names = vardelon.variableNames(instance);
      if (names == null) {
        System.out.println("Instance " + instance + " has no variables");
      } else {
        System.out.println("Instance " + instance + ":");
        for (String name : names) {
          System.out.println("  " + name + " = " + show(vardelon.variableValue(instance, name)));
        }
      }

      String[] engineNames = vardelon.uvoVariableNames();
      System.out.println("Engine-level variables: " + Arrays.toString(engineNames));
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
