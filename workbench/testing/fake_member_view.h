// Member rows for tests of the project window's operations: the members
// of an open project, read from the library in member order, with the
// refreshes the operations ask for recorded.
#pragma once

#include <string>
#include <vector>

#include "vc/include/vc.h"
#include "workbench/layers.h"
#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_member_ops.h"

namespace orv::workbench::testing {

// The fakes stand in for the core's interfaces, whose names they use
// unqualified.
using namespace commands;

// Rows over the members of an open project, in member order.
class FakeView : public MemberView {
 public:
  explicit FakeView(OpenProject& project) : project_(project) { reload(); }
  void reload() {
    rows.clear();
    char name[600] = {};
    for (int rc = vcGetMember(project_.project, VC_MEMBER_ITEM_FIRST, name, sizeof name - 1); rc == 0;
         rc = vcGetMember(project_.project, VC_MEMBER_ITEM_NEXT, name, sizeof name - 1)) {
      MemberRow row;
      row.name = name;
      char kind[4] = {};
      vcGetMember(project_.project, VC_MEMBER_ITEM_KIND, kind, sizeof kind - 1);
      row.type = kind[0];
      char rev[80] = {};
      vcGetMember(project_.project, VC_MEMBER_ITEM_REVISION, rev, sizeof rev - 1);
      if (rev[0]) row.revision = rev;
      char frozen[4] = {};
      row.frozen = vcGetMember(project_.project, VC_MEMBER_ITEM_FROZEN, frozen, sizeof frozen - 1) == 0 && frozen[0];
      rows.push_back(row);
    }
  }
  MemberRow* findMemberItem(int index, bool moveCursor) override {
    if (index < 0 || index >= static_cast<int>(rows.size())) return nullptr;
    if (moveCursor) vcInProject(project_.project, rows[static_cast<std::size_t>(index)].name.c_str());
    return &rows[static_cast<std::size_t>(index)];
  }
  int rowCount() override { return static_cast<int>(rows.size()); }
  void refreshMembers(const int* list, int count) override {
    ++refreshes;
    refreshed.clear();
    if (!list) {
      reload();
      return;
    }
    for (int i = 0; i < count; ++i)
      if (list[i] != -1) refreshed.push_back(list[i]);
  }
  void updateCaption() override { caption = (project_.frozen ? "Frozen Project " : "Project ") + project_.name; }

  std::vector<MemberRow> rows;
  std::vector<int> refreshed;
  int refreshes = 0;
  std::string caption;

 private:
  OpenProject& project_;
};

}  // namespace orv::workbench::testing
