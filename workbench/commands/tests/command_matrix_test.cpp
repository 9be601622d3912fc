// Every command's enabling with no window, an archive window and a project
// window over snapshots of what the windows know and what the user may do,
// through the router (window rules first, then the frame's). The oracle and
// the window facts write every question they are asked into one log, so a
// case also shows which permissions were asked, in which order, and which
// were asked in the global scope ("save ... restore").
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "platform/ui/testing/scripted_ui.h"
#include "workbench/commands/command_router.h"
#include "workbench/commands/command_table.h"

namespace orv::workbench::commands {
namespace {

using Log = std::vector<std::string>;

class RecordingOracle : public PermissionOracle {
 public:
  RecordingOracle(Log& log, const std::set<std::string>& denied) : log_(log), denied_(denied) {}
  bool hasPermission(std::string_view name) override {
    log_.emplace_back(name);
    return !denied_.contains(std::string(name));
  }
  bool withoutLibraryContext(const std::function<bool()>& check) override {
    log_.emplace_back("save");
    const bool answer = check();
    log_.emplace_back("restore");
    return answer;
  }

 private:
  Log& log_;
  const std::set<std::string>& denied_;
};

// What a case's windows know. The default is a user who may do everything,
// an archive window with one revision row selected and a writable working
// file, and a project window with one archived member selected that has a
// revision, and seven recent files of every kind.
struct Snapshot {
  std::string name;
  std::set<std::string> denied;
  // Archive window.
  int archiveSelected = 1;
  bool workRowFirst = false;
  FileState workFile = FileState::writable;
  bool severalStates = true;
  // Project window.
  bool sandbox = false;
  unsigned selected = 1;
  bool hasRevision = true;
  bool frozen = false;
  bool historical = false;
  bool frozenRequested = false;
  bool variantAllowed = true;
  std::optional<std::string> projectRevision = "1.4";
  std::optional<SelectedMember> member = SelectedMember{'a', FileState::writable};
  // Recent files 1564..1570; 1571 has no entry.
  std::vector<int> recentKinds = {16, 8, 4, 2, 1, 0, 6};
};

const std::set<std::string> kEveryPermission = {
    "CreateArchive", "OpenArchive", "CreateProject", "OpenProject", "OpenSandbox", "CheckIn",
    "CheckOut", "Lock", "Promote", "Demote", "DeleteRevision", "AddMember", "RemoveMember",
    "ModifyProject", "AddLabel", "Checkpoint", "CreateSandbox", "FreezeProject", "ThawProject",
    "FreezeMember", "ThawMember"};

Snapshot snapshot(std::string name, const std::function<void(Snapshot&)>& change = {}) {
  Snapshot s;
  s.name = std::move(name);
  if (change) change(s);
  return s;
}

const std::vector<Snapshot>& snapshots() {
  static const std::vector<Snapshot> all = {
      snapshot("all"),
      snapshot("nothing_allowed", [](Snapshot& s) { s.denied = kEveryPermission; }),
      snapshot("no_checkout", [](Snapshot& s) { s.denied = {"CheckOut"}; }),
      snapshot("no_modify_project", [](Snapshot& s) { s.denied = {"ModifyProject"}; }),
      snapshot("no_open_project", [](Snapshot& s) { s.denied = {"OpenProject"}; }),
      snapshot("no_open_sandbox", [](Snapshot& s) { s.denied = {"OpenSandbox"}; }),
      snapshot("no_open_project_or_archive", [](Snapshot& s) { s.denied = {"OpenProject", "OpenArchive"}; }),
      snapshot("work_row_writable", [](Snapshot& s) { s.workRowFirst = true; }),
      snapshot("work_row_read_only", [](Snapshot& s) {
        s.workRowFirst = true;
        s.workFile = FileState::readOnly;
      }),
      snapshot("work_row_missing", [](Snapshot& s) {
        s.workRowFirst = true;
        s.workFile = FileState::missing;
      }),
      snapshot("two_rows", [](Snapshot& s) {
        s.archiveSelected = 2;
        s.selected = 2;
      }),
      snapshot("three_rows", [](Snapshot& s) {
        s.archiveSelected = 3;
        s.selected = 3;
      }),
      snapshot("three_rows_from_work_row", [](Snapshot& s) {
        s.archiveSelected = 3;
        s.workRowFirst = true;
      }),
      snapshot("no_selection", [](Snapshot& s) {
        s.archiveSelected = 0;
        s.selected = 0;
        s.hasRevision = false;
        s.member.reset();
      }),
      snapshot("one_state", [](Snapshot& s) { s.severalStates = false; }),
      snapshot("no_revision", [](Snapshot& s) { s.hasRevision = false; }),
      snapshot("sandbox", [](Snapshot& s) { s.sandbox = true; }),
      snapshot("historical", [](Snapshot& s) { s.historical = true; }),
      snapshot("frozen", [](Snapshot& s) { s.frozen = true; }),
      snapshot("frozen_on_request", [](Snapshot& s) { s.frozenRequested = true; }),
      snapshot("frozen_both", [](Snapshot& s) {
        s.frozen = true;
        s.frozenRequested = true;
      }),
      snapshot("variant_refused", [](Snapshot& s) { s.variantAllowed = false; }),
      snapshot("subproject", [](Snapshot& s) { s.member = SelectedMember{'i', FileState::readOnly}; }),
      snapshot("subproject_missing", [](Snapshot& s) { s.member = SelectedMember{'i', FileState::missing}; }),
      snapshot("sub_sandbox", [](Snapshot& s) { s.member = SelectedMember{'s', FileState::writable}; }),
      snapshot("member_read_only", [](Snapshot& s) { s.member = SelectedMember{'f', FileState::readOnly}; }),
      snapshot("member_missing", [](Snapshot& s) { s.member = SelectedMember{'a', FileState::missing}; }),
      snapshot("no_project_revision", [](Snapshot& s) { s.projectRevision.reset(); }),
      snapshot("empty_project_revision", [](Snapshot& s) { s.projectRevision = ""; }),
  };
  return all;
}

const Snapshot& named(const std::string& name) {
  for (const Snapshot& s : snapshots())
    if (s.name == name) return s;
  throw std::logic_error("no snapshot " + name);
}

// One case: command id in window under snapshot. expect: 'E' enabled, 'D'
// disabled, '-' left alone. text: the item's new text (nullptr: none).
// log: the questions asked, blank-separated (nullptr: not checked).
struct MatrixCase {
  int id;
  ChildKind window;
  std::string snapshot;
  char expect;
  const char* text = nullptr;
  const char* log = nullptr;
};

std::string windowName(ChildKind kind) {
  return kind == ChildKind::none ? "none" : kind == ChildKind::archive ? "archive" : "project";
}

void PrintTo(const MatrixCase& c, std::ostream* os) {
  *os << c.id << " in " << windowName(c.window) << " window, snapshot " << c.snapshot;
}

// With every permission: the state of each command with no window, an
// archive window and a project window, and the texts the windows set.
struct FullRow {
  int id;
  const char* states;  // none, archive, project
  const char* archiveText = nullptr;
  const char* projectText = nullptr;
};

const FullRow kFullRows[] = {
    {1501, "EEE"}, {1502, "EEE"}, {1503, "EEE"}, {1504, "EEE"}, {1505, "---"}, {1506, "---"},
    {1507, "-D-"}, {1509, "-E-"}, {1510, "-E-"}, {1511, "-E-"}, {1512, "-E-"}, {1513, "---"},
    {1515, "---"}, {1516, "---"}, {1517, "---"}, {1518, "---"}, {1519, "EEE"}, {1520, "-E-"},
    {1521, "-E-"}, {1522, "-E-", "&View Revision"}, {1523, "-E-"}, {1524, "-E-"}, {1525, "---"},
    {1526, "DDE"}, {1527, "DDE"}, {1528, "DDE"}, {1529, "DDE", nullptr, "Project &Information..."},
    {1530, "--E"}, {1531, "---"}, {1532, "DDE"}, {1533, "DDE"}, {1534, "DDE"}, {1535, "DDE"},
    {1537, "---"}, {1538, "DDD"}, {1539, "---"}, {1540, "--E"}, {1541, "DDE"}, {1543, "---"},
    {1544, "---"}, {1545, "---"}, {1546, "---"}, {1547, "---"}, {1548, "--E"}, {1549, "--E"},
    {1551, "--E"}, {1552, "--E"}, {1553, "---"}, {1554, "DDE"}, {1555, "DDE"}, {1556, "DDE"},
    {1557, "DDE", nullptr, "Edit &Working File"}, {1558, "DDE"}, {1559, "--E"}, {1560, "--E"},
    {1561, "--E"}, {1562, "--E"}, {1563, "-D-"}, {1564, "EEE"}, {1565, "EEE"}, {1566, "EEE"},
    {1567, "EEE"}, {1568, "EEE"}, {1569, "---"}, {1570, "EEE"}, {1571, "---"},
    {1573, "-E-", "Dele&te Revision"}, {1574, "DDE"}, {1575, "DDD"}, {1576, "DDE"}, {1577, "DDE"},
};

constexpr ChildKind kNone = ChildKind::none;
constexpr ChildKind kArchive = ChildKind::archive;
constexpr ChildKind kProject = ChildKind::project;

// Cases for particular snapshots: denied permissions, selections, flags,
// texts and the order of the questions.
const std::vector<MatrixCase> kSnapshotCases = {
    // The File commands: the windows ask creation permissions globally, the
    // frame asks in the current scope.
    {1501, kNone, "all", 'E', nullptr, "CreateArchive"},
    {1501, kArchive, "all", 'E', nullptr, "save CreateArchive restore"},
    {1501, kProject, "nothing_allowed", 'D', nullptr, "save CreateArchive restore"},
    {1503, kProject, "all", 'E', nullptr, "save CreateProject restore"},
    {1519, kArchive, "nothing_allowed", 'D', nullptr, "save CreateArchive restore"},
    {1502, kArchive, "nothing_allowed", 'D', nullptr, "OpenArchive"},
    {1504, kNone, "no_open_project", 'D', nullptr, "OpenProject"},
    // Member commands stay grey without a project window, whatever the user may do.
    {1554, kNone, "all", 'D', nullptr, ""},
    {1576, kArchive, "all", 'D', nullptr, ""},
    // Recent files: the first kind bit decides (16, 8, 4, 2, 1); none: left alone.
    {1564, kNone, "no_open_sandbox", 'D', nullptr, "OpenSandbox"},
    {1564, kNone, "no_open_project_or_archive", 'D', nullptr, "OpenSandbox OpenArchive"},
    {1565, kProject, "no_open_project_or_archive", 'E', nullptr, "OpenSandbox"},
    {1566, kArchive, "no_open_project", 'D', nullptr, "OpenProject"},
    {1567, kNone, "no_open_project", 'E', nullptr, "OpenArchive"},
    {1568, kNone, "no_open_project", 'E', nullptr, "OpenProject OpenArchive"},
    {1568, kNone, "no_open_project_or_archive", 'D', nullptr, "OpenProject OpenArchive"},
    {1569, kNone, "all", '-', nullptr, ""},
    {1570, kNone, "no_open_project", 'D', nullptr, "OpenProject"},
    {1571, kNone, "all", '-', nullptr, ""},
    // Archive window: one revision means one row that is not the working file.
    {1512, kArchive, "work_row_writable", 'D'},
    {1512, kArchive, "two_rows", 'D'},
    {1520, kArchive, "work_row_writable", 'D', nullptr, "Lock"},
    {1520, kArchive, "nothing_allowed", 'D', nullptr, "Lock"},
    {1521, kArchive, "work_row_writable", 'D', nullptr, ""},
    {1521, kArchive, "nothing_allowed", 'E', nullptr, ""},
    {1507, kArchive, "two_rows", 'E', nullptr, "CheckOut"},
    {1507, kArchive, "three_rows", 'D', nullptr, "CheckOut"},
    {1507, kArchive, "no_checkout", 'D', nullptr, "CheckOut"},
    {1509, kArchive, "nothing_allowed", 'D', nullptr, "CheckIn"},
    {1510, kArchive, "no_checkout", 'D', nullptr, "CheckOut"},
    {1511, kArchive, "nothing_allowed", 'E', nullptr, ""},
    {1511, kArchive, "no_selection", 'E', nullptr, ""},
    {1554, kArchive, "all", 'D', nullptr, ""},
    {1563, kArchive, "all", 'D', nullptr, ""},
    {1522, kArchive, "all", 'E', "&View Revision", "CheckOut"},
    {1522, kArchive, "no_checkout", 'D', "&View Revision", "CheckOut"},
    {1522, kArchive, "work_row_writable", 'E', "Edit &Working File", ""},
    {1522, kArchive, "work_row_read_only", 'E', "View &Working File", ""},
    {1522, kArchive, "work_row_missing", 'D', "View &Working File", ""},
    {1522, kArchive, "two_rows", 'D', nullptr, ""},
    {1522, kArchive, "no_selection", 'D', nullptr, ""},
    {1523, kArchive, "all", 'E', nullptr, "Promote states"},
    {1523, kArchive, "one_state", 'D', nullptr, "Promote states"},
    {1523, kArchive, "work_row_writable", 'D', nullptr, "Promote"},
    {1524, kArchive, "nothing_allowed", 'D', nullptr, "Demote"},
    {1524, kArchive, "two_rows", 'D', nullptr, "Demote"},
    {1573, kArchive, "all", 'E', "Dele&te Revision", "DeleteRevision"},
    {1573, kArchive, "three_rows", 'E', "Dele&te Revisions", "DeleteRevision"},
    {1573, kArchive, "three_rows_from_work_row", 'D', "Dele&te Revisions", "DeleteRevision"},
    {1573, kArchive, "work_row_writable", 'D', "Dele&te Revision", "DeleteRevision"},
    {1573, kArchive, "no_selection", 'D', "Dele&te Revision", "DeleteRevision"},
    {1573, kArchive, "nothing_allowed", 'D', "Dele&te Revision", "DeleteRevision"},
    // Project window: terms left to right, stopping at the first that fails.
    {1526, kProject, "all", 'E', nullptr, "AddMember V"},
    {1526, kProject, "historical", 'D', nullptr, "AddMember V"},
    {1526, kProject, "frozen", 'D', nullptr, "AddMember V"},
    {1526, kProject, "variant_refused", 'D', nullptr, "AddMember V"},
    {1526, kProject, "nothing_allowed", 'D', nullptr, "AddMember"},
    {1527, kProject, "no_selection", 'D', nullptr, "RemoveMember V"},
    {1527, kProject, "historical", 'D', nullptr, "RemoveMember V"},
    {1528, kProject, "no_selection", 'D', nullptr, ""},
    {1528, kProject, "two_rows", 'D', nullptr, ""},
    {1528, kProject, "nothing_allowed", 'E', nullptr, ""},
    {1529, kProject, "sandbox", 'E', "Sandbox &Information", ""},
    {1529, kProject, "nothing_allowed", 'E', "Project &Information...", ""},
    {1530, kProject, "all", 'E', nullptr, "ModifyProject OpenArchive V"},
    {1530, kProject, "no_modify_project", 'D', nullptr, "ModifyProject"},
    {1530, kProject, "no_revision", 'D', nullptr, "ModifyProject OpenArchive"},
    {1530, kProject, "frozen", 'D', nullptr, "ModifyProject OpenArchive V"},
    {1532, kProject, "no_revision", 'D', nullptr, "OpenArchive"},
    {1532, kProject, "no_selection", 'D', nullptr, "OpenArchive"},
    {1533, kProject, "no_selection", 'D', nullptr, "CheckIn"},
    {1533, kProject, "no_revision", 'E', nullptr, "CheckIn"},
    {1534, kProject, "no_selection", 'D', nullptr, "CheckOut"},
    {1534, kProject, "no_revision", 'D', nullptr, "CheckOut"},
    {1535, kProject, "no_revision", 'D', nullptr, "AddLabel"},
    {1535, kProject, "nothing_allowed", 'D', nullptr, "AddLabel"},
    {1538, kProject, "all", 'D', nullptr, ""},
    {1540, kProject, "all", 'E', nullptr, "member"},
    {1540, kProject, "subproject", 'D', nullptr, "member"},
    {1540, kProject, "sub_sandbox", 'D', nullptr, "member"},
    {1540, kProject, "two_rows", 'D', nullptr, ""},
    {1541, kProject, "no_selection", 'E', nullptr, ""},
    {1541, kProject, "nothing_allowed", 'E', nullptr, ""},
    {1548, kProject, "all", 'E', nullptr, "Checkpoint V"},
    {1548, kProject, "frozen", 'E', nullptr, "Checkpoint V"},
    {1548, kProject, "frozen_on_request", 'D', nullptr, "Checkpoint V"},
    {1548, kProject, "historical", 'D', nullptr, "Checkpoint V"},
    {1548, kProject, "variant_refused", 'D', nullptr, "Checkpoint V"},
    {1549, kProject, "all", 'E', nullptr, "OpenArchive revision"},
    {1549, kProject, "no_project_revision", 'D', nullptr, "OpenArchive revision"},
    {1549, kProject, "empty_project_revision", 'D', nullptr, "OpenArchive revision"},
    {1549, kProject, "nothing_allowed", 'D', nullptr, "OpenArchive"},
    {1551, kProject, "no_selection", 'E', nullptr, "CheckOut"},
    {1551, kProject, "no_checkout", 'D', nullptr, "CheckOut"},
    {1552, kProject, "nothing_allowed", 'D', nullptr, "OpenArchive"},
    {1554, kProject, "sandbox", 'D', nullptr, "CreateSandbox"},
    {1554, kProject, "nothing_allowed", 'D', nullptr, "CreateSandbox"},
    {1555, kProject, "no_revision", 'D', nullptr, "Lock"},
    {1556, kProject, "no_selection", 'D', nullptr, "OpenArchive"},
    {1557, kProject, "all", 'E', "Edit &Working File", "member"},
    {1557, kProject, "member_read_only", 'E', "View &Working File", "member"},
    {1557, kProject, "member_missing", 'D', "View &Working File", "member"},
    {1557, kProject, "subproject", 'E', "Open Subprojec&t", "member"},
    {1557, kProject, "subproject_missing", 'D', "Open Subprojec&t", "member"},
    {1557, kProject, "two_rows", 'D', "View &Working File", ""},
    {1557, kProject, "no_selection", 'D', "View &Working File", ""},
    {1558, kProject, "two_rows", 'D', nullptr, "CheckOut"},
    {1558, kProject, "no_revision", 'D', nullptr, "CheckOut"},
    {1559, kProject, "all", 'E', nullptr, "Promote states"},
    {1559, kProject, "one_state", 'D', nullptr, "Promote states"},
    {1560, kProject, "no_selection", 'E', nullptr, "Demote states"},
    {1561, kProject, "no_revision", 'D', nullptr, "Promote"},
    {1561, kProject, "no_selection", 'D', nullptr, "Promote"},
    {1562, kProject, "one_state", 'D', nullptr, "Demote states"},
    {1574, kProject, "all", 'E', nullptr, "FreezeProject V"},
    {1574, kProject, "frozen", 'D', nullptr, "FreezeProject"},
    {1574, kProject, "frozen_on_request", 'D', nullptr, "FreezeProject V"},
    {1574, kProject, "historical", 'D', nullptr, "FreezeProject V"},
    {1575, kProject, "all", 'D', nullptr, "ThawProject"},
    {1575, kProject, "frozen", 'E', nullptr, "ThawProject V"},
    {1575, kProject, "frozen_both", 'D', nullptr, "ThawProject V"},
    {1575, kProject, "variant_refused", 'D', nullptr, "ThawProject"},
    {1576, kProject, "historical", 'D', nullptr, "FreezeMember V"},
    {1576, kProject, "no_revision", 'D', nullptr, "FreezeMember"},
    {1577, kProject, "all", 'E', nullptr, "ThawMember V"},
    {1577, kProject, "frozen", 'D', nullptr, "ThawMember V"},
    {1577, kProject, "no_selection", 'D', nullptr, "ThawMember"},
    // Reports stay grey in both windows whatever the user may do.
    {1538, kArchive, "all", 'D', nullptr, ""},
    {1563, kProject, "all", '-', nullptr, ""},
};

std::vector<MatrixCase> allCases() {
  std::vector<MatrixCase> cases;
  for (const FullRow& row : kFullRows)
    for (ChildKind window : {kNone, kArchive, kProject}) {
      const int w = static_cast<int>(window);
      const char* text = window == kArchive ? row.archiveText : window == kProject ? row.projectText : nullptr;
      cases.push_back({row.id, window, "all", row.states[w], text});
    }
  cases.insert(cases.end(), kSnapshotCases.begin(), kSnapshotCases.end());
  return cases;
}

// One case, with its own oracle, windows and router.
void checkCase(const MatrixCase& c) {
  SCOPED_TRACE(testing::PrintToString(c));
  const Snapshot& s = named(c.snapshot);
  Log log;
  RecordingOracle oracle(log, s.denied);
  ui::testing::ScriptedUi ui;
  CommandRouter router(ui, oracle);
  router.setRecentKinds([&] { return s.recentKinds; });

  auto answer = [&log](const char* what, auto value) {
    return [&log, what, value] {
      log.emplace_back(what);
      return value;
    };
  };
  ArchiveWindowFacts archive{s.archiveSelected, s.workRowFirst, s.workFile,
                             answer("states", s.severalStates)};
  ProjectWindowFacts project{s.sandbox,
                             s.selected,
                             s.hasRevision,
                             s.frozen,
                             s.historical,
                             s.frozenRequested,
                             answer("V", s.variantAllowed),
                             answer("states", s.severalStates),
                             answer("revision", s.projectRevision),
                             answer("member", s.member)};
  if (c.window == kArchive)
    router.setActiveWindow(kArchive, [&](int id) { return enableForArchiveWindow(id, archive, oracle); });
  if (c.window == kProject)
    router.setActiveWindow(kProject, [&](int id) { return enableForProjectWindow(id, project, oracle); });

  const EnableResult result = router.enable(c.id);
  const char state = result.state == Enabling::enabled    ? 'E'
                     : result.state == Enabling::disabled ? 'D'
                                                          : '-';
  EXPECT_EQ(state, c.expect);
  EXPECT_EQ(result.text, c.text ? std::optional<std::string>(c.text) : std::nullopt);
  if (c.log) {
    std::ostringstream asked;
    for (std::size_t i = 0; i < log.size(); ++i) asked << (i ? " " : "") << log[i];
    EXPECT_EQ(asked.str(), c.log);
  }
  EXPECT_EQ(ui.beeps, 0);
}

// One instance per command, running the command's cases in every window
// and snapshot.
class CommandMatrix : public testing::TestWithParam<int> {};

TEST_P(CommandMatrix, Enabling) {
  int checked = 0;
  for (const MatrixCase& c : allCases()) {
    if (c.id != GetParam()) continue;
    checkCase(c);
    ++checked;
  }
  EXPECT_GE(checked, 3);  // at least no window, an archive window and a project window
}

std::vector<int> commandIds() {
  std::vector<int> ids;
  for (const CommandInfo& info : allCommands()) ids.push_back(info.id);
  return ids;
}

std::string commandName(const testing::TestParamInfo<int>& command) {
  return std::to_string(command.param);
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandMatrix, testing::ValuesIn(commandIds()), commandName);

// The full rows cover every command of the table, and nothing else.
TEST(CommandMatrixCoverage, EveryCommandHasARow) {
  std::vector<int> rowIds;
  for (const FullRow& row : kFullRows) rowIds.push_back(row.id);
  EXPECT_EQ(rowIds, commandIds());
}

}  // namespace
}  // namespace orv::workbench::commands
