package com.mintova.vardelon;

import java.io.File;

/**
 * Finds and loads the native VardelonLink library: first the file named by the system property
 * {@value #PATH_PROPERTY}, then "VardelonLink" on {@code java.library.path}.
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
      try {
        System.loadLibrary(LIBRARY_NAME);
      } catch (UnsatisfiedLinkError e) {
        throw failure(System.mapLibraryName(LIBRARY_NAME) + " on java.library.path="
            + System.getProperty("java.library.path") + " (" + e.getMessage() + ")");
      }
    }
    loaded = true;
  }

  private static UnsatisfiedLinkError failure(String tried) {
    return new UnsatisfiedLinkError("Cannot load the VardelonLink native library; tried "
        + tried + ". Set -D" + PATH_PROPERTY + "=<file> or add its folder to java.library.path.");
  }
}
