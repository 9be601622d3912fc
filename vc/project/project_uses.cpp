// The project's dependency graph and its ".use" cache file: making the
// graph with the member nodes, reading the cache when a project opens and
// writing it when the project is saved (or on vcSaveUses).
#include "vc/project/project_uses.h"

#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/paths/path_name.h"
#include "vc/project/project_log.h"
#include "vc/project/project_members.h"
#include "platform/fs/replace_file.h"
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace vc {
namespace {

// A hexadecimal field of a cache line; an empty or bad field counts 0.
std::uint32_t hexField(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

// The absolute name a cache line means: a leading variable expanded and a
// relative directory taken from the project directory, as member names are.
std::string cacheLineName(VcInstance& inst, VcProject& p, const std::string& written) {
  VcMember probe;
  const std::string name = normalizePath(written, true);
  const std::size_t slash = name.rfind('/');
  if (slash == std::string::npos) {
    probe.name = name;
  } else {
    probe.directory = name.substr(0, slash == 0 ? 1 : slash);
    probe.name = name.substr(slash + 1);
  }
  return fullMemberName(inst, p, probe);
}

// Splits a cache line into at most count fields (the last takes the rest).
std::vector<std::string> cacheFields(std::string_view line, std::size_t count) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  while (pos < line.size() && fields.size() < count) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size()) break;
    if (fields.size() + 1 == count) {
      fields.emplace_back(line.substr(pos));
      break;
    }
    fields.push_back(takeMemberField(line, pos));
  }
  return fields;
}

std::string nodeCacheName(const VcUsesNode& node) {
  return node.member ? cacheMemberName(*node.member) : quotedField(node.name);
}

void writeNode(const VcUsesGraph& graph, VcUsesNode& start, std::string& out) {
  auto emit = [&](VcUsesNode& node) {
    if (graph.visited(node)) return false;
    graph.visit(node);
    if (node.allZero() && node.dependencies.empty()) return false;
    out += cacheRecordLine(nodeCacheName(node), node);
    char time[16];
    for (const VcUsesNode* dep : node.dependencies) {
      std::snprintf(time, sizeof time, " %" PRIx32 "\n", dep->recordedTime);
      out += "!" + nodeCacheName(*dep) + time;
    }
    return true;
  };
  // Depth first in dependency order, without recursion: deep include
  // chains must not exhaust the stack.
  if (!emit(start)) return;
  std::vector<std::pair<const VcUsesNode*, std::size_t>> path{{&start, 0}};
  while (!path.empty()) {
    auto& [node, index] = path.back();
    if (index >= node->dependencies.size()) {
      path.pop_back();
      continue;
    }
    VcUsesNode* dep = node->dependencies[index++];
    if (emit(*dep)) path.emplace_back(dep, 0);
  }
}

}  // namespace

VcUsesGraph& usesOf(VcInstance& inst, VcProject& p) {
  if (!p.uses) {
    p.uses = std::make_unique<VcUsesGraph>();
    p.uses->reserve(p.file.members.size());
    for (VcMember& m : p.file.members) {
      memberNode(inst, p, m);
      treeNode(inst, p, m, true);
    }
    if (p.usesPending) {
      p.usesPending = false;
      const std::string text = std::move(p.pendingUses);
      p.pendingUses.clear();
      readUsesText(inst, p, text);
    }
  }
  return *p.uses;
}

void settleUses(VcInstance& inst, VcProject& p) {
  if (p.usesPending) usesOf(inst, p);
}

VcUsesNode* memberNode(VcInstance& inst, VcProject& p, VcMember& m) {
  if (m.node) return m.node;
  VcUsesGraph& graph = usesOf(inst, p);
  if (m.node) return m.node;  // made with the graph
  VcUsesNode* node = graph.obtain(fullMemberName(inst, p, m));
  node->flags |= kNodeMember;
  node->member = &m;
  ++node->memberLinks;
  m.node = node;
  return node;
}

VcUsesNode* treeNode(VcInstance& inst, VcProject& p, VcMember& m, bool create) {
  VcUsesNode* own = memberNode(inst, p, m);
  if (!p.throughSandbox) return own;
  const std::string path = workMemberName(inst, p, m, nullptr);
  if (pathsEqual(path, own->name)) return own;
  VcUsesNode* node = create ? p.uses->obtain(path) : p.uses->find(path);
  if (node) node->flags |= kNodeMember;
  return node;
}

VcUsesNode* dependencyNode(VcInstance& inst, VcProject& p, VcMember& m) {
  VcUsesNode* tree = treeNode(inst, p, m, false);
  if (tree && !tree->dependencies.empty()) return tree;
  VcUsesNode* own = memberNode(inst, p, m);
  return own;
}

void forgetMemberNode(VcProject& p, VcMember& m) {
  VcUsesNode* node = std::exchange(m.node, nullptr);
  if (!node || !p.uses) return;
  if (node->memberLinks > 1) {
    // Another member of the name (letter case apart) still stands on it.
    --node->memberLinks;
    if (node->member == &m) node->member = nullptr;
    return;
  }
  p.uses->remove(node);
}

