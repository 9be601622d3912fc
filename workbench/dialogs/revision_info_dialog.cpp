// The Revision Information dialog, its record and its changes (see
// revision_info_dialog.h).
#include "workbench/dialogs/revision_info_dialog.h"

#include <algorithm>

#include "vc/include/vc.h"
#include "workbench/app/dialog_text.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/dialogs/state_lists.h"

namespace orv::workbench::dialogs {

namespace {

// The refusal shown when moving a label would drop it from a revision and
// the user may not delete labels.
constexpr int kLabelRefused = VC_E_DENY_ADD_LABEL;
constexpr int kBufferSize = 1536;
constexpr std::size_t kLabelWidth = 79;

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kRevisionInfoDialogId;
  d.title = "Revision Information";
  d.helpContext = kRevisionInfoHelpContext;
  d.controls = {
      {kRiRevisionCaption, K::label, "Revision:", 1},
      {kRiRevision, K::label, "", 1},
      {kRiDateCaption, K::label, "Date:", 1},
      {kRiDate, K::label, "", 1},
      {kRiAuthorCaption, K::label, "Author:", 1},
      {kRiAuthor, K::label, "", 1},
      {kRiLockerCaption, K::label, "Locker:", 1},
      {kRiLocker, K::label, "", 1},
      {kRiStateCaption, K::label, "&State:", 2},
      {kRiStates, K::comboBox, "", 2},
      {kRiStateEditCaption, K::label, "&State:", 2},
      {kRiState, K::lineEdit, "", 2},
      {kRiLabelCaption, K::label, "&Label:", 3},
      {kRiLabel, K::comboBox, "", 3},
      {kRiLabelListCaption, K::label, "&Label:", 3},
      {kRiLabelList, K::comboBox, "", 3},
      {kRiAddLabel, K::pushButton, "A&dd Label", 4},
      {kRiDeleteLabel, K::pushButton, "D&elete Label", 4},
      {kRiDescriptionCaption, K::label, "Revision Description:", 5},
      {kRiDescription, K::multiLineEdit, "", 5},
      {kRiOk, K::defaultButton, "OK", 0},
      {kRiCancel, K::pushButton, "Cancel", 0},
      {kRiHelp, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kRiRevisionCaption, 12053}, {kRiRevision, 12053}, {kRiDateCaption, 12054},
                 {kRiDate, 12054},            {kRiAuthorCaption, 12055}, {kRiAuthor, 12055},
                 {kRiLockerCaption, 12056},   {kRiLocker, 12056},   {kRiLabelCaption, 12057},
                 {kRiLabel, 12057},           {kRiLabelList, 12057}, {kRiLabelListCaption, 12057},
                 {kRiStateCaption, 12058},    {kRiStateEditCaption, 12058},
                 {kRiState, 12058},           {kRiStates, 12058},   {kRiDescriptionCaption, 12059},
                 {kRiDescription, 12059},     {kRiOk, 12060},       {kRiCancel, 12061},
                 {kRiAddLabel, 12062},        {kRiDeleteLabel, 12063}, {kRiHelp, 12064}};
  return d;
}

// The revision carrying label (rc 0), VC_E_SYMBOL_MISSING, or another code.
int labelRevision(const archive::OpenArchive& archive, const std::string& label, std::string& revision) {
  char buffer[80] = {};
  const int rc = vcGetIdArchiveInfo(archive.handle(), VC_ARCHIVE_ITEM_LABEL_REVISION, label.c_str(), buffer, sizeof buffer);
  revision = rc == 0 ? buffer : "";
  return rc;
}

std::string revisionText(int archive, int item, const std::string& revision, int size) {
  std::string buffer(static_cast<std::size_t>(size), '\0');
  vcGetRevInfo(archive, item, revision.c_str(), buffer.data(), size);
  buffer.resize(strnlen(buffer.data(), buffer.size()));
  return buffer;
}

}  // namespace

const ui::DialogDescription& revisionInfoDialogDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

