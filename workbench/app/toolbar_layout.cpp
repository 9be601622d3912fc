// The button table of the tool bars, their default layouts, and reading
// the layouts from the settings.
#include "workbench/app/toolbar_layout.h"

#include <array>
#include <strings.h>

namespace orv::workbench::app {

namespace {

constexpr BarMembership kBoth = BarMembership::both;
constexpr BarMembership kArchiveOnly = BarMembership::archiveOnly;
constexpr BarMembership kProjectOnly = BarMembership::projectOnly;

constexpr std::array<CatalogueRow, 41> kButtons = {{
    {"Separator", 0, 0, kBoth},           {"CreateProject", 1503, 4102, kBoth},
    {"OpenProject", 1504, 4101, kBoth},   {"CreateArchive", 1501, 4114, kBoth},
    {"OpenArchive", 1502, 4113, kBoth},   {"Import", 1519, 4120, kBoth},
    {"Configuration", 1513, 4124, kBoth}, {"Help", 1515, 4129, kBoth},
    {"CreateSandbox", 1554, 4103, kProjectOnly}, {"CheckIn", 1533, 4121, kProjectOnly},
    {"CheckOut", 1534, 4122, kProjectOnly},      {"ProjectInfo", 1529, 4104, kProjectOnly},
    {"MemberInfo", 1528, 4105, kProjectOnly},    {"OpenMemberArchive", 1532, 4106, kProjectOnly},
    {"ViewMember", 1557, 4107, kProjectOnly},    {"AddMember", 1526, 4108, kProjectOnly},
    {"RemoveMember", 1527, 4109, kProjectOnly},  {"Label", 1535, 4111, kProjectOnly},
    {"Build", 1541, 4112, kProjectOnly},         {"Report", 1538, 4110, kProjectOnly},
    {"LockRevision", 1555, 4118, kProjectOnly},  {"UnLockRevision", 1556, 4119, kProjectOnly},
    {"Vardel", 1558, 4123, kProjectOnly},        {"FreezeProject", 1574, 4125, kProjectOnly},
    {"ThawProject", 1575, 4126, kProjectOnly},   {"FreezeMember", 1576, 4127, kProjectOnly},
    {"ThawMember", 1577, 4128, kProjectOnly},    {"CheckIn", 1509, 4121, kArchiveOnly},
    {"CheckOut", 1510, 4122, kArchiveOnly},      {"ArchiveInfo", 1511, 4115, kArchiveOnly},
    {"RevisionInfo", 1512, 4116, kArchiveOnly},  {"ViewRevision", 1522, 4117, kArchiveOnly},
    {"Report", 1563, 4110, kArchiveOnly},        {"LockRevision", 1520, 4118, kArchiveOnly},
    {"UnLockRevision", 1521, 4119, kArchiveOnly}, {"Vardel", 1507, 4123, kArchiveOnly},
    {"User1", 1543, 4250, kBoth},         {"User2", 1544, 4251, kBoth},
    {"User3", 1545, 4252, kBoth},         {"User4", 1546, 4253, kBoth},
    {"User5", 1547, 4254, kBoth},
}};

constexpr std::array kArchiveDefault = {1, 2, 0, 3, 4, 0, 27, 28, 0, 29, 30, 0, 31, 0, 35, 0, 6, 0, 7};
constexpr std::array kProjectDefault = {1, 2, 0, 3, 4, 0, 9, 10, 0, 11, 12, 0, 14, 0, 22, 0, 6, 0, 7};

ToolbarButton button(const CatalogueRow& e) { return {e.name, e.commandId, e.iconId}; }

}  // namespace

std::span<const CatalogueRow> toolbarCatalogue() { return kButtons; }

bool rowOnBar(const CatalogueRow& row, ToolbarKind kind) {
  return row.bars == kBoth || (row.bars == kArchiveOnly) == (kind == ToolbarKind::archive);
}

std::span<const int> defaultToolbarRows(ToolbarKind kind) {
  if (kind == ToolbarKind::archive) return kArchiveDefault;
  return kProjectDefault;
}

const char* toolbarSection(ToolbarKind kind) {
  return kind == ToolbarKind::archive ? "Archive Toolbar" : "Project Toolbar";
}

std::vector<ToolbarRowRef> readToolbarRows(ToolbarKind kind, const profile::ProfileFile& settings) {
  std::vector<ToolbarRowRef> out;
  for (int n = 1; n <= kMaxToolbarButtons; ++n) {
    auto value = settings.get(toolbarSection(kind), "Button" + std::to_string(n));
    if (!value || value->empty()) break;
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
      if (rowOnBar(kButtons[i], kind) && strcasecmp(kButtons[i].name, value->c_str()) == 0) {
        out.push_back({static_cast<int>(i), false});
        break;
      }
    }
  }
  if (out.empty())
    for (int i : defaultToolbarRows(kind)) out.push_back({i, true});
  return out;
}

std::vector<ToolbarButton> resolveToolbar(ToolbarKind kind, const profile::ProfileFile& settings) {
  std::vector<ToolbarButton> out;
  for (const ToolbarRowRef& r : readToolbarRows(kind, settings))
    out.push_back(button(kButtons[static_cast<std::size_t>(r.row)]));
  return out;
}

std::string viewButtonProgram(const std::string& useAssociations,
                              const std::optional<std::string>& associatedProgram,
                              const std::string& editor) {
  std::string program = editor;
  if (associatedProgram && !associatedProgram->empty() &&
      strcasecmp(useAssociations.c_str(), "no") != 0)
    program = *associatedProgram;
  while (!program.empty() && (program.back() == ' ' || program.back() == '\t')) program.pop_back();
  if (!program.empty() && program.front() == '"') {
    program.erase(0, 1);
    if (!program.empty() && program.back() == '"') program.pop_back();
  }
  return program;
}

}  // namespace orv::workbench::app
