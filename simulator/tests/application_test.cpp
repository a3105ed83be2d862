// The simulated application behind the automation members.
#include "application.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "variant_text.h"

namespace vardelon::simulator {
namespace {

using vardelon::testing::variantText;

std::string valueOf(const VariableTable& table, std::u16string_view name) {
  const Value* value = table.find(name);
  return value == nullptr ? "(none)" : variantText(value->get());
}

std::string lastError(const Application& application) {
  return valueOf(application.engine(), u"LastError");
}

TEST(Application, StartsWithTheDemoVariables) {
  Application application;
  const VariableTable& demo = application.instance(1);
  EXPECT_EQ(demo.names(),
            (std::vector<std::u16string>{u"Speed", u"Count", u"Label", u"Grid", u"Enabled"}));
  EXPECT_EQ(valueOf(demo, u"Speed"), "R8 12.5");
  EXPECT_EQ(valueOf(demo, u"Count"), "I4 42");
  EXPECT_EQ(valueOf(demo, u"Label"), "BSTR \"Vardelon demo\"");
  EXPECT_EQ(valueOf(demo, u"Grid"), "ARRAY R8 [0:2][0:3] {1, 2, 3, 4, 5, 6}");
  EXPECT_EQ(valueOf(demo, u"Enabled"), "BOOL -1");
  EXPECT_EQ(application.engine().names(),
            (std::vector<std::u16string>{u"Time", u"StepSize", u"Solver", u"LastError",
                                         u"WindowState", u"Visible", u"ChangeNotifications"}));
  EXPECT_EQ(valueOf(application.engine(), u"StepSize"), "R8 0.01");
  EXPECT_EQ(lastError(application), "BSTR \"\"");
  EXPECT_TRUE(application.running());
}

TEST(Application, NumbersVariablesInTheOrderTheyWereFirstSet) {
  Application application;
  ASSERT_EQ(application.execute("set 5 b 1\nset 5 a 2\nset 5 b 3"), S_OK);
  const VariableTable& table = application.instance(5);
  EXPECT_EQ(table.names(), (std::vector<std::u16string>{u"b", u"a"}));
  EXPECT_EQ(variantText(table.find(0)->get()), "I4 3");
  EXPECT_EQ(variantText(table.find(1)->get()), "I4 2");
  EXPECT_EQ(table.find(2), nullptr);
  EXPECT_EQ(table.find(-1), nullptr);
}

TEST(Application, InstancesNeverWrittenAreEmpty) {
  const Application application;
  EXPECT_EQ(application.instance(0).size(), 0u);
  EXPECT_EQ(application.instance(-7).size(), 0u);
}

TEST(Application, ScriptWithAFaultChangesNothing) {
  Application application;
  EXPECT_EQ(application.execute("set 1 Speed 99\nset 1 Fresh nope"), E_INVALIDARG);
  EXPECT_EQ(valueOf(application.instance(1), u"Speed"), "R8 12.5");
  EXPECT_EQ(valueOf(application.instance(1), u"Fresh"), "(none)");
  EXPECT_EQ(lastError(application), "BSTR \"line 2: expected a value, found \\u0022nope\\u0022\"");

  EXPECT_EQ(application.execute("uvo Time 1.5"), S_OK);
  EXPECT_EQ(valueOf(application.engine(), u"Time"), "R8 1.5");
  EXPECT_EQ(lastError(application), "BSTR \"\"");
}

class ApplicationDocuments : public ::testing::Test {
 protected:
  std::filesystem::path writeFile(std::string_view name, std::string_view text) {
    std::filesystem::path file = folder_ / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }

  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_ = [] {
    auto folder = std::filesystem::path(::testing::TempDir()) /
                  ("simulator-documents-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder;
  }();
  Application application_;
};

TEST_F(ApplicationDocuments, OpenRunsTheFileAndNumbersDocumentsFromOne) {
  LONG first = 0;
  LONG second = 0;
  ASSERT_EQ(application_.open(writeFile("a.vard", "set 2 x 1\n"), &first), S_OK);
  ASSERT_EQ(application_.open(writeFile("b.vard", "set 2 y 2\n"), &second), S_OK);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(application_.instance(2).names(), (std::vector<std::u16string>{u"x", u"y"}));
}

TEST_F(ApplicationDocuments, ReloadRunsTheFileAsItReadsNow) {
  const std::filesystem::path file = writeFile("model.vard", "set 3 Speed 1\n");
  LONG document = 0;
  ASSERT_EQ(application_.open(file, &document), S_OK);
  ASSERT_EQ(application_.execute("set 3 Speed 50"), S_OK);
  writeFile("model.vard", "set 3 Speed 2\n");

  EXPECT_EQ(application_.reload(document), S_OK);
  EXPECT_EQ(valueOf(application_.instance(3), u"Speed"), "I4 2");
}

TEST_F(ApplicationDocuments, UnreadableOrFaultyFilesOpenNoDocument) {
  LONG document = -5;
  const std::filesystem::path missing = folder_ / "missing.vard";
  EXPECT_EQ(application_.open(missing, &document), kFileNotFound);
  EXPECT_EQ(lastError(application_), "BSTR \"cannot read " + missing.string() + "\"");
  EXPECT_EQ(application_.open(writeFile("bad.vard", "set 1 x\n"), &document), E_INVALIDARG);
  EXPECT_EQ(document, -5);

  ASSERT_EQ(application_.open(writeFile("good.vard", "set 1 x 1\n"), &document), S_OK);
  EXPECT_EQ(document, 1);
}

TEST_F(ApplicationDocuments, ReloadOfAnUnknownDocumentFails) {
  for (LONG document : {0, 1, -1}) {
    EXPECT_EQ(application_.reload(document), E_INVALIDARG) << document;
    EXPECT_EQ(lastError(application_), "BSTR \"no document " + std::to_string(document) + "\"");
  }
}

TEST_F(ApplicationDocuments, ReloadOfAFileThatWentAwayFails) {
  LONG document = 0;
  const std::filesystem::path file = writeFile("gone.vard", "set 1 x 1\n");
  ASSERT_EQ(application_.open(file, &document), S_OK);
  std::filesystem::remove(file);
  EXPECT_EQ(application_.reload(document), kFileNotFound);
}

TEST(Application, PublishesItsWindowState) {
  Application application;
  const VariableTable& engine = application.engine();
  EXPECT_EQ(valueOf(engine, u"WindowState"), "BSTR \"normal\"");
  EXPECT_EQ(valueOf(engine, u"Visible"), "BOOL 0");

  application.setWindowState(WindowState::maximized);
  EXPECT_EQ(valueOf(engine, u"WindowState"), "BSTR \"maximized\"");
  application.setWindowState(WindowState::minimized);
  EXPECT_EQ(valueOf(engine, u"WindowState"), "BSTR \"minimized\"");
  application.show();
  EXPECT_EQ(valueOf(engine, u"Visible"), "BOOL -1");
  EXPECT_EQ(valueOf(engine, u"WindowState"), "BSTR \"minimized\"");
  application.setWindowState(WindowState::normal);
  EXPECT_EQ(valueOf(engine, u"WindowState"), "BSTR \"normal\"");
}

TEST(Application, RecordsChangeNotificationRequests) {
  Application application;
  application.requestChangeNotification(1, u"Speed");
  application.requestChangeNotification(-4, u"Grüße");
  ASSERT_EQ(application.changeNotifications().size(), 2u);
  EXPECT_EQ(application.changeNotifications()[1].instance, -4);
  EXPECT_EQ(valueOf(application.engine(), u"ChangeNotifications"),
            "BSTR \"1 Speed\\u000A-4 Gr\\u00FC\\u00DFe\\u000A\"");
}

TEST(Application, QuitStopsIt) {
  Application application;
  application.quit();
  EXPECT_FALSE(application.running());
}

}  // namespace
}  // namespace vardelon::simulator
