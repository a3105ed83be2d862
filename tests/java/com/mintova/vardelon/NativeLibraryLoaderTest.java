package com.mintova.vardelon;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.FileSystem;
import java.nio.file.FileSystems;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.attribute.FileTime;
import java.time.Duration;
import java.time.Instant;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.TimeUnit;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/**
 * Where the loader looks for the native library, each case in a JVM of its own since a library
 * loads once per JVM. The build passes the paths of the shipped jar (natives packed), the test
 * jar and the built library as system properties.
 */
class NativeLibraryLoaderTest {
  private static final Path LINK_JAR = Paths.get(System.getProperty("vardelon.test.linkJar"));
  private static final Path TEST_JAR = Paths.get(System.getProperty("vardelon.test.testJar"));
  private static final Path LIBRARY = Paths.get(System.getProperty("vardelon.test.library"));
  private static final String NOWHERE = "/nonexistent/vardelon";
  private static final String PROPERTY = "-D" + NativeLibraryLoader.PATH_PROPERTY + "=";
  private static final String ADVICE =
      ". Set -Dvardelon.link.library=<file> or add its folder to java.library.path.";

  @TempDir Path folder;

  private static final class Outcome {
    final int exitCode;
    final List<String> lines;

    Outcome(int exitCode, String output) {
      this.exitCode = exitCode;
      this.lines = Arrays.asList(output.trim().split("\n"));
    }

    String message() { return String.join("\n", lines); }

    /** The folders of the mapped library files, checked to be private. */
    List<Path> folders() {
      assertEquals("loaded", lines.get(0), this::message);
      assertEquals(3, lines.size(), () -> "the library and the layer: " + message());
      List<Path> folders = new ArrayList<>();
      for (String line : lines.subList(1, lines.size())) {
        String[] pathAndPermissions = line.split(" ");
        folders.add(Paths.get(pathAndPermissions[0]).getParent());
      }
      return folders;
    }
  }

  private static Process start(Path linkJar, String... options) throws IOException {
    List<String> command = new ArrayList<>();
    command.add(Paths.get(System.getProperty("java.home"), "bin", "java").toString());
    for (String option : options) {
      if (!option.isEmpty()) {
        command.add(option);
      }
    }
    command.add("-cp");
    command.add(linkJar + File.pathSeparator + TEST_JAR);
    command.add(LoaderProbe.class.getName());
    return new ProcessBuilder(command).redirectErrorStream(true).start();
  }

  private static Outcome finish(Process process) throws IOException, InterruptedException {
    byte[] output = process.getInputStream().readAllBytes();
    assertTrue(process.waitFor(60, TimeUnit.SECONDS), "the probe JVM did not finish");
    return new Outcome(process.exitValue(), new String(output, StandardCharsets.UTF_8));
  }

  /** Runs LoaderProbe with the link jar at `linkJar` and the given JVM options. */
  private static Outcome probe(Path linkJar, String... options)
      throws IOException, InterruptedException {
    return finish(start(linkJar, options));
  }

  /** A copy of the shipped jar, alone in a folder of its own. */
  private Path jarCopy() throws IOException {
    Path jars = Files.createDirectories(folder.resolve("jars"));
    return Files.copy(LINK_JAR, jars.resolve(LINK_JAR.getFileName()));
  }

  /** A copy of the shipped jar whose packed file `entry` holds `content`, or is gone if null. */
  private Path jarChanged(String entry, String content) throws IOException {
    Path jar = jarCopy();
    try (FileSystem zip = FileSystems.newFileSystem(jar)) {
      Path packed = zip.getPath(entry);
      if (content == null) {
        try (Stream<Path> files = Files.walk(packed)) {
          for (Path file : files.sorted((a, b) -> b.compareTo(a)).collect(Collectors.toList())) {
            Files.delete(file);
          }
        }
      } else {
        Files.write(packed, content.getBytes(StandardCharsets.UTF_8));
      }
    }
    return jar;
  }

  @ParameterizedTest
  // clang-format off
  @CsvSource({
      "Linux, amd64, linux-x86_64",
      "Linux, x86_64, linux-x86_64",
      "Linux, i386, linux-x86",
      "Linux, aarch64, linux-aarch64",
      "Windows 10, x86, windows-x86",
      "Windows Server 2022, amd64, windows-x86_64",
      "Windows 11, i686, windows-x86",
      "Mac OS X, aarch64, macosx-aarch64"})
  void namesThePlatformFolder(String osName, String osArch, String folder) {
    // clang-format on
    assertEquals(folder, PackedNatives.platformFolder(osName, osArch));
  }

  @Test
  void loadsTheFileThePropertyNames() throws Exception {
    Outcome outcome = probe(jarCopy(), PROPERTY + LIBRARY);
    assertEquals(Arrays.asList(LIBRARY.getParent(), LIBRARY.getParent()), outcome.folders());
  }

  @ParameterizedTest
  // clang-format off
  @CsvSource({"''", "-Djava.library.path=LIBRARY_FOLDER"})
  void aWrongPathIsTheOnlyPlaceTried(String option) throws Exception {
    // clang-format on
    String missing = NOWHERE + "/libVardelonLink.so";
    Outcome outcome = probe(jarCopy(), PROPERTY + missing,
        option.replace("LIBRARY_FOLDER", LIBRARY.getParent().toString()));
    assertEquals(3, outcome.exitCode, outcome::message);
    assertEquals("Cannot load the VardelonLink native library; tried " + PROPERTY + missing + " ("
            + "Can't load library: " + missing + ")" + ADVICE,
        outcome.message());
  }

