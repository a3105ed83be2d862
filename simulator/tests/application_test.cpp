// The simulated application behind the automation members.
#include "application.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "model_file.h"
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

std::string failure(const Application& application) {
  std::ostringstream text;
  text << "0x" << std::hex << static_cast<ULONG>(application.lastFailure().code) << " "
       << application.lastFailure().description;
  return text.str();
}

TEST(Application, ScriptWithAFaultChangesNothing) {
  Application application;
  EXPECT_EQ(application.execute("set 1 Speed 99\nuvo Fresh 1\nset 1 Fresh nope"), DISP_E_EXCEPTION);
  EXPECT_EQ(valueOf(application.instance(1), u"Speed"), "R8 12.5");
  EXPECT_EQ(valueOf(application.engine(), u"Fresh"), "(none)");
  EXPECT_EQ(failure(application), "0x80070057 line 3: expected a value, found \"nope\"");
  EXPECT_EQ(lastError(application), "BSTR \"line 3: expected a value, found \\u0022nope\\u0022\"");

  EXPECT_EQ(application.execute("uvo Time 1.5"), S_OK);
  EXPECT_EQ(valueOf(application.engine(), u"Time"), "R8 1.5");
  EXPECT_EQ(lastError(application), "BSTR \"\"");
  EXPECT_EQ(failure(application), "0x0 ");
}

class ApplicationModels : public ::testing::Test {
 protected:
  std::filesystem::path writeFile(std::string_view name, std::string_view text) {
    std::filesystem::path file = folder_ / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }

