// The file-list dialog's toolkit-free parts (see file_list.h).
#include "workbench/dialogs/file_list.h"

#include <fnmatch.h>
#include <strings.h>

#include <algorithm>

namespace orv::workbench::dialogs {

namespace {

FileListDialog& dialogSlot() {
  static FileListDialog dialog;
  return dialog;
}

}  // namespace

bool MemberList::contains(const std::string& path) const {
  return std::any_of(paths_.begin(), paths_.end(),
                     [&path](const std::string& p) { return ::strcasecmp(p.c_str(), path.c_str()) == 0; });
}

bool MemberList::add(const std::string& path) {
  if (path.empty() || contains(path)) return false;
  paths_.push_back(path);
  return true;
}

void MemberList::remove(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it)
    if (*it >= 0 && *it < static_cast<int>(paths_.size())) paths_.erase(paths_.begin() + *it);
}

std::vector<std::string> typedNamePatterns(std::string_view text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = text.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) break;
    std::size_t end = text.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = text.size();
    out.emplace_back(text.substr(start, end - start));
    at = end;
  }
  if (out.empty()) out.emplace_back("*");
  return out;
}

bool matchesAnyPattern(const std::string& name, const std::vector<std::string>& patterns) {
  return std::any_of(patterns.begin(), patterns.end(), [&name](const std::string& pattern) {
    return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
  });
}

std::vector<std::string> filterPatterns(std::string_view filter) {
  const std::size_t open = filter.rfind('(');
  const std::size_t close = filter.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {"*"};
  return typedNamePatterns(filter.substr(open + 1, close - open - 1));
}

void setFileListDialog(FileListDialog dialog) { dialogSlot() = std::move(dialog); }

std::optional<FileListAnswer> runFileListDialog(ui::Ui& ui, const FileListRequest& request) {
  if (!dialogSlot()) return std::nullopt;
  return dialogSlot()(ui, request);
}

}  // namespace orv::workbench::dialogs
