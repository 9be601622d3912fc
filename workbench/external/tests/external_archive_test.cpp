// Comparing revisions, importing SCCS files, reports and recent files over
// the real revision library: the starts are recorded and the temporary
// copies read back; the importer and the exporter run for real, with stubs
// standing in where a test needs an answer the real ones do not give.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

#include "import/tests/pvcs_builder.h"
#include "platform/profile/profile.h"
#include "platform/spawn/recording_spawner.h"
#include "workbench/app/messages.h"
#include "workbench/commands/recent_file_command.h"
#include "workbench/external/archive_import.h"
#include "workbench/external/archive_reports.h"
#include "workbench/external/revision_comparison.h"
#include "workbench/archive/password_cache.h"
#include "workbench/archive/password_dialogs.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::external {
namespace {

using testing::ArchiveTest;
using testing::ProjectTest;
using Words = std::vector<std::string>;

std::set<std::string> filesIn(const std::string& dir) {
  std::set<std::string> out;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") out.insert(e->d_name);
    ::closedir(d);
  }
  return out;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The path between the bars of a merge-program word.
std::string unbarred(const std::string& word) { return word.substr(1, word.size() - 2); }

// Temporary files go to a directory of the test's own, here a dotted one.
class ExternalTest : public ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    if (const char* old = std::getenv("TMPDIR")) savedTmp_ = old;
    ::mkdir(dir.file(".cache").c_str(), 0700);
    ::mkdir(tmp.c_str(), 0700);
    ::setenv("TMPDIR", tmp.c_str(), 1);
  }
  void TearDown() override {
    temps.removeAll();
    if (savedTmp_.empty())
      ::unsetenv("TMPDIR");
    else
      ::setenv("TMPDIR", savedTmp_.c_str(), 1);
    ArchiveTest::TearDown();
  }

  std::string tmp = dir.file(".cache/tmp.d");
  platform::RecordingSpawner spawner;
  ProgramStarts starts{ui, spawner, dir.file("ORVTY.INI"), "/opt/orv/bin"};
  TempFiles temps{ui};

 private:
  std::string savedTmp_;
};

// ---- Compare Revisions --------------------------------------------------

class CompareRevisionsTest : public ExternalTest {
 protected:
  void SetUp() override {
    ExternalTest::SetUp();
    start();
    makeArchive("queue.c", {"one\n", "two\n", "three\n", "four\n"});
  }
};

TEST_F(CompareRevisionsTest, TheLaterRowBecomesFileOne) {
  for (const auto& [first, second] : {std::pair{"1.4", "1.2"}, std::pair{"1.2", "1.4"}}) {
    spawner.starts.clear();
    OpenArchive archive(ui, work("queue.c"), 1);
    ASSERT_EQ(archive.status(), 0);
    EXPECT_EQ(compareRevisionsCommand(starts, archive, temps, {{first, 0}, {second, 0}}),
              platform::kStartSucceeded);
    ASSERT_EQ(spawner.starts.size(), 1u);
    const Words& argv = spawner.starts[0].argv;
    ASSERT_EQ(argv.size(), 6u);
    EXPECT_EQ(argv[0], "/opt/orv/bin/vardel32");
    EXPECT_EQ(argv[1], std::string("-n-t1|Revision ") + second + "|");
    EXPECT_EQ(argv[2], std::string("-t2|Revision ") + first + "|");
    EXPECT_EQ(argv[3], "-d3");
    EXPECT_EQ(readFile(unbarred(argv[4])), std::string(second) == "1.2" ? "two\n" : "four\n");
    EXPECT_EQ(readFile(unbarred(argv[5])), std::string(first) == "1.2" ? "two\n" : "four\n");
    EXPECT_EQ(unbarred(argv[4]).rfind(tmp + "/que", 0), 0u) << argv[4];
  }
  EXPECT_EQ(ui.cursorDepth, 0);
}

TEST_F(CompareRevisionsTest, WorkingFileRowIsComparedItselfWithoutATitle) {
  OpenArchive archive(ui, work("queue.c"), 1);
  compareRevisionsCommand(starts, archive, temps, {{"", commands::kWorkFileRowFlag}, {"1.3", 0}});
  ASSERT_EQ(spawner.starts.size(), 1u);
  const Words& argv = spawner.starts[0].argv;
  ASSERT_EQ(argv.size(), 5u);
  EXPECT_EQ(argv[1], "-n-t1|Revision 1.3|");
  EXPECT_EQ(argv[2], "-d1");
  EXPECT_EQ(readFile(unbarred(argv[3])), "three\n");
  EXPECT_EQ(argv[4], "|" + work("queue.c") + "|");
}

