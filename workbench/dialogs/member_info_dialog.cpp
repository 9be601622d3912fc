// The Member Information dialog (see member_info_dialog.h).
#include "workbench/dialogs/member_info_dialog.h"

#include <strings.h>

#include <algorithm>

#include "vc/include/vc.h"
#include "workbench/app/dialog_text.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/dialogs/state_lists.h"
#include "workbench/project/member_walks.h"

namespace orv::workbench::dialogs {

namespace {

constexpr int kTextSize = 1536;
constexpr std::size_t kAttributeLimit = 256;
constexpr const char* kAsIs = "<as is>";
constexpr const char* kIllegalAttribute =
    "Illegal Attribute. Must be one of the following forms:\nVariable\nVariable=Value\nVariable and Value are "
    "alphanumeric characters, leading alphabetic character.";

ui::DialogDescription describe(bool frozen) {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = frozen ? kFrozenMemberInfoDialogId : kMemberInfoDialogId;
  d.title = frozen ? "Frozen Member Information" : "Member Information";
  d.helpContext = kMemberInfoHelpContext;
  d.controls = {
      {kMiNameCaption, K::label, "Member:", 1},
      {kMiName, K::label, "", 1},
      {kMiWorkCaption, K::label, "Working File:", 1},
      {kMiWorkFile, K::label, "", 1},
      {kMiArchiveCaption, K::label, "Archive File:", 1},
      {kMiArchive, K::label, "", 1},
      {kMiTypeCaption, K::label, "T&ype:", 2},
      {kMiType, K::comboBox, "", 2},
      {kMiRevisionCaption, K::label, "&Revision:", 2},
      {kMiRevisions, K::comboBox, "", 2},
      {kMiStateCaption, K::label, "&State:", 2},
      {kMiState, K::lineEdit, "", 2},
      {kMiStates, K::comboBox, "", 2},
      {kMiLabelCaption, K::label, "La&bels:", 2},
      {kMiLabels, K::comboBox, "", 2},
      {kMiAddLabel, K::pushButton, "A&dd Label", 2},
      {kMiDeleteLabel, K::pushButton, "D&elete Label", 2},
      {kMiAuthorCaption, K::label, "Author:", 3},
      {kMiAuthor, K::label, "", 3},
      {kMiDateCaption, K::label, "Date:", 3},
      {kMiDate, K::label, "", 3},
      {kMiLockerCaption, K::label, "Locked by:", 3},
      {kMiLocker, K::label, "", 3},
      {kMiLogCaption, K::label, "Description:", 3},
      {kMiLog, K::multiLineEdit, "", 3},
      {kMiShowAttributes, K::pushButton, "A&ttributes...", 4},
      {kMiAttributesCaption, K::label, "Attributes:", 5},
      {kMiAttributes, K::listBox, "", 5},
      {kMiVariableCaption, K::label, "&Variable:", 5},
      {kMiVariable, K::lineEdit, "", 5},
      {kMiValueCaption, K::label, "Va&lue:", 5},
      {kMiValue, K::lineEdit, "", 5},
      {kMiAddAttribute, K::pushButton, "&Add", 5},
      {kMiDeleteAttribute, K::pushButton, "&Delete", 5},
      {kMiOk, K::defaultButton, "OK", 0},
      {kMiCancel, K::pushButton, "Cancel", 0},
      {kMiHelp, K::pushButton, "&Help", 0},
  };
  return d;
}

constexpr int kAttributeArea[] = {kMiAttributesCaption, kMiAttributes, kMiVariableCaption, kMiVariable,
                                  kMiValueCaption,      kMiValue,      kMiAddAttribute,    kMiDeleteAttribute};

bool equalNoCase(const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) == 0; }

std::string revisionItem(int archive, int item, const std::string& revision) {
  std::vector<char> text(kTextSize, '\0');
  if (vcGetRevInfo(archive, item, revision.c_str(), text.data(), kTextSize - 1) != 0) return "";
  return text.data();
}

std::string idItem(int archive, int item, const std::string& key) {
  std::vector<char> text(kTextSize, '\0');
  if (vcGetIdArchiveInfo(archive, item, key.c_str(), text.data(), kTextSize - 1) != 0) return "";
  return text.data();
}

std::string memberText(int project, int item) {
  std::vector<char> text(kTextSize, '\0');
  if (vcGetMember(project, item, text.data(), kTextSize - 1) != 0) return "";
  return text.data();
}

}  // namespace

