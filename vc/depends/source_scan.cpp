// Source scanning: vcInitUses (the scan settings), vcFindUses (a member's
// includes, followed recursively into the project's graph) and
// vcAddUsedFiles (used files that are not members, offered for adding).
//
// A file is read again only when its time is newer than the time recorded
// for it, or with VC_USES_READ_ALL; the "scanned" mark of every node is cleared
// when a scan starts, so a file changed since the last scan is never taken
// as already read. A file that cannot be opened is reported once while the
// project stays open. The status and used-file callbacks may call back into
// the library; after each, the scan checks that its project and graph are
// still the ones it walks and stops otherwise.
#include "vc/depends/include_syntax.h"
#include "vc/project/project_uses.h"
#include "vc/depends/scan_settings.h"

#include "vc/archive/archive_handles.h"
#include "vc/config/option_lookup.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/paths/name_parts.h"
#include "vc/paths/path_name.h"
#include "vc/project/project_members.h"
#include "platform/sys/system_calls.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vc {
namespace {

// Includes nested deeper than this are linked but not read (as compilers
// stop at such depths); a file that includes itself through a long chain
// cannot exhaust the stack.
constexpr int kMaxIncludeDepth = 200;

std::string optionText(VcInstance& inst, VcProject& p, const char* name) {
  const OptionHit hit = lookupOption(projectLists(inst, p), name);
  if (!hit.option || (hit.option->flags & kOptNo) || !hit.option->value) return {};
  return *hit.option->value;
}

// Splits at ";", leaving out empty parts; "\" becomes "/" and trailing
// separators go (a directory compares the same with or without them).
std::vector<std::string> splitDirectories(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string part = normalizePath(text.substr(start, end - start), true);
    if (!part.empty()) {
      const std::string trimmed = trimRoot(part);
      out.push_back(trimmed.empty() ? part : trimmed);
    }
    start = end + 1;
  }
  return out;
}

std::vector<std::string> splitEntries(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

void readBorlandConfig(VcInstance& inst, const std::string& file, std::vector<std::string>& path) {
  std::string text;
  if (orv::sys::readWholeFile(file, text) != 0) {
    inst.lastError = err::kCannotOpenTurbocCfg;
    return;
  }
  forEachTextLine(text, [&](std::string_view line) {
    if (line.size() >= 3 && (line[0] == '-' || line[0] == '/') && (line[1] == 'i' || line[1] == 'I'))
      for (std::string& dir : splitDirectories(std::string(line.substr(2)))) path.push_back(std::move(dir));
    return true;
  });
}

int initUses(VcInstance& inst, int handle) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  ScanSettings& s = scanSettings();
  inst.lastError = 0;
  const std::string exclude = optionText(inst, *p, "exclude");
  if (!exclude.empty()) s.exclude = splitDirectories(exclude);
  s.targetExt.clear();
  s.targetExtSet = false;
  const std::string targets = optionText(inst, *p, "targetext");
  if (!targets.empty()) {
    s.targetExt = splitEntries(targets);
    s.targetExtSet = true;
  }
  if (const std::string cfg = optionText(inst, *p, "bcc_cfg"); !cfg.empty()) {
    readBorlandConfig(inst, normalizePath(cfg, true), s.includePath);
  } else if (const std::string prj = optionText(inst, *p, "bcc_prj"); !prj.empty()) {
    std::vector<char> buffer(kScratchSize);
    const int rc = vcbccoption(prj.c_str(), 302, buffer.data(), static_cast<int>(buffer.size()));
    vcbccdone();
    if (rc == 0) s.includePath = splitDirectories(buffer.data());
  } else if (const std::string include = optionText(inst, *p, "include"); !include.empty()) {
    s.includePath = splitDirectories(include);
  }
  if (lookupProject(inst, handle, p)) return 0;
  for (VcMember& m : p->file.members) {
    memberNode(inst, *p, m)->flags |= kNodeMember;
    treeNode(inst, *p, m, true);
  }
  return 0;
}

enum class Found { Yes, No, Excluded };

