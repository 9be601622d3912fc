// The project and sandbox information dialogs (see project_info_dialog.h).
#include "workbench/dialogs/project_info_dialog.h"

#include <strings.h>

#include <algorithm>

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/commands/window_commands.h"

namespace orv::workbench::dialogs {

namespace {

constexpr int kTextSize = 1024;
constexpr std::string_view kDescriptionKey = "description=";

bool isSandboxDialog(int dialog) {
  return dialog == commands::kSandboxInformationDialog || dialog == commands::kFrozenSandboxInformationDialog ||
         dialog == commands::kHistoricalSandboxInformationDialog;
}

std::string titleOf(int dialog) {
  switch (dialog) {
    case commands::kFrozenProjectInformationDialog: return "Frozen Project Information";
    case commands::kHistoricalProjectInformationDialog: return "Historical Project Information";
    case commands::kSandboxInformationDialog: return "Sandbox Information";
    case commands::kFrozenSandboxInformationDialog: return "Frozen Sandbox Information";
    case commands::kHistoricalSandboxInformationDialog: return "Historical Sandbox Information";
    default: return "Project Information";
  }
}

ui::DialogDescription describe(int dialog) {
  using K = ui::ControlKind;
  const bool sandbox = isSandboxDialog(dialog);
  ui::DialogDescription d;
  d.id = dialog;
  d.title = titleOf(dialog);
  d.helpContext = kProjectInfoHelpContext;
  d.controls = {{kPiNameCaption, K::label, sandbox ? "Master Project:" : "Project:", 1}, {kPiName, K::label, "", 1}};
  if (sandbox) d.controls.insert(d.controls.end(), {{kPiSandboxCaption, K::label, "Sandbox:", 1}, {kPiSandboxName, K::label, "", 1}});
  d.controls.insert(d.controls.end(), {
      {kPiWorkDirCaption, K::label, "Working Directory:", 1},
      {kPiWorkDir, K::label, "", 1},
      {kPiMembersCaption, K::label, "Members:", 1},
      {kPiMembers, K::label, "", 1},
      {kPiLockedCaption, K::label, "Locked Members:", 1},
      {kPiLocked, K::label, "", 1},
      {kPiDescriptionCaption, K::label, "De&scription:", 2},
      {kPiDescription, K::lineEdit, "", 2},
  });
  if (sandbox)
    d.controls.insert(d.controls.end(), {{kPiMasterCaption, K::label, "Master Attributes:", 3},
                                         {kPiMasterAttributes, K::listBox, "", 3}});
  d.controls.insert(d.controls.end(), {
      {kPiAttributesCaption, K::label, sandbox ? "Sandbox A&ttributes:" : "A&ttributes:", 4},
      {kPiAttributes, K::listBox, "", 4},
      {kPiVariableCaption, K::label, "&Variable:", 5},
      {kPiVariable, K::lineEdit, "", 5},
      {kPiValueCaption, K::label, "Va&lue:", 5},
      {kPiValue, K::lineEdit, "", 5},
      {kPiAdd, K::pushButton, "&Add", 5},
      {kPiDelete, K::pushButton, "&Delete", 5},
      {kPiOk, K::defaultButton, "OK", 0},
      {kPiCancel, K::pushButton, "Cancel", 0},
      {kPiHelp, K::pushButton, "&Help", 0},
  });
  return d;
}

bool equalNoCase(const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) == 0; }

// The options that make a file a sandbox of its master: shown, never
// changed here, so that the sandbox keeps finding its master.
bool sandboxLink(const std::string& option) {
  const std::string name = option.substr(0, option.find('='));
  return equalNoCase(name, "masterproject") || equalNoCase(name, "revision");
}

unsigned optionFlags(int project, const std::string& text) {
  const std::string name = text.substr(0, text.find('='));
  std::vector<char> value(kTextSize + 1, '\0');
  unsigned flags = 0;
  if (vcProjectOptionGet(project, name.c_str(), value.data(), kTextSize, &flags) != 0) return 0;
  return flags;
}

// Every text of a first/next pair of project items.
std::vector<std::string> projectList(int project, int first, int next) {
  std::vector<std::string> out;
  std::vector<char> text(kTextSize + 1, '\0');
  for (int rc = vcGetProject(project, first, text.data(), kTextSize); rc == 0 && out.size() < 100000;
       rc = vcGetProject(project, next, text.data(), kTextSize)) {
    out.emplace_back(text.data());
    std::fill(text.begin(), text.end(), '\0');
  }
  return out;
}

// The text of a variable and value as one attribute.
std::string attributeText(const std::string& variable, const std::string& value) {
  if (value.empty()) return variable;
  const bool blank = equalNoCase(variable, "worktoarch") || equalNoCase(variable, "workmap");
  return variable + (blank ? " " : "=") + value;
}

// entry split at its first blank or '='.
void splitEntry(const std::string& entry, std::string& variable, std::string& value) {
  const std::size_t at = entry.find_first_of(" =");
  variable = entry.substr(0, at);
  value = at == std::string::npos ? "" : entry.substr(at + 1);
}

}  // namespace

