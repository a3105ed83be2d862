package com.mintova.vardelon;

/**
 * Loads the native library in a fresh JVM, which the loader tests start: prints "loaded", or the
 * loader's error message and exits with 3.
 */
public final class LoaderProbe {
  private LoaderProbe() {}

  public static void main(String[] args) {
    try {
      NativeLibraryLoader.load();
      System.out.println("loaded");
    } catch (UnsatisfiedLinkError e) {
      System.out.println(e.getMessage());
      System.exit(3);
    }
  }
}