const ui::DialogDescription& memberInfoDialogDescription(bool frozen) {
  static const ui::DialogDescription normal = describe(false);
  static const ui::DialogDescription frozenForm = describe(true);
  return frozen ? frozenForm : normal;
}

std::string memberTypeText(char type) {
  switch (type) {
    case 'f': return "Non-Archived";
    case 'a': return "Archived";
    case 'i': return "Subproject";
    default: return "";
  }
}

OfferedStates statesAround(const std::vector<std::string>& words, const std::string& state, bool promote,
                           bool demote) {
  OfferedStates out;
  const auto found = std::find(words.begin(), words.end(), state);
  int current = found == words.end() ? -1 : static_cast<int>(found - words.begin());
  if (current < 0) out.states.push_back(kAsIs);
  int currentEntry = 0;
  for (int i = 0; i < static_cast<int>(words.size()); ++i) {
    if (i == current) {
      currentEntry = static_cast<int>(out.states.size());
      out.states.push_back(words[static_cast<std::size_t>(i)]);
    } else if ((current >= 0 && i < current && demote) || ((current < 0 || i > current) && promote)) {
      out.states.push_back(words[static_cast<std::size_t>(i)]);
    }
  }
  out.selection = demote ? currentEntry : 0;
  return out;
}

std::vector<std::string> splitRules(const std::string& rules) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at <= rules.size() && !rules.empty()) {
    std::size_t end = rules.find(',', at);
    if (end == std::string::npos) end = rules.size();
    const std::string rule = rules.substr(at, end - at);
    if (!rule.empty() && !equalNoCase(rule, "frozen")) out.push_back(rule);
    at = end + 1;
  }
  return out;
}

std::string joinRules(const std::vector<std::string>& entries) {
  std::string out;
  for (const std::string& e : entries) out += (out.empty() ? "" : ",") + e;
  return out;
}

std::string addMemberAttribute(std::vector<std::string>& entries, const std::string& variable,
                               const std::string& value) {
  if (variable.size() + value.size() + 1 > kAttributeLimit)
    return app::formatText(
        "The attribute you have entered is too long.  The combined length of the Variable and Value fields must not "
        "exceed %d characters.",
        static_cast<int>(kAttributeLimit));
  if (variable.empty()) return "";
  if (equalNoCase(variable, "frozen")) return "To freeze the member, select the Freeze command from the Member menu";
  std::string text = variable;
  if (!value.empty()) {
    const bool blank = equalNoCase(variable, "worktoarch") || equalNoCase(variable, "workmap");
    text += (blank ? " " : "=") + value;
  }
  if (vcValidateToken(0, VC_TOKEN_CONFIG_LINE, text.c_str()) != 0) return kIllegalAttribute;
  const auto same = std::find_if(entries.begin(), entries.end(), [&](const std::string& e) {
    return e == variable || (e.size() > variable.size() && e.compare(0, variable.size(), variable) == 0 &&
                             e[variable.size()] == '=');
  });
  if (same != entries.end()) *same = text;
  else entries.push_back(text);
  return "";
}

MemberInfoDialog::MemberInfoDialog(ui::Ui& ui, project::OpenProject& project, project::MemberRow& row)
    : ui_(ui), project_(project), row_(row) {
  mayAddLabel_ = app::hasPermission("AddLabel");
  mayDeleteLabel_ = app::hasPermission("DeleteLabel");
  mayModifyArchive_ = app::hasPermission("ModifyArchive");
  mayModifyMember_ = app::hasPermission("ModifyProject") && project.mayCheckpointVariant() && !project.historical &&
                     !project.frozen && !row.frozen;
  memberName_ = memberText(project.project, VC_MEMBER_ITEM_NAME);
  if (app::hasPermission("OpenArchive"))
    archive_ = std::make_unique<archive::OpenArchive>(ui, row.name, VC_ARCHIVE_OPEN_READ, project.project);
}

