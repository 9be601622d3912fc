// The configuration pages against the real revision library and a
// temporary ORVTY.INI: what each page shows, what it enables, what it
// writes, and the text of ORVRCS.RC and ORVTY.INI afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/profile/profile.h"
#include "workbench/dialogs/config_pages.h"
#include "workbench/dialogs/config_sheet.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using ui::testing::FakeSurface;

class ConfigPagesTest : public testing::ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    std::filesystem::create_directories(dir.file("settings"));
    files = {dir.file("settings/ORVTY.INI"), dir.file("settings/ORVRCS.RC")};
  }
  void TearDown() override {
    if (!policy.empty()) ::unsetenv("ORV_KEL_POLICY_FILE");
    ArchiveTest::TearDown();
  }
  // Starts the library with a global policy statement of lines.
  void startWithPolicy(const std::string& lines, const std::string& config = "") {
    policy = dir.write("policy.txt", lines);
    ::setenv("ORV_KEL_POLICY_FILE", policy.c_str(), 1);
    start(config);
  }
  // The text vcWriteConfig gives for the personal options now.
  std::string written() {
    EXPECT_EQ(vcWriteConfig(files.libraryFile.c_str()), 0);
    return read(files.libraryFile);
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string ini() const { return read(files.settingsFile); }
  std::string iniValue(const char* section, const char* key) const {
    return profile::getProfileString(files.settingsFile, section, key, "<missing>");
  }
  static std::string value(const char* option) { return libraryString(option); }

  ConfigFiles files;
  std::string policy;
};

// ---- the page base ----

TEST_F(ConfigPagesTest, LibraryFlagsAndValues) {
  start();
  EXPECT_TRUE(libraryFlag("undefinedflag", true));
  EXPECT_FALSE(libraryFlag("undefinedflag", false));
  setLibraryFlag("strictlocks", false);
  EXPECT_FALSE(libraryFlag("strictlocks", true));
  setLibraryFlag("strictlocks", true);
  EXPECT_TRUE(libraryFlag("strictlocks", false));
  // A value longer than the first buffer is read whole.
  const std::string states = std::string(300, 'S') + " Two";
  setLibraryString("states", states);
  EXPECT_EQ(value("states"), states);
  EXPECT_EQ(value("nosuchoption"), "");
}

TEST_F(ConfigPagesTest, SettingsWordsAreYesInAnyCase) {
  start();
  struct Case {
    const char* text;
    bool on;
  } cases[] = {{"yes", true}, {"YES", true}, {"Yes", true}, {"yes.", false}, {"no", false}, {"1", false}, {"", false}};
  for (const Case& c : cases) {
    ASSERT_EQ(profile::writeProfileString(files.settingsFile, "Recursion", "RecurseOnLabel", c.text), 0);
    RecursionPage page(ui, files);
    FakeSurface s;
    page.setUp(s);
    EXPECT_EQ(s.isChecked(803), c.on) << c.text;
  }
}

TEST_F(ConfigPagesTest, AFailedSettingsWriteIsShownAndThePageGoesOn) {
  start();
  files.settingsFile = dir.file("missing/ORVTY.INI");
  RecursionPage page(ui, files);
  for (int i = 0; i < 7; ++i) ui.expectMessage("Unable to update ORVTY.INI file", ui::kAnswerOk);
  EXPECT_TRUE(page.apply());
}

// ---- General ----

TEST_F(ConfigPagesTest, GeneralShowsTheDefaultsAndWritesOnlyWhatChanged) {
  start();
  GeneralPage page(ui, files);
  FakeSurface s;
  page.setUp(s);
  // Nothing defined but the library's own start-up defaults (textdiff,
  // keywordexpand, writeprotect).
  EXPECT_FALSE(s.isChecked(201));
  EXPECT_TRUE(s.isChecked(202));
  EXPECT_TRUE(s.isChecked(203));
  EXPECT_FALSE(s.isChecked(204));
  EXPECT_FALSE(s.isChecked(210));
  struct Shown {
    int id;
    int row;
    const char* item;
  } shown[] = {{209, 0, "Store Changes Only"}, {208, 1, "Store Entire File"}, {206, 0, "DOS Format (CR/LF)"},
               {207, 1, "Current Time"},       {211, 1, "Current Time"}};
  for (const Shown& c : shown) {
    EXPECT_EQ(s.selection(c.id), std::vector<int>{c.row}) << c.id;
    EXPECT_EQ(s.listItems(c.id).at(static_cast<std::size_t>(c.row)), c.item) << c.id;
  }
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(written(), "");  // OK without changes writes nothing
}