int readRevisionInfo(archive::OpenArchive& archive, const std::string& revision,
                     archive::TRevisionInfoTransferStruct& record, archive::LabelChangeList& changes) {
  const int h = archive.handle();
  record = archive::TRevisionInfoTransferStruct{};
  archive::setField(record.revision, revision);
  archive::setField(record.date, revisionText(h, VC_REVISION_ITEM_DATE, revision, sizeof record.date));
  archive::setField(record.author, revisionText(h, VC_REVISION_ITEM_AUTHOR, revision, sizeof record.author));
  char locker[40] = {};
  if (vcGetIdArchiveInfo(h, VC_ARCHIVE_ITEM_LOCKER, revision.c_str(), locker, sizeof locker) != 0) locker[0] = '\0';
  archive::setField(record.locker, locker);

  std::vector<char> entry(kBufferSize);
  while (vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_NEXT_LABEL, entry.data(), kBufferSize) == 0) {
    const std::string text(entry.data());
    const std::size_t blank = text.find(' ');
    if (blank != std::string::npos && text.compare(blank + 1, std::string::npos, revision) == 0)
      record.labelList.push_back(text.substr(0, blank));
  }
  std::sort(record.labelList.begin(), record.labelList.end());
  changes.clear();

  std::vector<std::string> words;
  if (statesConfigured()) {
    record.stateFromList = 1;
    words = offeredStates();
    record.stateChangeAllowed = app::hasPermission("Promote") || app::hasPermission("Demote") ? 1 : 0;
  }
  const std::string state = revisionText(h, VC_REVISION_ITEM_STATE, revision, sizeof record.state);
  archive::setField(record.state, state);

  if (record.stateFromList == 1) {
    const bool promote = app::hasPermission("Promote");
    const bool demote = app::hasPermission("Demote");
    const int k = app::findStringIndex(words, state);  // states match exactly
    int current = k;
    int position = 0;
    if (k < 0) {
      record.states.push_back(kAsIsState);
      record.stateSelection = 0;
      current = 0;
      position = 1;
    }
    for (const std::string& word : words) {
      if (position == current) {
        record.stateSelection = static_cast<int>(record.states.size());
        record.states.push_back(word);
      } else if ((position < current && demote) || (position > current && promote)) {
        record.states.push_back(word);
      }
      ++position;
    }
  }

  std::vector<char> log(kBufferSize);
  vcGetRevInfo(h, VC_REVISION_ITEM_LOG, revision.c_str(), log.data(), kBufferSize);  // a long log is shown cut
  log.back() = '\0';
  app::addCarriageReturns(record.description, log.data(), sizeof record.description);
  return 1;
}

void writeRevisionInfo(archive::OpenArchive& archive, const std::string& revision,
                       archive::TRevisionInfoTransferStruct& record, const archive::LabelChangeList& changes) {
  bool locked = false;
  const auto lock = [&] { return locked || (locked = archive.writeLock()); };
  const auto report = [&](int rc) {
    if (rc == 0) return true;
    archive.setStatus(rc);
    archive.showError(app::kStyleError);
    return false;
  };
  bool changed = false;
  for (const std::string& change : changes) {
    if (!lock()) return;
    const char op = change.front();
    const std::string name = change.substr(1);
    bool ok = true;
    if (op == '-' || op == '>') ok = report(vcSetArchiveInfo(archive.handle(), VC_ARCHIVE_ITEM_DROP_LABEL, name.c_str(), nullptr));
    if (ok && (op == '+' || op == '>'))
      ok = report(vcSetArchiveInfo(archive.handle(), VC_ARCHIVE_ITEM_ADD_LABEL, name.c_str(), revision.c_str()));
    changed = changed || ok;
  }

  const std::string current = revisionText(archive.handle(), VC_REVISION_ITEM_STATE, revision, sizeof record.state);
  if (record.stateFromList == 1) {
    const int chosen = record.stateSelection;
    const std::string selected =
        chosen >= 0 && static_cast<std::size_t>(chosen) < record.states.size() ? record.states[chosen] : "";
    // "<as is>" names no state: it leaves the state alone.
    archive::setField(record.state, selected == current || selected == kAsIsState ? "" : selected);
  }
  const std::string state = archive::fieldText(record.state);
  if (!state.empty() && state != current) {
    if (!lock()) return;
    if (report(vcSetRevInfo(archive.handle(), VC_REVISION_ITEM_SET_STATE, revision.c_str(), state.c_str()))) changed = true;
  }
  if (changed) commitArchiveChanges(archive);
}

