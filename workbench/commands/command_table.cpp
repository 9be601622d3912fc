// The command table itself. Commands that act on one kind of window only
// (archive information, deleting revisions, the archive and project
// reports, project information, freezing and thawing) name that kind, so
// that reaching one from the other kind's window (an accelerator or a
// configured button) is refused instead of handing the handler the wrong
// object.
#include "workbench/commands/command_table.h"

#include <algorithm>
#include <array>

namespace orv::workbench::commands {

namespace {

constexpr ChildKind kAny = ChildKind::none;
constexpr ChildKind kArchive = ChildKind::archive;
constexpr ChildKind kProject = ChildKind::project;
constexpr bool kSilent = true;
constexpr bool kLoud = false;

constexpr CommandInfo entry(int id, std::string_view text, Needs needs, bool silent = kLoud,
                            ChildKind actsOn = kAny, ClientRule client = ClientRule::untouched,
                            std::string_view permission = {}) {
  return CommandInfo{id, text, needs, silent, actsOn, client, permission};
}
constexpr CommandInfo permitted(int id, std::string_view text, std::string_view permission) {
  return entry(id, text, Needs::nothing, kLoud, kAny, ClientRule::permission, permission);
}
constexpr CommandInfo greyed(int id, std::string_view text, Needs needs, bool silent = kLoud,
                             ChildKind actsOn = kAny) {
  return entry(id, text, needs, silent, actsOn, ClientRule::disabled);
}
constexpr CommandInfo recent(int id) {
  return entry(id, {}, Needs::nothing, kLoud, kAny, ClientRule::recentFile);
}

constexpr std::array kCommands = {
    permitted(1501, "C&reate Archive...", "CreateArchive"),
    permitted(1502, "Open &Archive...", "OpenArchive"),
    permitted(1503, "&Create Project...", "CreateProject"),
    permitted(1504, "Open &Project/Sandbox...", "OpenProject"),
    entry(1505, "C&lose", Needs::anyChild, kSilent),
    entry(1506, "Compare &Files...", Needs::nothing),
    entry(1507, "&Compare Revisions...", Needs::anyChild),
    entry(1509, "Check &In...", Needs::archive),
    entry(1510, "Check &Out...", Needs::archive),
    entry(1511, "&Archive Information...", Needs::anyChild, kLoud, kArchive),
    entry(1512, "R&evision Information...", Needs::archive),
    entry(1513, "Co&nfiguration...", Needs::nothing),
    entry(1515, "&Contents\tF1", Needs::nothing),
    entry(1516, "Technical &Support", Needs::nothing),
    entry(1517, "&Tutorial", Needs::nothing),
    entry(1518, "&About Tessalyworkbench...", Needs::nothing),
    permitted(1519, "I&mport Archive...", "CreateArchive"),
    entry(1520, "&Lock Revision", Needs::anyChild, kSilent),
    entry(1521, "&Unlock Revision", Needs::anyChild, kSilent),
    entry(1522, "Edit &Working File", Needs::anyChild),
    entry(1523, "&Promote Revision...", Needs::anyChild),
    entry(1524, "&Demote Revision...", Needs::anyChild),
    entry(1525, {}, Needs::nothing),
    greyed(1526, "&Add Members...\tIns", Needs::nothing),
    greyed(1527, "R&emove Members...\tDel", Needs::projectSelection),
    greyed(1528, "&Member Information...", Needs::projectOneMember),
    greyed(1529, "Project &Information...", Needs::anyChild, kLoud, kProject),
    entry(1530, "Update to &Head Rev\tF7", Needs::projectSelection),
    entry(1531, "&Select...\tF4", Needs::project),
    greyed(1532, "Open Member &Archive\tAlt+Enter", Needs::projectSelection),
    greyed(1533, "Check &In...", Needs::projectSelection),
    greyed(1534, "Check &Out...", Needs::projectSelection),
    greyed(1535, "La&bel...", Needs::projectSelection),
    entry(1537, "&View Log", Needs::project),
    greyed(1538, "&Reports...", Needs::anyChild, kLoud, kProject),
    entry(1539, "&Refresh\tF5", Needs::anyChild),
    entry(1540, "Depe&ndencies...", Needs::projectOneMember),
    greyed(1541, "&Build...\tF9", Needs::project),
    entry(1543, {}, Needs::nothing),
    entry(1544, {}, Needs::nothing),
    entry(1545, {}, Needs::nothing),
    entry(1546, {}, Needs::nothing),
    entry(1547, {}, Needs::nothing),
    entry(1548, "&Checkpoint Project...", Needs::project),
    entry(1549, "&Open Project Archive", Needs::project),
    entry(1551, "&Resynchronize\tF6", Needs::projectSelection),
    entry(1552, "R&emove Unused Locks", Needs::project),
    entry(1553, {}, Needs::project),
    greyed(1554, "Create &Sandbox...", Needs::project),
    greyed(1555, "&Lock", Needs::anyChild, kSilent),
    greyed(1556, "&Unlock", Needs::anyChild, kSilent),
    greyed(1557, "Edit &Working File", Needs::anyChild),
    greyed(1558, "Di&fferences...", Needs::anyChild),
    entry(1559, "&Promote Project...", Needs::anyChild),
    entry(1560, "&Demote Project...", Needs::anyChild),
    // "Any child" and a project selection: without a project window there
    // is no selection to take, so these need the project window itself.
    entry(1561, "&Promote...", Needs::projectSelection),
    entry(1562, "&Demote...", Needs::projectSelection),
    entry(1563, "&Reports...", Needs::anyChild, kLoud, kArchive),
    recent(1564),
    recent(1565),
    recent(1566),
    recent(1567),
    recent(1568),
    recent(1569),
    recent(1570),
    recent(1571),
    entry(1573, "Dele&te Revision", Needs::anyChild, kSilent, kArchive),
    greyed(1574, "Free&ze Project", Needs::anyChild, kSilent, kProject),
    greyed(1575, "&Thaw Project", Needs::anyChild, kSilent, kProject),
    greyed(1576, "Free&ze", Needs::anyChild, kSilent, kProject),
    greyed(1577, "&Thaw", Needs::anyChild, kSilent, kProject),
};

static_assert(std::is_sorted(kCommands.begin(), kCommands.end(),
                             [](const CommandInfo& a, const CommandInfo& b) { return a.id < b.id; }));

}  // namespace

std::span<const CommandInfo> allCommands() { return kCommands; }

const CommandInfo* findCommand(int id) {
  auto it = std::lower_bound(kCommands.begin(), kCommands.end(), id,
                             [](const CommandInfo& c, int v) { return c.id < v; });
  return it != kCommands.end() && it->id == id ? &*it : nullptr;
}

ChildKind requiredKind(const CommandInfo& info) {
  switch (info.needs) {
    case Needs::archive:
      return ChildKind::archive;
    case Needs::project:
    case Needs::projectSelection:
    case Needs::projectOneMember:
      return ChildKind::project;
    case Needs::nothing:
    case Needs::anyChild:
      break;
  }
  return info.actsOn;
}

}  // namespace orv::workbench::commands
