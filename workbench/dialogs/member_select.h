// The Select Members dialog (320) and the matching behind it: the rows of
// the active project window that meet the ticked criteria (changed,
// frozen, type, locker, state, label, a rule attribute, working-file name
// patterns), combined by AND or OR, or every row. Nothing is written; the
// rows become the window's selection.
//
// The criteria match as follows. Name patterns: '?' is one character, '*'
// one or more, letters compared without regard to case; a pattern with n
// '/' is compared with the last n+1 components of the name, one that
// begins with '/' with the whole name. A label matches a whole word of the
// row's labels. An attribute "name" or "name=value" matches a rule of the
// same name and the same value (none for none). With no criterion ticked
// nothing matches, whichever way they combine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_member_ops.h"

namespace orv::workbench::dialogs {

enum MemberSelectControl : int {
  kMsOk = 1,
  kMsCancel = 2,
  kMsAll = 100,
  kMsChanged = 101,
  kMsType = 102,
  kMsTypeList = 103,
  kMsLocked = 104,
  kMsLockerList = 105,
  kMsAttribute = 106,
  kMsAttributeText = 107,
  kMsFileName = 108,
  kMsFileNameText = 109,
  kMsAnd = 110,
  kMsOr = 111,
  kMsCombineGroup = 112,
  kMsFrozen = 113,
  kMsState = 114,
  kMsStateList = 115,
  kMsLabel = 116,
  kMsLabelList = 117,
  kMsHelp = 199,
};
inline constexpr int kMemberSelectDialogId = 320;
inline constexpr int kMemberSelectHelpContext = 6012;
inline constexpr std::string_view kAllLockers = "<All lockers>";

// The dialog's record.
struct TMemberSelectTransferStruct {
  bool all = false, changed = false, frozen = false, type = false, locked = false, state = false,
       label = false, attribute = false, fileName = false;
  bool logicalAnd = false;  // else OR
  std::string typeText = "Archived";
  std::string locker;       // "<All lockers>" or a user
  std::string stateText;
  std::string labelText;
  std::string attributeText;
  std::string fileNameText;
};

// Pattern matching of working-file names (see above).
bool wildcardMatch(std::string_view pattern, std::string_view text);
bool fileNameMatches(std::string_view patterns, std::string_view name);
// Whether labels (blank-separated) hold label as a whole word.
bool labelMatches(std::string_view labels, std::string_view label);
// Whether rules (as the member keeps them) meet the attribute criterion.
bool attributeMatches(std::string_view criterion, const std::string& rules);

const ui::DialogDescription& memberSelectDialogDescription();

class MemberSelectDialog : public ui::DialogLogic {
 public:
  MemberSelectDialog(TMemberSelectTransferStruct& record, std::vector<project::MemberRow> rows)
      : record_(record), rows_(std::move(rows)) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  void updateCombine(ui::DialogSurface& surface);
  void enableCriteria(ui::DialogSurface& surface, bool enable);

  TMemberSelectTransferStruct& record_;
  std::vector<project::MemberRow> rows_;
  std::vector<std::string> lockers_, states_, labels_;
};

// The rows of view (of project) that meet record's criteria.
std::vector<int> matchingRows(project::OpenProject& project, project::MemberView& view,
                              const TMemberSelectTransferStruct& record);

// The command over window: the dialog, then the matching rows selected.
void selectMembersCommand(commands::ProjectWindow& window);

// Registers Member > Select.
void registerSelectMembers(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