RevisionInfoDialog::RevisionInfoDialog(ui::Ui& ui, archive::TRevisionInfoTransferStruct& record,
                                       archive::OpenArchive& archive, std::string revision,
                                       archive::LabelChangeList& changes)
    : ui_(ui),
      record_(record),
      archive_(archive),
      revision_(std::move(revision)),
      changes_(changes),
      mayAdd_(app::hasPermission("AddLabel")),
      mayDelete_(app::hasPermission("DeleteLabel")),
      labelBox_(mayAdd_ ? kRiLabel : kRiLabelList) {}

void RevisionInfoDialog::setUp(ui::DialogSurface& surface) {
  const archive::TRevisionInfoTransferStruct& r = record_;
  surface.setText(kRiRevision, archive::fieldText(r.revision));
  surface.setText(kRiDate, archive::fieldText(r.date));
  surface.setText(kRiAuthor, archive::fieldText(r.author));
  surface.setText(kRiLocker, archive::fieldText(r.locker));
  surface.setText(kRiDescription, archive::fieldText(r.description));
  surface.setEnabled(kRiDescription, true);

  // Without "AddLabel" the labels can be chosen, never typed.
  surface.setVisible(kRiLabelCaption, mayAdd_);
  surface.setVisible(kRiLabel, mayAdd_);
  surface.setVisible(kRiLabelListCaption, !mayAdd_);
  surface.setVisible(kRiLabelList, !mayAdd_);
  surface.setEnabled(kRiLabel, mayAdd_);
  surface.setEnabled(kRiLabelList, !mayAdd_);
  showLabels(surface, r.labelList.empty() ? "" : r.labelList.front());
  // The entry field tells nothing as it is typed in: "Add Label" stays
  // offered to whoever may add, and takes only a new name.
  surface.setEnabled(kRiAddLabel, mayAdd_);

  const bool fromList = r.stateFromList == 1;
  surface.setVisible(kRiStateEditCaption, !fromList);
  surface.setVisible(kRiState, !fromList);
  surface.setEnabled(kRiState, !fromList);
  surface.setVisible(kRiStateCaption, fromList);
  surface.setVisible(kRiStates, fromList);
  surface.setText(kRiState, archive::fieldText(r.state));
  if (fromList) {
    surface.setListItems(kRiStates, r.states);
    if (r.stateSelection >= 0) {
      surface.setSelection(kRiStates, {r.stateSelection});
      surface.setText(kRiStates, r.states[static_cast<std::size_t>(r.stateSelection)]);
    }
    surface.setEnabled(kRiStates, r.stateChangeAllowed == 1);
    surface.setEnabled(kRiStateCaption, r.stateChangeAllowed == 1);
  }
}

void RevisionInfoDialog::showLabels(ui::DialogSurface& surface, const std::string& text) {
  surface.setListItems(labelBox_, record_.labelList);
  surface.setText(labelBox_, text);
  const int row = app::findStringIndex(record_.labelList, text);
  if (row >= 0) surface.setSelection(labelBox_, {row});
  surface.setEnabled(kRiDeleteLabel, !record_.labelList.empty() && mayDelete_);
}

bool RevisionInfoDialog::validLabel(ui::DialogSurface& surface) {
  return validateTokenFields(ui_, surface, {{labelBox_, app::TokenKind::label}});
}

bool RevisionInfoDialog::isEntry(const std::string& name) const {
  return app::findStringIndex(record_.labelList, name) >= 0;
}

bool RevisionInfoDialog::dropPendingChange(const std::string& name) {
  const auto it = std::find_if(changes_.begin(), changes_.end(),
                               [&](const std::string& c) { return c.compare(1, std::string::npos, name) == 0; });
  if (it == changes_.end()) return false;
  changes_.erase(it);
  return true;
}