TEST_F(ConfigPagesTest, GeneralFlippingOneControlWritesExactlyOneOption) {
  struct Case {
    int id;
    bool list;
    const char* line;
  } cases[] = {
      {201, false, "strictlocks"},      {202, false, "Nokeywordexpand"}, {203, false, "Nowriteprotect"},
      {204, false, "compress"},         {210, false, "encrypt"},         {209, true, "Notextdiff"},
      {208, true, "binarydiff"},        {206, true, "Noaddcr"},          {207, true, "restoretimestamp"},
      {211, true, "savetimestamp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    restart("");
    GeneralPage page(ui, files);
    FakeSurface s;
    page.setUp(s);
    if (c.list) s.setSelection(c.id, {1 - s.selection(c.id).front()});
    else s.setChecked(c.id, !s.isChecked(c.id));
    ASSERT_TRUE(page.validate(s));
    ASSERT_TRUE(page.apply());
    EXPECT_EQ(written(), std::string(c.line) + "\n");
  }
}

TEST_F(ConfigPagesTest, GeneralAnEnforcedOptionIsDisabledAndKeepsItsValue) {
  startWithPolicy("EnforceEncrypt\nEnforceNoAddCr\n");
  GeneralPage page(ui, files);
  FakeSurface s;
  page.setUp(s);
  EXPECT_TRUE(s.isChecked(210));
  EXPECT_FALSE(s.isEnabled(210));
  EXPECT_FALSE(s.isEnabled(206));
  EXPECT_FALSE(s.isEnabled(214));
  EXPECT_EQ(s.selection(206), std::vector<int>{1});
  EXPECT_TRUE(s.isEnabled(201));
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(written(), "");
}

// ---- Directories ----

TEST_F(ConfigPagesTest, DirectoriesAddReplacesOnlyThePersonalRowOfTheSamePath) {
  startWithPolicy("worktoarch /g=/garch\n", "worktoarch /src=/old\nworktoarch /Src=/other\n");
  DirectoriesPage page(ui, files);
  FakeSurface s;
  page.setUp(s);
  EXPECT_EQ(s.listItems(kDirMappings), (std::vector<std::string>{"/src=/old", "/Src=/other", "/g=/garch"}));
  EXPECT_FALSE(s.isEnabled(kCfgAdd));
  EXPECT_FALSE(s.isEnabled(kCfgDelete));
  // Typing enables Add once both editors hold text.
  s.setText(kDirRowWork, "/src");
  s.press(page, kDirRowWork);
  EXPECT_FALSE(s.isEnabled(kCfgAdd));
  s.setText(kDirRowArchive, "/new");
  s.press(page, kDirRowArchive);
  EXPECT_TRUE(s.isEnabled(kCfgAdd));
  s.press(page, kCfgAdd);
  // "/Src" is another directory: its mapping stays.
  EXPECT_EQ(s.listItems(kDirMappings), (std::vector<std::string>{"/Src=/other", "/g=/garch", "/src=/new"}));
  EXPECT_EQ(s.text(kDirRowWork), "");
  EXPECT_EQ(s.focus(), kDirRowWork);
  // A global path: both rows show, only the new one is stored.
  s.setText(kDirRowWork, "/g");
  s.setText(kDirRowArchive, "/mine");
  s.setEnabled(kCfgAdd, true);
  s.press(page, kCfgAdd);
  EXPECT_EQ(s.listItems(kDirMappings).size(), 4u);
  // A work path longer than a mapping holds is refused, naming the limit.
  s.setText(kDirRowWork, "/" + std::string(512, 'w'));
  s.setText(kDirRowArchive, "/a");
  s.setEnabled(kCfgAdd, true);
  ui.expectMessage("at most 512 characters", ui::kAnswerOk);
  s.press(page, kCfgAdd);
  EXPECT_EQ(s.focus(), kDirRowWork);
  s.setText(kDirRowWork, "");
  // Add with an empty work path only clears the editors.
  s.setText(kDirRowArchive, "/x");
  s.setEnabled(kCfgAdd, true);
  s.press(page, kCfgAdd);
  EXPECT_EQ(s.listItems(kDirMappings).size(), 4u);
  EXPECT_EQ(s.text(kDirRowArchive), "");
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(libraryConfigList(VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH, VC_PROJECT_ITEM_OWN_NEXT_WORKTOARCH),
            (std::vector<std::string>{"worktoarch /Src=/other", "worktoarch /src=/new", "worktoarch /g=/mine"}));
  EXPECT_EQ(written(), "worktoarch /Src=/other\nworktoarch /src=/new\nworktoarch /g=/mine\n");
}

TEST_F(ConfigPagesTest, DirectoriesSelectingSplitsTheRowAndGlobalRowsCannotBeDeleted) {
  startWithPolicy("worktoarch /g=/garch\n", "worktoarch /a=/b=c\n");
  DirectoriesPage page(ui, files);
  FakeSurface s;
  page.setUp(s);
  s.setSelection(kDirMappings, {1});
  s.press(page, kDirMappings);
  EXPECT_EQ(s.text(kDirRowWork), "/g");
  EXPECT_EQ(s.text(kDirRowArchive), "/garch");
  EXPECT_TRUE(s.isEnabled(kCfgAdd));
  EXPECT_FALSE(s.isEnabled(kCfgDelete));
  EXPECT_EQ(s.focus(), kDirRowArchive);
  s.setSelection(kDirMappings, {0});
  s.press(page, kDirMappings);
  EXPECT_EQ(s.text(kDirRowArchive), "/b=c");  // split at the first "="
  EXPECT_TRUE(s.isEnabled(kCfgDelete));
  s.press(page, kCfgDelete);
  EXPECT_EQ(s.listItems(kDirMappings), std::vector<std::string>{"/g=/garch"});
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(written(), "");  // no personal mapping left
}

TEST_F(ConfigPagesTest, DirectoriesLongMappingsAreListedAndAllDropped) {
  // Mappings longer than the old 256-byte walk buffer, between short ones.
  const std::string longWork = "/" + std::string(300, 'w');
  start("worktoarch /one=/1\nworktoarch " + longWork + "=/long\nworktoarch /three=/3\n");
  DirectoriesPage page(ui, files);
  FakeSurface s;
  page.setUp(s);
  ASSERT_EQ(s.listItems(kDirMappings),
            (std::vector<std::string>{"/one=/1", longWork + "=/long", "/three=/3"}));
  s.setSelection(kDirMappings, {0});
  s.press(page, kDirMappings);
  s.press(page, kCfgDelete);
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(written(), "worktoarch " + longWork + "=/long\nworktoarch /three=/3\n");
}

TEST_F(ConfigPagesTest, DirectoriesDefaultPathsAreSetDroppedAndChecked) {
  start("rcspath=/arch/%f\nrcswork=/work\n");
  DirectoriesPage page(ui, files);
  FakeSurface s;
  page.setUp(s);
  EXPECT_EQ(s.text(kDirArchivePath), "/arch/%f");
  EXPECT_EQ(s.text(kDirWorkPath), "/work");
  // An archive path with an unknown variable is refused.
  s.setText(kDirArchivePath, "/arch/%x");
  ui.expectMessage("Illegal Archive Path", ui::kAnswerOk);
  EXPECT_FALSE(page.validate(s));
  // A path longer than the configuration file gives back is refused, naming the limit.
  s.setText(kDirArchivePath, "");
  s.setText(kDirWorkPath, "/" + std::string(longestOptionValue(), 'p'));
  ui.expectMessage("at most 497 characters", ui::kAnswerOk);
  EXPECT_FALSE(page.validate(s));
  EXPECT_EQ(s.focus(), kDirWorkPath);
  s.setText(kDirWorkPath, "/elsewhere");
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(written(), "rcswork=/elsewhere\n");  // rcspath dropped: the built-in one applies
}

// ---- Preferences ----

struct DesktopCalls {
  std::vector<std::string> calls;
  DesktopIntegration hooks() {
    return {[this](bool add) { calls.push_back(add ? "session+" : "session-"); },
            [this](bool add) { calls.push_back(add ? "menu+" : "menu-"); }};
  }
};

TEST_F(ConfigPagesTest, PreferencesDefaultsAndWhatOkWrites) {
  ::setenv("VISUAL", "myedit -w", 1);
  start();
  DesktopCalls desktop;
  PreferencesPage page(ui, files, desktop.hooks());
  FakeSurface s;
  page.setUp(s);
  for (int id : {int{kPrefStartup}, int{kPrefFileManagerMenu}, int{kPrefUseAssociations}, int{kPrefLongNames}})
    EXPECT_TRUE(s.isChecked(id)) << id;
  EXPECT_FALSE(s.isChecked(kPrefUseEditor));
  EXPECT_EQ(s.text(kPrefEditor), "myedit -w");
  EXPECT_EQ(s.text(kPrefAuthor), "alice");
  EXPECT_EQ(s.text(kPrefUserName), "alice");
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  ::unsetenv("VISUAL");
  EXPECT_EQ(written(), "");  // the editor shown by default is not stored
  EXPECT_EQ(ini(), "[System]\nUseFileManagerAssociations=yes\n");
  EXPECT_TRUE(desktop.calls.empty());
}

TEST_F(ConfigPagesTest, PreferencesChangesReachTheLibraryTheSettingsAndTheDesktop) {
  start("Editor=vi\n");
  DesktopCalls desktop;
  PreferencesPage page(ui, files, desktop.hooks());
  FakeSurface s;
  page.setUp(s);
  s.setChecked(kPrefStartup, false);
  s.setChecked(kPrefUseAssociations, false);
  s.setChecked(kPrefUseEditor, true);
  s.setText(kPrefAuthor, "bob");
  s.setText(kPrefEditor, "");
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(desktop.calls, std::vector<std::string>{"session-"});
  EXPECT_EQ(written(), "logname=bob\n");  // "Editor" dropped
  EXPECT_EQ(ini(), "[System]\nServerOnStartup=no\nUseFileManagerAssociations=no\n");
}

TEST_F(ConfigPagesTest, PreferencesARefusedAuthorKeepsTheUserOnThePage) {
  start();
  PreferencesPage page(ui, files);
  GeneralPage other(ui, files);
  ui::SheetController sheet("Sheet", {{"&Preferences", {}, &page, true}, {"&General", {}, &other, true}});
  ui::testing::FakeSheet fake(sheet);
  for (const char* bad : {"", "a b", "a:b"}) {
    fake.surface(0).setText(kPrefAuthor, bad);
    ui.expectMessage("Illegal Author", ui::kAnswerOk);
    EXPECT_FALSE(fake.select(1)) << bad;
    ui.expectMessage("Illegal Author", ui::kAnswerOk);
    EXPECT_FALSE(fake.ok()) << bad;
  }
  EXPECT_EQ(fake.current(), 0);
  EXPECT_EQ(written(), "");
}

TEST_F(ConfigPagesTest, PreferencesAnEnforcedEditorForcesTheEditorChoice) {
  startWithPolicy("EnforceEditor=vi\n");
  PreferencesPage page(ui, files);
  FakeSurface s;
  page.setUp(s);
  EXPECT_FALSE(s.isChecked(kPrefUseAssociations));
  EXPECT_TRUE(s.isChecked(kPrefUseEditor));
  for (int id : {int{kPrefUseAssociations}, int{kPrefUseEditor}, int{kPrefEditor}, int{kCfgBrowse}}) EXPECT_FALSE(s.isEnabled(id)) << id;
  EXPECT_TRUE(s.isEnabled(kPrefAuthor));
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(iniValue("System", "UseFileManagerAssociations"), "no");
}

// ---- Promotion ----

// The Promotion page over a fresh surface, with OK at the end.
struct PromotionRun {
  PromotionRun(ui::Ui& ui, const ConfigFiles& files) : page(ui, files) { page.setUp(s); }
  void add(const std::string& state) {
    s.setText(kProState, state);
    s.setEnabled(kCfgAdd, true);
    s.press(page, kCfgAdd);
  }
  bool ok() { return page.validate(s) && page.apply(); }
  PromotionPage page;
  FakeSurface s;
};

TEST_F(ConfigPagesTest, PromotionStoresStatesEachFollowedByABlank) {
  start();
  PromotionRun run(ui, files);
  EXPECT_FALSE(run.s.isChecked(kProEnable));
  run.s.setChecked(kProEnable, true);
  run.add("Exp");
  run.add("exp");  // another state: states compare with case
  run.add("Exp");  // the same state: nothing added, the field cleared
  EXPECT_EQ(run.s.text(kProState), "");
  EXPECT_EQ(run.s.listItems(kProStates), (std::vector<std::string>{"Exp", "exp"}));
  ASSERT_TRUE(run.ok());
  // The trailing blank is kept, also through the configuration file.
  EXPECT_EQ(value("states"), "Exp exp ");
  EXPECT_EQ(written(), "states=\"Exp exp \"\n");
  EXPECT_EQ(iniValue("SavedOptions", "states"), "");
}

TEST_F(ConfigPagesTest, PromotionRefusesBadStatesWithTheExactMessage) {
  start("states=A\n");
  PromotionRun run(ui, files);
  for (const char* bad : {"1st", "a:b", "a b", "a@b"}) {
    ui.expectMessage(
        "Illegal State. Must be ASCII printing characters (except <space>, <tab>, <; : , @>), leading alphabetic "
        "character.",
        ui::kAnswerOk);
    run.add(bad);
    EXPECT_EQ(run.s.focus(), kProState) << bad;
  }
  EXPECT_EQ(run.s.listItems(kProStates), std::vector<std::string>{"A"});
}

TEST_F(ConfigPagesTest, PromotionAReorderAloneIsStored) {
  start("states=A B C\n");
  PromotionRun run(ui, files);
  EXPECT_TRUE(run.s.isChecked(kProEnable));
  // The moveable list tells of a drag as a command of the list.
  run.s.setListItems(kProStates, {"C", "A", "B"});
  run.s.press(run.page, kProStates);
  ASSERT_TRUE(run.ok());
  EXPECT_EQ(written(), "states=\"C A B \"\n");
}

TEST_F(ConfigPagesTest, PromotionDeletingEveryStateDropsTheOption) {
  start("states=A B\n");
  PromotionRun run(ui, files);
  for (int i = 0; i < 2; ++i) {
    run.s.setSelection(kProStates, {0});
    run.s.press(run.page, kProStates);
    EXPECT_TRUE(run.s.isEnabled(kCfgDelete));
    run.s.press(run.page, kCfgDelete);
  }
  ASSERT_TRUE(run.ok());
  EXPECT_EQ(written(), "");
  EXPECT_EQ(value("states"), "");
}

TEST_F(ConfigPagesTest, PromotionSwitchedOffParksTheListAndGetsItBack) {
  start("states=A B\n");
  {
    PromotionRun run(ui, files);
    run.s.setChecked(kProEnable, false);
    ASSERT_TRUE(run.ok());
  }
  EXPECT_EQ(ini(), "[SavedOptions]\nstates=A B \n");
  EXPECT_EQ(value("states"), " ");  // off for this run, and never written
  EXPECT_EQ(written(), "");
  {
    PromotionRun run(ui, files);  // reopened: off, with the parked states
    EXPECT_FALSE(run.s.isChecked(kProEnable));
    EXPECT_EQ(run.s.listItems(kProStates), (std::vector<std::string>{"A", "B"}));
    run.s.setChecked(kProEnable, true);
    ASSERT_TRUE(run.ok());
  }
  EXPECT_EQ(value("states"), "A B ");
  EXPECT_EQ(iniValue("SavedOptions", "states"), "");
  EXPECT_EQ(written(), "states=\"A B \"\n");
}

TEST_F(ConfigPagesTest, PromotionOffWithAGlobalListParksNothing) {
  startWithPolicy("states=G1 G2\n", "states=\" \"\n");
  PromotionRun run(ui, files);
  EXPECT_FALSE(run.s.isChecked(kProEnable));
  EXPECT_EQ(run.s.listItems(kProStates), (std::vector<std::string>{"G1", "G2"}));
  ASSERT_TRUE(run.ok());
  EXPECT_EQ(iniValue("SavedOptions", "states"), "");
  EXPECT_EQ(value("states"), " ");  // still switched off here
}

TEST_F(ConfigPagesTest, PromotionRefusesAListLongerThanTheOptionHolds) {
  start();
  PromotionRun run(ui, files);
  std::vector<std::string> added;
  for (int i = 0; i < 25; ++i) {  // 25 states of 9 characters and a blank: 250
    added.push_back("State" + std::to_string(1000 + i));
    run.add(added.back());
  }
  ui.expectMessage("at most 255 characters", ui::kAnswerOk);
  run.add("Overflow");
  EXPECT_EQ(run.s.listItems(kProStates), added);
  EXPECT_EQ(run.s.text(kProState), "Overflow");  // kept for the user to see
}

// ---- Logging ----

TEST_F(ConfigPagesTest, LoggingOffParksTheNameAndOnRestoresIt) {
  start("Logfile=/tmp/orv.log\n");
  {
    LoggingPage page(ui, files);
    FakeSurface s;
    page.setUp(s);
    EXPECT_TRUE(s.isChecked(kLogEnable));
    EXPECT_TRUE(s.isEnabled(kCfgView));
    EXPECT_EQ(s.text(kLogFormat), "%C %u %r %f %D %l");  // the library's default format
    s.setChecked(kLogEnable, false);
    ASSERT_TRUE(page.validate(s));
    ASSERT_TRUE(page.apply());
  }
  EXPECT_EQ(iniValue("SavedOptions", "Logfile"), "/tmp/orv.log");
  EXPECT_EQ(value("Logfile"), " ");
  EXPECT_EQ(written(), "");
  {
    LoggingPage page(ui, files);
    FakeSurface s;
    page.setUp(s);
    EXPECT_FALSE(s.isChecked(kLogEnable));
    EXPECT_EQ(s.text(kLogFile), "/tmp/orv.log");
    s.setChecked(kLogEnable, true);
    s.setText(kLogFormat, "%u %f");
    ASSERT_TRUE(page.validate(s));
    ASSERT_TRUE(page.apply());
  }
  EXPECT_EQ(iniValue("SavedOptions", "Logfile"), "");
  EXPECT_EQ(written(), "logfile=/tmp/orv.log\nlogformat=%u %f\n");
}

TEST_F(ConfigPagesTest, LoggingABlankNameIsOffAndViewFollowsTheName) {
  start("Logfile=\"   \"\n");
  std::vector<std::string> viewed;
  LoggingPage page(ui, files, [&viewed](const std::string& path) { viewed.push_back(path); });
  FakeSurface s;
  page.setUp(s);
  EXPECT_FALSE(s.isChecked(kLogEnable));
  EXPECT_FALSE(s.isEnabled(kCfgView));
  s.setText(kLogFile, " x");
  s.press(page, kLogFile);
  EXPECT_FALSE(s.isEnabled(kCfgView));
  s.setText(kLogFile, "/var/log/orv");
  s.press(page, kLogFile);
  EXPECT_TRUE(s.isEnabled(kCfgView));
  s.press(page, kCfgView);
  EXPECT_EQ(viewed, std::vector<std::string>{"/var/log/orv"});
}

// ---- Recursion ----

TEST_F(ConfigPagesTest, RecursionWritesAllSevenKeys) {
  start();
  ASSERT_EQ(profile::writeProfileString(files.settingsFile, "Other", "Keep", "me"), 0);
  ASSERT_EQ(profile::writeProfileString(files.settingsFile, "Recursion", "RecurseOnLabel", "junk"), 0);
  RecursionPage page(ui, files);
  FakeSurface s;
  page.setUp(s);
  for (const auto& r : RecursionPage::rows()) EXPECT_FALSE(s.isChecked(r.id)) << r.key;
  s.setChecked(804, true);
  ASSERT_TRUE(page.validate(s));
  ASSERT_TRUE(page.apply());
  EXPECT_EQ(ini(),
            "[Other]\nKeep=me\n[Recursion]\nRecurseOnLabel=no\nRecurseOnCheckpoint=no\nRecurseOnCreateSandbox=no\n"
            "RecurseOnPromote=yes\nRecurseOnResynchronize=no\nRecurseOnUpdateToHeadRevision=no\n"
            "RecurseOnRemoveUnusedLocks=no\n");
}

}  // namespace
}  // namespace orv::workbench::dialogs
