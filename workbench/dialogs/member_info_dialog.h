// The Member Information dialog (318; 351 for a frozen project or member):
// one member's name, working file, archive, type, revision, and the
// chosen revision's state, labels, author, date, locker and log, with the
// member's rule attributes in an area that opens on request. A user who may
// modify the member changes its type, revision and attributes in the
// project; with "ModifyArchive" also the revision's state and labels.
//
// OK checks everything typed (a label, an attribute, the state) before it
// applies anything; then the project's part is stored and saved, then the
// archive's part is written under its lock in one commit. A state equal to
// the revision's own is not set again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "platform/ui/ui.h"
#include "workbench/archive/open_archive.h"
#include "workbench/commands/document_windows.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/dialogs/pending_labels.h"
#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

enum MemberInfoControl : int {
  kMiOk = 1,
  kMiCancel = 2,
  kMiName = 100,
  kMiWorkFile = 101,
  kMiArchive = 103,
  kMiRevisions = 104,
  kMiType = 105,
  kMiLocker = 107,
  kMiAttributes = 108,
  kMiDeleteAttribute = 109,
  kMiVariable = 110,
  kMiValue = 111,
  kMiAddAttribute = 112,
  kMiStates = 116,
  kMiLabels = 117,
  kMiDate = 119,
  kMiAuthor = 121,
  kMiLog = 122,
  kMiAddLabel = 123,
  kMiDeleteLabel = 124,
  kMiShowAttributes = 129,
  kMiState = 130,
  kMiNameCaption = 140,
  kMiWorkCaption = 141,
  kMiArchiveCaption = 142,
  kMiTypeCaption = 143,
  kMiRevisionCaption = 144,
  kMiStateCaption = 145,
  kMiLabelCaption = 146,
  kMiAuthorCaption = 147,
  kMiDateCaption = 148,
  kMiLockerCaption = 149,
  kMiLogCaption = 150,
  kMiVariableCaption = 151,
  kMiValueCaption = 152,
  kMiAttributesCaption = 153,
  kMiHelp = 199,
};
inline constexpr int kMemberInfoDialogId = 318;
inline constexpr int kFrozenMemberInfoDialogId = 351;
inline constexpr int kMemberInfoHelpContext = 6020;

const ui::DialogDescription& memberInfoDialogDescription(bool frozen);

// The type list's texts: 'f' "Non-Archived", 'a' "Archived", 'i'
// "Subproject"; "" for another letter.
std::string memberTypeText(char type);

// The states offered for a revision in state: the configured (or allowed)
// words before it with demote, it, those after it with promote; "<as is>"
// first when it is none of them. selection: the current one when demoting
// is allowed, else the first.
struct OfferedStates {
  std::vector<std::string> states;
  int selection = 0;
};
OfferedStates statesAround(const std::vector<std::string>& words, const std::string& state, bool promote, bool demote);

// The member's rules as the attribute list shows them, and back.
std::vector<std::string> splitRules(const std::string& rules);
std::string joinRules(const std::vector<std::string>& entries);
// Add of the attribute area: the entry of the same variable (exactly, or
// before '=') is replaced. The message that refuses it, else "".
std::string addMemberAttribute(std::vector<std::string>& entries, const std::string& variable, const std::string& value);

class MemberInfoDialog : public ui::DialogLogic {
 public:
  MemberInfoDialog(ui::Ui& ui, project::OpenProject& project, project::MemberRow& row);

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int controlId) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  // 0 nothing changed, 1 the member's row changed, -1 every row is read
  // again.
  int result() const { return result_; }

 private:
  void showType(ui::DialogSurface& surface);
  void showRevision(ui::DialogSurface& surface);
  bool confirmDiscard(ui::DialogSurface& surface);
  // Adds the label typed or chosen: false when refused.
  bool addLabel(ui::DialogSurface& surface);
  void deleteLabel(ui::DialogSurface& surface);
  bool addAttribute(ui::DialogSurface& surface);
  std::string selectedRevision(const ui::DialogSurface& surface) const;
  char selectedType(const ui::DialogSurface& surface) const;
  std::string labelRevision(const std::string& label);
  void applyToProject(const ui::DialogSurface& surface);
  void applyToArchive(const ui::DialogSurface& surface, const std::string& state);

  ui::Ui& ui_;
  project::OpenProject& project_;
  project::MemberRow& row_;
  std::unique_ptr<archive::OpenArchive> archive_;
  int handle_ = 0;
  int result_ = 0;
  std::string memberName_;
  std::vector<char> types_;
  std::vector<std::string> revisions_;
  std::vector<std::string> labels_;
  std::vector<std::string> attributes_;
  std::vector<std::string> words_;
  OfferedStates offered_;
  std::string revisionState_;
  PendingLabels pending_;
  int typeIndex_ = 0;
  int revisionIndex_ = 0;
  bool attributesChanged_ = false;
  bool expanded_ = false;
  bool statesConfigured_ = false;
  bool mayPromote_ = false, mayDemote_ = false;
  bool mayAddLabel_ = false, mayDeleteLabel_ = false, mayModifyArchive_ = false;
  bool mayModifyMember_ = false;
};

// The command over row of window: under the project's write lock when the
// user may modify projects; afterwards the row (1) or every row (-1) is read
// again.
void memberInformationCommand(commands::ProjectWindow& window, int row);

// Registers Member > Member Information.
void registerMemberInformation(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