void RevisionInfoDialog::command(ui::DialogSurface& surface, int controlId) {
  if (controlId == kRiAddLabel) {
    addLabel(surface);
  } else if (controlId == kRiDeleteLabel) {
    deleteLabel(surface);
  }
}

void RevisionInfoDialog::addLabel(ui::DialogSurface& surface) {
  std::string text = surface.text(labelBox_);
  if (text.size() > kLabelWidth) text.resize(kLabelWidth);
  if (!text.empty() && mayAdd_ && validLabel(surface)) addLabelText(surface, text);
  surface.setFocus(labelBox_);
}

void RevisionInfoDialog::addLabelText(ui::DialogSurface& surface, const std::string& name) {
  if (isEntry(name)) return;
  std::string carrier;
  const int rc = labelRevision(archive_, name, carrier);
  char prefix = 0;
  if (rc == 0 && carrier == revision_) {
    // Dropped in this dialog and wanted back: the drop is forgotten.
    if (!dropPendingChange(name)) return;
  } else if (rc == 0) {
    const std::string question =
        app::formatString(app::kStrMoveLabel, name.c_str(), carrier.c_str(), revision_.c_str());
    if (app::rcsMessage(ui_, app::kStyleQuestion, question) != ui::kAnswerYes) return;
    if (!mayDelete_) {
      archive_.setStatus(kLabelRefused);
      archive_.showError(app::kStyleError);
      return;
    }
    prefix = '>';
  } else if (rc == VC_E_SYMBOL_MISSING) {
    prefix = '+';
  } else {
    archive_.setStatus(rc);
    archive_.showError(app::kStyleError);
    return;
  }
  if (prefix) changes_.push_back(prefix + name);
  record_.labelList.push_back(name);
  std::sort(record_.labelList.begin(), record_.labelList.end());
  showLabels(surface, name);
}

void RevisionInfoDialog::deleteLabel(ui::DialogSurface& surface) {
  const std::string name = surface.text(labelBox_);
  if (name.empty()) return;
  std::string carrier;
  const int rc = labelRevision(archive_, name, carrier);
  if (rc == 0 && carrier != revision_) {
    // Only a move here made in this dialog can be taken back.
    if (!isEntry(name) || !dropPendingChange(name)) {
      app::rcsMessage(ui_, app::kStyleError,
                        app::formatString(app::kStrLabelOnOtherRevision, name.c_str(), carrier.c_str()));
      return;
    }
  } else {
    if (!isEntry(name)) return;  // a name typed that the revision does not carry
    if (!dropPendingChange(name)) changes_.push_back("-" + name);
  }
  record_.labelList.erase(std::find(record_.labelList.begin(), record_.labelList.end(), name));
  showLabels(surface, "");
  if (!record_.labelList.empty()) {
    surface.setText(labelBox_, record_.labelList.front());
    surface.setSelection(labelBox_, {0});
  }
  surface.setFocus(labelBox_);
}

bool RevisionInfoDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  // A label typed and not yet added is added now, or keeps the dialog open.
  const std::string typed = surface.text(labelBox_);
  if (mayAdd_ && !typed.empty() && !isEntry(typed)) {
    if (!validLabel(surface)) return false;
    addLabel(surface);
  }
  if (record_.stateFromList == 1) {
    record_.stateSelection = chosenIndex(surface, kRiStates, record_.states);
  } else {
    if (!validateTokenFields(ui_, surface, {{kRiState, app::TokenKind::state}})) return false;
    readField(surface, kRiState, record_.state);
  }
  return true;
}

int revisionInformation(archive::OpenArchive& archive, const std::string& revision) {
  archive::TRevisionInfoTransferStruct record;
  archive::LabelChangeList changes;
  readRevisionInfo(archive, revision, record, changes);
  RevisionInfoDialog logic(archive.ui(), record, archive, revision, changes);
  const int answer = archive.ui().runDialog(revisionInfoDialogDescription(), logic);
  if (answer != ui::kAnswerOk) return ui::kAnswerCancel;
  writeRevisionInfo(archive, revision, record, changes);
  return ui::kAnswerOk;
}

void registerRevisionInformation(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.items.revisionInformation = revisionInformation;
}

}  // namespace orv::workbench::dialogs
