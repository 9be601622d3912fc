// The Select Members dialog and its matching (see member_select.h).
#include "workbench/dialogs/member_select.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"

namespace orv::workbench::dialogs {

namespace {

constexpr std::size_t kNoStar = std::string_view::npos;

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string lowerText(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), lower);
  return text;
}

// name and value of "name", "name=value" or "name = value".
void splitCriterion(std::string_view text, std::string& name, std::string& value) {
  std::size_t at = text.find_first_not_of(" \t");
  if (at == std::string_view::npos) at = text.size();
  std::size_t end = text.find_first_of(" \t=", at);
  if (end == std::string_view::npos) end = text.size();
  name = std::string(text.substr(at, end - at));
  at = text.find_first_not_of(" \t=", end);
  if (at == std::string_view::npos) at = text.size();
  end = text.find_first_of(" \t", at);
  if (end == std::string_view::npos) end = text.size();
  value = std::string(text.substr(at, end - at));
}

void addOnce(std::vector<std::string>& list, const std::string& text) {
  if (!text.empty() && std::find(list.begin(), list.end(), text) == list.end()) list.push_back(text);
}

int indexOf(const std::vector<std::string>& list, const std::string& text) {
  const auto it = std::find(list.begin(), list.end(), text);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

std::string selectedText(const ui::DialogSurface& surface, int id) {
  const auto rows = surface.selection(id);
  const auto items = surface.listItems(id);
  if (!rows.empty() && rows.front() >= 0 && rows.front() < static_cast<int>(items.size()))
    return items[static_cast<std::size_t>(rows.front())];
  return surface.text(id);
}

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kMemberSelectDialogId;
  d.title = "Select Members";
  d.helpContext = kMemberSelectHelpContext;
  d.controls = {
      {kMsAll, K::checkBox, "&All Members", 1},
      {kMsChanged, K::checkBox, "&Changed Members", 2},
      {kMsFrozen, K::checkBox, "Fro&zen Members", 2},
      {kMsType, K::checkBox, "Members of T&ype:", 2},
      {kMsTypeList, K::comboBox, "", 2},
      {kMsLocked, K::checkBox, "Members &Locked by:", 2},
      {kMsLockerList, K::comboBox, "", 2},
      {kMsState, K::checkBox, "Members with &State:", 2},
      {kMsStateList, K::comboBox, "", 2},
      {kMsLabel, K::checkBox, "Members with La&bel:", 2},
      {kMsLabelList, K::comboBox, "", 2},
      {kMsAttribute, K::checkBox, "Members with A&ttribute:", 2},
      {kMsAttributeText, K::lineEdit, "", 2},
      {kMsFileName, K::checkBox, "Members with &Filename:", 2},
      {kMsFileNameText, K::lineEdit, "", 2},
      {kMsCombineGroup, K::groupBox, "Combine Selections Using", 3},
      {kMsAnd, K::radioButton, "Logical A&ND", 3},
      {kMsOr, K::radioButton, "Logical &OR", 3},
      {kMsOk, K::defaultButton, "OK", 0},
      {kMsCancel, K::pushButton, "Cancel", 0},
      {kMsHelp, K::pushButton, "&Help", 0},
  };
  const int ids[] = {kMsAll,   kMsChanged, kMsFrozen, kMsType, kMsLocked, kMsState, kMsLabel,
                     kMsFileName, kMsAttribute, kMsAnd, kMsOr, kMsOk, kMsCancel, kMsHelp};
  const int partners[] = {0, 0, 0, kMsTypeList, kMsLockerList, kMsStateList, kMsLabelList,
                          kMsFileNameText, kMsAttributeText, 0, 0, 0, 0, 0};
  for (std::size_t i = 0; i < std::size(ids); ++i) {
    d.helpPairs.push_back({ids[i], 11039 + static_cast<int>(i)});
    if (partners[i]) d.helpPairs.push_back({partners[i], 11039 + static_cast<int>(i)});
  }
  return d;
}

constexpr int kCriteria[] = {kMsChanged, kMsFrozen, kMsType, kMsLocked, kMsState, kMsLabel, kMsAttribute, kMsFileName};

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0;
  std::size_t star = kNoStar, starEnd = 0;  // the last '*' and the end of what it took
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      // A star takes at least one character.
      star = p++;
      starEnd = ++t;
    } else if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(text[t]))) {
      ++p;
      ++t;
    } else if (star != kNoStar) {
      // Back to the last star, which takes one character more.
      p = star + 1;
      t = ++starEnd;
    } else {
      return false;
    }
  }
  return p == pattern.size();
}

