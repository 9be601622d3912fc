// The Label Members dialog (317) and the project window's maintenance
// commands over members: one label and one state put on the member
// revision of every selected member; Resynchronize, which brings the
// selected members' working files up to date; and Remove Unused Locks,
// which drops the user's locks on revisions whose working file is
// unchanged, over every member of the list.
//
// Each runs under a progress window whose Cancel stops the walk: the
// members done stay done and are read again; the rest are left as they
// were.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"

namespace orv::workbench::dialogs {

enum LabelMembersControl : int {
  kLmOk = 1,
  kLmCancel = 2,
  kLmLabel = 100,
  kLmReplace = 101,
  kLmState = 102,
  kLmStates = 103,
  kLmLabelCaption = 104,
  kLmStateCaption = 105,
  kLmHelp = 199,
};
inline constexpr int kLabelMembersDialogId = 317;
inline constexpr int kLabelMembersHelpContext = 6014;
// The first entry of the state list: no state change.
inline constexpr const char* kStateAsIs = "<as is>";

struct MemberLabelRecord {
  std::uint32_t replaceLabel = 0;
  char label[80] = {};
  char state[40] = {};
  std::vector<std::string> states;  // "<as is>" and the list's states
  int stateSelection = -1;
  std::uint32_t stateFromList = 0;  // the configuration names states
};

const ui::DialogDescription& labelMembersDialogDescription();

// Fills record with the defaults.
void setLabelDefaults(MemberLabelRecord& record);

class LabelMembersDialog : public ui::DialogLogic {
 public:
  LabelMembersDialog(ui::Ui& ui, MemberLabelRecord& record) : ui_(ui), record_(record) {}

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface&, int) override {}
  bool canClose(ui::DialogSurface& surface, int result) override;

 private:
  ui::Ui& ui_;
  MemberLabelRecord& record_;
};

// Puts the record's label and state on every row of rows; the rows the
// walk reached are read again.
void labelSelectedMembers(commands::ProjectWindow& window, MemberLabelRecord& record, std::vector<int>& rows);
// The Label command: the dialog, and after OK the labels.
void labelMembers(commands::ProjectWindow& window, std::vector<int>& rows);

// Resynchronize: entries of rows skipped or not reached become -1; the
// dependency cache is written whatever happened.
void resynchronizeSelectedMembers(commands::ProjectWindow& window, std::vector<int>& rows);
// Remove Unused Locks over every row of the window, in list order.
void removeUnusedLocksCommand(commands::ProjectWindow& window);

// Registers Label, Resynchronize and Remove Unused Locks.
void registerMemberMaintenance(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
