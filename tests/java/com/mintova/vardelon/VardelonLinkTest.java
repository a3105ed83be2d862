package com.mintova.vardelon;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.Callable;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * The peer class against the Vardelon simulator. Each test connects first (a no-op when the
 * connection stands) and writes only to instances of its own, so that the demo variables of
 * instance 1 stay as the simulator seeds them.
 */
class VardelonLinkTest extends SimulatorTest {

  @Test
  void connectWhileConnectedKeepsTheConnection() {
    assertTrue(link.isConnected());
    assertTrue(link.connect());
    assertTrue(link.isConnected());
  }

  @Test
  void reportsTheVersion() {
    assertEquals("Vardelon Simulator 1.0", link.version());
  }

  @Test
  void listsAnInstancesVariables() {
    assertArrayEquals(
        new String[] {"Speed", "Count", "Label", "Grid", "Enabled"}, link.variableNames(1));
    assertNull(link.variableNames(4711), "an instance without variables has no names");
  }

  @Test
  void readsEachKindOfDemoValue() {
    assertEquals(Double.valueOf(12.5), link.variableValue(1, "Speed"));
    assertEquals(Integer.valueOf(42), link.variableValue(1, "Count"));
    assertEquals("Vardelon demo", link.variableValue(1, "Label"));
    assertArrayEquals(
        new double[][] {{1, 2, 3}, {4, 5, 6}}, (double[][]) link.variableValue(1, "Grid"));
    assertEquals(Boolean.TRUE, link.variableValue(1, "Enabled"));
    assertNull(link.variableValue(1, "NoSuchVariable"));
  }

  @Test
  void readsSeveralValuesByNumber() {
    int[] numbers = {4, 0, 99, 2};
    Object[] values = link.variableValues(1, numbers);
    assertArrayEquals(new Object[] {Boolean.TRUE, 12.5, null, "Vardelon demo"}, values);
    assertArrayEquals(new int[] {4, 0, 99, 2}, numbers, "the numbers are left as they were");
    assertArrayEquals(new Object[0], link.variableValues(1, new int[0]));
  }

  @Test
  void setsSeveralValuesByNumber() {
    link.setVariableValue(40, "first", 1);
    link.setVariableValue(40, "second", 2);
    link.setVariableValues(40, new int[] {1, 0}, new Object[] {"two", new int[][] {{1}, {2}}});
    assertEquals("two", link.variableValue(40, "second"));
    assertArrayEquals(new int[][] {{1}, {2}}, (int[][]) link.variableValue(40, "first"));
  }

  @Test
  void refusedListsChangeNothing() {
    link.setVariableValue(41, "only", 1);
    link.setVariableValues(41, new int[] {0, 1}, new Object[] {5, 6});
    link.setVariableValues(41, new int[] {0}, new Object[] {5, 6});
    assertEquals(Integer.valueOf(1), link.variableValue(41, "only"));
  }

  @Test
  void handsOnChangeNotificationRequests() {
    link.setVariableChangeNotification(42, "watched");
    String requests = (String) link.uvoVariableValue("ChangeNotifications");
    assertTrue(requests.contains("42 watched\n"), requests);
  }

  @Test
  void readsEngineLevelVariables() {
    List<String> names = Arrays.asList(link.uvoVariableNames());
    assertEquals(Arrays.asList("Time", "StepSize", "Solver"), names.subList(0, 3));
    assertEquals("euler", link.uvoVariableValue("Solver"));
    assertNull(link.uvoVariableValue("NoSuchVariable"));
    assertArrayEquals(
        new Object[] {0.01, "euler", null}, link.uvoVariableValues(new int[] {1, 2, 999}));
  }

  @Test
  void executesScripts() {
    link.execute("set 43 Answer 42\nuvo Mode \"fast\"");
    assertEquals(Integer.valueOf(42), link.variableValue(43, "Answer"));
    assertEquals("fast", link.uvoVariableValue("Mode"));
    assertEquals("", link.uvoVariableValue("LastError"));
  }

  @Test
  void aFaultyScriptChangesNothing() {
    link.execute("set 44 a 1\nbogus");
    assertNull(link.variableNames(44));
    assertEquals("line 2: unknown command \"bogus\"", link.uvoVariableValue("LastError"));
  }

  /**
   * Quits the application, so that the next test starts a new one: an opened model takes the
   * next free instance number, which the fixed instances of other tests must not meet.
   */
  private void startAfresh() {
    link.quit();
    assertTrue(link.connect());
  }

