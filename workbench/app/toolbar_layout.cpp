// The button table of the tool bars, their default layouts, and reading
// the layouts from the settings.
#include "workbench/app/toolbar_layout.h"

#include <array>
#include <strings.h>

namespace orv::workbench::app {

namespace {

enum Bars { kBoth, kArchiveOnly, kProjectOnly };

struct ButtonEntry {
  const char* name;
  int commandId;
  int iconId;
  Bars bars;
};

constexpr std::array<ButtonEntry, 41> kButtons = {{
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
constexpr int kMaxButtons = 42;

bool allowedOn(const ButtonEntry& e, ToolbarKind kind) {
  return e.bars == kBoth || (e.bars == kArchiveOnly) == (kind == ToolbarKind::archive);
}

ToolbarButton button(const ButtonEntry& e) { return {e.name, e.commandId, e.iconId}; }

}  // namespace

std::vector<ToolbarButton> resolveToolbar(ToolbarKind kind, const profile::ProfileFile& settings) {
  const char* section = kind == ToolbarKind::archive ? "Archive Toolbar" : "Project Toolbar";
  std::vector<ToolbarButton> out;
  for (int n = 1; n <= kMaxButtons; ++n) {
    auto value = settings.get(section, "Button" + std::to_string(n));
    if (!value || value->empty()) break;
    for (const auto& e : kButtons) {
      if (allowedOn(e, kind) && strcasecmp(e.name, value->c_str()) == 0) {
        out.push_back(button(e));
        break;
      }
    }
  }
  if (out.empty()) {
    if (kind == ToolbarKind::archive) {
      for (int i : kArchiveDefault) out.push_back(button(kButtons[static_cast<std::size_t>(i)]));
    } else {
      for (int i : kProjectDefault) out.push_back(button(kButtons[static_cast<std::size_t>(i)]));
    }
  }
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
