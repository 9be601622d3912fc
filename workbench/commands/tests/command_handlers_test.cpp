// Commands from the router to their handlers: every command has one, and a
// command reaches the active window's archive or project, its selection,
// the programs started outside and the dialog flows; a command without its
// flow is disabled.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/spawn/recording_spawner.h"
#include "workbench/commands/command_handlers.h"
#include "workbench/commands/command_table.h"
#include "workbench/testing/fake_windows.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::commands {
namespace {

using testing::FakeArchiveWindow;
using testing::FakeProjectWindow;
using testing::FakeRegistry;
using testing::ProjectTest;

class Granting : public PermissionOracle {
 public:
  bool hasPermission(std::string_view) override { return true; }
  bool withoutLibraryContext(const std::function<bool()>& check) override { return check(); }
};

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The Revision Information dialog, answering Cancel.
WindowCommandServices itemServices() {
  WindowCommandServices services;
  services.revisionInformation = [](OpenArchive&, const std::string&) { return ui::kAnswerCancel; };
  return services;
}

class CommandHandlersTest : public ProjectTest {
 protected:
  void beforeStart() override {
    flows.checkOutArchive = [this](ArchiveWindow&, const std::string& revision) {
      checkedOut.push_back(revision);
      return checkOutAnswer;
    };
    flows.memberInformation = [this](ProjectWindow&, int row) { informationRows.push_back(row); };
  }

  FakeRegistry windows{ui};
  OpenCreateCommands opening{ui, windows, {}};
  TempFiles temps{ui};
  WindowCommands items{ui, windows, opening, temps, itemServices()};
  platform::RecordingSpawner spawner;
  ProgramStarts starts{ui, spawner, dir.file("ORVTY.INI"), "/opt/orv/bin"};
  ArchiveImporters importers;
  ReportExporter exporter;
  RecentFiles recent;
  DialogFlows flows;
  CommandContext context{ui, windows, opening, items, starts, temps, importers, exporter, recent, {}, {}};
  Granting permissions;
  CommandRouter router{ui, permissions};
  std::vector<std::string> checkedOut;
  int checkOutAnswer = 0;
  std::vector<int> informationRows;

  void registerAll() {
    context.flows = flows;
    registerCommandHandlers(router, context);
  }
  void activate(ChildKind kind) { router.setActiveWindow(kind, {}); }
};

TEST_F(CommandHandlersTest, EveryCommandOfTheTableHasItsHandler) {
  registerAll();
  for (const CommandInfo& info : allCommands()) {
    // Help belongs to the frame and its help viewer.
    const bool help = info.id >= kCommandHelpContents && info.id <= kCommandTutorial;
    EXPECT_EQ(router.hasHandler(info.id), !help) << info.id;
  }
}

TEST_F(CommandHandlersTest, ArchiveCommandsReachTheActiveWindowAndItsSelection) {
  makeArchive("a.c", {"one\n", "two\n", "three\n"});
  registerAll();
  FakeArchiveWindow& w = windows.openArchive(archiveOf("a.c"));
  activate(ChildKind::archive);
  w.rows = {{"1.1", 0}, {"1.3", 0}};

  // Compare Revisions: both revisions checked out, the later row first.
  EXPECT_EQ(router.dispatch(kCommandCompareRevisions), CommandRouter::Outcome::handled);
  ASSERT_EQ(spawner.starts.size(), 1u);
  const auto& argv = spawner.starts[0].argv;
  EXPECT_EQ(argv.front(), "/opt/orv/bin/vardel32");
  ASSERT_GE(argv.size(), 4u);
  EXPECT_EQ(argv[1], "-n-t1|Revision 1.3|");
  const std::string first = argv[argv.size() - 2].substr(1, argv[argv.size() - 2].size() - 2);
  EXPECT_TRUE(exists(first)) << "the copies stay for vardel32 to delete";

  // Two rows are not one revision.
  ui.expectMessage("You must select exactly one revision.", ui::kAnswerOk);
  router.dispatch(kCommandRevisionInfo);

  // Check Out takes the one revision, or none, and refreshes unless told not to.
  router.dispatch(kCommandCheckOut);
  w.rows = {{"1.2", 0}};
  checkOutAnswer = 5;
  router.dispatch(kCommandCheckOut);
  EXPECT_EQ(checkedOut, (std::vector<std::string>{"", "1.2"}));
  EXPECT_EQ(w.refreshes, 1);
  EXPECT_EQ(ui.beeps, 0);

  // Close takes the window away.
  router.dispatch(kCommandClose);
  EXPECT_TRUE(windows.windows.empty());
}

TEST_F(CommandHandlersTest, WindowOfTheWrongKindOrNoneBeepsAndAnEmptySelectionSpeaks) {
  registerAll();
  // No window: a beep, except for the silent ones.
  EXPECT_EQ(router.dispatch(kCommandRevisionInfo), CommandRouter::Outcome::refused);
  EXPECT_EQ(router.dispatch(kCommandLockRevision), CommandRouter::Outcome::refused);
  EXPECT_EQ(ui.beeps, 1);

  makeArchive("m.c", {"m\n"});
  FakeProjectWindow& p = windows.openProject(makeProject("p.pj", {{"m.c", 'a', nullptr}}));
  activate(ChildKind::project);
  // Compare Revisions needs any window, but acts on archive windows only.
  EXPECT_EQ(router.dispatch(kCommandCompareRevisions), CommandRouter::Outcome::handled);
  EXPECT_EQ(ui.beeps, 2);
  EXPECT_TRUE(spawner.starts.empty());

  // An empty selection is told by the window, without a beep.
  ui.expectMessage("No lines selected.", ui::kAnswerOk);
  router.dispatch(kCommandRemoveMembers);
  EXPECT_EQ(ui.beeps, 2);

  // One member: its row reaches the flow.
  p.rows = {0};
  router.dispatch(kCommandMemberInfo);
  EXPECT_EQ(informationRows, std::vector<int>{0});
  p.rows = {};
  ui.expectMessage("You must select exactly one member.", ui::kAnswerOk);
  router.dispatch(kCommandMemberInfo);
  EXPECT_EQ(informationRows.size(), 1u);

  // A command whose flow or dialog is not there is disabled and runs
  // nothing.
  for (const int id : {kCommandBuild, kCommandSelectMembers}) {
    EXPECT_EQ(router.enable(id).state, Enabling::disabled) << id;
    EXPECT_EQ(router.dispatch(id), CommandRouter::Outcome::unhandled) << id;
  }
}

}  // namespace
}  // namespace orv::workbench::commands
