// The pending label changes (see pending_labels.h).
#include "workbench/dialogs/pending_labels.h"

#include <algorithm>

namespace orv::workbench::dialogs {

bool PendingLabels::withdraw(const std::string& label) {
  const auto it = std::find_if(changes_.begin(), changes_.end(),
                               [&label](const std::string& c) { return c.compare(1, std::string::npos, label) == 0; });
  if (it == changes_.end()) return false;
  changes_.erase(it);
  return true;
}

PendingLabels::AddOutcome PendingLabels::add(const std::string& label, const std::string& labelRevision,
                                             const std::string& shown) {
  if (labelRevision == shown) {
    // Already here: a pending drop of it is withdrawn.
    return withdraw(label) ? AddOutcome::added : AddOutcome::nothing;
  }
  if (!labelRevision.empty()) {
    if (std::find(changes_.begin(), changes_.end(), ">" + label) != changes_.end()) return AddOutcome::nothing;
    return AddOutcome::askToMove;
  }
  if (std::find(changes_.begin(), changes_.end(), "+" + label) != changes_.end()) return AddOutcome::nothing;
  changes_.push_back("+" + label);
  return AddOutcome::added;
}

void PendingLabels::move(const std::string& label) {
  withdraw(label);
  changes_.push_back(">" + label);
}

bool PendingLabels::remove(const std::string& label, const std::string& labelRevision, const std::string& shown) {
  if (labelRevision.empty() || labelRevision == shown) {
    if (!withdraw(label)) changes_.push_back("-" + label);
    return true;
  }
  return withdraw(label);
}

}  // namespace orv::workbench::dialogs