std::string MemberInfoDialog::selectedRevision(const ui::DialogSurface& surface) const {
  const auto rows = surface.selection(kMiRevisions);
  if (rows.empty() || rows.front() < 0 || rows.front() >= static_cast<int>(revisions_.size())) return "";
  return revisions_[static_cast<std::size_t>(rows.front())];
}

char MemberInfoDialog::selectedType(const ui::DialogSurface& surface) const {
  const auto rows = surface.selection(kMiType);
  if (rows.empty() || rows.front() < 0 || rows.front() >= static_cast<int>(types_.size())) return row_.type;
  return types_[static_cast<std::size_t>(rows.front())];
}

void MemberInfoDialog::setUp(ui::DialogSurface& surface) {
  if (archive_) {
    if (archive_->status() == 0) {
      handle_ = archive_->handle();
      vcKeepClosed(handle_);
    } else if (archive_->status() == VC_E_ENCRYPTED_FILE) {
      app::rcsMessage(ui_, app::kStyleError,
                      app::formatText("Unable to perform operation.\n%s is encrypted and a valid password was not "
                                      "entered.",
                                      archive_->displayName().c_str()));
      surface.end(ui::kAnswerCancel);
      return;
    }
  }
  types_ = {'f'};
  if (handle_) types_.push_back('a');
  if (vcOpenProject(row_.name.c_str(), VC_PROJECT_OPEN_MODIFY, nullptr, 0) == 0) types_.push_back('i');
  std::vector<std::string> typeTexts;
  for (char t : types_) typeTexts.push_back(memberTypeText(t));
  surface.setListItems(kMiType, typeTexts);
  const auto t = std::find(types_.begin(), types_.end(), row_.type);
  typeIndex_ = t == types_.end() ? 0 : static_cast<int>(t - types_.begin());
  surface.setSelection(kMiType, {typeIndex_});

  if (handle_) {
    char revision[80] = {};
    if (vcGetArchiveInfo(handle_, VC_ARCHIVE_ITEM_FIRST_REVISION, revision, sizeof revision) == 0) {
      do {
        revisions_.emplace_back(revision);
      } while (revisions_.size() < 100000 &&
               vcGetRevInfo(handle_, VC_REVISION_ITEM_NEXT, revisions_.back().c_str(), revision, sizeof revision) == 0);
    }
  } else {
    surface.setText(kMiState, "Exp");
  }
  surface.setListItems(kMiRevisions, revisions_);
  const auto r = row_.revision ? std::find(revisions_.begin(), revisions_.end(), *row_.revision) : revisions_.end();
  revisionIndex_ = r == revisions_.end() ? 0 : static_cast<int>(r - revisions_.begin());
  if (!revisions_.empty()) surface.setSelection(kMiRevisions, {revisionIndex_});

  statesConfigured_ = statesConfigured();
  if (statesConfigured_) {
    words_ = offeredStates();
    mayPromote_ = app::hasPermission("Promote");
    mayDemote_ = app::hasPermission("Demote");
  }
  surface.setVisible(kMiState, !statesConfigured_);
  surface.setVisible(kMiStates, statesConfigured_);

  attributes_ = splitRules(memberText(project_.project, VC_MEMBER_ITEM_RULES));
  surface.setListItems(kMiAttributes, attributes_);
  for (int id : kAttributeArea) surface.setVisible(id, false);

  surface.setText(kMiName, memberName_.empty() ? row_.name : memberName_);
  surface.setText(kMiWorkFile, row_.name);
  if (handle_) surface.setText(kMiArchive, archive_->archiveName());
  surface.setEnabled(kMiLog, false);
  showType(surface);

  if (!handle_ && row_.type != 'f' && row_.hasRevision())
    app::rcsMessage(ui_, app::kStyleError,
                    app::formatText("The member %s is of type 'Archived', but the archive is inaccessible.",
                                    row_.name.c_str()));

  surface.setEnabled(kMiAddAttribute, mayModifyMember_);
  surface.setEnabled(kMiDeleteAttribute, false);
  if (!mayModifyMember_) {
    for (int id : {kMiType, kMiTypeCaption, kMiRevisions, kMiRevisionCaption, kMiVariable, kMiValue, kMiAttributes})
      surface.setEnabled(id, false);
  }
  if (!mayModifyArchive_ || !handle_) {
    for (int id : {kMiStates, kMiState, kMiStateCaption, kMiAddLabel, kMiDeleteLabel}) surface.setEnabled(id, false);
  }
}

