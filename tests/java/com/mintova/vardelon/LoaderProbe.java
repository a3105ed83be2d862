package com.mintova.vardelon;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.attribute.PosixFilePermissions;
import java.util.LinkedHashSet;
import java.util.Set;

/**
 * Loads the native library in a fresh JVM, which the loader tests start. Prints "loaded", then,
 * for each VardelonLink file the process has mapped (the library and the automation layer), its
 * path and its folder's permissions; or the loader's error message, and exits with 3.
 */
public final class LoaderProbe {
  private LoaderProbe() {}

  public static void main(String[] args) throws IOException {
    try {
      NativeLibraryLoader.load();
    } catch (UnsatisfiedLinkError e) {
      System.out.println(e.getMessage());
      System.exit(3);
    }
    System.out.println("loaded");
    for (Path file : mappedLibraries()) {
      System.out.println(file + " "
          + PosixFilePermissions.toString(Files.getPosixFilePermissions(file.getParent())));
    }
  }

  /** The library files this process has mapped, from the kernel's own list. */
  private static Set<Path> mappedLibraries() throws IOException {
    Set<Path> files = new LinkedHashSet<>();
    for (String line : Files.readAllLines(Paths.get("/proc/self/maps"))) {
      int slash = line.indexOf('/');
      if (slash >= 0 && line.matches(".*/lib(VardelonLink|portable_automation)\\.so$")) {
        files.add(Paths.get(line.substring(slash)));
      }
    }
    return files;
  }
}
