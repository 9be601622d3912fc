// Texts, message boxes and ellipsis fitting.
#include <gtest/gtest.h>

#include "platform/ui/testing/scripted_ui.h"
#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"
#include "workbench/app/text_fit.h"

namespace orv::workbench::app {
namespace {

TEST(StringTable, KnownAndUnknownNumbers) {
  EXPECT_EQ(loadString(kStrAppTitle), "Orv Tessalyworkbench");
  EXPECT_NE(loadString(kStrBadRevision).find("Number.  Must"), std::string_view::npos);
  EXPECT_EQ(loadString(10013), "About ;");
  EXPECT_EQ(loadString(1), "");
  EXPECT_EQ(loadString(-1), "");
}

TEST(Messages, LongTextsAreCutNotFatal) {
  ui::testing::ScriptedUi ui;
  ui.expectMessage("xxx", ui::kAnswerOk);
  std::string huge(5000, 'x');
  EXPECT_EQ(showText(ui, ui::MessageIcon::warning, huge), ui::kAnswerOk);
  ASSERT_EQ(ui.messages.size(), 1u);
  const auto& m = ui.messages[0];
  EXPECT_EQ(m.caption, "Orv Tessalyworkbench");
  EXPECT_EQ(m.text.size(), kMessageLimit);
  EXPECT_EQ(m.text.substr(m.text.size() - 3), "...");
  EXPECT_EQ(cutForDisplay("short"), "short");
  // A cut never splits a UTF-8 sequence.
  std::string accents;
  for (int i = 0; i < 10; ++i) accents += "\xC3\xA9";
  std::string cut = cutForDisplay(accents, 8);
  EXPECT_EQ(cut, "\xC3\xA9\xC3\xA9...");
}

TEST(Messages, ErrorVariantAppendsTheLibraryText) {
  ui::testing::ScriptedUi ui;
  ui.expectMessage("Cannot open a.c\n\nArchive not found", ui::kAnswerOk);
  showErrorMessage(ui, ui::okBox("", formatText("Cannot open %s", "a.c"), ui::MessageIcon::error),
                   "Archive not found");
  EXPECT_EQ(formatText("%s-%d", std::string(600, 'a').c_str(), 7).size(), 602u);
}

struct FitCase {
  const char* text;
  int width;
  const char* result;
  bool fits;
};

class FitText : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitText, OneUnitPerByte) {
  const FitCase& c = GetParam();
  auto measure = [](std::string_view t) { return static_cast<int>(t.size()); };
  FittedText r = fitTextWithEllipsis(c.text, c.width, measure);
  EXPECT_EQ(r.text, c.result);
  EXPECT_EQ(r.fits, c.fits);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitText,
    ::testing::Values(FitCase{"/src/lib/util/file.c", 20, "/src/lib/util/file.c", true},
                      FitCase{"/src/lib/util/file.c", 19, "/.../util/file.c", true},
                      FitCase{"src/lib/util/file.c", 15, "src/.../file.c", true},
                      FitCase{"//server/share/dir/file.c", 20, "//server/.../file.c", true},
                      FitCase{"/src/lib/util/file.c", 8, "file.c", false},
                      FitCase{"averyveryverylongname.c", 5, "averyveryverylongname.c", false},
                      FitCase{"", 0, "", true}));

TEST(FitText, TooLongForTheResultGivesNothing) {
  auto measure = [](std::string_view t) { return static_cast<int>(t.size()); };
  FittedText r = fitTextWithEllipsis(std::string(300, 'a'), 1000, measure);
  EXPECT_EQ(r.text, "");
  EXPECT_FALSE(r.fits);
}

}  // namespace
}  // namespace orv::workbench::app
