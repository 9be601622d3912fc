// The state lists of the operation dialogs (see state_lists.h).
#include "workbench/dialogs/state_lists.h"

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"

namespace orv::workbench::dialogs {

namespace {

constexpr int kListSize = 256;
constexpr std::size_t kStateWidth = 39;

std::vector<std::string> wordsOf(const char* list) {
  std::vector<std::string> out;
  for (std::string_view word : app::listWords(list)) out.emplace_back(word);
  return out;
}

}  // namespace

std::vector<std::string> offeredStates() {
  char allowed[kListSize] = {};
  if (vcGetPermValue("AllowedStates", allowed, sizeof allowed) == 0) {
    std::vector<std::string> words = wordsOf(allowed);
    if (!words.empty()) return words;
  }
  char states[kListSize] = {};
  if (vcGetConfig("states", nullptr, 0, states, sizeof states) != 0) return {};
  return wordsOf(states);
}

bool statesConfigured() {
  char states[kListSize] = {};
  return vcGetConfig("states", nullptr, 0, states, sizeof states) == 0 && !app::listWords(states).empty();
}

InitialState initialState(int archive) {
  InitialState initial;
  char states[kListSize] = {};
  if (vcGetConfig("states", nullptr, 0, states, sizeof states) != 0) return initial;
  const std::vector<std::string> words = wordsOf(states);
  if (words.empty() || words.front().size() > kStateWidth) return initial;
  if (vcValidateToken(archive, VC_TOKEN_STATE, words.front().c_str()) != 0) return initial;
  initial.state = words.front();
  initial.fromList = true;
  return initial;
}

}  // namespace orv::workbench::dialogs
