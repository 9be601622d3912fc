// Running commands through the router: which window each one needs, the
// warning beep when that window is not active (and silence for the silent
// ones), and a project window with nothing selected, whose handler runs and
// announces the empty selection itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/ui/testing/scripted_ui.h"
#include "workbench/commands/command_router.h"
#include "workbench/commands/command_table.h"
#include "workbench/commands/window_selection.h"

namespace orv::workbench::commands {
namespace {

class AllowAll : public PermissionOracle {
 public:
  bool hasPermission(std::string_view) override { return true; }
  bool withoutLibraryContext(const std::function<bool()>& check) override { return check(); }
};

// The commands that beep with no window open, and those that say nothing.
const std::set<int> kBeepWithoutWindow = {1507, 1509, 1510, 1511, 1512, 1522, 1523, 1524, 1527,
                                          1528, 1529, 1530, 1531, 1532, 1533, 1534, 1535, 1537,
                                          1538, 1539, 1540, 1541, 1548, 1549, 1551, 1552, 1553,
                                          1554, 1557, 1558, 1559, 1560, 1561, 1562, 1563};
const std::set<int> kSilentWithoutWindow = {1505, 1520, 1521, 1555, 1556, 1573, 1574, 1575, 1576, 1577};

class Routing : public testing::Test {
 protected:
  Routing() {
    for (const CommandInfo& info : allCommands())
      router.setHandler(info.id, [this](int id) { ran.push_back(id); });
  }
  void activate(ChildKind kind) {
    router.setActiveWindow(kind, [](int) { return EnableResult{}; });
  }
  // Dispatches id; the beeps it gave and whether its handler ran.
  std::pair<int, bool> run(int id) {
    const int beepsBefore = ui.beeps;
    const std::size_t ranBefore = ran.size();
    router.dispatch(id);
    return {ui.beeps - beepsBefore, ran.size() > ranBefore};
  }

  ui::testing::ScriptedUi ui;
  AllowAll oracle;
  CommandRouter router{ui, oracle};
  std::vector<int> ran;
};

TEST_F(Routing, EveryCommandWithoutAWindow) {
  for (const CommandInfo& info : allCommands()) {
    const bool beeps = kBeepWithoutWindow.contains(info.id);
    const bool silent = kSilentWithoutWindow.contains(info.id);
    const auto [beeped, handled] = run(info.id);
    EXPECT_EQ(beeped, beeps ? 1 : 0) << info.id;
    EXPECT_EQ(handled, !beeps && !silent) << info.id;
  }
}

struct KindCase {
  int id;
  ChildKind window;
  int beeps;
  bool handled;
};

TEST_F(Routing, WindowKinds) {
  const KindCase cases[] = {
      {1509, ChildKind::project, 1, false},  // archive check-in needs an archive window
      {1512, ChildKind::archive, 0, true},
      {1533, ChildKind::archive, 1, false},  // a member command needs a project window
      {1528, ChildKind::archive, 1, false},
      {1561, ChildKind::archive, 1, false},
      {1531, ChildKind::project, 0, true},
      {1511, ChildKind::project, 1, false},  // archive information acts on archive windows only
      {1563, ChildKind::project, 1, false},  // so does the archive report
      {1573, ChildKind::project, 0, false},  // silent, and archive windows only
      {1538, ChildKind::archive, 1, false},  // the project report acts on project windows only
      {1529, ChildKind::archive, 1, false},
      {1574, ChildKind::archive, 0, false},  // silent, project windows only
      {1573, ChildKind::archive, 0, true},
      {1505, ChildKind::archive, 0, true},
      {1505, ChildKind::project, 0, true},
      {1522, ChildKind::project, 0, true},
      {1523, ChildKind::project, 0, true},  // promotes the project
      {1520, ChildKind::project, 0, true},
      {1501, ChildKind::archive, 0, true},
  };
  for (const KindCase& c : cases) {
    activate(c.window);
    const auto [beeped, handled] = run(c.id);
    EXPECT_EQ(beeped, c.beeps) << c.id;
    EXPECT_EQ(handled, c.handled) << c.id;
  }
}

// An active project window with nothing selected: no beep; the handler
// runs and takes the selection, which says so.
TEST_F(Routing, ProjectWindowWithEmptySelection) {
  activate(ChildKind::project);
  std::vector<int> taken = {99};
  router.setHandler(1533, [&](int) {
    taken = takeSelectedRows(ui, 0, true, [](std::vector<int>&) { FAIL() << "nothing to collect"; });
  });
  ui.expectMessage("No lines selected.\nSelect at least one line.", ui::kAnswerOk);
  EXPECT_EQ(router.dispatch(1533), CommandRouter::Outcome::handled);
  EXPECT_EQ(ui.beeps, 0);
  EXPECT_TRUE(taken.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, ui::MessageIcon::warning);
}

TEST_F(Routing, Outcomes) {
  CommandRouter bare(ui, oracle);
  EXPECT_EQ(bare.dispatch(1506), CommandRouter::Outcome::unhandled);
  EXPECT_EQ(bare.dispatch(1509), CommandRouter::Outcome::refused);
  bare.setHandler(32001, [&](int id) { ran.push_back(id); });  // not a table command: runs as it is
  EXPECT_EQ(bare.dispatch(32001), CommandRouter::Outcome::handled);
  EXPECT_EQ(ran, std::vector<int>{32001});
  EXPECT_EQ(ui.beeps, 1);
}

// The window's own answer wins; an undecided one falls to the frame's; with
// no window, a window enabler given before is forgotten.
TEST_F(Routing, EnablingLevels) {
  router.setActiveWindow(ChildKind::project, [](int id) {
    if (id == 1526) return EnableResult{Enabling::enabled, "mine"};
    return EnableResult{};
  });
  EXPECT_EQ(router.enable(1526), (EnableResult{Enabling::enabled, "mine"}));
  EXPECT_EQ(router.enable(1533), (EnableResult{Enabling::disabled, std::nullopt}));
  router.setActiveWindow(ChildKind::none, [](int) { return EnableResult{Enabling::enabled, {}}; });
  EXPECT_EQ(router.activeKind(), ChildKind::none);
  EXPECT_EQ(router.enable(1526).state, Enabling::disabled);
}

class NoSink : public ExecuteSink {
 public:
  void runCommand(const ExecuteCommand&) override { ++ran; }
  int ran = 0;
};

TEST_F(Routing, CommandServerWaitsWhileAHandlerRuns) {
  NoSink sink;
  ExecuteServer server(sink, [](std::string name) { return name; });
  router.setCommandServer(&server);
  std::uint32_t inside = kExecuteAccepted;
  router.setHandler(kCommandAbout, [&](int) {
    // A dialog of the command is open: a request arriving now must wait.
    inside = server.execute("About ;");
    // A nested command (a dialog's button running another) keeps it out
    // until the outer one ends too.
    router.dispatch(kCommandCompareFiles);
    inside |= server.execute("About ;");
  });
  router.dispatch(kCommandAbout);
  EXPECT_EQ(inside, kExecuteRefused);
  EXPECT_EQ(sink.ran, 0);
  EXPECT_EQ(server.execute("About ;"), kExecuteAccepted) << "taken again once the command ended";
  EXPECT_EQ(sink.ran, 1);
}

}  // namespace
}  // namespace orv::workbench::commands