bool MemberInfoDialog::confirmDiscard(ui::DialogSurface&) {
  if (pending_.empty()) return true;
  const int answer = app::rcsMessage(ui_, app::kStyleQuestion,
                                     "You have changes to labels pending.\nChanging the member type or revision\n"
                                     "number will cause these changes to be lost.\nAre you sure you want to do this?");
  if (answer != ui::kAnswerYes) return false;
  pending_.clear();
  return true;
}

void MemberInfoDialog::showType(ui::DialogSurface& surface) {
  const char type = selectedType(surface);
  const bool withRevision = type != 'f' && handle_ && !revisions_.empty();
  for (int id : {kMiLocker, kMiArchive, kMiAuthor, kMiDate, kMiLockerCaption, kMiArchiveCaption, kMiAuthorCaption,
                 kMiDateCaption})
    surface.setEnabled(id, withRevision);
  surface.setEnabled(kMiRevisions, withRevision && mayModifyMember_);
  if (!withRevision) {
    surface.setSelection(kMiRevisions, {});
    surface.setListItems(kMiLabels, {});
    surface.setListItems(kMiStates, {});
    surface.setText(kMiState, "");
    surface.setText(kMiLog, "");
    for (int id : {kMiLocker, kMiAuthor, kMiDate}) surface.setText(id, "");
    surface.setEnabled(kMiAddLabel, false);
    surface.setEnabled(kMiDeleteLabel, false);
    return;
  }
  surface.setSelection(kMiRevisions, {revisionIndex_});
  showRevision(surface);
}

void MemberInfoDialog::showRevision(ui::DialogSurface& surface) {
  const std::string revision = selectedRevision(surface);
  if (revision.empty()) return;
  surface.setText(kMiLocker, idItem(handle_, VC_ARCHIVE_ITEM_LOCKER, revision));
  surface.setText(kMiAuthor, revisionItem(handle_, VC_REVISION_ITEM_AUTHOR, revision));
  surface.setText(kMiDate, revisionItem(handle_, VC_REVISION_ITEM_DATE, revision));
  std::vector<char> log(kTextSize, '\0');
  app::addCarriageReturns(log.data(), revisionItem(handle_, VC_REVISION_ITEM_LOG, revision).c_str(), kTextSize);
  surface.setText(kMiLog, log.data());
  revisionState_ = revisionItem(handle_, VC_REVISION_ITEM_STATE, revision);
  surface.setText(kMiState, revisionState_);
  if (statesConfigured_) {
    offered_ = statesAround(words_, revisionState_, mayPromote_, mayDemote_);
    surface.setListItems(kMiStates, offered_.states);
    surface.setSelection(kMiStates, {offered_.selection});
    surface.setEnabled(kMiStates, mayModifyArchive_ && (mayPromote_ || mayDemote_));
  }
  labels_.clear();
  std::vector<char> entry(kTextSize, '\0');
  while (vcGetArchiveInfo(handle_, VC_ARCHIVE_ITEM_NEXT_LABEL, entry.data(), kTextSize - 1) == 0) {
    const std::string text = entry.data();
    const std::size_t blank = text.find(' ');
    if (blank != std::string::npos && text.compare(blank + 1, std::string::npos, revision) == 0)
      labels_.push_back(text.substr(0, blank));
  }
  surface.setListItems(kMiLabels, labels_);
  if (!labels_.empty()) surface.setSelection(kMiLabels, {0});
  surface.setEnabled(kMiDeleteLabel, mayModifyArchive_ && mayDeleteLabel_ && !labels_.empty());
  surface.setEnabled(kMiAddLabel, mayModifyArchive_ && mayAddLabel_);
}

