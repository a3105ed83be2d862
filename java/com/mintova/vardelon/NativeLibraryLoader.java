package com.mintova.vardelon;

import java.io.File;
import java.io.IOException;
import java.net.URISyntaxException;
import java.net.URL;
import java.security.CodeSource;
import java.util.ArrayList;
import java.util.List;

/**
 * Finds and loads the native VardelonLink library, once per process. {@link VardelonLink} calls
 * it before its first native method; a program may call {@link #load()} itself to learn early
 * whether the library can be found.
 *
 * <p>The places, in order:
 *
 * <ol>
 *   <li>the file that the system property {@value #PATH_PROPERTY} names; when the property is
 *       set, nothing else is tried;
 *   <li>the libraries packed inside the jar for the running operating system and processor, under
 *       {@code natives/<os>-<arch>/} ({@code linux-x86_64}, {@code windows-x86}, {@code
 *       windows-x86_64}), extracted to a new folder that only the current user may read, and
 *       deleted when the virtual machine exits where the system allows it;
 *   <li>"VardelonLink" on {@code java.library.path}.
 * </ol>
 */
public final class NativeLibraryLoader {
  /**
   * System property naming the library file to load, for example {@code
   * /opt/vardelon/libVardelonLink.so}.
   */
  public static final String PATH_PROPERTY = "vardelon.link.library";

  static final String LIBRARY_NAME = "VardelonLink";

  private static boolean loaded;

  private NativeLibraryLoader() {}

  /**
   * Loads the library unless it is already loaded.
   *
   * @throws UnsatisfiedLinkError when no place holds a library that loads; its message names
   *     every place tried and why each failed
   */
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
    tried.add("-D" + PATH_PROPERTY + " (not set)");
    String folder =
        PackedNatives.platformFolder(System.getProperty("os.name"), System.getProperty("os.arch"));
    try {
      System.load(PackedNatives.extract(folder).getAbsolutePath());
      return;
    } catch (IOException | UnsatisfiedLinkError e) {
      tried.add("natives/" + folder + "/ in " + codeLocation() + " (" + e.getMessage() + ")");
    }
    try {
      System.loadLibrary(LIBRARY_NAME);
      return;
    } catch (UnsatisfiedLinkError e) {
      tried.add(System.mapLibraryName(LIBRARY_NAME) + " on java.library.path="
          + System.getProperty("java.library.path") + " (" + e.getMessage() + ")");
    }
    throw failure(String.join("; ", tried));
  }

  /** The jar or class folder that holds this class, for messages. */
  private static String codeLocation() {
    CodeSource source = NativeLibraryLoader.class.getProtectionDomain().getCodeSource();
    URL location = source == null ? null : source.getLocation();
    if (location == null) {
      return "the class path";
    }
    try {
      return new File(location.toURI()).getPath();
    } catch (URISyntaxException | IllegalArgumentException e) {
      return location.toString();
    }
  }

  private static UnsatisfiedLinkError failure(String tried) {
    return new UnsatisfiedLinkError("Cannot load the VardelonLink native library; tried " + tried
        + ". Set -D" + PATH_PROPERTY + "=<file> or add its folder to java.library.path.");
  }
}