TEST_F(CompareRevisionsTest, OnlyTwoRowsAreCompared) {
  OpenArchive archive(ui, work("queue.c"), 1);
  ui.expectMessage("You must select exactly two revisions.", ui::kAnswerOk);
  EXPECT_EQ(compareRevisionsCommand(starts, archive, temps, {{"1.1", 0}}), 0);
  ui.expectMessage("You must select exactly two revisions.", ui::kAnswerOk);
  compareRevisionsCommand(starts, archive, temps, {{"1.1", 0}, {"1.2", 0}, {"1.3", 0}});
  EXPECT_TRUE(spawner.starts.empty());
}

TEST_F(CompareRevisionsTest, AFailedCheckOutLeavesNoTemporaryFile) {
  OpenArchive archive(ui, work("queue.c"), 1);
  ui.expectMessage("queue.c", ui::kAnswerOk);  // the library's text for the missing revision
  EXPECT_EQ(compareRevisionsCommand(starts, archive, temps, {{"1.2", 0}, {"9.9", 0}}), 0);
  EXPECT_EQ(ui.messages.size(), 1u) << "the failure is shown once";
  EXPECT_EQ(archive.status(), kReported);
  EXPECT_TRUE(spawner.starts.empty());
  EXPECT_TRUE(filesIn(tmp).empty());
}

TEST_F(CompareRevisionsTest, NoTemporaryNameGivesItsMessageAndStatus) {
  OpenArchive archive(ui, work("queue.c"), 1);
  archive.setWorkFileName(dir.file("nameless/"));
  ui.expectMessage("Unable to create a temporary file - set the environment variable TMPDIR", ui::kAnswerOk);
  compareRevisionsCommand(starts, archive, temps, {{"1.2", 0}, {"1.4", 0}});
  EXPECT_EQ(archive.status(), kReported);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(filesIn(tmp).empty());
}

TEST_F(CompareRevisionsTest, CopiesGoWhenTheMergeProgramCannotStart) {
  OpenArchive archive(ui, work("queue.c"), 1);
  spawner.result = platform::kStartFileNotFound;
  ui.expectMessage("Could not start the Vardel application.", ui::kAnswerOk);
  compareRevisionsCommand(starts, archive, temps, {{"1.2", 0}, {"1.4", 0}});
  ASSERT_EQ(spawner.starts.size(), 1u);
  EXPECT_TRUE(filesIn(tmp).empty());
}

// ---- Differences of a project member ------------------------------------

class RowsView : public MemberView {
 public:
  explicit RowsView(int project) : project_(project) {}
  MemberRow* findMemberItem(int index, bool moveCursor) override {
    if (index < 0 || index >= static_cast<int>(rows.size())) return nullptr;
    if (moveCursor) vcInProject(project_, rows[static_cast<std::size_t>(index)].name.c_str());
    return &rows[static_cast<std::size_t>(index)];
  }
  int rowCount() override { return static_cast<int>(rows.size()); }
  void refreshMembers(const int* list, int count) override { refreshed.assign(list, list + count); }
  void updateCaption() override {}

  std::vector<MemberRow> rows;
  std::vector<int> refreshed;

 private:
  int project_;
};

class DifferencesTest : public ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    ::setenv("TMPDIR", dir.file("tmp").c_str(), 1);
    ::mkdir(dir.file("tmp").c_str(), 0700);
  }
  void TearDown() override {
    ::unsetenv("TMPDIR");
    ProjectTest::TearDown();
  }
  platform::RecordingSpawner spawner;
  ProgramStarts starts{ui, spawner, dir.file("ORVTY.INI"), "/opt/orv/bin"};
  TempFiles temps{ui};
};

