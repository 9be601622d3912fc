#include "workbench/views/member_tree.h"

namespace orv::workbench::views {

std::string_view treeMemberTypeText(char type) {
  switch (type) {
    case 'a': return "Archived";
    case 'f': return "Non-Archived";
    case 'i': return "Subproject";
    case 's': return "Subscribed";
    case 'u': return "Uses";
    default: return "Unknown";
  }
}

MemberTree::MemberTree(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

int MemberTree::place(int parent, Node node) {
  const int n = static_cast<int>(nodes_.size());
  node.parent = parent;
  std::vector<int>& siblings = parent == kTop ? top_ : children_[static_cast<std::size_t>(parent)];
  row_.push_back(static_cast<int>(siblings.size()));
  siblings.push_back(n);
  nodes_.push_back(std::move(node));
  children_.emplace_back();
  return n;
}

int MemberTree::folder(int parent, const std::string& key, std::string label) {
  if (auto found = folders_.find(key); found != folders_.end()) return found->second;
  const int n = place(parent, Node{parent, -1, std::move(label), key});
  folders_.emplace(key, n);
  return n;
}

std::vector<int> MemberTree::add(int member, std::string_view name) {
  const std::size_t before = nodes_.size();
  const std::size_t slash = name.rfind('/');
  const std::string_view dir = slash == std::string_view::npos ? std::string_view() : name.substr(0, slash);
  const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);

  int parent = kTop;
  const bool inside = !root_.empty() && (dir == root_ || (dir.size() > root_.size() && dir.starts_with(root_) &&
                                                          (root_ == "/" || dir[root_.size()] == '/')));
  if (inside) {
    // One folder row per component below the working folder.
    std::string_view rest = dir.substr(root_.size());
    std::string key;
    while (!rest.empty()) {
      if (rest.front() == '/') {
        rest.remove_prefix(1);
        continue;
      }
      const std::size_t end = rest.find('/');
      const std::string_view part = rest.substr(0, end);
      if (!key.empty()) key += '/';
      key += part;
      parent = folder(parent, key, std::string(part));
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
  } else if (!dir.empty()) {
    // Outside the working folder: one top row for the whole folder.
    parent = folder(kTop, std::string(dir), std::string(dir));
  }
  const int n = place(parent, Node{parent, member, std::string(file), std::string()});
  if (member >= 0) {
    if (memberNodes_.size() <= static_cast<std::size_t>(member)) memberNodes_.resize(static_cast<std::size_t>(member) + 1, -1);
    memberNodes_[static_cast<std::size_t>(member)] = n;
  }
  std::vector<int> made;
  for (std::size_t i = before; i < nodes_.size(); ++i) made.push_back(static_cast<int>(i));
  return made;
}

int MemberTree::nodeOfMember(int member) const {
  if (member < 0 || static_cast<std::size_t>(member) >= memberNodes_.size()) return -1;
  return memberNodes_[static_cast<std::size_t>(member)];
}

std::vector<int> MemberTree::preorder() const {
  std::vector<int> out;
  out.reserve(nodes_.size());
  std::vector<int> stack(top_.rbegin(), top_.rend());
  while (!stack.empty()) {
    const int n = stack.back();
    stack.pop_back();
    out.push_back(n);
    const auto& below = children_[static_cast<std::size_t>(n)];
    stack.insert(stack.end(), below.rbegin(), below.rend());
  }
  return out;
}

}  // namespace orv::workbench::views