std::string MemberInfoDialog::labelRevision(const std::string& label) {
  return idItem(handle_, VC_ARCHIVE_ITEM_LABEL_REVISION, label);
}

bool MemberInfoDialog::addLabel(ui::DialogSurface& surface) {
  std::string label = surface.text(kMiLabels);
  const auto chosen = surface.selection(kMiLabels);
  if (label.empty() && !chosen.empty() && chosen.front() < static_cast<int>(labels_.size()))
    label = labels_[static_cast<std::size_t>(chosen.front())];
  if (label.empty()) return true;
  if (vcValidateToken(0, VC_TOKEN_LABEL, label.c_str()) != 0) {
    app::rcsMessage(ui_, app::kStyleError,
                    "Illegal Label. Must be alphanumeric characters, leading alphabetic character.");
    return false;
  }
  const std::string revision = selectedRevision(surface);
  std::vector<char> carrier(kTextSize, '\0');
  const int rc = vcGetIdArchiveInfo(handle_, VC_ARCHIVE_ITEM_LABEL_REVISION, label.c_str(), carrier.data(), kTextSize - 1);
  if (rc != 0 && rc != VC_E_SYMBOL_MISSING) {
    archive::showArchiveError(ui_, rc, archive_->displayName(), app::kStyleError);
    return false;
  }
  const std::string onRevision = rc == 0 ? carrier.data() : "";
  switch (pending_.add(label, onRevision, revision)) {
    case PendingLabels::AddOutcome::nothing: break;
    case PendingLabels::AddOutcome::added:
      if (std::find(labels_.begin(), labels_.end(), label) == labels_.end()) labels_.push_back(label);
      break;
    case PendingLabels::AddOutcome::askToMove: {
      const int answer = app::rcsMessage(
          ui_, app::kStyleQuestion,
          app::formatText("Label %s is already assigned to revision %s.\nDo you want to delete the existing label and "
                          "move the label to revision %s?",
                          label.c_str(), onRevision.c_str(), revision.c_str()));
      if (answer != ui::kAnswerYes) return true;
      if (!mayDeleteLabel_) {
        archive::showArchiveError(ui_, VC_E_DENY_DELETE_LABEL, archive_->displayName(), app::kStyleError);
        return false;
      }
      pending_.move(label);
      if (std::find(labels_.begin(), labels_.end(), label) == labels_.end()) labels_.push_back(label);
      break;
    }
  }
  surface.setListItems(kMiLabels, labels_);
  const auto at = std::find(labels_.begin(), labels_.end(), label);
  if (at != labels_.end()) surface.setSelection(kMiLabels, {static_cast<int>(at - labels_.begin())});
  surface.setEnabled(kMiDeleteLabel, mayDeleteLabel_ && !labels_.empty());
  return true;
}

void MemberInfoDialog::deleteLabel(ui::DialogSurface& surface) {
  const auto chosen = surface.selection(kMiLabels);
  std::string label = chosen.empty() || chosen.front() >= static_cast<int>(labels_.size())
                          ? surface.text(kMiLabels)
                          : labels_[static_cast<std::size_t>(chosen.front())];
  if (label.empty()) return;
  const std::string revision = selectedRevision(surface);
  const std::string onRevision = labelRevision(label);
  if (!pending_.remove(label, onRevision, revision)) {
    app::rcsMessage(ui_, app::kStyleError,
                    app::formatText("Cannot delete a label on a different revision.\nLabel %s is associated with "
                                    "revision %s.",
                                    label.c_str(), onRevision.c_str()));
    return;
  }
  labels_.erase(std::remove(labels_.begin(), labels_.end(), label), labels_.end());
  surface.setListItems(kMiLabels, labels_);
  if (!labels_.empty()) surface.setSelection(kMiLabels, {0});
  surface.setEnabled(kMiDeleteLabel, !labels_.empty());
}