TEST_F(DifferencesTest, MemberRevisionAgainstItsWorkingFile) {
  makeArchive("list.c", {"one\n", "two\n"});
  dir.write("list.c", "edited\n");
  dir.write("notes.txt", "plain\n");
  const std::string path = makeProject("demo.pj", {{"list.c", 'a', "1.1"}, {"notes.txt", 'f', nullptr}});
  OpenProject project(ui, path.c_str());
  ASSERT_EQ(project.status, 0);
  RowsView view(project.project);
  view.rows.push_back(MemberRow{.name = work("list.c"), .revision = "1.1", .type = 'a'});
  view.rows.push_back(MemberRow{.name = work("notes.txt"), .type = 'f'});

  int rows[] = {0};
  EXPECT_EQ(memberDifferencesCommand(starts, project, view, temps, rows, 1), platform::kStartSucceeded);
  ASSERT_EQ(spawner.starts.size(), 1u);
  const Words& argv = spawner.starts[0].argv;
  ASSERT_EQ(argv.size(), 5u);
  EXPECT_EQ(argv[1], "-n-t1|Revision 1.1|");
  EXPECT_EQ(argv[2], "-d1");
  EXPECT_EQ(readFile(unbarred(argv[3])), "one\n");
  EXPECT_EQ(argv[4], "|" + work("list.c") + "|");

  // A row whose archive needed a password it did not get: the revision is
  // asked of the library again and the row refreshed.
  spawner.starts.clear();
  view.rows[0].revision = "9.9";
  view.rows[0].changeFlags = kNoPassword;
  memberDifferencesCommand(starts, project, view, temps, rows, 1);
  ASSERT_EQ(spawner.starts.size(), 1u);
  EXPECT_EQ(spawner.starts[0].argv[1], "-n-t1|Revision 1.1|");
  EXPECT_EQ(view.refreshed, (std::vector<int>{0}));

  int other[] = {1};
  ui.expectMessage("Member " + work("notes.txt") + " is not of type 'Archived'.", ui::kAnswerOk);
  EXPECT_EQ(memberDifferencesCommand(starts, project, view, temps, other, 1), 0);
  int both[] = {0, 1};
  ui.expectMessage("You must select exactly one member.", ui::kAnswerOk);
  memberDifferencesCommand(starts, project, view, temps, both, 2);
  EXPECT_EQ(spawner.starts.size(), 1u);
  EXPECT_EQ(ui.cursorDepth, 0);
}

// ---- Importing ------------------------------------------------------------

struct ImporterCall {
  int century, writeprotect, strictlocks;
  std::string file, dir;
};
std::vector<ImporterCall> g_calls;
int g_stubResult = 0;
std::string g_stubText;

int stubSccs(int century, int writeprotect, int strictlocks, const char* file, const char* dir) {
  g_calls.push_back({century, writeprotect, strictlocks, file, dir});
  g_stubText = g_stubResult == 2 ? "DLL in use" : std::string(dir) + "/branch.c";
  return g_stubResult;
}
int stubError(char* buf, int len) {
  std::snprintf(buf, static_cast<std::size_t>(len), "%s", g_stubText.c_str());
  return 1;
}

class ImportTest : public ExternalTest {
 protected:
  void SetUp() override {
    ExternalTest::SetUp();
    g_calls.clear();
    g_stubResult = 0;
    stub.sccs2rcsFile = stubSccs;
    stub.sccs2rcsError = stubError;
    stub.loadError = "no PVCS importer here";
  }
  // A genuine SCCS file in dir/sub.
  std::string sccsFile(const std::string& sub) {
    ::mkdir(dir.file(sub).c_str(), 0755);
    const std::string path = dir.file(sub + "/s.branch.c");
    std::ofstream(path, std::ios::binary) << readFile(SCCS_FIXTURE);
    return path;
  }
  ArchiveImporters stub;
};

TEST_F(ImportTest, ArchiveGoesIntoTheRcsDirectoryWithTheDefaultSettings) {
  start();
  std::string file = sccsFile("src");
  ui.expectMessage("Successfully converted to archive " + dir.file("src/rcs/branch.c") + ".", ui::kAnswerOk);
  EXPECT_EQ(importOne(ui, stub, file, kImportMenuNameSize), ui::kAnswerOk);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].file, dir.file("src/s.branch.c"));
  EXPECT_EQ(g_calls[0].dir, dir.file("src/rcs"));
  EXPECT_TRUE(exists(dir.file("src/rcs")));
  EXPECT_EQ((std::vector<int>{g_calls[0].century, g_calls[0].writeprotect, g_calls[0].strictlocks}),
            (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::information);
}