const ui::DialogDescription& projectInfoDialogDescription(int dialog) {
  static const ui::DialogDescription descriptions[] = {
      describe(commands::kProjectInformationDialog),          describe(commands::kFrozenProjectInformationDialog),
      describe(commands::kHistoricalProjectInformationDialog), describe(commands::kSandboxInformationDialog),
      describe(commands::kFrozenSandboxInformationDialog),    describe(commands::kHistoricalSandboxInformationDialog)};
  for (const auto& d : descriptions)
    if (d.id == dialog) return d;
  return descriptions[0];
}

std::string optionDisplayForm(const std::string& text, unsigned flags) {
  std::string out;
  if (flags & VC_OPTION_ENFORCED) out += "enforce";
  if (flags & VC_OPTION_NO) out += "no";
  return out + text;
}

AddResult addAttribute(std::vector<AttributeEntry>& entries, const std::string& variable, const std::string& value) {
  AddResult r;
  if (variable.size() + value.size() + 1 > kAttributeLimit) {
    r.message = app::formatText(
        "The attribute you have entered is too long.  The combined length of the Variable and Value fields must not "
        "exceed %d characters.",
        static_cast<int>(kAttributeLimit));
    return r;
  }
  if (variable.empty()) return r;
  if (equalNoCase(variable, "frozen")) {
    r.message = "To freeze the project, select the Freeze command from the Project menu";
    r.hint = true;
    return r;
  }
  const std::string text = attributeText(variable, value);
  // The text is checked before anything is removed: a refused replacement
  // keeps the old attribute.
  if (vcValidateToken(0, VC_TOKEN_CONFIG_LINE, text.c_str()) != 0) {
    r.message =
        "Illegal Attribute. Must be one of the following forms:\nVariable\nVariable=Value\nVariable and Value are "
        "alphanumeric characters, leading alphabetic character.";
    return r;
  }
  auto same = std::find_if(entries.begin(), entries.end(),
                           [&](const AttributeEntry& e) { return e.editable && equalNoCase(e.text, variable); });
  if (same == entries.end())
    same = std::find_if(entries.begin(), entries.end(), [&](const AttributeEntry& e) {
      return e.editable && e.text.size() > variable.size() && e.text[variable.size()] == '=' &&
             equalNoCase(e.text.substr(0, variable.size()), variable);
    });
  if (same != entries.end()) entries.erase(same);
  entries.push_back({text, true});
  r.added = true;
  return r;
}

ProjectInfoDialog::ProjectInfoDialog(ui::Ui& ui, project::OpenProject& project, int dialog)
    : ui_(ui), project_(project), dialog_(dialog), sandbox_(isSandboxDialog(dialog)) {
  mayProject_ = !sandbox_ && app::hasPermission("ModifyProject") && !project.historical && !project.frozen;
  maySandbox_ = sandbox_ && app::hasPermission("ModifySandbox") && !project.historical && !project.frozen;
  readAttributes();
}