  @Test
  void opensAModelAsANewInstanceAndReloadsIt(@TempDir Path folder) throws IOException {
    startAfresh();
    Path model = folder.resolve("model.vard");
    Files.write(model, "var Mass 1.5\n".getBytes(StandardCharsets.UTF_8));
    int instance = link.open(model.toString());
    assertEquals(2, instance, "one more than the demo instance 1");
    assertArrayEquals(new String[] {"Mass"}, link.variableNames(instance));
    assertEquals(Double.valueOf(1.5), link.variableValue(instance, "Mass"));

    Files.write(model, "var Mass 2.5\nvar Extra true\n".getBytes(StandardCharsets.UTF_8));
    link.reload(instance);
    assertArrayEquals(new String[] {"Mass", "Extra"}, link.variableNames(instance));
    assertEquals(Double.valueOf(2.5), link.variableValue(instance, "Mass"));

    assertEquals(-1, link.open(folder.resolve("missing.vard").toString()));
    assertEquals(3, link.open(model.toString()), "each open makes a new instance");
    link.quit();
  }

  @Test
  void opensTheExampleModel() {
    startAfresh();
    int instance =
        link.open(Paths.get(System.getProperty("vardelon.test.sourceDir"), "examples", "demo.model")
                      .toString());
    assertEquals(2, instance);
    List<String> names = Arrays.asList(link.variableNames(instance));
    assertTrue(names.containsAll(Arrays.asList("Gear", "Teeth", "Steps", "Gain", "Mass", "Running",
                   "Title", "Offsets", "Samples", "Counts", "Weights", "Positions", "Mask")),
        names::toString);
    assertEquals(Byte.valueOf((byte) -7), link.variableValue(instance, "Gear"));
    assertEquals("Prüfstand Süd – Motor 2, 20 °C", link.variableValue(instance, "Title"));
    assertArrayEquals(new boolean[][] {{true, false}, {false, true}},
        (boolean[][]) link.variableValue(instance, "Mask"));
    link.quit();
  }

  @Test
  void commandsTheMainWindow() {
    link.maximize();
    assertEquals("maximized", link.uvoVariableValue("WindowState"));
    link.minimize();
    assertEquals("minimized", link.uvoVariableValue("WindowState"));
    link.restoreSize();
    assertEquals("normal", link.uvoVariableValue("WindowState"));
    link.show();
    assertEquals(Boolean.TRUE, link.uvoVariableValue("Visible"));
  }

  @Test
  void quitEndsTheConnectionAndTheApplication() {
    link.setVariableValue(1, "Speed", 99.0);
    link.quit();
    assertFalse(link.isConnected());
    assertEquals("?", link.version());
    assertEquals(-1, link.open("anything"));

    assertTrue(link.connect());
    assertEquals(Double.valueOf(12.5), link.variableValue(1, "Speed"), "a new application");
  }

  @Test
  void withoutConnectionEveryMethodGivesItsNeutralValue() {
    link.disconnect();
    link.disconnect();
    assertFalse(link.isConnected());
    assertEquals("?", link.version());
    assertEquals(-1, link.open("anything"));
    assertNull(link.variableNames(1));
    assertNull(link.variableValue(1, "Speed"));
    assertNull(link.variableValues(1, new int[] {0}));
    assertNull(link.uvoVariableNames());
    assertNull(link.uvoVariableValue("Time"));
    assertNull(link.uvoVariableValues(new int[] {0}));
    link.setVariableValue(1, "Speed", 1.0);
    link.setVariableValues(1, new int[] {0}, new Object[] {1.0});
    link.setVariableChangeNotification(1, "Speed");
    link.execute("set 1 Speed 1");
    link.reload(1);
    link.maximize();
    link.quit();

    assertTrue(link.connect());
    assertEquals(Double.valueOf(12.5), link.variableValue(1, "Speed"));
  }

  @Test
  void closingAPeerEndsTheProcessConnection() {
    try (VardelonLink scoped = new VardelonLink()) {
      assertTrue(scoped.isConnected(), "one connection serves every peer");
    }
    assertFalse(link.isConnected());
    assertTrue(link.connect());
  }

  @Test
  void threadsShareTheConnection() throws Exception {
    ExecutorService pool = Executors.newFixedThreadPool(4);
    try {
      List<Future<Integer>> readers = new ArrayList<>();
      for (int thread = 0; thread < 4; thread++) {
        Callable<Integer> reader = () -> {
          int matches = 0;
          for (int i = 0; i < 200; i++) {
            matches += Double.valueOf(12.5).equals(link.variableValue(1, "Speed")) ? 1 : 0;
          }
          return matches;
        };
        readers.add(pool.submit(reader));
      }
      for (Future<Integer> reader : readers) {
        assertEquals(200, reader.get().intValue());
      }
    } finally {
      pool.shutdown();
    }
  }
}