TEST_F(ImportTest, SettingsAndTheFirstArchiveDirectoryOfRcspath) {
  start("rcspath=%d/vault/%f;%d/other/%f\nnocentury\nstrictlocks\nnowriteprotect\n");
  EXPECT_FALSE(centuryOption());
  EXPECT_FALSE(writeProtectOption());
  EXPECT_TRUE(strictLocksOption());
  std::string file = sccsFile("src");
  ui.expectMessage("Successfully converted", ui::kAnswerOk);
  importOne(ui, stub, file, kImportMenuNameSize);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].dir, dir.file("src/vault"));
  EXPECT_EQ((std::vector<int>{g_calls[0].century, g_calls[0].writeprotect, g_calls[0].strictlocks}),
            (std::vector<int>{0, 0, 1}));
}

TEST_F(ImportTest, ExistingWorkingFileIsWarnedAbout) {
  start();
  std::string file = sccsFile("src");
  dir.write("src/branch.c", "mine\n");
  ui.expectMessage("Conversion succeeded, new archive is " + dir.file("src/rcs/branch.c") +
                       ".\nWarning! if checked out, the default working file will overwrite the existing file " +
                       dir.file("src/branch.c") + ".",
                   ui::kAnswerOk);
  importOne(ui, stub, file, kImportMenuNameSize);
  EXPECT_EQ(file, dir.file("src/branch.c")) << "the caller's name becomes the working file";
}

TEST_F(ImportTest, LongNamesCutTheMessageInsteadOfFailing) {
  start();
  std::string sub = "src";
  for (int i = 0; i < 3; ++i) sub += "/" + std::string(90, static_cast<char>('a' + i));
  std::string mk = dir.path();
  for (std::size_t at = 0; at != std::string::npos;) {
    at = sub.find('/', at + 1);
    ::mkdir((mk + "/" + sub.substr(0, at)).c_str(), 0755);
  }
  std::string file = sccsFile(sub);
  dir.write(sub + "/branch.c", "mine\n");
  ui.expectMessage("Conversion succeeded, new archive is", ui::kAnswerOk);
  importOne(ui, stub, file, kImportMenuNameSize);
  const std::string& shown = ui.messages.back().text;
  EXPECT_EQ(shown.size(), kMessageLimit);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
}

TEST_F(ImportTest, RunGoesOnAfterLibraryErrorsAndStopsOnCancel) {
  start();
  makeArchive("native.c", {"a\n"});
  const std::string plain = dir.write("plain.txt", "just text\n");
  const std::string sccs = sccsFile("src");
  g_stubResult = 2;
  ui.expectMessage(plain + "\n", ui::kAnswerOk);  // the library's text under the name
  ui.expectMessage("Conversion failed: DLL in use.", ui::kAnswerCancel);
  ddeConvert(ui, stub, {plain, sccs, archiveOf("native.c")});
  EXPECT_EQ(g_calls.size(), 1u);

  ui.expectMessage("Archive " + archiveOf("native.c") + " already exists.", ui::kAnswerCancel);
  ddeConvert(ui, stub, {archiveOf("native.c"), sccs});
  EXPECT_EQ(g_calls.size(), 1u) << "Cancel ends the run";
}

TEST_F(ImportTest, NoArchiveNameIsReportedAndTheRunGoesOn) {
  start();
  // A file whose archive name ("rcs/" more) no longer fits 531 bytes.
  std::string sub = "deep";
  ::mkdir(dir.file(sub).c_str(), 0755);
  while (dir.file(sub + "/s.branch.c").size() + 100 < 529) {
    sub += "/" + std::string(99, 'd');
    ::mkdir(dir.file(sub).c_str(), 0755);
  }
  sub += "/" + std::string(529 - dir.file(sub + "/s.branch.c").size() - 1, 'e');
  const std::string deep = sccsFile(sub);
  ASSERT_EQ(deep.size(), 529u);
  const std::string sccs = sccsFile("src");
  ui.expectMessage("", ui::kAnswerCancel);  // the library's text; the answer is OK whatever the box said
  ui.expectMessage("Successfully converted", ui::kAnswerOk);
  ddeConvert(ui, stub, {deep, sccs});
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].file, sccs);
  EXPECT_NE(ui.messages[0].text.find("s.branch.c\n"), std::string::npos) << ui.messages[0].text;
}