bool MemberInfoDialog::addAttribute(ui::DialogSurface& surface) {
  const std::string message = addMemberAttribute(attributes_, surface.text(kMiVariable), surface.text(kMiValue));
  if (!message.empty()) {
    app::rcsMessage(ui_, app::kStyleError, message);
    surface.setFocus(kMiVariable);
    return false;
  }
  if (!surface.text(kMiVariable).empty()) attributesChanged_ = true;
  surface.setListItems(kMiAttributes, attributes_);
  surface.setText(kMiVariable, "");
  surface.setText(kMiValue, "");
  return true;
}

void MemberInfoDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kMiType: {
      if (!confirmDiscard(surface)) {
        surface.setSelection(kMiType, {typeIndex_});
        break;
      }
      const auto rows = surface.selection(kMiType);
      if (!rows.empty()) typeIndex_ = rows.front();
      showType(surface);
      break;
    }
    case kMiRevisions: {
      if (!confirmDiscard(surface)) {
        surface.setSelection(kMiRevisions, {revisionIndex_});
        break;
      }
      const auto rows = surface.selection(kMiRevisions);
      if (!rows.empty()) revisionIndex_ = rows.front();
      showRevision(surface);
      break;
    }
    case kMiLabels: surface.setEnabled(kMiDeleteLabel, mayModifyArchive_ && mayDeleteLabel_); break;
    case kMiAddLabel:
      addLabel(surface);
      break;
    case kMiDeleteLabel: deleteLabel(surface); break;
    case kMiShowAttributes:
      expanded_ = !expanded_;
      for (int id : kAttributeArea) surface.setVisible(id, expanded_);
      break;
    case kMiAttributes: {
      const auto rows = surface.selection(kMiAttributes);
      if (rows.empty() || rows.front() >= static_cast<int>(attributes_.size())) break;
      const std::string& entry = attributes_[static_cast<std::size_t>(rows.front())];
      const std::size_t eq = entry.find('=');
      surface.setText(kMiVariable, entry.substr(0, eq));
      surface.setText(kMiValue, eq == std::string::npos ? "" : entry.substr(eq + 1));
      surface.setEnabled(kMiDeleteAttribute, mayModifyMember_);
      break;
    }
    case kMiAddAttribute:
      if (mayModifyMember_) addAttribute(surface);
      break;
    case kMiDeleteAttribute: {
      const auto rows = surface.selection(kMiAttributes);
      if (!mayModifyMember_ || rows.empty() || rows.front() >= static_cast<int>(attributes_.size())) break;
      attributes_.erase(attributes_.begin() + rows.front());
      attributesChanged_ = true;
      surface.setListItems(kMiAttributes, attributes_);
      surface.setEnabled(kMiDeleteAttribute, false);
      if (attributes_.empty()) surface.setFocus(kMiOk);
      break;
    }
    default: break;
  }
}

void MemberInfoDialog::applyToProject(const ui::DialogSurface& surface) {
  const int p = project_.project;
  vcInProject(p, row_.name.c_str());
  auto store = [&](int item, const char* value) {
    if (project_.setMember(item, value) != 0) project_.status = 0;
  };
  if (attributesChanged_) store(VC_MEMBER_ITEM_SET_RULES, joinRules(attributes_).c_str());
  const char type = selectedType(surface);
  if (type != row_.type) {
    const char text[2] = {type, 0};
    store(VC_MEMBER_ITEM_SET_KIND, text);
    result_ = 1;
  }
  const std::string revision = selectedRevision(surface);
  if (type != 'f' && !revision.empty() && (!row_.hasRevision() || *row_.revision != revision)) {
    row_.revision = revision;
    row_.state.reset();
    row_.labels.reset();
    store(VC_MEMBER_ITEM_SET_REVISION, revision.c_str());
    result_ = 1;
  }
  if (project_.save() != 0) {
    project_.reopen();
    result_ = -1;
  }
}

