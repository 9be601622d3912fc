// The Compare Files dialog's logic (see compare_files.h).
#include "merge/compare_files.h"

#include <sys/stat.h>

#include <algorithm>

#include "merge/merge_settings.h"
#include "platform/sys/system_calls.h"

namespace orv::merge {

void CompareFiles::put(int side, const std::string& name, bool preserveFileCase) {
  const std::string n = caseAdjusted(name, preserveFileCase);
  auto& h = history_[side];
  h.erase(std::remove(h.begin(), h.end(), n), h.end());
  h.insert(h.begin(), n);
}

const std::string& CompareFiles::selected(int side) const {
  static const std::string none;
  return history_[side].empty() ? none : history_[side].front();
}

std::string CompareFiles::accept(const std::string& text1, const std::string& text2, const std::string& cwd,
                                 bool preserveFileCase, int* focus) {
  std::string full[2];
  const std::string* texts[2] = {&text1, &text2};
  for (int side = 0; side < 2; ++side) {
    const std::string& t = *texts[side];
    full[side] = !t.empty() && t[0] != '/' ? cwd + (cwd.empty() || cwd.back() == '/' ? "" : "/") + t : t;
    struct stat st {};
    if (t.empty() || orv::sys::calls().stat(full[side].c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
      if (focus) *focus = side == 0 ? 201 : 202;
      return side == 0 ? "Invalid filename or path for File 1." : "Invalid filename or path for File 2.";
    }
  }
  put(0, full[0], preserveFileCase);
  put(1, full[1], preserveFileCase);
  return {};
}

}  // namespace orv::merge
