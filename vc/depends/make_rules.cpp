// Make rules of members and vcWriteDepends, which writes them after the
// generated-dependencies marker of a makefile (or through a template).
//
// The makefile is read whole and the new one replaces it whole through a
// temporary file renamed over it, so a failure leaves the old makefile as
// it was and no temporary file behind. Only a makefile that does not exist
// counts as empty; one that cannot be read is never overwritten.
#include "vc/depends/make_rules.h"

#include "vc/project/project_uses.h"
#include "vc/depends/scan_settings.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/project/project_members.h"
#include "platform/fs/replace_file.h"
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <cstring>

namespace vc {
namespace {

constexpr std::string_view kOldMarker =
    "### ORVRCS generated dependencies follow, do not remove/change this line";
constexpr std::string_view kMarker =
    "### ORV TY generated dependencies follow, do not remove/change this line";

bool isMarker(std::string_view line) {
  return line.substr(0, kMarker.size()) == kMarker || line.substr(0, kOldMarker.size()) == kOldMarker;
}

// The node a member's rule is made from.
VcUsesNode* ruleNode(VcInstance& inst, VcProject& p, VcMember& m) {
  if (!m.node) return nullptr;
  if (p.throughSandbox) {
    const std::string inTree = workMemberName(inst, p, m, nullptr);
    struct stat st {};
    if (orv::sys::calls().stat(inTree.c_str(), &st) == 0)
      if (VcUsesNode* tree = p.uses ? p.uses->find(inTree) : nullptr) return tree;
  }
  return m.node;
}

void appendDependencies(const VcUsesGraph& graph, const VcUsesNode& node, int flags, std::string& out,
                        std::size_t& column) {
  // Depth first in list order, each node once, without recursion.
  std::vector<std::pair<const VcUsesNode*, std::size_t>> path{{&node, 0}};
  while (!path.empty()) {
    auto& [at, index] = path.back();
    if (index >= at->dependencies.size()) {
      path.pop_back();
      continue;
    }
    VcUsesNode* dep = at->dependencies[index++];
    if (graph.visited(*dep)) continue;
    graph.visit(*dep);
    if ((flags & kDependsAll) || (dep->flags & kNodeMember)) appendWrapped(out, column, makeRuleName(dep->name));
    path.emplace_back(dep, 0);
  }
}

// Reads the makefile or template; a missing makefile is empty.
int readInput(VcInstance& inst, const char* makefile, const char* templ, std::string& text) {
  const bool isMakefile = makefile != nullptr;
  std::string name;
  if (int rc = absoluteLibraryName(inst, isMakefile ? makefile : templ, name)) return fail(inst, rc);
  if (int e = orv::sys::readWholeFile(name, text)) {
    if (isMakefile && e == ENOENT) {
      text.clear();
      return 0;
    }
    return fail(inst, err::kCannotOpenWorkFile, e);
  }
  return 0;
}

int writeDepends(VcInstance& inst, int handle, const char* makefile, const char* output,
                 const char* templ, int flags) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if ((!output && !makefile) || (!makefile && !templ)) return fail(inst, err::kBadArgument);
  std::string target;
  if (int rc = absoluteLibraryName(inst, output ? output : makefile, target)) return fail(inst, rc);
  std::string input;
  if (int rc = readInput(inst, makefile, templ, input)) return rc;

  usesOf(inst, *p);
  std::string out;
  int answer = 0;
  if (flags & kDependsTemplate) {
    answer = expandDependsTemplate(inst, *p, templ ? templ : makefile, input, flags, out);
    if (answer != 0 && answer != err::kDone && answer != err::kScriptDone) return fail(inst, answer);
  } else {
    bool marked = false;
    forEachTextLine(input, [&](std::string_view line) {
      out.append(line);
      out += '\n';
      marked = isMarker(line);
      return !marked;
    });
    if (!marked) {
      out += '\n';
      out.append(kMarker);
      out += '\n';
    }
    answer = appendAllRules(inst, *p, flags, out) > 0 ? err::kDone : 0;
  }
  // Unnamed until it is complete, so a process killed meanwhile leaves
  // nothing beside the makefile (the next writer clears a name left in the
  // moment of the swap).
  orv::fs::AtomicFileWriter writer;
  int e = writer.begin(target, 0666, orv::fs::Durability::Durable);
  if (!e) e = writer.write(out);
  if (!e) e = writer.commit();
  if (e) return fail(inst, err::kRenameFailed, e);
  inst.lastError = answer;
  return answer;
}

}  // namespace

std::string makeRuleName(const std::string& name) {
  if (name.find_first_of(" \t#:$") == std::string::npos) return name;
  std::string out;
  out.reserve(name.size() + 8);
  for (char c : name) {
    if (c == '$')
      out += '$';
    else if (c == ' ' || c == '\t' || c == '#' || c == ':')
      out += '\\';
    out += c;
  }
  return out;
}

void appendWrapped(std::string& out, std::size_t& column, const std::string& name) {
  if (column + name.size() + 1 >= static_cast<std::size_t>(kWrapColumn)) {
    out += kWrapText;
    column = 4;
  }
  out += name;
  out += ' ';
  column += name.size() + 1;
}

std::string memberSourceName(VcInstance& inst, VcProject& p, const VcMember& m) {
  const std::string inTree = workMemberName(inst, p, m, nullptr);
  struct stat st {};
  if (orv::sys::calls().stat(inTree.c_str(), &st) == 0) return inTree;
  return fullMemberName(inst, p, m);
}

bool appendMemberRule(VcInstance& inst, VcProject& p, VcMember& m, int flags, std::string& out) {
  VcUsesNode* node = ruleNode(inst, p, m);
  if (!node) return false;
  const ExtensionInfo info = extensionInfo(m.name);
  if (!info.known || info.target.empty()) return false;
  p.uses->beginWalk();
  p.uses->visit(*node);
  const std::size_t dot = m.name.rfind('.');
  const std::string stem = dot == std::string::npos ? m.name : m.name.substr(0, dot);
  const std::string head = makeRuleName(stem + "." + info.target);
  out += head + " : ";
  std::size_t column = head.size() + 3;
  if (flags & kDependsTemplate) out += makeRuleName(memberSourceName(inst, p, m)) + " ";
  appendDependencies(*p.uses, *node, flags, out, column);
  out += "\n\n";
  return true;
}

int appendAllRules(VcInstance& inst, VcProject& p, int flags, std::string& out) {
  int written = 0;
  for (VcMember& m : p.file.members)
    if (appendMemberRule(inst, p, m, flags, out)) ++written;
  return written;
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcWriteDepends(int project, const char* makefile, const char* output,
                              const char* templateFile, int flags) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return writeDepends(i, project, makefile, output, templateFile, flags); });
}

}  // extern "C"
