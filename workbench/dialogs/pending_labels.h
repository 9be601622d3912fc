// The label changes a dialog gathers for one revision before OK applies
// them: "+L" adds label L to the revision, "-L" drops it, ">L" moves it
// here from another revision. A change of mind withdraws the pending
// change instead of stacking a second one, so that deleting a label and
// adding it again leaves the label where it was.
#pragma once

#include <string>
#include <vector>

namespace orv::workbench::dialogs {

class PendingLabels {
 public:
  // What Add does with label, which the archive has on labelRevision (empty
  // when it has no such label), for the revision shown.
  enum class AddOutcome { nothing, added, askToMove };
  AddOutcome add(const std::string& label, const std::string& labelRevision, const std::string& shown);
  // After the user agreed to move label here.
  void move(const std::string& label);
  // Delete: false (nothing changes) when label lies on another revision
  // and nothing is pending for it.
  bool remove(const std::string& label, const std::string& labelRevision, const std::string& shown);

  bool empty() const { return changes_.empty(); }
  void clear() { changes_.clear(); }
  const std::vector<std::string>& changes() const { return changes_; }

 private:
  bool withdraw(const std::string& label);

  std::vector<std::string> changes_;
};

}  // namespace orv::workbench::dialogs
