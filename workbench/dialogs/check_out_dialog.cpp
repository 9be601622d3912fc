// The Check Out dialog and the defaults of its record (see check_out_dialog.h).
#include "workbench/dialogs/check_out_dialog.h"

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/external/file_choices.h"
#include "workbench/views/revision_list.h"

namespace orv::workbench::dialogs {

using archive::kCheckOutBoxDisabled;

namespace {

constexpr int kLabelBufferSize = 84;
// The library lists a label per call; a list that never ends is cut here.
constexpr int kMostLabels = 10000;

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kCheckOutDialogId;
  d.title = "Check Out";
  d.helpContext = kCheckOutHelpContext;
  d.controls = {
      {kCoWorkCaption, K::label, "&Working File:", 1},
      {kCoWorkFile, K::lineEdit, "", 1},
      {kCoArchiveCaption, K::label, "Archive File:", 1},
      {kCoArchiveName, K::label, "", 1},
      {0, K::groupBox, "Selection", 2},
      {kCoDefaultRev, K::radioButton, "&Default Rev", 2},
      {kCoMemberRev, K::radioButton, "&Member Rev", 2},
      {kCoRevision, K::radioButton, "&Revision", 2},
      {kCoLabel, K::radioButton, "&Label", 2},
      {kCoRevisionChooser, K::listBox, "", 2},
      {kCoLabelList, K::listBox, "", 2},
      {0, K::groupBox, "Options", 3},
      {kCoLocked, K::checkBox, "Loc&ked (for editing)", 3},
      {kCoExpandKeywords, K::checkBox, "E&xpand Keywords", 3},
      {kCoAllFiles, K::checkBox, "All &Files", 3},
      {kCoUpdateMember, K::checkBox, "&Update Member", 3},
      {kCoRestoreTimestamp, K::checkBox, "Restore &Timestamp", 3},
      {kCoOk, K::defaultButton, "OK", 0},
      {kCoCancel, K::pushButton, "Cancel", 0},
      {kCoCancelAll, K::pushButton, "Cancel &All", 0},
      {kCoHelp, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kCoWorkCaption, 11022},     {kCoWorkFile, 11022},        {kCoArchiveCaption, 11023},
                 {kCoArchiveName, 11023},     {kCoDefaultRev, 11024},      {kCoMemberRev, 11025},
                 {kCoRevision, 11026},        {kCoLabel, 11027},           {kCoRevisionChooser, 11028},
                 {kCoLabelList, 11028},       {kCoLocked, 11029},          {kCoRestoreTimestamp, 11030},
                 {kCoAllFiles, 11031},        {kCoExpandKeywords, 11032},  {kCoUpdateMember, 11033},
                 {kCoOk, 11034},              {kCoCancel, 11035},          {kCoCancelAll, 11036},
                 {kCoHelp, 11037}};
  return d;
}

// An option's box: 1 on, 0 off, plus the disabled bit when enforced.
std::uint32_t optionBox(const char* name) {
  int enforced = 0;
  const bool on = app::configFlagIsOn(name, &enforced);
  return (on ? 1u : 0u) | (enforced ? kCheckOutBoxDisabled : 0u);
}

bool statesDefined() {
  char states[1024] = {};
  return vcGetConfig("states", nullptr, 0, states, sizeof states) == 0;
}

bool lockStatesGiven() {
  char value[1024] = {};
  return vcGetPermValue("LockStates", value, sizeof value) == 0 && value[0] != '\0';
}

// The revision list as the chooser: one line per revision, newest first as
// the library walks them.
class RevisionListChooser : public RevisionChooser {
 public:
  void load(ui::DialogSurface& surface, archive::OpenArchive& archive) override {
    revisions_.clear();
    std::vector<std::string> lines;
    for (const views::RevisionRecord& row : views::readRevisionRows(archive).rows) {
      if (row.isWorkFile()) continue;
      std::string line = row.revision + "    " + row.author + "    " + row.date;
      if (!row.labels.empty()) line += "    " + row.labels;
      revisions_.push_back(row.revision);
      lines.push_back(std::move(line));
    }
    surface.setListItems(kCoRevisionChooser, lines);
  }
  void select(ui::DialogSurface& surface, const std::string& revision) override {
    for (std::size_t i = 0; i < revisions_.size(); ++i) {
      if (revisions_[i] == revision) {
        surface.setSelection(kCoRevisionChooser, {static_cast<int>(i)});
        return;
      }
    }
    surface.setSelection(kCoRevisionChooser, {});
  }
  std::string current(const ui::DialogSurface& surface) const override {
    const std::vector<int> rows = surface.selection(kCoRevisionChooser);
    if (rows.empty() || rows.front() < 0 || static_cast<std::size_t>(rows.front()) >= revisions_.size()) return {};
    return revisions_[static_cast<std::size_t>(rows.front())];
  }

