package com.mintova.vardelon;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashSet;
import java.util.List;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * Eight Java threads on the one connection at once, as the peer class allows: each reads and
 * writes variables of its own instance, so that every result can be checked, while the others do
 * the same; and eight threads connecting at the same moment end up with one connection to one
 * server object.
 */
class ConcurrencyTest {
  private static final int THREADS = 8;
  private static final int ROUNDS = 150;

  private final VardelonLink link = new VardelonLink();

  /** What one thread does; `thread` counts from 0. */
  private interface ThreadBody<T> {
    T run(int thread) throws Exception;
  }

  /** Runs `body` on THREADS threads released together, and gives back each thread's result. */
  private static <T> List<T> onThreads(ThreadBody<T> body) throws Exception {
    ExecutorService pool = Executors.newFixedThreadPool(THREADS);
    CyclicBarrier start = new CyclicBarrier(THREADS);
    try {
      List<Future<T>> running = new ArrayList<>();
      for (int thread = 0; thread < THREADS; thread++) {
        final int number = thread;
        running.add(pool.submit(() -> {
          start.await();
          return body.run(number);
        }));
      }
      List<T> results = new ArrayList<>();
      for (Future<T> result : running) {
        try {
          results.add(result.get());
        } catch (ExecutionException failure) {
          // The thread's own assertion, with its message.
          if (failure.getCause() instanceof Error error) throw error;
          throw failure;
        }
      }
      return results;
    } finally {
      pool.shutdown();
    }
  }

  /** A fresh application: the simulator starts one when the last object has gone. */
  private void reconnect() {
    link.disconnect();
    assertTrue(link.connect(), "AUTOMATION_REGISTRY must name the simulator's registration");
  }

  @AfterEach
  void leaveConnected() {
    assertTrue(link.connect());
  }

  @Test
  void threadsReadAndWriteAtOnceAndEachSeesItsOwnValues(@TempDir Path folder) throws Exception {
    Path model = folder.resolve("thread.model");
    Files.write(model, "var Loaded 1\n".getBytes(StandardCharsets.UTF_8));
    reconnect();

    List<List<Integer>> opened = onThreads(thread -> {
      // A negative instance of its own; opened models get new ones counted up from 2.
      int instance = -100 - thread;
      List<Integer> mine = new ArrayList<>();
      for (int round = 0; round < ROUNDS; round++) {
        String label = "thread " + thread + " round " + round;
        link.setVariableValue(instance, "Number", round);
        link.setVariableValue(instance, "Text", label);
        link.setVariableValue(instance, "Row", new double[] {thread, round});
        link.setVariableValue(instance, "Flags", new boolean[][] {{true}, {round % 2 == 0}});
        link.execute("set " + instance + " Script " + round);
        link.setVariableValues(
            instance, new int[] {0, 1}, new Object[] {(short) round, label + "!"});
        link.setVariableChangeNotification(instance, "Number");

        assertEquals(Short.valueOf((short) round), link.variableValue(instance, "Number"));
        assertEquals(label + "!", link.variableValue(instance, "Text"));
        assertArrayEquals(
            new double[][] {{thread, round}}, (double[][]) link.variableValue(instance, "Row"));
        assertArrayEquals(
            new Object[] {label + "!", round}, link.variableValues(instance, new int[] {1, 4}));
        assertArrayEquals(new boolean[][] {{true}, {round % 2 == 0}},
            (boolean[][]) link.variableValues(instance, new int[] {3})[0]);
        assertArrayEquals(new String[] {"Number", "Text", "Row", "Flags", "Script"},
            link.variableNames(instance));

        int loaded = link.open(model.toString());
        assertEquals(Integer.valueOf(1), link.variableValue(loaded, "Loaded"), label);
        link.reload(loaded);
        mine.add(loaded);

        assertEquals("Vardelon Simulator 1.0", link.version());
        assertEquals("euler", link.uvoVariableValue("Solver"));
        assertArrayEquals(new Object[] {"euler"}, link.uvoVariableValues(new int[] {2}));
        assertTrue(Arrays.asList(link.uvoVariableNames()).contains("ChangeNotifications"));
      }
      return mine;
    });

    HashSet<Integer> distinct = new HashSet<>();
    opened.forEach(distinct::addAll);
    assertEquals(THREADS * ROUNDS, distinct.size(), "every model went into an instance of its own");
    String requests = (String) link.uvoVariableValue("ChangeNotifications");
    assertEquals(THREADS * ROUNDS, requests.split("\n").length, "every request was recorded");
  }

  @Test
  void threadsConnectingAtOnceMakeOneConnection() throws Exception {
    link.disconnect();
    assertFalse(link.isConnected());

    List<Boolean> connected = onThreads(thread -> link.connect());
    assertEquals(THREADS, connected.size());
    connected.forEach(result -> assertTrue(result));
    assertTrue(link.isConnected());

    // What one thread writes, every thread reads.
    link.execute("uvo Marker 1");
    List<Object> seen = onThreads(thread -> link.uvoVariableValue("Marker"));
    seen.forEach(value -> assertEquals(Integer.valueOf(1), value));

    // Had two connects each made a server object, the references on the one
    // replaced would never be given back, and that object would keep this
    // application, marker and all, alive after the disconnect.
    link.disconnect();
    assertTrue(link.connect());
    assertNull(link.uvoVariableValue("Marker"), "the application ended with the connection");
  }
}
