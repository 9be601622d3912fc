// The dependency graph's nodes and the file facts they hold.
#include "vc/project/uses_graph.h"

#include "platform/sys/system_calls.h"

#include <algorithm>
#include <cerrno>

namespace vc {

bool VcUsesNode::dependsOn(const VcUsesNode* other) const {
  return std::find(dependencies.begin(), dependencies.end(), other) != dependencies.end();
}

void VcUsesNode::unlinkAll() {
  for (VcUsesNode* dep : dependencies) {
    auto it = dep->dependents.find(this);
    if (it != dep->dependents.end() && --it->second == 0) dep->dependents.erase(it);
  }
  dependencies.clear();
}

std::string VcUsesGraph::key(std::string_view name) {
  std::string k(name);
  for (char& c : k) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '\\') c = '/';
  }
  return k;
}

VcUsesNode* VcUsesGraph::find(std::string_view name) const {
  auto it = nodes_.find(key(name));
  return it == nodes_.end() ? nullptr : const_cast<VcUsesNode*>(&it->second);
}

VcUsesNode* VcUsesGraph::obtain(const std::string& name) {
  auto [it, fresh] = nodes_.try_emplace(key(name));
  if (fresh) it->second.name = name;
  return &it->second;
}

void VcUsesGraph::rename(VcUsesNode* node, const std::string& name) {
  auto old = nodes_.find(key(node->name));
  if (old == nodes_.end() || &old->second != node) return;
  ++generation_;
  // Taken out and filed again under the new name: the node stays where it
  // is, so every link to it still holds.
  auto held = nodes_.extract(old);
  held.mapped().name = name;
  held.key() = key(name);
  auto slot = nodes_.find(held.key());
  if (slot != nodes_.end()) {
    // A node of that name came in through an include: its links now lead
    // to the member's node, and its own go with it.
    VcUsesNode* gone = &slot->second;
    gone->unlinkAll();
    for (auto& [other, count] : gone->dependents) {
      std::replace(other->dependencies.begin(), other->dependencies.end(), gone, node);
      node->dependents[other] += count;
    }
    nodes_.erase(slot);
  }
  nodes_.insert(std::move(held));
}

void VcUsesGraph::remove(VcUsesNode* node) {
  ++generation_;
  for (auto& [other, count] : node->dependents) {
    if (other == node) continue;
    auto& deps = other->dependencies;
    deps.erase(std::remove(deps.begin(), deps.end(), node), deps.end());
  }
  node->dependents.clear();
  node->unlinkAll();
  auto filed = nodes_.find(key(node->name));
  if (filed != nodes_.end() && &filed->second == node) {
    nodes_.erase(filed);
    return;
  }
  for (auto it = nodes_.begin(); it != nodes_.end(); ++it)
    if (&it->second == node) {
      nodes_.erase(it);
      return;
    }
}

std::uint32_t byteSum(std::string_view bytes) {
  std::uint32_t sum = 0;
  for (unsigned char c : bytes) sum += c;
  return sum;
}

FileFacts fileFacts(const std::string& path, bool withSum) {
  FileFacts f;
  struct stat st {};
  if (orv::sys::calls().stat(path.c_str(), &st) != 0) {
    f.statError = errno ? errno : ENOENT;
    return f;
  }
  f.size = static_cast<std::uint32_t>(st.st_size);
  f.time = static_cast<std::uint32_t>(st.st_mtime);
  if (!withSum) return f;
  std::string bytes;
  if (int e = orv::sys::readWholeFile(path, bytes))
    f.readError = e;
  else
    f.sum = byteSum(bytes);
  return f;
}

}  // namespace vc
