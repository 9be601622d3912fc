// Echo redirection, tracing, queries and project variables.
#include <cstring>
#include <gtest/gtest.h>

#include "platform/sys/system_calls.h"
#include "platform/ui/testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "workbench/app/library_callbacks.h"

namespace orv::workbench::app {
namespace {

struct SplitCase {
  const char* text;
  const char* message;
  const char* file;  // nullptr: no redirection
};

class SplitEcho : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitEcho, Splits) {
  EchoRedirect r = splitEchoRedirect(GetParam().text);
  EXPECT_EQ(r.message, GetParam().message);
  ASSERT_EQ(r.file.has_value(), GetParam().file != nullptr);
  if (r.file) {
    EXPECT_EQ(*r.file, GetParam().file);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitEcho,
                         ::testing::Values(SplitCase{"done > /tmp/log.txt", "done ", "/tmp/log.txt"},
                                           SplitCase{"a\\>b", "a\\>b", nullptr},
                                           SplitCase{">/x", "", "/x"},
                                           SplitCase{"m >\t/y  ", "m ", "/y"},
                                           SplitCase{"a\\>b > c", "a\\>b ", "c"},
                                           SplitCase{"plain", "plain", nullptr}));

TEST(LibraryCallbacks, EchoAppendsOrShows) {
  test::TempDir dir;
  ui::testing::ScriptedUi ui;
  LibraryCallbacks cb(ui, nullptr);
  const std::string log = dir.file("log.txt");
  EXPECT_EQ(cb.echoTrace(("done > " + log).c_str(), nullptr, 1, 0), 0);
  EXPECT_EQ(cb.echoTrace(("more >" + log).c_str(), "cfg", 2, 0), 0);
  std::string text;
  ASSERT_EQ(sys::readWholeFile(log, text), 0);
  EXPECT_EQ(text, "done \nmore \n");
  ui.expectMessage("Cannot open " + dir.file("no/such") + ".", ui::kAnswerOk);
  EXPECT_EQ(cb.echoTrace(("x > " + dir.file("no/such")).c_str(), "cfg", 3, 0), 1);
  ui.expectMessage("a\\>b", ui::kAnswerOk);
  EXPECT_EQ(cb.echoTrace("a\\>b", "cfg", 4, 0), 0);
  EXPECT_EQ(ui.messages.back().caption, "Configuration Echo");
}

TEST(LibraryCallbacks, CancelOnATraceEndsTracingButNotEchoes) {
  ui::testing::ScriptedUi ui;
  LibraryCallbacks cb(ui, nullptr);
  ui.expectMessage("Line 3: set x", ui::kAnswerOk);
  ui.expectMessage("Line 4: bad", ui::kAnswerOk);
  ui.expectMessage("Line 5: set y", ui::kAnswerCancel);
  EXPECT_EQ(cb.echoTrace("set x", "orvrcs.rc", 3, 1), 0);
  EXPECT_EQ(ui.messages.back().caption, "Tracing Config File orvrcs.rc");
  EXPECT_EQ(cb.echoTrace("bad", nullptr, 4, 2), 0);
  EXPECT_EQ(ui.messages.back().caption, "Tracing Config File ");
  EXPECT_EQ(cb.echoTrace("set y", "orvrcs.rc", 5, 1), 0);
  EXPECT_TRUE(cb.tracingOff());
  EXPECT_EQ(cb.echoTrace("set z", "orvrcs.rc", 6, 1), 0);
  EXPECT_EQ(cb.echoTrace("bad again", "orvrcs.rc", 7, 2), 0);
  ui.expectMessage("hello", ui::kAnswerOk);
  EXPECT_EQ(cb.echoTrace("hello", "orvrcs.rc", 8, 0), 0);
}

TEST(LibraryCallbacks, QueryAndVariableAnswers) {
  ui::testing::ScriptedUi ui;
  LibraryCallbacks cb(ui, [](const std::string& name, const std::string& proposed) {
    return name == "NONE" ? std::nullopt : std::optional<std::string>(proposed + "!");
  });
  char buf[8] = "Name?";
  ui.expectInput("Name?", std::string("a much longer answer"));
  EXPECT_TRUE(cb.query(buf, sizeof buf));
  EXPECT_STREQ(buf, "a much ");
  std::strcpy(buf, "Name?");
  ui.expectInput("Name?", std::string(""));
  EXPECT_FALSE(cb.query(buf, sizeof buf));
  std::strcpy(buf, "Name?");
  ui.expectInput("Name?", std::nullopt);
  EXPECT_FALSE(cb.query(buf, sizeof buf));
  EXPECT_STREQ(buf, "");
  char value[16] = "stale";
  EXPECT_TRUE(cb.projectVariable("SRC", "/src", value, sizeof value));
  EXPECT_STREQ(value, "/src!");
  EXPECT_FALSE(cb.projectVariable("NONE", "/src", value, sizeof value));
  EXPECT_STREQ(value, "");
}

}  // namespace
}  // namespace orv::workbench::app
