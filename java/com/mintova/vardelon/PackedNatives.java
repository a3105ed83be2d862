package com.mintova.vardelon;

import java.io.BufferedReader;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.nio.file.DirectoryStream;
import java.nio.file.FileSystems;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.attribute.PosixFilePermissions;
import java.nio.file.attribute.UserPrincipal;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.concurrent.TimeUnit;

/**
 * The native libraries packed inside the jar, under natives/&lt;os&gt;-&lt;arch&gt;/: each folder
 * holds the files and an index of "size name" lines, which the build writes. Extraction puts every
 * file of the running platform's folder into a new folder that only the current user may open, so
 * that the library finds its neighbours (the automation layer on Linux) beside it.
 */
final class PackedNatives {
  /** Lists the packed files of one platform folder, one "size name" line each. */
  static final String INDEX_NAME = "index";

  static final String FOLDER_PREFIX = "vardelon-link-";

  /**
   * Folders of earlier processes older than this are removed: by then their extraction is long
   * finished, and a library still loaded from one stays mapped (Linux) or cannot be deleted
   * (Windows).
   */
  static final long STALE_AFTER_MILLIS = TimeUnit.MINUTES.toMillis(10);

  private PackedNatives() {}

  /**
   * The folder of packed libraries for a platform: "linux-x86_64" for ("Linux", "amd64"),
   * "windows-x86" for ("Windows 10", "x86").
   */
  static String platformFolder(String osName, String osArch) {
    String os = osName.toLowerCase(Locale.ROOT);
    if (os.startsWith("windows")) {
      os = "windows";
    } else if (os.startsWith("linux")) {
      os = "linux";
    } else {
      os = os.replaceAll("\\s+", "");
    }
    String arch = osArch.toLowerCase(Locale.ROOT);
    if (arch.equals("amd64") || arch.equals("x86_64") || arch.equals("x64")) {
      arch = "x86_64";
    } else if (arch.matches("i[3-6]86|x86")) {
      arch = "x86";
    }
    return os + "-" + arch;
  }

  /**
   * Extracts every file of a packed platform folder into a new private folder, deleted when the
   * virtual machine exits where the system allows it, and returns the VardelonLink library in it.
   *
   * @throws IOException saying why, when the folder is not packed, the index is damaged, or a file
   *     cannot be extracted whole
   */
  static File extract(String platformFolder) throws IOException {
    String prefix = "/natives/" + platformFolder + "/";
    List<String[]> entries = readIndex(prefix + INDEX_NAME);
    Path target = createPrivateFolder(Paths.get(System.getProperty("java.io.tmpdir")));
    target.toFile().deleteOnExit();
    removeStaleFolders(target);
    String libraryName = System.mapLibraryName(NativeLibraryLoader.LIBRARY_NAME);
    File library = null;
    for (String[] entry : entries) {
      File file =
          extractFile(prefix + entry[1], target.resolve(entry[1]), Long.parseLong(entry[0]));
      if (entry[1].equals(libraryName)) {
        library = file;
      }
    }
    if (library == null) {
      throw new IOException("the index lists no " + libraryName);
    }
    return library;
  }

  private static List<String[]> readIndex(String resource) throws IOException {
    InputStream stream = PackedNatives.class.getResourceAsStream(resource);
    if (stream == null) {
      throw new IOException("not packed for this platform");
    }
    List<String[]> entries = new ArrayList<String[]>();
    try (BufferedReader reader =
             new BufferedReader(new InputStreamReader(stream, StandardCharsets.UTF_8))) {
      for (String line = reader.readLine(); line != null; line = reader.readLine()) {
        if (line.trim().isEmpty()) {
          continue;
        }
        String[] entry = line.trim().split(" ", 2);
        // A plain file name: nothing may land outside the new folder.
        if (entry.length != 2 || !entry[0].matches("\\d{1,18}") || !entry[1].matches("[\\w.+-]+")
            || entry[1].startsWith(".")) {
          throw new IOException("bad line in " + resource + ": \"" + line + "\"");
        }
        entries.add(entry);
      }
    }
    return entries;
  }

  /** A new folder with a unique name, which keeps concurrent processes apart. */
  private static Path createPrivateFolder(Path temporary) throws IOException {
    if (FileSystems.getDefault().supportedFileAttributeViews().contains("posix")) {
      return Files.createTempDirectory(temporary, FOLDER_PREFIX,
          PosixFilePermissions.asFileAttribute(PosixFilePermissions.fromString("rwx------")));
    }
    // Elsewhere (Windows) the user's own temporary folder is private already; narrow it further
    // where the system lets us.
    Path folder = Files.createTempDirectory(temporary, FOLDER_PREFIX);
    File file = folder.toFile();
    file.setReadable(false, false);
    file.setReadable(true, true);
    file.setWritable(false, false);
    file.setWritable(true, true);
    return folder;
  }

  private static File extractFile(String resource, Path target, long expectedSize)
      throws IOException {
    InputStream stream = PackedNatives.class.getResourceAsStream(resource);
    if (stream == null) {
      throw new IOException(resource + " is listed in the index but not packed");
    }
    File file = target.toFile();
    // Registered after the folder, so deleted before it.
    file.deleteOnExit();
    long copied;
    try (InputStream in = stream) {
      copied = Files.copy(in, target);
    }
    if (copied != expectedSize || Files.size(target) != expectedSize) {
      throw new IOException("extracted " + copied + " bytes of " + target.getFileName()
          + ", the index says " + expectedSize);
    }
    return file;
  }

  /**
   * Removes, as far as it can, the folders that earlier processes of the same user could not
   * delete on exit (a Windows DLL stays locked until its process ends; a killed process deletes
   * nothing). Links are never followed, so nothing outside those folders is touched.
   */
  private static void removeStaleFolders(Path ours) {
    long staleBefore = System.currentTimeMillis() - STALE_AFTER_MILLIS;
    try (DirectoryStream<Path> folders =
             Files.newDirectoryStream(ours.getParent(), FOLDER_PREFIX + "*")) {
      UserPrincipal owner = Files.getOwner(ours);
      for (Path folder : folders) {
        if (!folder.equals(ours) && Files.isDirectory(folder, LinkOption.NOFOLLOW_LINKS)
            && owner.equals(Files.getOwner(folder, LinkOption.NOFOLLOW_LINKS))
            && Files.getLastModifiedTime(folder, LinkOption.NOFOLLOW_LINKS).toMillis()
                < staleBefore) {
          removeFolder(folder);
        }
      }
    } catch (IOException | SecurityException e) {
      // Best effort: a folder left behind costs disk space only.
    }
  }

  private static void removeFolder(Path folder) throws IOException {
    try (DirectoryStream<Path> files = Files.newDirectoryStream(folder)) {
      for (Path file : files) {
        Files.deleteIfExists(file);
      }
    }
    Files.deleteIfExists(folder);
  }
}
