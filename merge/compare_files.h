// The Compare Files dialog's logic: the two name histories of the run (a
// name put in stands once, at the top, selected) and the check on OK (each
// name must name an existing file; it becomes a full path, case-adjusted,
// and goes to the top of its history).
#pragma once

#include <string>
#include <vector>

namespace orv::merge {

class CompareFiles {
 public:
  // side 0 file 1, 1 file 2.
  void put(int side, const std::string& name, bool preserveFileCase);
  const std::vector<std::string>& history(int side) const { return history_[side]; }
  const std::string& selected(int side) const;

  // The OK button: "" when both names are good (they are then put in), else
  // the message, with the control to focus (201 or 202) in *focus.
  std::string accept(const std::string& text1, const std::string& text2, const std::string& currentDirectory,
                     bool preserveFileCase, int* focus);

 private:
  std::vector<std::string> history_[2];
};

}  // namespace orv::merge