TEST_F(ImportTest, ArchiveDirectoryThatCannotBeMadeAsksWhetherToGoOn) {
  start();
  const std::string sccs = sccsFile("src");
  dir.write("src/rcs", "a file where the directory should go\n");
  ui.expectMessage("Cannot create directory for archive " + dir.file("src/rcs/s.branch.c") + ".", ui::kAnswerCancel);
  ddeConvert(ui, stub, {sccs, sccs});
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(ui.cursorDepth, 0);
}

TEST_F(ImportTest, MenuRunTakesTheChosenFilesUntilCancel) {
  start();
  makeArchive("native.c", {"a\n"});
  const std::string sccs = sccsFile("src");
  ui.expectFiles("Import Archive", {archiveOf("native.c"), sccs});
  ui.expectMessage("already exists.", ui::kAnswerCancel);
  importArchiveCommand(ui, stub);
  EXPECT_TRUE(g_calls.empty());

  ui.expectFiles("Import Archive", {dir.file("SRC/S.BRANCH.C")});
  ui.expectMessage("Successfully converted to archive " + dir.file("src/rcs/branch.c"), ui::kAnswerOk);
  importArchiveCommand(ui, stub);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].file, sccs) << "the chosen name as the file system spells it";

  ui.expectFiles("Import Archive", {});
  importArchiveCommand(ui, stub);
  EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(ImportTest, OverlongCommandServerNamesAreRefused) {
  start();
  const std::string sccs = sccsFile("src");
  const std::string longName = dir.file(std::string(532, 'x'));
  ui.expectMessage("Invalid argument", ui::kAnswerOk);
  ui.expectMessage("Successfully converted", ui::kAnswerOk);
  ddeConvert(ui, stub, {longName, sccs});
  EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(ImportTest, RealImporterConvertsAndTheLibraryReadsTheArchive) {
  start();
  const std::string sccs = sccsFile("src");
  ui.expectMessage("Successfully converted to archive " + dir.file("src/rcs/branch.c") + ".", ui::kAnswerOk);
  ddeConvert(ui, libraryImporters(), {sccs});
  int h = 0;
  ASSERT_EQ(vcOpenArchive(dir.file("src/rcs/branch.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char head[64] = {};
  vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_HEAD, head, sizeof head);
  vcCloseArchive(h);
  EXPECT_STRNE(head, "");

  // A second import of the same file: the real importer refuses to write
  // over the archive it made, and its text is shown.
  ui.expectMessage("Conversion failed: ", ui::kAnswerCancel);
  ddeConvert(ui, libraryImporters(), {sccs, sccs});
}

TEST_F(ImportTest, RealPvcsImporterConvertsAndTheLibraryReadsTheArchive) {
  start();
  pvcstest::Builder b;
  b.record('\xe1', pvcstest::str(std::string("Polytron VCS logfile", 21)));  // the header the library knows
  b.record('H', pvcstest::str("work.c"));
  std::vector<pvcstest::Revision> revs(1);
  revs[0].number = {1, 1};
  revs[0].text = "first\n";
  b.revision(revs[0], revs);
  ::mkdir(dir.file("pv").c_str(), 0755);
  std::ofstream(dir.file("pv/work.c_v"), std::ios::binary) << b.bytes;
  ui.expectMessage("Successfully converted to archive " + dir.file("pv/rcs/"), ui::kAnswerOk);
  ddeConvert(ui, libraryImporters(), {dir.file("pv/work.c_v")});
  const std::set<std::string> made = filesIn(dir.file("pv/rcs"));
  ASSERT_EQ(made.size(), 1u);
  int h = 0;
  ASSERT_EQ(vcOpenArchive(dir.file("pv/rcs/" + *made.begin()).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  char head[64] = {};
  vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_HEAD, head, sizeof head);
  vcCloseArchive(h);
  EXPECT_STREQ(head, "1.1");
}

// ---- Reports --------------------------------------------------------------

class ReportTest : public ExternalTest {
 protected:
  std::string onlyBase() {
    std::set<std::string> names = filesIn(tmp);
    for (const std::string& n : names)
      if (n.size() > 4 && n.substr(n.size() - 4) == ".txa") return tmp + "/" + n.substr(0, n.size() - 4);
    return "";
  }
};

TEST_F(ReportTest, ArchiveTablesAreKeptForTheViewer) {
  start();
  makeArchive("queue.c", {"one\n", "two\n"});
  OpenArchive archive(ui, work("queue.c"), 1);
  archiveReportCommand(starts, temps, libraryExporter(), commands::ChildKind::archive, &archive, work("queue.c"));
  const std::string base = onlyBase();
  ASSERT_FALSE(base.empty()) << "tables in " << tmp;
  EXPECT_EQ(base, tmp + "/que00000") << "no extension; the dotted directory stays whole";
  for (const char* ext : {".txp", ".txm", ".txa", ".txx", ".txs", ".txr"}) EXPECT_TRUE(exists(base + ext)) << ext;
  EXPECT_NE(readFile(base + ".txr").find("\"1.2\""), std::string::npos) << readFile(base + ".txr");
  ASSERT_EQ(spawner.starts.size(), 1u);
  EXPECT_EQ(spawner.starts[0].argv, (Words{"xdg-open", base + ".txa"}));
  EXPECT_EQ(spawner.starts[0].show_mode, kShowNormal);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ReportTest, AReportOverAnEncryptedMemberAsksForThePasswordThroughTheDialog) {
  start();
  makeArchive("a.c", {"one\n", "two\n"}, "secret");
  int h = 0;
  const std::string path = work("demo.pj");
  ASSERT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_CREATE, &h, 0), 0);
  ASSERT_EQ(vcAddMember(h, 'a', work("a.c").c_str(), "1.2", nullptr), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  vcCloseProject(h);
  archive::setPasswordCallbackUi(&ui);
  auto type = [](const char* text) {
    return [text](ui::testing::FakeSurface& s, ui::DialogLogic& logic) {
      s.setText(archive::kPasswordEntry, text);
      s.close(logic, ui::kAnswerOk);
    };
  };
  OpenProject project(ui, path.c_str());
  ASSERT_EQ(project.status, 0);
  // The report opens the member's archive itself: the library asks through
  // its callback, a wrong password is asked again, the right one is kept.
  ui.expectDialog(archive::kPasswordDialogId, type("wrong"));
  ui.expectMessage("Invalid password", ui::kAnswerOk);
  ui.expectDialog(archive::kPasswordDialogId, type("secret"));
  projectReportCommand(starts, temps, libraryExporter(), commands::ChildKind::project, &project, path);
  EXPECT_TRUE(archive::hasRememberedPassword(archiveOf("a.c").c_str()));
  const std::size_t dialogs = ui.dialogs.size();
  EXPECT_EQ(dialogs, 2u);
  // A second report takes the remembered password: no dialog.
  projectReportCommand(starts, temps, libraryExporter(), commands::ChildKind::project, &project, path);
  EXPECT_EQ(ui.dialogs.size(), dialogs);
  archive::setPasswordCallbackUi(nullptr);
}

TEST_F(ReportTest, ConfiguredViewerGetsTheBaseAndAFailedStartTellsWhereTheTablesAre) {
  start();
  makeArchive("queue.c", {"one\n"});
  ASSERT_EQ(profile::writeProfileString(starts.settingsFile, "System", "ReportDB", "tyview --db \"my reports.db\" /cmd"), 0);
  OpenArchive archive(ui, work("queue.c"), 1);
  spawner.result = platform::kStartFileNotFound;
  ui.expectMessage("The Tessalyworkbench Reporter has not been installed.  Database tables have been saved in\n" +
                       tmp + "/que00000.tx*",
                   ui::kAnswerOk);
  archiveReportCommand(starts, temps, libraryExporter(), commands::ChildKind::archive, &archive, "queue.c");
  ASSERT_EQ(spawner.starts.size(), 1u);
  EXPECT_EQ(spawner.starts[0].argv, (Words{"tyview", "--db", "my reports.db", "/cmd", tmp + "/que00000"}));
  EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::information);
  EXPECT_TRUE(exists(tmp + "/que00000.txa")) << "the tables stay";
}

TEST_F(ReportTest, ProjectReportShowsProgressOverTheMembers) {
  start();
  makeArchive("a.c", {"one\n"});
  makeArchive("b.c", {"two\n"});
  int h = 0;
  const std::string path = work("demo.pj");
  ASSERT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_CREATE, &h, 0), 0);
  ASSERT_EQ(vcAddMember(h, 'a', work("a.c").c_str(), "1.1", nullptr), 0);
  ASSERT_EQ(vcAddMember(h, 'a', work("b.c").c_str(), "1.1", nullptr), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  vcCloseProject(h);
  OpenProject project(ui, path.c_str());
  ASSERT_EQ(project.status, 0);
  projectReportCommand(starts, temps, libraryExporter(), commands::ChildKind::project, &project, path);
  ASSERT_FALSE(ui.progress.empty());
  EXPECT_EQ(ui.progress.front().heading, "Generating database tables...");
  EXPECT_TRUE(ui.progress.front().gauge);
  EXPECT_FALSE(ui.progressShown);
  ASSERT_EQ(spawner.starts.size(), 1u);
  EXPECT_EQ(spawner.starts[0].argv, (Words{"xdg-open", tmp + "/dem00000.txp"}));
  EXPECT_NE(readFile(tmp + "/dem00000.txm").find("b.c"), std::string::npos);
}

// A stub exporter for the failures the real one does not give on demand.
std::vector<int> g_keeps;
int g_stubReport = 0;
bool g_initialize = true;
rptHandle stubInitialize(const char*, rptMessageCallback, int, rptPasswordCallback) {
  static int token;
  return g_initialize ? reinterpret_cast<rptHandle>(&token) : nullptr;
}
int stubReport(const char*, int, rptHandle) { return g_stubReport; }
void stubTerminate(int keep, rptHandle) { g_keeps.push_back(keep); }

TEST_F(ReportTest, ExporterFailuresEndWithoutAViewer) {
  start();
  ReportExporter stub{stubInitialize, stubReport, stubReport, stubTerminate};
  makeArchive("queue.c", {"one\n"});
  OpenArchive archive(ui, work("queue.c"), 1);
  g_keeps.clear();
  archiveReportCommand(starts, temps, stub, commands::ChildKind::archive, &archive, "queue.c");
  EXPECT_EQ(g_keeps, (std::vector<int>{0}));

  g_initialize = false;
  ui.expectMessage("Unable to initialize REPORTER.DLL", ui::kAnswerOk);
  archiveReportCommand(starts, temps, stub, commands::ChildKind::archive, &archive, "queue.c");
  g_initialize = true;
  EXPECT_EQ(ui.messages.back().icon, ui::MessageIcon::none);
  EXPECT_EQ(g_keeps.size(), 1u);

  archiveReportCommand(starts, temps, stub, commands::ChildKind::none, nullptr, "");
  EXPECT_EQ(ui.beeps, 1);
  projectReportCommand(starts, temps, stub, commands::ChildKind::archive, nullptr, "queue.c");
  EXPECT_EQ(g_keeps.size(), 1u) << "a project report needs a project window";
  EXPECT_TRUE(spawner.starts.empty());
}

// ---- Recent files ---------------------------------------------------------

TEST_F(ExternalTest, RecentFilesOpenTheWindowTheirKindOrTheLibrarySays) {
  start();
  int h = 0;
  const std::string projectFile = work("demo.pj");
  ASSERT_EQ(vcOpenProject(projectFile.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_CREATE, &h, 0), 0);
  ASSERT_EQ(vcSaveProject(h), 0);
  vcCloseProject(h);
  const std::string plain = dir.write("notes.txt", "text\n");

  std::vector<std::string> opened;
  commands::WindowOpeners open{[&](const std::string& p) { opened.push_back("project " + p); },
                     [&](const std::string& p) { opened.push_back("archive " + p); }, {}};
  RecentFiles recent;
  recent.add(projectFile, 1);
  recent.add(plain, 1);
  recent.add(work("old.c"), 2);
  recent.add(work("sandbox.sbx"), 8);
  // Most recent first: sandbox (8), old.c (2), notes.txt (1), demo.pj (1).
  for (int id = 1564; id <= 1568; ++id) commands::recentFileCommand(ui, recent, id, open);
  EXPECT_EQ(opened, (Words{"project " + work("sandbox.sbx"), "archive " + work("old.c"), "archive " + plain,
                           "project " + projectFile}));
  EXPECT_EQ(ui.cursorDepth, 0);

  open.probeProject = [](const std::string&) { return 19; };
  ui.expectMessage("Sandbox " + plain +
                       " cannot be opened because its project archive is encrypted. Sandboxes cannot be used with "
                       "encrypted project archives.",
                   ui::kAnswerOk);
  commands::recentFileCommand(ui, recent, 1566, open);
  EXPECT_EQ(opened.size(), 4u);
}

}  // namespace
}  // namespace orv::workbench::external
