// The tree form of a project window's members: the members' folders
// nested below the project's working folder, each member (archived files,
// plain files, sub-projects and sub-sandboxes) under its folder, in the
// library's member order. A member outside the working folder sits under
// a top row that names its whole folder. The member rows are those of the
// list form; the tree only places them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orv::workbench::views {

// The tree's name of a member type: "Archived", "Non-Archived",
// "Subproject", "Subscribed", "Uses", else "Unknown".
std::string_view treeMemberTypeText(char type);

class MemberTree {
 public:
  static constexpr int kTop = -1;

  struct Node {
    int parent = kTop;
    int member = -1;     // the member row's index; -1 for a folder
    std::string label;   // the folder's or the file's own name
    std::string key;     // a folder's path below the working folder (its whole path outside it)
  };

  // root: the folder the members' names are shown below ("" for none).
  explicit MemberTree(std::string root);

  // Places member row member with working-file name name: the new nodes,
  // the folders it needed first and then the member's own, each under a
  // node that was there before it.
  std::vector<int> add(int member, std::string_view name);

  std::size_t size() const { return nodes_.size(); }
  const Node& node(int n) const { return nodes_[static_cast<std::size_t>(n)]; }
  const std::vector<int>& children(int n) const {
    return n == kTop ? top_ : children_[static_cast<std::size_t>(n)];
  }
  int rowOf(int n) const { return row_[static_cast<std::size_t>(n)]; }
  bool isFolder(int n) const { return node(n).member < 0; }
  // The node of member row member, -1 when it is not placed.
  int nodeOfMember(int member) const;
  // Every node from the top down as a view shows them all open.
  std::vector<int> preorder() const;

 private:
  int place(int parent, Node node);
  int folder(int parent, const std::string& key, std::string label);

  std::string root_;
  std::vector<Node> nodes_;
  std::vector<std::vector<int>> children_;
  std::vector<int> top_;
  std::vector<int> row_;
  std::unordered_map<std::string, int> folders_;
  std::vector<int> memberNodes_;
};

}  // namespace orv::workbench::views