// One vcFindUses: the project, its graph, the caller's callback and flags.
struct ScanRun {
  VcInstance& inst;
  int handle;
  VcProject* p;
  VcUsesGraph* graph;
  std::uint64_t generation;
  VcStatusFn status;
  int flags;
  int stop = 0;
  int lastErrno = 0;
  int depth = 0;

  // Calls the status callback; a project or graph that went away under it
  // stops the scan.
  int tell(const std::string& text) {
    const int answer = status(text.c_str());
    VcProject* now = nullptr;
    if (lookupProject(inst, handle, now) || now != p || p->uses.get() != graph ||
        graph->generation() != generation)
      return stop = err::kBadProjectHandle;
    return answer;
  }

  // Reports a file that cannot be opened, once per file.
  void report(const std::string& name, int error, bool notOnList) {
    if (!status || stop) return;
    VcUsesNode* node = graph->obtain(name);
    if (node->flags & kNodeReported) return;
    node->flags |= kNodeReported;
    std::string text = "!Cannot open '" + name + "': ";
    text += notOnList ? std::string("not on any Include list") : std::string(std::strerror(error));
    const int answer = tell(text);
    if (!stop) stop = answer;
  }

  void readLines(VcUsesNode& node, const std::string& text, int language, const std::string& directory);
  Found addFile(VcUsesNode& from, const std::string& name, const std::string* directory, bool tested,
                int language);
  void scanFile(VcUsesNode& node, int language);
  void revisit(VcUsesNode& node, int language);
  void resolve(VcUsesNode& from, const std::string& token, int language, const std::string& directory);
};

bool readable(const std::string& path, int& error) {
  if (orv::sys::calls().access(path.c_str(), R_OK) == 0) return true;
  error = errno;
  return false;
}

bool isExcluded(const std::string& directory) {
  const std::string dir = trimRoot(directory);
  for (const std::string& e : scanSettings().exclude)
    if (e.size() == dir.size() && pathsEqual(e, dir)) return true;
  return false;
}

void ScanRun::scanFile(VcUsesNode& node, int language) {
  const FileFacts f = fileFacts(node.name, false);
  node.recordedTime = node.currentTime = f.time;
  node.recordedSize = node.currentSize = f.size;
  p->usesChanged = true;
  std::string text;
  if (int e = orv::sys::readWholeFile(node.name, text)) {
    lastErrno = e;
    report(node.name, e, false);
    return;
  }
  node.recordedSum = node.currentSum = byteSum(text);
  if ((flags & VC_USES_REPORT_FILES) && status) {
    tell("Scanning " + printableName(node));
    if (stop) return;
  }
  graph->markScanned(node);
  if (depth >= kMaxIncludeDepth) return;
  ++depth;
  readLines(node, text, language, directoryPart(node.name));
  --depth;
}

Found ScanRun::addFile(VcUsesNode& from, const std::string& name, const std::string* directory,
                       bool tested, int language) {
  const std::string joined = directory && *directory != "." ? *directory + "/" + name : name;
  if (!tested && !readable(joined, lastErrno)) return Found::No;
  if (directory && isExcluded(*directory)) return Found::Excluded;
  std::string absolute;
  if (absoluteLibraryName(inst, joined, absolute)) absolute = joined;
  const bool isNew = graph->find(absolute) == nullptr;
  VcUsesNode* node = graph->obtain(absolute);
  node->flags |= kNodeIncluded;
  const bool linked = from.dependsOn(node);
  if (!linked) {
    from.link(node);
    p->usesChanged = true;
  }
  struct stat st {};
  if (orv::sys::calls().stat(node->name.c_str(), &st) != 0) {
    lastErrno = errno;
    return Found::Yes;
  }
  const auto time = static_cast<std::uint32_t>(st.st_mtime);
  const bool newer = time > node->recordedTime;
  if (isNew) {
    if (!(flags & VC_USES_READ_ALL) && !newer) return Found::Yes;
  } else {
    if (graph->scanned(*node)) return Found::Yes;
    if (!(node->flags & kNodeMember) && !(flags & VC_USES_READ_ALL) && !newer) {
      revisit(*node, language);
      return Found::Yes;
    }
  }
  scanFile(*node, language);
  return Found::Yes;
}

