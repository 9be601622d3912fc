// Which rows of a window kind's tree the user closed: kept in the settings
// file under the window kind's section ([Archive Window] or [Project
// Window]) as "TreeCollapsed", the keys of the closed rows (branch-point
// revisions, folders below the working folder) separated by "|", the
// latest last. Every other row opens as it is shown. The list keeps the
// latest kMaxCollapsed keys, so it cannot grow without end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv::workbench::views {

class TreeExpansion {
 public:
  static constexpr std::size_t kMaxCollapsed = 64;

  TreeExpansion(std::string settingsFile, std::string section);

  bool collapsed(std::string_view key) const;
  // Records that the row of key was closed or opened and stores the list:
  // 0, or the errno of a failed write. A key holding "|" is not kept.
  int setCollapsed(std::string_view key, bool collapsed);
  const std::vector<std::string>& keys() const { return keys_; }

 private:
  std::string file_;
  std::string section_;
  std::vector<std::string> keys_;
};

}  // namespace orv::workbench::views
