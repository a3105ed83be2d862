// The .reg reader, seen through ProgID and InprocServer32 lookups: headers,
// encodings, escapes, comments, deletions, malformed lines, and the list of
// files and folders that AUTOMATION_REGISTRY names.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "guid_print.h"
#include "platform/automation.h"
#include "platform/portable/registry.h"
#include "registry_files.h"

namespace {

using namespace std::string_literals;
using vardelon::testing::kRegHeader;
using vardelon::testing::RegistryFiles;

// {11111111-2222-3333-4455-66778899AABB}
constexpr CLSID kClsid = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB}};
// {0F0E0D0C-0B0A-0908-0706-050403020100}
constexpr CLSID kOtherClsid = {0x0F0E0D0C, 0x0B0A, 0x0908, {7, 6, 5, 4, 3, 2, 1, 0}};

const std::string kProgIdKey = "[HKEY_CLASSES_ROOT\\Test.Thing\\CLSID]\n";
const std::string kClsidValue = "@=\"{11111111-2222-3333-4455-66778899AABB}\"\n";
const std::string kOtherValue = "@=\"{0F0E0D0C-0B0A-0908-0706-050403020100}\"\n";

std::optional<CLSID> progIdLookup(const char16_t* progId) {
  CLSID clsid;
  const HRESULT result = CLSIDFromProgID(progId, &clsid);
  if (result == CO_E_CLASSSTRING) {
    EXPECT_EQ(clsid, IID_NULL);
    return std::nullopt;
  }
  EXPECT_EQ(result, S_OK);
  return clsid;
}

std::string utf16le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

struct ProgIdCase {
  int line;
  const char* what;
  std::string file;
  std::optional<CLSID> expected;
};