 private:
  std::vector<std::string> revisions_;
};

// Clears the disabled bit of field: true when it was set (the box then
// shows the remaining state, disabled).
bool takeDisabledBit(std::uint32_t& field) {
  const bool fixed = (field & kCheckOutBoxDisabled) != 0;
  field &= ~kCheckOutBoxDisabled;
  return fixed;
}

bool isVariantProject(const project::OpenProject& project) {
  char variant = 0;
  return vcGetProject(project.project, VC_PROJECT_ITEM_VARIANT, &variant, 1) == 0 && variant != 0;
}

}  // namespace

const ui::DialogDescription& checkOutDialogDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

std::unique_ptr<RevisionChooser> makeRevisionChooser() { return std::make_unique<RevisionListChooser>(); }

bool setCheckOutDefaults(archive::OpenArchive& archive, archive::TCoTransferStruct& record) {
  const int defaultChoice = record.defaultChoice;
  record = archive::TCoTransferStruct{};
  record.defaultChoice = defaultChoice;
  archive::setField(record.workFile, archive.workFileName());
  char label[kLabelBufferSize] = {};
  const int handle = archive.handle();
  while (static_cast<int>(record.listData.size()) < kMostLabels &&
         vcGetArchiveInfo(handle, VC_ARCHIVE_ITEM_NEXT_LABEL, label, sizeof label) == 0)
    record.listData.emplace_back(label);
  record.label = record.listData.empty() ? kCheckOutBoxDisabled : 0;
  char storage = 0;
  if (vcGetArchiveInfo(handle, VC_ARCHIVE_ITEM_STORAGE, &storage, 1) == 0 && storage == VC_STORAGE_BINARY)
    record.expandKeywords = kCheckOutBoxDisabled;
  else
    record.expandKeywords = optionBox("keywordexpand");
  record.restoreTimestamp = optionBox("restoretimestamp");
  record.locked = app::hasPermission("Lock") ? 1 : kCheckOutBoxDisabled;
  record.updateMember = archive.project() != 0 && app::hasPermission("ModifyProject") ? 0 : kCheckOutBoxDisabled;
  record.lockStateCheck = statesDefined() && lockStatesGiven() ? 1 : 0;
  return true;
}

void takeListSelection(archive::TCoTransferStruct& record, int selectedLine) {
  if (record.label != 1) return;
  record.defaultRev = 0;
  record.memberRev = 0;
  record.revision = 0;
  std::string line;
  if (selectedLine >= 0 && static_cast<std::size_t>(selectedLine) < record.listData.size())
    line = record.listData[static_cast<std::size_t>(selectedLine)];
  line = line.substr(0, line.find(' '));
  archive::setField(record.choice, line);
}

int startingChoice(const archive::TCoTransferStruct& record, bool projectWindowParent, bool hasProject) {
  if (record.defaultChoice != -1) return record.defaultChoice;
  if (projectWindowParent && hasProject) return kCoMemberRev;
  return (record.allFiles & kCheckOutBoxDisabled) ? kCoDefaultRev : kCoRevision;
}

CheckOutDialog::CheckOutDialog(ui::Ui& ui, archive::TCoTransferStruct& record, archive::OpenArchive& archive,
                               project::OpenProject* project, bool projectWindowParent)
    : ui_(ui), record_(record), archive_(archive), project_(project), chooser_(makeRevisionChooser()),
      choice_(startingChoice(record, projectWindowParent, project != nullptr)) {
  char text[archive::kRevisionBufferSize] = {};
  if (archive::getRevisionTitle(archive.handle(), text, sizeof text) == 0) defaultRevision_ = text;
  if (project_ && vcInProject(project_->project, archive.workFileName().c_str()) == 0) {
    char member[archive::kRevisionBufferSize] = {};
    if (vcGetMember(project_->project, VC_MEMBER_ITEM_REVISION, member, sizeof member) == 0) memberRevision_ = member;
  }
}

