package com.mintova.vardelon;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * Where the loader looks for the native library, each case in a JVM of its own since a library
 * loads once per JVM. The build passes the jars' paths and the library's as system properties.
 */
class NativeLibraryLoaderTest {
  private static final Path LINK_JAR = Paths.get(System.getProperty("vardelon.test.linkJar"));
  private static final Path TEST_JAR = Paths.get(System.getProperty("vardelon.test.testJar"));
  private static final Path LIBRARY = Paths.get(System.getProperty(NativeLibraryLoader.PATH_PROPERTY));
  private static final String NOWHERE = "/nonexistent/vardelon";

  private static final class Outcome {
    final int exitCode;
    final String output;

    Outcome(int exitCode, String output) {
      this.exitCode = exitCode;
      this.output = output;
    }
  }

  /** Runs LoaderProbe with the link jar at `linkJar` and the given JVM options. */
  private static Outcome probe(Path linkJar, String... options) throws IOException, InterruptedException {
    List<String> command = new ArrayList<>();
    command.add(Paths.get(System.getProperty("java.home"), "bin", "java").toString());
    command.addAll(Arrays.asList(options));
    command.add("-cp");
    command.add(linkJar + File.pathSeparator + TEST_JAR);
    command.add(LoaderProbe.class.getName());
    Process process = new ProcessBuilder(command).redirectErrorStream(true).start();
    byte[] output = process.getInputStream().readAllBytes();
    assertTrue(process.waitFor(60, TimeUnit.SECONDS), "the probe JVM did not finish");
    return new Outcome(process.exitValue(), new String(output, StandardCharsets.UTF_8).trim());
  }

  /** A copy of the link jar in a folder that holds no library. */
  private static Path jarAlone(Path folder) throws IOException {
    return Files.copy(LINK_JAR, folder.resolve(LINK_JAR.getFileName()));
  }

  @Test
  void loadsTheFileThePropertyNames() throws Exception {
    Outcome outcome = probe(LINK_JAR, "-D" + NativeLibraryLoader.PATH_PROPERTY + "=" + LIBRARY);
    assertEquals("loaded", outcome.output);
    assertEquals(0, outcome.exitCode);
  }

  @Test
  void aWrongPathNamesTheFileItTried() throws Exception {
    String missing = NOWHERE + "/libVardelonLink.so";
    Outcome outcome = probe(LINK_JAR, "-D" + NativeLibraryLoader.PATH_PROPERTY + "=" + missing);
    assertEquals(3, outcome.exitCode);
    assertTrue(outcome.output.startsWith("Cannot load the VardelonLink native library; tried -D"
        + NativeLibraryLoader.PATH_PROPERTY + "=" + missing + " ("), outcome.output);
    assertTrue(outcome.output.endsWith(
        "Set -Dvardelon.link.library=<file> or add its folder to java.library.path."), outcome.output);
  }

  @Test
  void anExplicitPathIsTheOnlyPlaceTried() throws Exception {
    Outcome outcome = probe(LINK_JAR, "-D" + NativeLibraryLoader.PATH_PROPERTY + "=" + NOWHERE,
        "-Djava.library.path=" + LIBRARY.getParent());
    assertEquals(3, outcome.exitCode, outcome.output);
  }

  @Test
  void findsTheLibraryOnJavaLibraryPath(@TempDir Path folder) throws Exception {
    Outcome outcome = probe(jarAlone(folder), "-Djava.library.path=" + LIBRARY.getParent());
    assertEquals("loaded", outcome.output);
  }

  @Test
  void findsTheLibraryBesideTheJar() throws Exception {
    assertEquals(LIBRARY.getParent(), LINK_JAR.getParent(), "the build puts both in one folder");
    Outcome outcome = probe(LINK_JAR, "-Djava.library.path=" + NOWHERE);
    assertEquals("loaded", outcome.output);
  }

  @Test
  void withoutPropertyNamesEveryPlaceItLooked(@TempDir Path folder) throws Exception {
    Path jar = jarAlone(folder);
    Outcome outcome = probe(jar, "-Djava.library.path=" + NOWHERE);
    assertEquals(3, outcome.exitCode);
    assertTrue(outcome.output.contains(
        "tried libVardelonLink.so on java.library.path=" + NOWHERE + " ("), outcome.output);
    assertTrue(outcome.output.contains(
        "; " + folder.toRealPath().resolve("libVardelonLink.so") + " ("), outcome.output);
  }
}
