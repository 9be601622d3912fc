// The Promotion page: the ordered list of promotion states ("states"), which
// can be switched off without losing it (see config_pages.h).
#include <algorithm>

#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"
#include "workbench/dialogs/config_pages.h"
#include "workbench/dialogs/dialog_fields.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kStatesOption = "states";
constexpr std::size_t kStateLength = 79;

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = 300;
  d.title = "Promotion";
  d.helpContext = 3041;
  d.controls = {
      {kProEnable, K::checkBox, "&Enable Promotion", 1},
      {99, K::groupBox, "Promotion States", 2},
      {kProStates, K::moveableListBox, "", 2},
      {kProStateLabel, K::label, "&State:", 2},
      {kProState, K::lineEdit, "", 2},
      {kCfgAdd, K::pushButton, "&Add", 2},
      {kCfgDelete, K::pushButton, "&Delete", 2},
  };
  d.helpPairs = {{kProEnable, 3044}, {kProStateLabel, 3045}, {kProState, 3045},
                 {kCfgAdd, 3046},    {kCfgDelete, 3047},     {kProStates, 3048}};
  return d;
}

// The states of a list: words separated by commas, blanks and tabs.
std::vector<std::string> splitStates(const std::string& text) {
  std::vector<std::string> out;
  std::string word;
  for (char c : text + ' ') {
    if (c == ',' || c == ' ' || c == '\t') {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  return out;
}

}  // namespace

const ui::DialogDescription& PromotionPage::description() {
  static const ui::DialogDescription d = describe();
  return d;
}

PromotionPage::PromotionPage(ui::Ui& ui, const ConfigFiles& files) : ConfigPage(ui, files) {
  const unsigned flags = optionFlags(kStatesOption);
  states_ = splitStates(libraryString(kStatesOption));
  if (!states_.empty()) {
    on_ = true;
    heldElsewhere_ = (flags & VC_OPTION_POLICY) != 0;
  } else {
    on_ = false;
    states_ = splitStates(iniString(kSavedOptionsSection, kStatesOption, ""));
    if (states_.empty() && (flags & VC_OPTION_SAVED)) {
      // Switched off here with nothing parked: show what applies without
      // the personal blank (a global list), and switch it off again.
      dropLibraryOption(kStatesOption);
      states_ = splitStates(libraryString(kStatesOption));
      heldElsewhere_ = !states_.empty();
      switchOffLibraryOption(kStatesOption);
    }
  }
  readOn_ = on_;
}

std::string PromotionPage::joined() const {
  std::string text;
  for (const std::string& s : states_) text += s + " ";
  return text;
}

void PromotionPage::setUp(ui::DialogSurface& surface) {
  surface.setChecked(kProEnable, on_);
  surface.setListItems(kProStates, states_);
  surface.setText(kProState, "");
  surface.setEnabled(kCfgAdd, false);
  surface.setEnabled(kCfgDelete, false);
  disableIfLocked(surface, kStatesOption, {kProEnable, kProStateLabel, kProState, kProStates});
}

void PromotionPage::add(ui::DialogSurface& surface) {
  const std::string state = surface.text(kProState);
  if (state.empty()) return;
  if (state.size() > kStateLength || vcValidateToken(0, VC_TOKEN_STATE, state.c_str()) != 0) {
    app::rcsMessage(ui_, app::kStyleError, std::string(app::loadString(app::kStrBadState)));
    surface.setFocus(kProState);
    return;
  }
  if (std::find(states_.begin(), states_.end(), state) == states_.end()) {
    if (joined().size() + state.size() + 1 > kLongestJoined) {
      app::rcsMessage(ui_, app::kStyleError,
                      app::formatText("The list of states holds at most %zu characters; \"%s\" does not fit.",
                                      kLongestJoined, state.c_str()));
      surface.setFocus(kProState);
      return;
    }
    states_.push_back(state);
    changed_ = true;
    surface.setListItems(kProStates, states_);
  }
  surface.setText(kProState, "");
  surface.setEnabled(kCfgAdd, false);
}

void PromotionPage::command(ui::DialogSurface& surface, int id) {
  switch (id) {
    case kCfgAdd: add(surface); break;
    case kCfgDelete: {
      const std::vector<int> chosen = surface.selection(kProStates);
      if (!chosen.empty() && chosen.front() < static_cast<int>(states_.size())) {
        surface.setText(kProState, "");
        states_.erase(states_.begin() + chosen.front());
        changed_ = true;
        surface.setListItems(kProStates, states_);
      }
      surface.setEnabled(kCfgDelete, false);
      break;
    }
    case kProStates: {
      // A drag reorders the list: the order is the promotion order.
      const std::vector<std::string> shown = surface.listItems(kProStates);
      if (shown.size() == states_.size() && shown != states_) {
        states_ = shown;
        changed_ = true;
      }
      surface.setText(kProState, "");
      const std::vector<int> chosen = surface.selection(kProStates);
      if (!chosen.empty() && chosen.front() < static_cast<int>(states_.size())) {
        surface.setText(kProState, states_[static_cast<std::size_t>(chosen.front())]);
        surface.setEnabled(kCfgAdd, true);
        surface.setEnabled(kCfgDelete, surface.isEnabled(kProStates));
      }
      break;
    }
    case kProState: surface.setEnabled(kCfgAdd, !surface.text(kProState).empty()); break;
    default: break;
  }
}

int PromotionPage::defaultButton(const ui::DialogSurface& surface) const {
  return surface.text(kProState).empty() ? 0 : kCfgAdd;
}

bool PromotionPage::validate(ui::DialogSurface& surface) {
  if (!validateTokenFields(ui_, surface, {{kProState, app::TokenKind::optionalState}})) return false;
  if (!valueFits(surface, kProStates, joined(), "list of states")) return false;
  on_ = surface.isChecked(kProEnable);
  return true;
}

bool PromotionPage::apply() {
  const std::string text = joined();
  if (on_) {
    setIniString(kSavedOptionsSection, kStatesOption, "");
    if (changed_ || !readOn_) {
      if ((changed_ || !heldElsewhere_) && !text.empty()) setLibraryString(kStatesOption, text);
      else dropLibraryOption(kStatesOption);
    }
  } else {
    setIniString(kSavedOptionsSection, kStatesOption, !changed_ && heldElsewhere_ ? std::string() : text);
    switchOffLibraryOption(kStatesOption);
  }
  return true;
}

}  // namespace orv::workbench::dialogs