// A file not read again keeps its recorded includes; those are looked at
// in turn, so that a header changed further down is still read.
void ScanRun::revisit(VcUsesNode& node, int language) {
  graph->markScanned(node);
  if (depth >= kMaxIncludeDepth) return;
  ++depth;
  for (std::size_t i = 0; i < node.dependencies.size() && !stop; ++i) {
    VcUsesNode& dep = *node.dependencies[i];
    if (graph->scanned(dep)) continue;
    struct stat st {};
    if (orv::sys::calls().stat(dep.name.c_str(), &st) != 0) continue;
    if ((dep.flags & kNodeMember) || static_cast<std::uint32_t>(st.st_mtime) > dep.recordedTime)
      scanFile(dep, language);
    else
      revisit(dep, language);
  }
  --depth;
}

void ScanRun::resolve(VcUsesNode& from, const std::string& token, int language,
                      const std::string& directory) {
  const LanguageSyntax& lang = languageSyntax(language);
  const char* at = token.empty() ? nullptr : std::strchr(lang.opening, token[0]);
  const std::size_t openings = std::strlen(lang.opening);
  std::string name = token;
  bool angle = false;
  bool bad = false;
  if (!at || !*lang.opening) {
    bad = lang.openingRequired;
  } else {
    const std::size_t index = static_cast<std::size_t>(at - lang.opening);
    char closing = token[0];
    if (lang.angle && index == openings - 1) {
      closing = lang.opening[index - 1];
      angle = true;
    }
    if (token.size() < 2 || token.back() != closing)
      bad = true;
    else
      name = token.substr(1, token.size() - 2);
  }
  if (bad || name.empty()) {
    if (status) {
      const int answer = tell("!Badly formed name: '" + token + "', ignored");
      if (!stop) stop = answer;
    }
    return;
  }
  name = normalizePath(name, true);
  if (absoluteNameKind(name.c_str()) != 0) {
    int error = 0;
    if (readable(name, error)) {
      addFile(from, name, nullptr, true, language);
      return;
    }
    report(name, error, false);
    return;
  }
  if (!angle) {
    const std::string here = makeAbsoluteName(directory, name);
    int error = 0;
    if (readable(here, error)) {
      addFile(from, here, nullptr, true, language);
      return;
    }
  }
  if (stop) return;
  for (const std::string& dir : scanSettings().includePath) {
    const Found found = addFile(from, name, &dir, false, language);
    if (found == Found::Excluded) return;
    if (found == Found::Yes || stop) return;
  }
  report(name, 0, true);
}

void ScanRun::readLines(VcUsesNode& node, const std::string& text, int language,
                        const std::string& directory) {
  forEachTextLine(text, [&](std::string_view line) {
    if (std::optional<std::string> token = includeToken(line, language))
      resolve(node, *token, language, directory);
    return stop == 0;
  });
}

int findUses(VcInstance& inst, int handle, const char* member, VcStatusFn status, int flags) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  MemberIt it;
  if (int rc = findMember(inst, *p, member, it)) return fail(inst, rc);
  VcMember& m = *it;
  const std::optional<int> language = memberLanguage(m);
  if (!language) return fail(inst, err::kNoSourceLanguage);
  VcUsesGraph& graph = usesOf(inst, *p);
  VcUsesNode* node = memberNode(inst, *p, m);
  if (p->throughSandbox) {
    struct stat st {};
    const std::string inTree = workMemberName(inst, *p, m, nullptr);
    if (orv::sys::calls().stat(inTree.c_str(), &st) == 0) node = treeNode(inst, *p, m, true);
  }
  takePresentState(inst, *p, m);
  graph.beginScan();
  ScanRun run{inst, handle, p, &graph, graph.generation(), status, flags};
  inst.lastError = 0;
  std::string text;
  if (int e = orv::sys::readWholeFile(node->name, text)) {
    fail(inst, err::kCannotOpenWorkFile, e);
    run.report(node->name, e, false);
    return run.stop;
  }
  if ((flags & VC_USES_REPORT_FILES) && status) {
    run.tell("Scanning " + node->name);
    if (run.stop) return run.stop;
  }
  graph.markScanned(*node);
  run.readLines(*node, text, *language, directoryPart(node->name));
  return run.stop;
}