TEST(RegFile, ReadsProgIdRegistrations) {
  const ProgIdCase cases[] = {
      {__LINE__, "version 5 header", kRegHeader + kProgIdKey + kClsidValue, kClsid},
      {__LINE__, "REGEDIT4 header", "REGEDIT4\n" + kProgIdKey + kClsidValue, kClsid},
      {__LINE__, "blank lines before the header",
       "\n  \nWindows Registry Editor Version 5.00\n" + kProgIdKey + kClsidValue, kClsid},
      {__LINE__, "no header: file ignored", kProgIdKey + kClsidValue, std::nullopt},
      {__LINE__, "wrong header: file ignored",
       "Windows Registry Editor Version 4.00\n" + kProgIdKey + kClsidValue, std::nullopt},
      {__LINE__, "CRLF line ends",
       "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\Test.Thing\\CLSID]\r\n"
       "@=\"{11111111-2222-3333-4455-66778899AABB}\"\r\n",
       kClsid},
      {__LINE__, "no final line end",
       kRegHeader + kProgIdKey + kClsidValue.substr(0, kClsidValue.size() - 1), kClsid},
      {__LINE__, "UTF-8 byte-order mark", "\xEF\xBB\xBF" + kRegHeader + kProgIdKey + kClsidValue,
       kClsid},
      {__LINE__, "UTF-16LE as regedit writes it",
       utf16le(std::string(kRegHeader) + kProgIdKey + kClsidValue), kClsid},
      {__LINE__, "comments and other values",
       kRegHeader + "; a comment\n" + kProgIdKey +
           "; @=\"{0F0E0D0C-0B0A-0908-0706-050403020100}\"\n" +
           "\"CLSID\"=\"{0F0E0D0C-0B0A-0908-0706-050403020100}\"\n" + kClsidValue +
           "\"Other\"=dword:00000001\n",
       kClsid},
      {__LINE__, "comment after the value",
       kRegHeader + kProgIdKey + "@=\"{11111111-2222-3333-4455-66778899AABB}\" ; why\n", kClsid},
      {__LINE__, "spaces around the equals sign and indentation",
       kRegHeader + kProgIdKey + "  @ = \"{11111111-2222-3333-4455-66778899AABB}\"\n", kClsid},
      {__LINE__, "key names in any case",
       kRegHeader + "[hkey_classes_root\\TEST.THING\\clsid]\n" + kClsidValue, kClsid},
      {__LINE__, "lower-case GUID text",
       kRegHeader + kProgIdKey + "@=\"{11111111-2222-3333-4455-66778899aabb}\"\n", kClsid},
      {__LINE__, "machine classes key",
       kRegHeader + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Test.Thing\\CLSID]\n" + kClsidValue,
       kClsid},
      {__LINE__, "user classes key",
       kRegHeader + "[HKEY_CURRENT_USER\\Software\\Classes\\Test.Thing\\CLSID]\n" + kClsidValue,
       kClsid},
      {__LINE__, "other root",
       kRegHeader + "[HKEY_LOCAL_MACHINE\\Test.Thing\\CLSID]\n" + kClsidValue, std::nullopt},
      {__LINE__, "key without the CLSID subkey",
       kRegHeader + "[HKEY_CLASSES_ROOT\\Test.Thing]\n" + kClsidValue, std::nullopt},
      {__LINE__, "key without a default value", kRegHeader + kProgIdKey, std::nullopt},
      {__LINE__, "value before any key", kRegHeader + kClsidValue + kProgIdKey, std::nullopt},
      {__LINE__, "value that is not a GUID",
       kRegHeader + kProgIdKey + "@=\"11111111-2222-3333-4455-66778899AABB\"\n", std::nullopt},
      {__LINE__, "value that is not a string", kRegHeader + kProgIdKey + "@=hex:01,02\n",
       std::nullopt},
      {__LINE__, "unterminated string skipped",
       kRegHeader + kProgIdKey + "@=\"{11111111-2222-3333-4455-66778899AABB}\n", std::nullopt},
      {__LINE__, "text after the string skipped",
       kRegHeader + kProgIdKey + "@=\"{11111111-2222-3333-4455-66778899AABB}\"x\n", std::nullopt},
      {__LINE__, "malformed line does not end the file",
       kRegHeader + kProgIdKey + "@=\"{broken\n@@@\n" + kClsidValue, kClsid},
      {__LINE__, "key line without its bracket drops the values under it",
       kRegHeader + "[HKEY_CLASSES_ROOT\\Test.Thing\\CLSID\n" + kClsidValue, std::nullopt},
      {__LINE__, "later value wins", kRegHeader + kProgIdKey + kOtherValue + kClsidValue, kClsid},
      {__LINE__, "value deleted", kRegHeader + kProgIdKey + kClsidValue + "@=-\n", std::nullopt},
      {__LINE__, "key deleted with its subkeys",
       kRegHeader + kProgIdKey + kClsidValue + "[-HKEY_CLASSES_ROOT\\Test.Thing]\n", std::nullopt},
      {__LINE__, "deleting a sibling with a longer name keeps the key",
       kRegHeader + kProgIdKey + kClsidValue + "[-HKEY_CLASSES_ROOT\\Test.Thing2]\n", kClsid},
      {__LINE__, "empty file", "", std::nullopt},
      {__LINE__, "binary noise skipped",
       kRegHeader + "\0\x01[\xFF\n@=\"\xFF\n[]\n@=\"x\"\n"s + kProgIdKey + kClsidValue, kClsid},
  };
  for (const ProgIdCase& row : cases) {
    SCOPED_TRACE(testing::Message() << "line " << row.line << ": " << row.what);
    RegistryFiles registry;
    registry.useOnly(row.file);
    EXPECT_EQ(progIdLookup(u"Test.Thing"), row.expected);
  }
}

TEST(RegFile, ProgIdsCompareWithoutCase) {
  RegistryFiles registry;
  registry.useOnly(kRegHeader + kProgIdKey + kClsidValue);
  EXPECT_EQ(progIdLookup(u"test.THING"), kClsid);
  EXPECT_EQ(progIdLookup(u"Test.Thing2"), std::nullopt);
  EXPECT_EQ(progIdLookup(u"Test"), std::nullopt);
  EXPECT_EQ(progIdLookup(u""), std::nullopt);
}

TEST(RegFile, ProgIdArgumentsAreChecked) {
  CLSID clsid;
  EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromProgID(u"Test.Thing", nullptr), E_INVALIDARG);
}

struct ServerCase {
  int line;
  const char* what;
  std::string value;     // the @= line's right-hand side
  std::string expected;  // relative expectations are taken against the folder
  bool relativeToFolder;
};