bool fileNameMatches(std::string_view patterns, std::string_view name) {
  std::size_t at = 0;
  while (at < patterns.size()) {
    const std::size_t start = patterns.find_first_not_of(", ;", at);
    if (start == std::string_view::npos) break;
    std::size_t end = patterns.find_first_of(", ;", start);
    if (end == std::string_view::npos) end = patterns.size();
    const std::string_view pattern = patterns.substr(start, end - start);
    at = end;
    std::string_view compared = name;
    if (pattern.front() != '/') {
      // The last n components, n one more than the pattern's separators.
      std::size_t n = 1 + static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '/'));
      std::size_t cut = name.size();
      while (n > 0 && cut != std::string_view::npos) {
        cut = cut == 0 ? std::string_view::npos : name.rfind('/', cut - 1);
        --n;
      }
      if (cut != std::string_view::npos) compared = name.substr(cut + 1);
    }
    if (wildcardMatch(pattern, compared)) return true;
  }
  return false;
}

bool labelMatches(std::string_view labels, std::string_view label) {
  if (label.empty()) return false;
  for (std::size_t at = labels.find(label); at != std::string_view::npos; at = labels.find(label, at + 1)) {
    const bool starts = at == 0 || labels[at - 1] == ' ';
    const std::size_t after = at + label.size();
    if (starts && (after == labels.size() || labels[after] == ' ')) return true;
  }
  return false;
}

bool attributeMatches(std::string_view criterion, const std::string& rules) {
  std::string name, value;
  splitCriterion(criterion, name, value);
  if (name.empty()) return false;
  std::vector<char> text(rules.begin(), rules.end());
  text.push_back('\0');
  constexpr int kMaxRules = 50;
  char* names[kMaxRules] = {};
  char* values[kMaxRules] = {};
  const int count = vcRuleSplit(text.data(), names, values, kMaxRules);
  for (int i = 0; i < count; ++i) {
    if (!names[i] || name != names[i]) continue;
    const std::string ruleValue = values[i] ? values[i] : "";
    if (ruleValue == value) return true;
  }
  return false;
}

const ui::DialogDescription& memberSelectDialogDescription() {
  static const ui::DialogDescription d = describe();
  return d;
}

void MemberSelectDialog::setUp(ui::DialogSurface& surface) {
  lockers_ = {std::string(kAllLockers)};
  for (const project::MemberRow& row : rows_) {
    if (row.locker) addOnce(lockers_, *row.locker);
    if (row.state) addOnce(states_, *row.state);
    if (row.labels) {
      std::size_t at = 0;
      const std::string& text = *row.labels;
      while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        addOnce(labels_, text.substr(start, end - start));
        at = end;
      }
    }
  }
  surface.setListItems(kMsTypeList, {"Archived", "Non-Archived", "Subproject"});
  surface.setSelection(kMsTypeList, {std::max(0, indexOf({"Archived", "Non-Archived", "Subproject"}, record_.typeText))});
  surface.setListItems(kMsLockerList, lockers_);
  char user[41] = {};
  vcGetSysInfo(VC_SYSINFO_USER, user, sizeof user - 1);
  // The user's own name, found exactly without regard to case.
  const std::string me = lowerText(user);
  int mine = 0;
  for (std::size_t i = 1; i < lockers_.size(); ++i)
    if (lowerText(lockers_[i]) == me) mine = static_cast<int>(i);
  surface.setSelection(kMsLockerList, {mine});
  surface.setListItems(kMsStateList, states_);
  surface.setListItems(kMsLabelList, labels_);
  if (!states_.empty()) surface.setSelection(kMsStateList, {0});
  if (!labels_.empty()) surface.setSelection(kMsLabelList, {0});
  for (int id : {kMsAll, kMsChanged, kMsFrozen, kMsType, kMsLocked, kMsState, kMsLabel, kMsAttribute, kMsFileName})
    surface.setChecked(id, false);
  surface.setChecked(kMsAnd, record_.logicalAnd);
  surface.setChecked(kMsOr, !record_.logicalAnd);
  surface.setText(kMsAttributeText, record_.attributeText);
  surface.setText(kMsFileNameText, record_.fileNameText);
  enableCriteria(surface, true);
  updateCombine(surface);
}

void MemberSelectDialog::enableCriteria(ui::DialogSurface& surface, bool enable) {
  for (int id : {kMsChanged, kMsFrozen, kMsType, kMsTypeList, kMsAttribute, kMsAttributeText, kMsFileName,
                 kMsFileNameText})
    surface.setEnabled(id, enable);
  const bool archives = app::hasPermission("OpenArchive");
  surface.setEnabled(kMsLocked, enable && archives);
  surface.setEnabled(kMsLockerList, enable && archives);
  surface.setEnabled(kMsState, enable && archives && !states_.empty());
  surface.setEnabled(kMsStateList, enable && archives && !states_.empty());
  surface.setEnabled(kMsLabel, enable && archives && !labels_.empty());
  surface.setEnabled(kMsLabelList, enable && archives && !labels_.empty());
}

void MemberSelectDialog::updateCombine(ui::DialogSurface& surface) {
  int ticked = 0;
  for (int id : kCriteria) ticked += surface.isChecked(id) ? 1 : 0;
  const bool on = ticked >= 2 && !surface.isChecked(kMsAll);
  for (int id : {kMsAnd, kMsOr, kMsCombineGroup}) surface.setEnabled(id, on);
}

void MemberSelectDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kMsAll: enableCriteria(surface, !surface.isChecked(kMsAll)); break;
    case kMsTypeList: surface.setChecked(kMsType, true); break;
    case kMsLockerList: surface.setChecked(kMsLocked, true); break;
    case kMsStateList: surface.setChecked(kMsState, true); break;
    case kMsLabelList: surface.setChecked(kMsLabel, true); break;
    default: break;
  }
  updateCombine(surface);
}

bool MemberSelectDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  record_.attributeText = surface.text(kMsAttributeText);
  record_.fileNameText = surface.text(kMsFileNameText);
  record_.all = surface.isChecked(kMsAll);
  record_.changed = surface.isChecked(kMsChanged);
  record_.frozen = surface.isChecked(kMsFrozen);
  record_.type = surface.isChecked(kMsType);
  record_.locked = surface.isChecked(kMsLocked) && surface.isEnabled(kMsLocked);
  record_.state = surface.isChecked(kMsState) && surface.isEnabled(kMsState);
  record_.label = surface.isChecked(kMsLabel) && surface.isEnabled(kMsLabel);
  record_.attribute = surface.isChecked(kMsAttribute);
  record_.fileName = surface.isChecked(kMsFileName);
  record_.logicalAnd = surface.isChecked(kMsAnd);
  record_.typeText = selectedText(surface, kMsTypeList);
  record_.locker = selectedText(surface, kMsLockerList);
  record_.stateText = selectedText(surface, kMsStateList);
  record_.labelText = selectedText(surface, kMsLabelList);
  return true;
}

std::vector<int> matchingRows(project::OpenProject& project, project::MemberView& view,
                              const TMemberSelectTransferStruct& r) {
  std::vector<int> out;
  const int count = view.rowCount();
  if (r.all) {
    for (int i = 0; i < count; ++i) out.push_back(i);
    return out;
  }
  char typeLetter = 0;
  if (r.typeText == "Archived") typeLetter = 'a';
  else if (r.typeText == "Non-Archived") typeLetter = 'f';
  else if (r.typeText == "Subproject") typeLetter = 'i';
  const bool type = r.type && typeLetter != 0;
  const bool anyLocker = r.locker == kAllLockers;
  const bool any = r.changed || r.frozen || type || r.locked || r.state || r.label || r.attribute || r.fileName;
  if (!any) return out;
  for (int i = 0; i < count; ++i) {
    project::MemberRow* row = view.findMemberItem(i, true);
    if (!row) continue;
    std::vector<bool> met;
    if (r.changed) met.push_back(row->changeMark == 1);
    if (r.frozen) met.push_back(row->frozen);
    if (type) met.push_back(row->type == typeLetter);
    if (r.locked)
      met.push_back((row->changeFlags & project::kLocked) != 0 &&
                    (anyLocker || (row->locker && !row->locker->empty() &&
                                   lowerText(*row->locker) == lowerText(r.locker))));
    if (r.state) met.push_back(row->state && *row->state == r.stateText);
    if (r.label) met.push_back(row->labels && labelMatches(*row->labels, r.labelText));
    if (r.attribute) {
      std::vector<char> rules(1025, '\0');
      const int rc = vcGetMember(project.project, VC_MEMBER_ITEM_RULES, rules.data(), 1024);
      if (rc != 0) {
        project.status = rc;
        project.showError(app::kStyleError);
        met.push_back(false);
      } else {
        met.push_back(attributeMatches(r.attributeText, rules.data()));
      }
    }
    if (r.fileName) {
      std::vector<char> name(513, '\0');
      const bool read = vcMemberWorkName(project.project, nullptr, nullptr, name.data(), 512) == 0;
      met.push_back(read && fileNameMatches(r.fileNameText, name.data()));
    }
    const bool matches = r.logicalAnd ? std::all_of(met.begin(), met.end(), [](bool b) { return b; })
                                      : std::any_of(met.begin(), met.end(), [](bool b) { return b; });
    if (matches) out.push_back(i);
  }
  return out;
}

void selectMembersCommand(commands::ProjectWindow& window) {
  project::OpenProject& project = window.project();
  project::MemberView& view = window.members();
  std::vector<project::MemberRow> rows;
  for (int i = 0; i < view.rowCount(); ++i)
    if (project::MemberRow* row = view.findMemberItem(i, false)) rows.push_back(*row);
  if (rows.empty()) return;
  TMemberSelectTransferStruct record;
  MemberSelectDialog logic(record, std::move(rows));
  if (project.ui().runDialog(memberSelectDialogDescription(), logic) != ui::kAnswerOk) return;
  window.selectRows(matchingRows(project, view, record));
}

void registerSelectMembers(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.items.selectMembers = selectMembersCommand;
}

}  // namespace orv::workbench::dialogs