  // Opens the model, failing the test when it does not load.
  LONG open(const std::filesystem::path& file) {
    LONG instance = 0;
    EXPECT_EQ(application_.open(file, &instance), S_OK) << failure(application_);
    return instance;
  }

  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_ = [] {
    auto folder = std::filesystem::path(::testing::TempDir()) /
                  ("simulator-models-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder;
  }();
  Application application_;
};

TEST_F(ApplicationModels, OpenLoadsEachModelIntoANewInstanceAboveTheHighestInUse) {
  const std::filesystem::path model = writeFile("a.model", "var x 1\nvar y \"why\"\n");
  EXPECT_EQ(open(model), 2) << "the demo instance 1 is in use";
  EXPECT_EQ(open(model), 3);
  ASSERT_EQ(application_.execute("set 40 z 1\nset -70 z 1"), S_OK);
  EXPECT_EQ(open(model), 41);

  EXPECT_EQ(application_.instance(41).names(), (std::vector<std::u16string>{u"x", u"y"}));
  EXPECT_EQ(valueOf(application_.instance(41), u"y"), "BSTR \"why\"");
  EXPECT_EQ(application_.instance(40).names(), (std::vector<std::u16string>{u"z"}));
  EXPECT_EQ(open(writeFile("empty.model", "# nothing yet\n")), 42);
  EXPECT_EQ(open(model), 43) << "an empty model still takes its number";
}

TEST_F(ApplicationModels, OpenAlsoRunsTheModelsOtherStatements) {
  const LONG instance =
      open(writeFile("m.model", "var own 1\nset 1 Speed 2.5\nuvo Solver \"rk4\"\nvar more 2\n"));
  EXPECT_EQ(application_.instance(instance).names(),
            (std::vector<std::u16string>{u"own", u"more"}));
  EXPECT_EQ(valueOf(application_.instance(1), u"Speed"), "R8 2.5");
  EXPECT_EQ(valueOf(application_.engine(), u"Solver"), "BSTR \"rk4\"");
  EXPECT_EQ(lastError(application_), "BSTR \"\"");
}

TEST_F(ApplicationModels, OpenRefusesWhenNoHigherInstanceNumberIsLeft) {
  ASSERT_EQ(application_.execute("set 2147483647 top 1"), S_OK);
  LONG instance = -5;
  EXPECT_EQ(application_.open(writeFile("m.model", "var x 1\nuvo Loaded 1\n"), &instance),
            DISP_E_EXCEPTION);
  EXPECT_EQ(instance, -5);
  EXPECT_EQ(failure(application_),
            "0x80070057 instance 2147483647 is in use, and a new instance needs a higher number");
  EXPECT_EQ(valueOf(application_.engine(), u"Loaded"), "(none)");
}

TEST_F(ApplicationModels, FilesThatCannotBeLoadedOpenNoInstanceAndChangeNothing) {
  const std::string folder = folder_.string();
  const std::filesystem::path faulty = writeFile("faulty.model", "var a 1\nuvo Touched 1\nvar b\n");
  const std::filesystem::path large = writeFile("large.model", "");
  std::filesystem::resize_file(large, kLargestModelFile + 1);
  struct Case {
    int line;
    std::filesystem::path file;
    std::string failure;
  };
  const Case cases[] = {
      {__LINE__, folder_ / "missing.model", "0x80070002 cannot read " + folder + "/missing.model"},
      {__LINE__, folder_, "0x80070002 cannot read " + folder},
      {__LINE__, faulty, "0x80070057 " + folder + "/faulty.model: line 3: expected a value"},
      {__LINE__, large, "0x800700df " + folder + "/large.model is larger than 16 MiB"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line);
    LONG instance = -5;
    EXPECT_EQ(application_.open(row.file, &instance), DISP_E_EXCEPTION);
    EXPECT_EQ(instance, -5);
    EXPECT_EQ(failure(application_), row.failure);
    EXPECT_EQ(lastError(application_), "BSTR \"" + row.failure.substr(11) + "\"");
  }
  EXPECT_EQ(valueOf(application_.engine(), u"Touched"), "(none)");
  EXPECT_EQ(open(writeFile("good.model", "var a 1\n")), 2) << "no number was used up";
}

TEST_F(ApplicationModels, ReloadReplacesAllTheInstancesVariables) {
  const std::filesystem::path file = writeFile("m.model", "var a 1\nvar b 2\n");
  const LONG instance = open(file);
  ASSERT_EQ(application_.execute("set " + std::to_string(instance) + " a 50\nset " +
                                 std::to_string(instance) + " added 3"),
            S_OK);
  writeFile("m.model", "var b int:[[5]]\nvar d \"new\"\n");

  EXPECT_EQ(application_.reload(instance), S_OK);
  const VariableTable& table = application_.instance(instance);
  EXPECT_EQ(table.names(), (std::vector<std::u16string>{u"b", u"d"}));
  EXPECT_EQ(valueOf(table, u"b"), "ARRAY I4 [0:1][0:1] {5}");
  EXPECT_EQ(valueOf(table, u"d"), "BSTR \"new\"");
  EXPECT_EQ(open(writeFile("other.model", "")), instance + 1);
}

TEST_F(ApplicationModels, ReloadOfAFaultyOrMissingFileChangesNothing) {
  const std::string folder = folder_.string();
  const std::filesystem::path file = writeFile("m.model", "var a 1\n");
  const LONG instance = open(file);

  writeFile("m.model", "var a 2\nuvo Touched 1\nvar b byte:300\n");
  EXPECT_EQ(application_.reload(instance), DISP_E_EXCEPTION);
  EXPECT_EQ(failure(application_), "0x80070057 " + folder +
                                       "/m.model: line 3: \"300\" is out of range for byte "
                                       "(-128 to 127)");
  std::filesystem::remove(file);
  EXPECT_EQ(application_.reload(instance), DISP_E_EXCEPTION);
  EXPECT_EQ(failure(application_), "0x80070002 cannot read " + folder + "/m.model");
  EXPECT_EQ(application_.instance(instance).names(), (std::vector<std::u16string>{u"a"}));
  EXPECT_EQ(valueOf(application_.instance(instance), u"a"), "I4 1");
  EXPECT_EQ(valueOf(application_.engine(), u"Touched"), "(none)");

  writeFile("m.model", "var a 3\n");
  EXPECT_EQ(application_.reload(instance), S_OK) << "the instance keeps its file";
  EXPECT_EQ(valueOf(application_.instance(instance), u"a"), "I4 3");
}

TEST_F(ApplicationModels, ReloadOnlyInstancesLoadedFromAFile) {
  ASSERT_EQ(open(writeFile("m.model", "var a 1\n")), 2);
  for (LONG instance : {0, 1, 3, -1, 2147483647}) {
    EXPECT_EQ(application_.reload(instance), E_INVALIDARG) << instance;
    EXPECT_EQ(lastError(application_), "BSTR \"instance " + std::to_string(instance) +
                                           " was not loaded from a model file\"");
  }
}

// The example that the README and the console's tour open.
TEST_F(ApplicationModels, LoadsTheExampleModel) {
  const LONG instance = open(std::filesystem::path(VARDELON_EXAMPLES_DIR) / "demo.model");
  ASSERT_EQ(instance, 2);
  const VariableTable& demo = application_.instance(instance);
  struct Variable {
    std::u16string_view name;
    std::string value;
  };
  const Variable expected[] = {
      {u"Gear", "I1 -7"},
      {u"Teeth", "I2 1200"},
      {u"Steps", "I4 250000"},
      {u"Gain", "R4 0.75"},
      {u"Mass", "R8 1250.5"},
      {u"Running", "BOOL -1"},
      {u"Speed", "R8 12.5"},
      {u"Count", "I4 42"},
      {u"Title", "BSTR \"Pr\\u00FCfstand S\\u00FCd \\u2013 Motor 2, 20 \\u00B0C\""},
      {u"Note", "BSTR \"say \\u0022go\\u0022\\u0009then wait\\u000Asecond line\""},
      {u"Offsets", "ARRAY I1 [0:1][0:3] {-128, 0, 127}"},
      {u"Samples", "ARRAY I2 [0:3][0:2] {1, 2, 3, 4, 5, 6}"},
      {u"Counts", "ARRAY I4 [0:2][0:3] {1, 2, 3, 4, 5, 6}"},
      {u"Weights", "ARRAY R4 [0:2][0:2] {0.5, 0.25, 0.125, 1}"},
      {u"Positions", "ARRAY R8 [0:2][0:3] {1.5, -2.25, 3, 0, 0.001, 6.02e+23}"},
      {u"Mask", "ARRAY BOOL [0:2][0:2] {-1, 0, 0, -1}"},
      {u"Grid", "ARRAY R8 [0:2][0:2] {1, 2, 3, 4}"},
  };
  std::vector<std::u16string> names;
  for (const Variable& variable : expected) {
    names.emplace_back(variable.name);
    EXPECT_EQ(valueOf(demo, variable.name), variable.value);
  }
  EXPECT_EQ(demo.names(), names);
  EXPECT_EQ(valueOf(application_.engine(), u"DemoModel"), "BSTR \"loaded\"");
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