void takePresentState(VcInstance& inst, VcProject& p, VcMember& m) {
  VcUsesNode& node = *memberNode(inst, p, m);
  m.flags &= ~static_cast<std::uint32_t>(VC_MEMBER_STATUS_WORK_MISSING | VC_MEMBER_STATUS_WORK_UNREADABLE);
  const FileFacts f = fileFacts(workMemberName(inst, p, m, nullptr), true);
  if (f.statError) {
    m.flags |= VC_MEMBER_STATUS_WORK_MISSING;
    node.currentSize = node.currentSum = node.currentTime = 0;
  } else {
    node.currentSize = f.size;
    node.currentTime = f.time;
    if (f.readError) {
      m.flags |= VC_MEMBER_STATUS_WORK_UNREADABLE;
      inst.extraError = f.readError;
    } else {
      node.currentSum = f.sum;
    }
  }
  node.recordedSize = node.currentSize;
  node.recordedSum = node.currentSum;
  node.recordedTime = node.currentTime;
}

std::string printableName(const VcUsesNode& node) {
  return node.member ? storedMemberName(*node.member) : node.name;
}

std::string useCacheName(const VcProject& p) {
  return withExtension(p.throughSandbox ? p.sandboxPath : p.path, ".use");
}

std::string cacheMemberName(const VcMember& m) {
  std::string name;
  if (!m.directory.empty() && m.directory != ".") {
    name = quotedField(m.directory);
    if (m.directory.back() != '/') name += '/';
  }
  return name + quotedField(m.name);
}

std::string cacheRecordLine(const std::string& name, const VcUsesNode& node) {
  char numbers[48];
  std::snprintf(numbers, sizeof numbers, " %" PRIx32 " %" PRIx32 " %" PRIx32, node.recordedSum,
                node.recordedSize, node.recordedTime);
  std::string line = name + numbers;
  if (node.revision && !node.revision->empty()) line += " " + *node.revision;
  return line + "\n";
}

int loadUses(VcInstance& inst, VcProject& p) {
  std::string text;
  if (orv::sys::readWholeFile(useCacheName(p), text) != 0) text.clear();  // none yet, or unreadable
  // A call from the open's own callbacks may have made the graph already.
  if (p.uses) {
    readUsesText(inst, p, text);
    return 0;
  }
  // Else only kept: most opens never need the graph, and a large
  // project's graph costs more to make than the rest of its open.
  p.pendingUses = std::move(text);
  p.usesPending = true;
  return 0;
}

void readUsesText(VcInstance& inst, VcProject& p, std::string_view text) {
  VcUsesGraph& graph = usesOf(inst, p);
  VcUsesNode* last = nullptr;
  forEachTextLine(text, [&](std::string_view line) {
    if (!line.empty() && line[0] == '!') {
      if (!last) return true;
      const std::vector<std::string> f = cacheFields(line.substr(1), 2);
      if (f.empty() || f[0].empty()) return true;
      VcUsesNode* dep = graph.obtain(cacheLineName(inst, p, f[0]));
      dep->recordedTime = f.size() > 1 ? hexField(f[1]) : 0;
      dep->flags |= kNodeIncluded;
      if (dep != last) last->link(dep);
      return true;
    }
    const std::vector<std::string> f = cacheFields(line, 5);
    if (f.size() < 4 || f[0].empty()) return true;
    VcUsesNode* node = graph.obtain(cacheLineName(inst, p, f[0]));
    node->recordedSum = hexField(f[1]);
    node->recordedSize = hexField(f[2]);
    node->recordedTime = hexField(f[3]);
    if (f.size() > 4 && !f[4].empty())
      node->revision = f[4];
    else
      node->revision.reset();
    last = node;
    return true;
  });
}

std::string usesText(VcInstance& inst, VcProject& p) {
  std::string out;
  if (!p.uses) return out;
  p.uses->beginWalk();
  for (VcMember& m : p.file.members) {
    if (!m.node) continue;
    writeNode(*p.uses, *m.node, out);
    // Through a sandbox, what was scanned is the sandbox's copy: it is kept
    // too, under its own path.
    if (p.throughSandbox)
      if (VcUsesNode* tree = treeNode(inst, p, m, false); tree && tree != m.node) writeNode(*p.uses, *tree, out);
  }
  return out;
}

int saveUses(VcInstance& inst, VcProject& p) {
  settleUses(inst, p);
  if (!p.uses || !p.usesCache) return 0;
  // Written unnamed and linked in when complete, as the project file is:
  // a process killed during the save leaves the old cache and nothing else.
  const std::string text = usesText(inst, p);
  orv::fs::AtomicFileWriter writer;
  int e = writer.begin(useCacheName(p), 0666, orv::fs::Durability::Durable);
  if (!e) e = writer.write(text);
  if (!e) e = writer.commit();
  if (e) return fail(inst, err::kUseCacheWrite, e);
  p.usesChanged = false;
  return 0;
}

void doneUses(VcProject& p) {
  for (VcMember& m : p.file.members) m.node = nullptr;
  p.uses.reset();
  p.usesPending = false;
  p.pendingUses.clear();
  p.pendingUses.shrink_to_fit();
}

}  // namespace vc