  /** A folder as an earlier process left it, `age` old. */
  private static Path leftBehind(Path parent, String name, Duration age) throws IOException {
    Path left = Files.createDirectories(parent.resolve(name));
    Files.write(left.resolve("libVardelonLink.so"), new byte[] {1});
    Files.setLastModifiedTime(left, FileTime.from(Instant.now().minus(age)));
    return left;
  }

  @Test
  void extractsThePackedLibrariesToAPrivateFolderPerProcess() throws Exception {
    Path jar = jarCopy();
    Path temporary = Files.createDirectories(folder.resolve("tmp"));
    String[] options = {"-Djava.io.tmpdir=" + temporary, "-Djava.library.path=" + NOWHERE};
    Process first = start(jar, options);
    Process second = start(jar, options);
    Outcome one = finish(first);
    Outcome other = finish(second);

    for (Outcome outcome : Arrays.asList(one, other)) {
      List<Path> folders = outcome.folders();
      assertEquals(folders.get(0), folders.get(1), "the layer beside the library");
      assertEquals(temporary, folders.get(0).getParent());
      assertTrue(folders.get(0).getFileName().toString().startsWith("vardelon-link-"));
      assertTrue(outcome.lines.get(1).endsWith(" rwx------"), outcome::message);
    }
    assertNotEquals(one.folders().get(0), other.folders().get(0), "one folder per process");
    try (Stream<Path> left = Files.list(temporary)) {
      assertEquals(Arrays.asList(), left.collect(Collectors.toList()), "deleted on exit");
    }
  }

  @Test
  void removesFoldersThatEarlierProcessesLeftBehind() throws Exception {
    Path temporary = Files.createDirectories(folder.resolve("tmp"));
    Path stale = leftBehind(temporary, "vardelon-link-stale", Duration.ofHours(1));
    Path recent = leftBehind(temporary, "vardelon-link-recent", Duration.ofMinutes(1));
    Path elsewhere = leftBehind(folder, "elsewhere", Duration.ofHours(1));
    Path link = Files.createSymbolicLink(temporary.resolve("vardelon-link-link"), elsewhere);

    probe(jarCopy(), "-Djava.io.tmpdir=" + temporary).folders();
    try (Stream<Path> left = Files.list(temporary)) {
      assertEquals(Arrays.asList(link, recent), left.sorted().collect(Collectors.toList()));
    }
    assertTrue(Files.exists(elsewhere.resolve("libVardelonLink.so")), "links are not followed");
    assertTrue(Files.notExists(stale));
  }

  @Test
  void thePackedLibrariesComeBeforeJavaLibraryPath() throws Exception {
    Path temporary = Files.createDirectories(folder.resolve("tmp"));
    Outcome outcome = probe(
        jarCopy(), "-Djava.io.tmpdir=" + temporary, "-Djava.library.path=" + LIBRARY.getParent());
    assertEquals(temporary, outcome.folders().get(0).getParent());
  }

  @Test
  void withoutPackedLibrariesFindsTheLibraryOnJavaLibraryPath() throws Exception {
    Path jar = jarChanged("natives", null);
    Outcome outcome = probe(jar, "-Djava.library.path=" + LIBRARY.getParent());
    assertEquals(Arrays.asList(LIBRARY.getParent(), LIBRARY.getParent()), outcome.folders());
  }

  /** Every place fails: the message names each and why; `jar` is a changed shipped jar. */
  private void assertEveryPlaceNamed(Path jar, String packedFailure, String... options)
      throws Exception {
    List<String> all = new ArrayList<>(Arrays.asList(options));
    all.add("-Djava.library.path=" + NOWHERE);
    Outcome outcome = probe(jar, all.toArray(new String[0]));
    assertEquals(3, outcome.exitCode, outcome::message);
    assertEquals("Cannot load the VardelonLink native library; tried -Dvardelon.link.library (not"
            + " set); " + packedFailure.replace("JAR", jar.toString()) + "; libVardelonLink.so on"
            + " java.library.path=" + NOWHERE + " (no VardelonLink in java.library.path: " + NOWHERE
            + ")" + ADVICE,
        outcome.message());
  }

  @Test
  void aJarWithoutNativesNamesEveryPlaceTried() throws Exception {
    assertEveryPlaceNamed(
        jarChanged("natives", null), "natives/linux-x86_64/ in JAR (not packed for this platform)");
  }

  @Test
  void anotherProcessorNamesItsFolder() throws Exception {
    assertEveryPlaceNamed(
        jarCopy(), "natives/linux-sparc/ in JAR (not packed for this platform)", "-Dos.arch=sparc");
  }

  @ParameterizedTest
  // clang-format off
  @CsvSource(delimiter = '|', value = {
      "5 libVardelonLink.so           | extracted SIZE bytes of libVardelonLink.so, the index says 5",
      "10 ../libVardelonLink.so       | bad line in /natives/linux-x86_64/index: \"10 ../libVardelonLink.so\"",
      "ten libVardelonLink.so         | bad line in /natives/linux-x86_64/index: \"ten libVardelonLink.so\"",
      "SIZE libMissing.so             | /natives/linux-x86_64/libMissing.so is listed in the index but not packed",
      "''                             | the index lists no libVardelonLink.so"})
  void aDamagedJarSaysWhatIsWrong(String index, String why) throws Exception {
    // clang-format on
    String size = Long.toString(Files.size(LIBRARY));
    Path jar = jarChanged("natives/linux-x86_64/index", index.replace("SIZE", size) + "\n");
    assertEveryPlaceNamed(jar, "natives/linux-x86_64/ in JAR (" + why.replace("SIZE", size) + ")");
  }
}
