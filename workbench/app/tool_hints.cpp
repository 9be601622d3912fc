// Hint texts of the tool-bar commands, splitting and routing them.
#include "workbench/app/tool_hints.h"

#include <array>
#include <cstdlib>
#include <utility>

#include "workbench/app/frame_placement.h"

namespace orv::workbench::app {

namespace {

constexpr int kFirstUserButton = 1543;
constexpr int kUserButtons = 5;

// The hint of every command a tool bar can carry.
constexpr std::array<std::pair<int, const char*>, 36> kHints{{
    {1501, "Puts files under revision control\nCreate Archive"},
    {1502, "Opens an archive\nOpen Archive"},
    {1503, "Creates a new project\nCreate Project"},
    {1504, "Opens a project or sandbox\nOpen Project/Sandbox"},
    {1507, "Compares or merges two revisions of the archive\nCompare/Merge Revisions"},
    {1509, "Checks in a new revision\nCheck In"},
    {1510, "Checks out a revision\nCheck Out"},
    {1511, "Shows and edits the archive's information\nArchive Info"},
    {1512, "Shows and edits the selected revision's information\nRevision Info"},
    {1513, "Edits your personal configuration\nPersonal Configuration"},
    {1515, "Opens the help contents\nHelp"},
    {1519, "Converts SCCS and PVCS files into archives\nImport Archive"},
    {1520, "Locks the selected revision\nLock Revision"},
    {1521, "Unlocks the selected revision\nUnlock Revision"},
    {1522, "Views or edits the selected revision\nView/Edit"},
    {1526, "Adds members to the project\nAdd Members"},
    {1527, "Removes the selected members from the project\nRemove Members"},
    {1528, "Shows the selected member's information\nMember Info"},
    {1529, "Shows the project's or sandbox's information\nProject/Sandbox Info"},
    {1532, "Opens the archive of the selected member\nOpen Member Archive"},
    {1533, "Checks in the selected members\nCheck In"},
    {1534, "Checks out the selected members\nCheck Out"},
    {1535, "Labels the selected members\nLabel Members"},
    {1538, "Reports on the project\nReports"},
    {1541, "Builds the project\nBuild Project"},
    {1554, "Creates a sandbox of the project\nCreate Sandbox"},
    {1555, "Locks the selected members\nLock Members"},
    {1556, "Unlocks the selected members\nUnlock Members"},
    {1557, "Views or edits the selected member\nView/Edit"},
    {1558, "Shows the differences of the selected member or merges them\nDifferences/Merge"},
    {1563, "Reports on the archive\nReports"},
    {1574, "Freezes the project\nFreeze Project"},
    {1575, "Thaws the project\nThaw Project"},
    {1576, "Freezes the selected members\nFreeze Members"},
    {1577, "Thaws the selected members\nThaw Members"},
    {0, "Separator\nSeparator"},
}};

bool isUserButton(int id) { return id >= kFirstUserButton && id < kFirstUserButton + kUserButtons; }

}  // namespace

int hintModeFrom(long stored) { return stored >= 0 && stored <= 3 ? static_cast<int>(stored) : kHintBoth; }

int hintModeOf(const profile::ProfileFile& settings) {
  const auto value = settings.get("User", "HintMode");
  if (!value || value->empty()) return kHintBoth;
  char* end = nullptr;
  const long n = std::strtol(value->c_str(), &end, 10);
  return end == value->c_str() ? kHintBoth : hintModeFrom(n);
}

HintParts splitHint(std::string_view hint) {
  const auto cut = hint.find('\n');
  if (cut == std::string_view::npos) return {std::string(hint), std::nullopt};
  return {std::string(hint.substr(0, cut)), std::string(hint.substr(cut + 1))};
}

HintRoute routeHint(int mode, bool fromBar) {
  if (!fromBar) return {true, false};
  switch (hintModeFrom(mode)) {
    case kHintToolTips: return {false, true};
    case kHintStatusBar: return {true, false};
    case kHintNone: return {false, false};
    default: return {true, true};
  }
}

std::string commandHint(int commandId) {
  for (const auto& [id, text] : kHints)
    if (id == commandId) return text;
  if (isUserButton(commandId)) {
    const std::string name = "User " + std::to_string(commandId - kFirstUserButton + 1);
    return "Launches " + name + "\n" + name;
  }
  return {};
}

std::string buttonHint(int commandId, const profile::ProfileFile& settings) {
  if (isUserButton(commandId)) {
    const std::string n = std::to_string(commandId - kFirstUserButton + 1);
    if (auto hint = userToolHint(settings.get("User", "User" + n + "Description").value_or(""),
                                 settings.get("User", "User" + n + "Command").value_or("")))
      return *hint;
  }
  return commandHint(commandId);
}

std::string catalogueText(int commandId) {
  const HintParts parts = splitHint(commandHint(commandId));
  return parts.tip.value_or(parts.status);
}

bool StatusRepeatFilter::pass(const std::string& text) {
  if (text.empty()) {
    kept_.reset();
    return true;
  }
  if (kept_ && *kept_ == text) return false;
  kept_ = text;
  return true;
}

}  // namespace orv::workbench::app