void ProjectInfoDialog::readAttributes() {
  const int p = project_.project;
  if (!sandbox_) {
    for (const std::string& option : projectList(p, VC_PROJECT_ITEM_FIRST_OPTION, VC_PROJECT_ITEM_NEXT_OPTION)) {
      if (option.rfind(kDescriptionKey, 0) == 0) {
        description_ = option.substr(kDescriptionKey.size());
        continue;
      }
      if (option == "frozen") continue;
      const unsigned flags = optionFlags(p, option);
      entries_.push_back({optionDisplayForm(option, flags), (flags & VC_OPTION_POLICY) == 0});
    }
    for (const std::string& entry :
         projectList(p, VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH, VC_PROJECT_ITEM_OWN_NEXT_WORKTOARCH))
      entries_.push_back({entry, true});
    for (const std::string& entry :
         projectList(p, VC_PROJECT_ITEM_SECURITY_FIRST_WORKTOARCH, VC_PROJECT_ITEM_SECURITY_NEXT_WORKTOARCH))
      entries_.push_back({entry, false});
  } else {
    // The master's attributes, read from the master project opened on its
    // own, without touching the library's current project.
    const std::string masterName = project::projectText(p, VC_PROJECT_ITEM_FILE);
    int master = 0;
    const int rc = project_.revision
                       ? vcOpenRevProject(masterName.c_str(), project_.revision->c_str(), VC_PROJECT_OPEN_MODIFY,
                                          &master, 0)
                       : vcOpenProject(masterName.c_str(), VC_PROJECT_OPEN_MODIFY, &master, 0);
    if (rc == 0) {
      for (const std::string& option :
           projectList(master, VC_PROJECT_ITEM_FIRST_OPTION, VC_PROJECT_ITEM_NEXT_OPTION)) {
        if (option.rfind(kDescriptionKey, 0) == 0) {
          description_ = option.substr(kDescriptionKey.size());
          continue;
        }
        if (option == "frozen") continue;
        master_.push_back(optionDisplayForm(option, optionFlags(master, option)));
      }
      for (const std::string& entry :
           projectList(master, VC_PROJECT_ITEM_FIRST_WORKTOARCH, VC_PROJECT_ITEM_NEXT_WORKTOARCH))
        master_.push_back(entry);
      vcCloseProject(master);
    }
    for (const std::string& option :
         projectList(p, VC_PROJECT_ITEM_SANDBOX_FIRST_OPTION, VC_PROJECT_ITEM_SANDBOX_NEXT_OPTION)) {
      if (option.rfind(kDescriptionKey, 0) == 0) {
        description_ = option.substr(kDescriptionKey.size());
        continue;
      }
      entries_.push_back({optionDisplayForm(option, optionFlags(p, option)), !sandboxLink(option)});
    }
    for (const std::string& entry :
         projectList(p, VC_PROJECT_ITEM_SANDBOX_FIRST_WORKTOARCH, VC_PROJECT_ITEM_SANDBOX_NEXT_WORKTOARCH))
      entries_.push_back({entry, true});
  }
  original_ = entries_;
}

void ProjectInfoDialog::showEntries(ui::DialogSurface& surface) {
  std::vector<std::string> texts;
  for (const AttributeEntry& e : entries_) texts.push_back(e.text);
  surface.setListItems(kPiAttributes, texts);
}

void ProjectInfoDialog::setUp(ui::DialogSurface& surface) {
  const int p = project_.project;
  surface.setText(kPiName, project::projectText(p, VC_PROJECT_ITEM_FILE));
  if (sandbox_) surface.setText(kPiSandboxName, project::projectText(p, VC_PROJECT_ITEM_SANDBOX));
  surface.setText(kPiWorkDir, !project_.workDirectory.empty() ? project_.workDirectory : project_.projectDirectory);
  surface.setText(kPiMembers, std::to_string(project_.memberCount));
  surface.setText(kPiLocked, std::to_string(project_.lockedCount));
  surface.setText(kPiDescription, description_);
  surface.setEnabled(kPiDescription, mayProject_);
  // Add takes what is typed (an empty variable adds nothing), so it is
  // there whenever the user may edit.
  surface.setEnabled(kPiAdd, mayEdit());
  surface.setEnabled(kPiDelete, false);
  for (int id : {kPiVariableCaption, kPiVariable, kPiValueCaption, kPiValue}) surface.setEnabled(id, mayEdit());
  if (sandbox_) surface.setListItems(kPiMasterAttributes, master_);
  showEntries(surface);
}

void ProjectInfoDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kPiAttributes:
    case kPiMasterAttributes: {
      const auto rows = surface.selection(controlId);
      surface.setText(kPiVariable, "");
      surface.setText(kPiValue, "");
      if (rows.empty()) break;
      const std::size_t row = static_cast<std::size_t>(rows.front());
      std::string variable, value;
      if (controlId == kPiAttributes && row < entries_.size()) {
        splitEntry(entries_[row].text, variable, value);
        surface.setEnabled(kPiDelete, mayEdit() && entries_[row].editable);
      } else if (controlId == kPiMasterAttributes && row < master_.size()) {
        const std::size_t eq = master_[row].find('=');
        variable = master_[row].substr(0, eq);
        value = eq == std::string::npos ? "" : master_[row].substr(eq + 1);
        surface.setEnabled(kPiDelete, false);
      }
      surface.setText(kPiVariable, variable);
      surface.setText(kPiValue, value);
      surface.setEnabled(kPiAdd, mayEdit());
      break;
    }
    case kPiAdd: {
      if (!mayEdit()) break;
      const AddResult r = addAttribute(entries_, surface.text(kPiVariable), surface.text(kPiValue));
      if (!r.message.empty()) {
        if (r.hint) {
          app::showText(ui_, ui::MessageIcon::none, r.message);
        } else {
          app::rcsMessage(ui_, app::kStyleError, r.message);
          surface.setFocus(kPiVariable);
          break;
        }
      }
      showEntries(surface);
      if (r.added || r.hint) {
        surface.setText(kPiVariable, "");
        surface.setText(kPiValue, "");
      }
      surface.setFocus(kPiVariable);
      surface.setSelection(kPiAttributes, {});
      surface.setEnabled(kPiDelete, false);
      break;
    }
    case kPiDelete: {
      const auto rows = surface.selection(kPiAttributes);
      if (!rows.empty() && static_cast<std::size_t>(rows.front()) < entries_.size() &&
          entries_[static_cast<std::size_t>(rows.front())].editable) {
        surface.setText(kPiVariable, "");
        surface.setText(kPiValue, "");
        entries_.erase(entries_.begin() + rows.front());
        showEntries(surface);
      }
      surface.setEnabled(kPiDelete, false);
      surface.setFocus(entries_.empty() ? kPiOk : kPiVariable);
      break;
    }
    default: break;
  }
}

bool ProjectInfoDialog::write(const std::string& description) {
  const int p = project_.project;
  bool ok = true;
  auto check = [&](int rc) {
    if (rc == 0) return;
    project_.status = rc;
    project_.showError(app::kStyleError);
    ok = false;
  };
  if (!sandbox_) {
    for (const std::string& option :
         projectList(p, VC_PROJECT_ITEM_OWN_FIRST_OPTION, VC_PROJECT_ITEM_OWN_NEXT_OPTION)) {
      const std::string name = option.substr(0, option.find('='));
      check(vcProjectOptionDrop(p, name.c_str()));
    }
    for (const std::string& entry :
         projectList(p, VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH, VC_PROJECT_ITEM_OWN_NEXT_WORKTOARCH))
      check(vcProjectOptionDrop(p, entry.substr(0, entry.find('=')).c_str()));
    if (!description.empty()) check(vcProjectOptionSet(p, (std::string(kDescriptionKey) + description).c_str(), 1));
  } else {
    for (const std::string& option :
         projectList(p, VC_PROJECT_ITEM_SANDBOX_FIRST_OPTION, VC_PROJECT_ITEM_SANDBOX_NEXT_OPTION)) {
      if (sandboxLink(option)) continue;
      const std::string name = option.substr(0, option.find('='));
      check(vcProjectOptionDrop(p, name.c_str()));
    }
    for (const std::string& entry :
         projectList(p, VC_PROJECT_ITEM_SANDBOX_FIRST_WORKTOARCH, VC_PROJECT_ITEM_SANDBOX_NEXT_WORKTOARCH))
      check(vcProjectOptionDrop(p, entry.substr(0, entry.find('=')).c_str()));
  }
  for (const AttributeEntry& e : entries_)
    if (e.editable && !e.text.empty()) check(vcProjectOptionSet(p, e.text.c_str(), 1));
  return ok;
}

bool ProjectInfoDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  if (!mayEdit()) {
    surface.end(ui::kAnswerCancel);
    return false;
  }
  const std::string description = sandbox_ ? description_ : surface.text(kPiDescription);
  auto sameEntries = [](const std::vector<AttributeEntry>& a, const std::vector<AttributeEntry>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
             return x.text == y.text && x.editable == y.editable;
           });
  };
  // Nothing changed: nothing is written, and the project log stays as it is.
  if (description == description_ && sameEntries(entries_, original_)) return true;
  if (!write(description) || project_.save() != 0) {
    // What was set so far is thrown away: the file still holds every
    // attribute as before.
    project_.reopen();
    result_ = -1;
  }
  return true;
}

int runProjectInformation(project::OpenProject& project, int dialog) {
  ProjectInfoDialog logic(project.ui(), project, dialog);
  project.ui().runDialog(projectInfoDialogDescription(dialog), logic);
  return logic.result();
}

void registerProjectInformation(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.items.projectInformation = runProjectInformation;
}

}  // namespace orv::workbench::dialogs
