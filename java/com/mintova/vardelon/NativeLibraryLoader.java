package com.mintova.vardelon;

import java.io.File;
import java.net.URISyntaxException;
import java.security.CodeSource;
import java.util.ArrayList;
import java.util.List;

/**
 * Finds and loads the native VardelonLink library. When the system property {@value
 * #PATH_PROPERTY} names a file, that file and nothing else is loaded; otherwise "VardelonLink" is
 * looked for on {@code java.library.path}, then beside the jar (or class folder) that holds this
 * class, where the build puts both.
 */
public final class NativeLibraryLoader {
  /** System property naming the library file to load, for example /opt/vardelon/libVardelonLink.so. */
  public static final String PATH_PROPERTY = "vardelon.link.library";

  static final String LIBRARY_NAME = "VardelonLink";

  private static boolean loaded;

  private NativeLibraryLoader() {}

  /** Loads the library once; throws UnsatisfiedLinkError naming every place it tried. */
  public static synchronized void load() {
    if (loaded) {
      return;
    }
    String explicitPath = System.getProperty(PATH_PROPERTY);
    if (explicitPath != null && !explicitPath.isEmpty()) {
      String absolute = new File(explicitPath).getAbsolutePath();
      try {
        System.load(absolute);
      } catch (UnsatisfiedLinkError e) {
        throw failure("-D" + PATH_PROPERTY + "=" + absolute + " (" + e.getMessage() + ")");
      }
    } else {
      loadFromDefaultPlaces();
    }
    loaded = true;
  }

  private static void loadFromDefaultPlaces() {
    List<String> tried = new ArrayList<String>();
    try {
      System.loadLibrary(LIBRARY_NAME);
      return;
    } catch (UnsatisfiedLinkError e) {
      tried.add(System.mapLibraryName(LIBRARY_NAME) + " on java.library.path="
          + System.getProperty("java.library.path") + " (" + e.getMessage() + ")");
    }
    File besideCode = libraryBesideCode();
    if (besideCode != null) {
      try {
        System.load(besideCode.getAbsolutePath());
        return;
      } catch (UnsatisfiedLinkError e) {
        tried.add(besideCode.getAbsolutePath() + " (" + e.getMessage() + ")");
      }
    }
    throw failure(String.join("; ", tried));
  }

  /** The library file in the folder of this class's jar or class folder, or null if unknown. */
  private static File libraryBesideCode() {
    try {
      CodeSource source = NativeLibraryLoader.class.getProtectionDomain().getCodeSource();
      if (source == null || source.getLocation() == null) {
        return null;
      }
      File location = new File(source.getLocation().toURI());
      File folder = location.isDirectory() ? location : location.getParentFile();
      return folder == null ? null : new File(folder, System.mapLibraryName(LIBRARY_NAME));
    } catch (SecurityException | URISyntaxException | IllegalArgumentException e) {
      return null;
    }
  }

  private static UnsatisfiedLinkError failure(String tried) {
    return new UnsatisfiedLinkError("Cannot load the VardelonLink native library; tried "
        + tried + ". Set -D" + PATH_PROPERTY + "=<file> or add its folder to java.library.path.");
  }
}