void MemberInfoDialog::applyToArchive(const ui::DialogSurface& surface, const std::string& state) {
  if (!mayModifyArchive_ || !handle_) return;
  const bool typeChanged = selectedType(surface) != row_.type;
  const std::string revision = selectedRevision(surface);
  const bool setState = !state.empty() && state != kAsIs && state != revisionState_ && !revision.empty();
  if (!typeChanged && !setState && pending_.empty()) return;
  if (!archive_->writeLock()) return;
  const int h = archive_->handle();
  bool changed = false;
  auto report = [&](int rc) {
    if (rc == 0) {
      changed = true;
      return;
    }
    archive::showArchiveError(ui_, rc, archive_->displayName(), app::kStyleError);
  };
  if (typeChanged) report(vcAddProjectLink(project_.project, h));
  if (setState) report(vcSetRevInfo(h, VC_REVISION_ITEM_SET_STATE, revision.c_str(), state.c_str()));
  for (const std::string& change : pending_.changes()) {
    const std::string label = change.substr(1);
    if (change[0] == '-' || change[0] == '>') report(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_DROP_LABEL, label.c_str(), nullptr));
    if (change[0] == '+' || change[0] == '>')
      report(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, label.c_str(), revision.c_str()));
  }
  if (changed) {
    ui_.pushBusyCursor();
    const int rc = vcCommitArchive(h, VC_COMMIT_KEEP_OPEN);
    ui_.popCursor();
    if (rc != 0) {
      archive::showArchiveError(ui_, rc, archive_->displayName(), app::kStyleError);
      archive_->reopen();
    }
    vcKeepClosed(h);
    if (result_ != -1) result_ = 1;
  }
  archive_->dropWriteLock();
}

bool MemberInfoDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  // Everything typed is checked before anything is applied.
  const std::string typedLabel = surface.text(kMiLabels);
  if (surface.isEnabled(kMiAddLabel) && !typedLabel.empty() &&
      std::find(labels_.begin(), labels_.end(), typedLabel) == labels_.end() && !addLabel(surface))
    return false;
  if (mayModifyMember_ && !surface.text(kMiVariable).empty() && !addAttribute(surface)) return false;
  std::string state;
  if (mayModifyArchive_ && handle_) {
    if (!statesConfigured_) {
      if (surface.isEnabled(kMiState)) {
        state = surface.text(kMiState);
        if (!state.empty() && vcValidateToken(0, VC_TOKEN_STATE, state.c_str()) != 0) {
          app::rcsMessage(ui_, app::kStyleError,
                          "Illegal State. Must be ASCII printing characters (except <space>, <tab>, <; : , @>), "
                          "leading alphabetic character.");
          surface.setFocus(kMiState);
          return false;
        }
      }
    } else {
      const auto rows = surface.selection(kMiStates);
      if (!rows.empty() && rows.front() < static_cast<int>(offered_.states.size()))
        state = offered_.states[static_cast<std::size_t>(rows.front())];
    }
  }
  if (mayModifyMember_) applyToProject(surface);
  applyToArchive(surface, state);
  return true;
}

void memberInformationCommand(commands::ProjectWindow& window, int rowIndex) {
  project::OpenProject& project = window.project();
  project::MemberView& view = window.members();
  project::MemberRow* row = view.findMemberItem(rowIndex, true);
  if (!row) return;
  const bool locked = app::hasPermission("ModifyProject");
  if (locked && !project.lock(false)) return;
  int result = 0;
  {
    MemberInfoDialog logic(project.ui(), project, *row);
    project.ui().runDialog(memberInfoDialogDescription(project.frozen || row->frozen), logic);
    result = logic.result();
  }
  if (locked) project.dropWriteLock();
  if (result == 1) {
    int rows[] = {rowIndex};
    view.refreshMembers(rows, 1);
  } else if (result == -1) {
    view.refreshMembers(nullptr, 0);
  }
}

void registerMemberInformation(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.flows.memberInformation = memberInformationCommand;
}

}  // namespace orv::workbench::dialogs