TEST(RegFile, ReadsInprocServerPaths) {
  const ServerCase cases[] = {
      {__LINE__, "absolute path", "\"/opt/servers/server.so\"", "/opt/servers/server.so", false},
      {__LINE__, "relative path", "\"server.so\"", "server.so", true},
      {__LINE__, "relative path into a subfolder", "\"lib/server.so\"", "lib/server.so", true},
      {__LINE__, "escaped backslash", "\"/opt/a\\\\b.so\"", "/opt/a\\b.so", false},
      {__LINE__, "escaped quote", "\"/opt/a\\\"b.so\"", "/opt/a\"b.so", false},
      {__LINE__, "other escapes kept as written", "\"/opt/a\\nb.so\"", "/opt/a\\nb.so", false},
      {__LINE__, "empty path: not registered", "\"\"", "", false},
  };
  for (const ServerCase& row : cases) {
    SCOPED_TRACE(testing::Message() << "line " << row.line << ": " << row.what);
    RegistryFiles registry;
    const auto file = registry.write(
        "reg/servers.reg",
        std::string(kRegHeader) +
            "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4455-66778899AABB}\\InprocServer32]\n"
            "@=" +
            row.value + "\n\"ThreadingModel\"=\"Both\"\n");
    registry.use(file.string());
    const std::optional<std::string> server = automation::registry::inprocServerOf(kClsid);
    if (row.expected.empty()) {
      EXPECT_EQ(server, std::nullopt);
    } else {
      const std::string expected =
          row.relativeToFolder ? (file.parent_path() / row.expected).string() : row.expected;
      EXPECT_EQ(server, expected);
    }
    EXPECT_EQ(automation::registry::inprocServerOf(kOtherClsid), std::nullopt);
  }
}

TEST(RegFile, ClsidKeysCompareWithoutCase) {
  RegistryFiles registry;
  registry.useOnly(std::string(kRegHeader) +
                   "[hkey_classes_root\\clsid\\{11111111-2222-3333-4455-66778899aabb}\\"
                   "inprocserver32]\n@=\"/x.so\"\n");
  EXPECT_EQ(automation::registry::inprocServerOf(kClsid), "/x.so");
}

TEST(RegFile, ListsFilesAndFoldersInOrder) {
  RegistryFiles registry;
  const auto first = registry.write("first.reg", kRegHeader + kProgIdKey + kOtherValue);
  // A folder contributes its .reg files in name order, and nothing else.
  registry.write("folder/b.reg", kRegHeader + kProgIdKey + kClsidValue);
  registry.write("folder/a.reg", kRegHeader + kProgIdKey + kOtherValue);
  registry.write("folder/c.txt", kRegHeader + kProgIdKey + kOtherValue);
  registry.write("folder/d.reg.bak", kRegHeader + kProgIdKey + kOtherValue);
  const auto folder = registry.folder() / "folder";

  registry.use(first.string() + ":" + folder.string());
  EXPECT_EQ(progIdLookup(u"Test.Thing"), kClsid) << "the folder's b.reg is read last";

  registry.use(folder.string() + ":" + first.string());
  EXPECT_EQ(progIdLookup(u"Test.Thing"), kOtherClsid) << "the file listed last wins";

  registry.use("::" + registry.folder().string() + "/missing.reg:" + first.string() + ":");
  EXPECT_EQ(progIdLookup(u"Test.Thing"), kOtherClsid) << "empty and missing entries are skipped";
}

TEST(RegFile, RegistrationsAreReadAfreshOnEachLookup) {
  RegistryFiles registry;
  registry.useOnly(kRegHeader + kProgIdKey + kClsidValue);
  EXPECT_EQ(progIdLookup(u"Test.Thing"), kClsid);
  registry.useOnly(kRegHeader + kProgIdKey + kOtherValue);
  EXPECT_EQ(progIdLookup(u"Test.Thing"), kOtherClsid);
}

TEST(RegFile, EmptyOrUnsetVariableDropsTheListedFiles) {
  RegistryFiles registry;
  registry.useOnly(kRegHeader + kProgIdKey + kClsidValue);
  registry.use("");
  EXPECT_EQ(progIdLookup(u"Test.Thing"), std::nullopt);
  // Unset, the system folder is read; it does not know this test's ProgID.
  unsetenv(kAutomationRegistryVariable);
  EXPECT_EQ(progIdLookup(u"Test.Thing"), std::nullopt);
}

}  // namespace