// Adds a used file as a member: kind "a" at the archive's head when its
// archive is found and readable, else kind "f". The add's code.
int addUsedFile(VcInstance& inst, int handle, const std::string& file) {
  std::vector<char> name(kScratchSize);
  int archive = 0;
  std::string head;
  bool found = false;
  const int rc = vcFindArchiveName(file.c_str(), name.data(), static_cast<int>(name.size()), &archive,
                                 VC_ARCHIVE_OPEN_READ);
  if (archive) {
    VcArchive* a = nullptr;
    if (rc == 0 && lookupArchive(inst, archive, a) == 0 && readArchiveHeader(inst, *a) == 0) {
      found = true;
      head = a->file.head ? a->file.head->revision : "1.1";
    }
    vcCloseArchive(archive);
  }
  return found ? vcAddMember(handle, 'a', file.c_str(), head.c_str(), nullptr)
               : vcAddMember(handle, 'f', file.c_str(), nullptr, nullptr);
}

// One vcAddUsedFiles walk.
struct AddRun {
  VcInstance& inst;
  int handle;
  VcProject* p;
  VcUsesGraph* graph;
  std::uint64_t generation;
  VcUsedFileFn callback;
  bool added = false;

  bool intact() {
    VcProject* now = nullptr;
    return lookupProject(inst, handle, now) == 0 && now == p && p->uses.get() == graph &&
           graph->generation() == generation;
  }

  // Offers every file that node reaches, depth first in list order, each
  // once; a declined or failed file is not descended into. Kept on a list
  // of its own rather than the call stack, so that an include chain of any
  // depth is walked. -1 stop, else 0.
  int walk(VcUsesNode& start) {
    std::vector<std::pair<VcUsesNode*, std::size_t>> path;
    auto enter = [&](VcUsesNode& node) {
      graph->visit(node);
      node.flags |= kNodeMember;
      path.emplace_back(&node, 0);
    };
    enter(start);
    while (!path.empty()) {
      VcUsesNode* node = path.back().first;
      const std::size_t index = path.back().second++;
      // The list may grow while members are added: walk it by position.
      if (index >= node->dependencies.size()) {
        path.pop_back();
        continue;
      }
      VcUsesNode* dep = node->dependencies[index];
      if (graph->visited(*dep) || (dep->flags & kNodeOffered)) continue;
      graph->visit(*dep);
      if (!(dep->flags & kNodeMember)) {
        const std::string name = dep->name;
        const int answer = callback(name.c_str());
        if (!intact()) return -1;
        if (answer == -1) return -1;
        dep->flags |= kNodeOffered;
        if (answer == 0) continue;
        p->usesChanged = true;
        const int rc = addUsedFile(inst, handle, name);
        if (!intact()) return -1;
        generation = graph->generation();
        if (rc != 0) {
          const int again = callback(("!" + name).c_str());
          if (!intact() || again == -1) return -1;
          continue;
        }
        added = true;
      }
      enter(*dep);
    }
    return 0;
  }
};

int addUsedFiles(VcInstance& inst, int handle, const char* member, VcUsedFileFn callback) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (p->frozen()) return fail(inst, err::kProjectFrozen);
  if (!p->openForWrite()) return fail(inst, err::kNotOpenForWrite);
  MemberIt it;
  if (int rc = findMember(inst, *p, member, it)) return fail(inst, rc);
  if (!callback) return fail(inst, err::kBadArgument);
  settleUses(inst, *p);
  if (!it->node || !p->uses) return inst.lastError = 0;
  p->uses->beginWalk();
  p->currentMember = it;
  AddRun run{inst, handle, p, p->uses.get(), p->uses->generation(), callback};
  if (run.walk(*it->node) == -1) return inst.lastError = err::kDone;
  return run.added ? (inst.lastError = err::kFilesAdded) : (inst.lastError = 0);
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcInitUses(int project) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return initUses(i, project); });
}

VC_API VcError vcFindUses(int project, const char* member, VcStatusFn status, int flags) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return findUses(i, project, member, status, flags); });
}

VC_API VcError vcAddUsedFiles(int project, const char* member, VcUsedFileFn callback) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return addUsedFiles(i, project, member, callback); });
}

}  // extern "C"
