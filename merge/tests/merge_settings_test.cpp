// The merge program's settings: defaults on a first run with nothing
// written, every group written and read back, the six colour keys, the font
// forms, the save format written only when it changed, and file-name case.
#include <gtest/gtest.h>

#include "merge/merge_settings.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

namespace {

using namespace orv::merge;

std::string readFile(const std::string& p) {
  std::string t;
  return orv::sys::readWholeFile(p, t) == 0 ? t : "<missing>";
}

TEST(MergeSettings, FirstRunDefaultsAndRoundTrip) {
  orv::test::TempDir d{"orv-vardel"};
  const std::string ini = d.path() + "/vardel.ini";
  orv::sys::writeWholeFile(ini, "");
  MergeSettings s = loadSettings(ini);
  EXPECT_EQ(s.viewMode, 3);
  EXPECT_TRUE(s.lineNumbers && s.commonLines && s.preserveFileCase);
  EXPECT_EQ(s.commentBegin, "/*");
  EXPECT_EQ(s.saveFormat, 1);
  EXPECT_EQ(s.colours[1].background, 0x00FFFF);
  EXPECT_TRUE(s.font.system);
  EXPECT_EQ(readFile(ini), "");  // reading writes nothing

  s.viewMode = 2;
  s.commonLines = false;
  s.options.ignoreCase = true;
  s.commentBegin = std::string(30, '#');
  s.commentEnd = "";
  s.colours[4] = {true, 0x112233, 0x445566};
  s.font = parseFont("Mono,-13,0,400,0,49,0,10");
  ASSERT_EQ(saveViewAndOptions(ini, s), 0);
  ASSERT_EQ(saveComments(ini, s), 0);
  ASSERT_EQ(saveColours(ini, s), 0);
  ASSERT_EQ(saveFont(ini, s), 0);
  const std::string text = readFile(ini);
  for (const char* key : {"NORMAL_LINES=0,16777215", "CHANGED_LINES=0,65535", "ADDED_LINES=", "DELETED_LINES=",
                          "FILE1_LINES=1122867,4478310", "FILE2_LINES="})
    EXPECT_NE(text.find(key), std::string::npos) << key;
  const MergeSettings back = loadSettings(ini);
  EXPECT_EQ(back.viewMode, 2);
  EXPECT_FALSE(back.commonLines);
  EXPECT_TRUE(back.options.ignoreCase);
  EXPECT_EQ(back.commentBegin, std::string(24, '#'));
  EXPECT_EQ(back.commentEnd, "");
  EXPECT_EQ(back.colours[4].foreground, 0x112233);
  EXPECT_TRUE(back.colours[4].set);
  EXPECT_EQ(back.colours[6].background, back.colours[0].background);
  EXPECT_EQ(formatFont(back.font), "Mono,-13,0,400,0,49,0,10");

  // The save format is written only when it changed.
  ASSERT_EQ(saveFormatIfChanged(ini, 1, 1), 0);
  EXPECT_EQ(readFile(ini).find("SaveFileFormat"), std::string::npos);
  ASSERT_EQ(saveFormatIfChanged(ini, 1, 2), 0);
  EXPECT_EQ(loadSettings(ini).saveFormat, 2);
}

TEST(MergeSettings, FontFormsAndFileCase) {
  struct Case {
    const char* value;
    bool system;
  } cases[] = {{"Mono,-13,0,400,0,49,0,10", false}, {"Mono,-13,0,400,0,49", false}, {"Mono,-13,0,400,0,49,0", true},
               {"Mono,-13,0", true}, {"Mono,x,0,400,0,49", true}, {"", true}};
  for (const Case& c : cases) EXPECT_EQ(parseFont(c.value).system, c.system) << c.value;
  EXPECT_EQ(parseFont("Mono,-13,0,400,0,49").pointSize, 0);
  EXPECT_EQ(caseAdjusted("/Work/Notes.TXT", false), "/work/notes.txt");
  EXPECT_EQ(caseAdjusted("/Work/Notes.TXT", true), "/Work/Notes.TXT");
}

}  // namespace