void CheckOutDialog::setUp(ui::DialogSurface& surface) {
  archive::TCoTransferStruct& r = record_;
  initialWorkFile_ = archive::fieldText(r.workFile);
  const bool labelFixed = takeDisabledBit(r.label);
  r.defaultRev = choice_ == kCoDefaultRev ? 1 : 0;
  r.memberRev = choice_ == kCoMemberRev ? 1 : 0;
  r.revision = choice_ != kCoDefaultRev && choice_ != kCoMemberRev ? 1 : 0;
  r.label = 0;
  if (choice_ == kCoLabel) {
    r.revision = 0;
    r.label = 1;
  }
  chooser_->load(surface, archive_);
  surface.setListItems(kCoLabelList, r.listData);
  surface.setEnabled(kCoLabel, !labelFixed);
  surface.setEnabled(kCoMemberRev, project_ != nullptr);
  surface.setText(kCoArchiveName, external::fitStaticText(archive_.archiveName()));
  surface.setText(kCoWorkFile, initialWorkFile_);

  struct Box {
    int id;
    std::uint32_t& field;
  };
  for (const Box& box : {Box{kCoAllFiles, r.allFiles}, Box{kCoExpandKeywords, r.expandKeywords},
                         Box{kCoRestoreTimestamp, r.restoreTimestamp}, Box{kCoLocked, r.locked}}) {
    const bool fixed = takeDisabledBit(box.field);
    surface.setChecked(box.id, box.field == 1);
    surface.setEnabled(box.id, !fixed);
    if (box.id == kCoAllFiles) surface.setEnabled(kCoCancelAll, !fixed);
  }
  if (takeDisabledBit(r.updateMember) || (project_ && !project_->mayCheckpointVariant())) {
    r.updateMember = 0;
    fixBox(surface, kCoUpdateMember, false);
  } else {
    surface.setEnabled(kCoUpdateMember, true);
    if (project_ && isVariantProject(*project_)) r.updateMember = 1;
    surface.setChecked(kCoUpdateMember, r.updateMember == 1);
  }
  surface.setEnabled(kCoWorkFile, r.locked == 0);
  showChoice(surface);
}

void CheckOutDialog::showChoice(ui::DialogSurface& surface) {
  for (int id : {kCoDefaultRev, kCoMemberRev, kCoRevision, kCoLabel}) surface.setChecked(id, id == choice_);
  const bool label = choice_ == kCoLabel;
  surface.setVisible(kCoLabelList, label);
  surface.setVisible(kCoRevisionChooser, !label);
  if (label) {
    if (!record_.listData.empty()) surface.setSelection(kCoLabelList, {0});
    return;
  }
  const std::string revision = choice_ == kCoDefaultRev  ? defaultRevision_
                               : choice_ == kCoMemberRev ? memberRevision_
                                                         : archive::fieldText(record_.choice);
  chooser_->select(surface, revision);
}

void CheckOutDialog::selectChoice(ui::DialogSurface& surface, int id) {
  if (id == choice_) return;
  choice_ = id;
  showChoice(surface);
}

void CheckOutDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kCoLocked:
      // A locked revision goes to the archive's own working file.
      if (surface.isChecked(kCoLocked)) {
        surface.setText(kCoWorkFile, initialWorkFile_);
        surface.setEnabled(kCoWorkFile, false);
      } else {
        surface.setEnabled(kCoWorkFile, true);
      }
      break;
    case kCoDefaultRev:
    case kCoMemberRev:
    case kCoRevision:
    case kCoLabel: selectChoice(surface, controlId); break;
    case kCoRevisionChooser:
      // A revision picked in the chooser is the Revision choice.
      choice_ = kCoRevision;
      for (int id : {kCoDefaultRev, kCoMemberRev, kCoRevision, kCoLabel}) surface.setChecked(id, id == kCoRevision);
      surface.setVisible(kCoLabelList, false);
      surface.setVisible(kCoRevisionChooser, true);
      break;
    case kCoCancelAll:
      takeControls(surface);
      record_.cancelAll = 1;
      surface.end(ui::kAnswerCancel);
      break;
    default: break;
  }
}

bool CheckOutDialog::canClose(ui::DialogSurface& surface, int) {
  takeControls(surface);
  return true;
}

void CheckOutDialog::takeControls(const ui::DialogSurface& surface) {
  archive::TCoTransferStruct& r = record_;
  readField(surface, kCoWorkFile, r.workFile);
  r.defaultRev = choice_ == kCoDefaultRev ? 1 : 0;
  r.memberRev = choice_ == kCoMemberRev ? 1 : 0;
  r.revision = choice_ == kCoRevision ? 1 : 0;
  r.label = choice_ == kCoLabel ? 1 : 0;
  r.locked = checkedValue(surface, kCoLocked);
  r.expandKeywords = checkedValue(surface, kCoExpandKeywords);
  r.allFiles = checkedValue(surface, kCoAllFiles);
  r.updateMember = checkedValue(surface, kCoUpdateMember);
  r.restoreTimestamp = checkedValue(surface, kCoRestoreTimestamp);
  // The chooser gives its revision whole (the record's field keeps 63
  // characters, the longest number the library writes).
  const std::string chosen = chooser_->current(surface);
  if (!chosen.empty()) archive::setField(r.choice, chosen);
  const std::vector<int> labels = surface.selection(kCoLabelList);
  selectedLabel_ = labels.empty() ? -1 : labels.front();
}

}  // namespace orv::workbench::dialogs
