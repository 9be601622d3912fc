// Temporary names and revision dates.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/sys/fault_injection.h"
#include "platform/ui/testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "workbench/app/temp_names.h"
#include "workbench/archive/revision_date.h"

namespace orv::workbench::app {
namespace {

TEST(TempFileName, Patterns) {
  EXPECT_EQ(tempFileName("/t", "/src/main.c", 0), "/t/mai00000.c");
  EXPECT_EQ(tempFileName("/t/", "Makefile", 0), "/t/Mak00000.");
  EXPECT_EQ(tempFileName("/t", ".profile", 0x1a), "/t/xxx0001a.profile");
  EXPECT_EQ(tempFileName("/t", "a.tar.gz", 0xfffe), "/t/a0fffe.tar.gz");
  EXPECT_EQ(tempFileName("", "x.c", 1), "x00001.c");
  EXPECT_EQ(tempFileName("/t", "/src/", 0), "");
}

TEST(TempFiles, ReservesPrivateNamesAndRemovesThem) {
  test::TempDir dir;
  ui::testing::ScriptedUi ui;
  std::optional<std::string> a, b;
  {
    TempFiles temps(ui);
    a = temps.make("/src/main.c", {dir.path()});
    b = temps.make("/src/main.c", {dir.path()});
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, dir.file("mai00000.c"));
    EXPECT_EQ(*b, dir.file("mai00001.c"));
    struct stat st {};
    ASSERT_EQ(::stat(a->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(temps.make("/src/", {dir.path()}));
  }
  struct stat st {};
  EXPECT_NE(::stat(a->c_str(), &st), 0);
  EXPECT_NE(::stat(b->c_str(), &st), 0);
}

TEST(TempFiles, MissingDirectoryIsMadeAnUncreatableOneReportedAndSkipped) {
  test::TempDir dir;
  ui::testing::ScriptedUi ui;
  TempFiles temps(ui);
  auto made = temps.make("a.c", {dir.file("new/deeper")});
  ASSERT_TRUE(made);
  EXPECT_EQ(*made, dir.file("new/deeper/a00000.c"));
  ui.expectMessage("Could not create directory " + dir.file("bad") + ".", ui::kAnswerOk);
  {
    sys::ScopedFault<&sys::SystemCalls::mkdir> fault(EACCES, {.pathContains = "bad"});
    made = temps.make("a.c", {dir.file("bad"), dir.path()});
  }
  ASSERT_TRUE(made);
  EXPECT_EQ(*made, dir.file("a00000.c"));
}

struct DateCase {
  const char* text;
  std::optional<std::time_t> time;
};

class RevisionDate : public ::testing::TestWithParam<DateCase> {};

TEST_P(RevisionDate, Parses) { EXPECT_EQ(archive::parseRevisionDate(GetParam().text), GetParam().time); }

INSTANTIATE_TEST_SUITE_P(Cases, RevisionDate,
                         ::testing::Values(DateCase{"2003/05/04/10/20/30", 1052043630},
                                           DateCase{"2003/05/04 10:20:30", 1052043630},
                                           DateCase{"97/05/04/10/20/30", 862741230},
                                           DateCase{"97/05/04 10:20:30", 862741230},
                                           DateCase{"2003/13/04/10/20/30", std::nullopt},
                                           DateCase{"2003/05/04/10/20", std::nullopt},
                                           DateCase{"2003/05/x4/10/20/30", std::nullopt},
                                           DateCase{"", std::nullopt}));

TEST(RevisionDate, FormatsInUtcAndRoundTrips) {
  EXPECT_EQ(archive::formatRevisionDate(1052043630), "2003.05.04.10.20.30");
  EXPECT_EQ(archive::parseRevisionDate(archive::formatRevisionDate(1052043630)), 1052043630);
}

}  // namespace
}  // namespace orv::workbench::app
