// What ties archives to the projects that use them: the "project <path>;"
// statements in an archive's extension text (vcAddProjectLink,
// vcDropProjectLink), the master project's reference copy of a member
// checked out under temporarily switched options (vcCoProjectReference) and
// the records of such copies appended to the master's dependency cache
// (vcAppendReferenceWorkCache, vcDoneAppendReferenceWorkCache).
//
// A reference copy is checked out into a temporary file beside its target
// and renamed over it only when the check-out succeeded, so a failed
// check-out never leaves the master without its copy. The switched options
// are put back whatever the check-out answered.
#include "vc/archive/archive_handles.h"
#include "vc/archive/plain_texts.h"
#include "vc/config/option_lookup.h"
#include "vc/project/project_uses.h"
#include "vc/error_codes.h"
#include "vc/files/temp_files.h"
#include "vc/instance/instance.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/paths/name_parts.h"
#include "vc/paths/path_name.h"
#include "vc/project/project_members.h"
#include "platform/sys/system_calls.h"

#include <fcntl.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <sstream>
#include <vector>

namespace vc {
namespace {

bool optionOn(VcInstance& inst, VcProject& p, const char* name) {
  const OptionHit hit = lookupOption(projectLists(inst, p), name);
  return hit.option && !(hit.option->flags & kOptNo);
}

// The project's name in links: the working copy's for a project opened
// from a revision.
const std::string& linkName(const VcProject& p) { return p.path; }

// Where the statement naming path begins in text and where it ends (after
// its ";" and a line feed right after it); npos when there is none. Only
// ";"-terminated statements count.
std::pair<std::size_t, std::size_t> findLink(const std::string& text, const std::string& path) {
  std::size_t start = 0;
  while (start < text.size()) {
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    const std::size_t semi = text.find(';', start);
    if (semi == std::string::npos) break;
    if (text.compare(start, 7, "project") == 0) {
      std::size_t at = start + 7;
      while (at < semi && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
      if (at > start + 7 && pathsEqual(text.substr(at, semi - at), path)) {
        const std::size_t end = semi + 1 < text.size() && text[semi + 1] == '\n' ? semi + 2 : semi + 1;
        return {start, end};
      }
    }
    start = semi + 1;
  }
  return {std::string::npos, std::string::npos};
}

int changeLink(VcInstance& inst, int handle, int archive, bool add) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, archive, a)) return fail(inst, rc);
  if (optionOn(inst, *p, "vanillarcs")) return inst.lastError = 0;
  if (a->writeLock != 1) return fail(inst, err::kNotOpenForWrite);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  std::string text;
  if (int rc = plainText(inst, *a, a->file.extension, text)) return rc;
  const auto [start, end] = findLink(text, linkName(*p));
  if ((start != std::string::npos) == add) return inst.lastError = 0;
  if (add)
    text += "project " + linkName(*p) + ";\n";
  else
    text.erase(start, end - start);
  return vcSetArchiveInfo(archive, VC_ARCHIVE_ITEM_SET_EXTENSION, text.c_str(), nullptr);
}

// One option that projectreferenceflags asks to switch.
struct Switched {
  std::string name;
  bool wasOn = false;
  unsigned flags = 0;
};

std::vector<Switched> switchOptions(const std::string& words) {
  std::vector<Switched> out;
  std::istringstream in(words);
  std::string word;
  for (int n = 0; n < 4 && in >> word; ++n) {
    const bool off = word.size() > 2 && (word[0] == 'n' || word[0] == 'N') && (word[1] == 'o' || word[1] == 'O');
    Switched s;
    s.name = off ? word.substr(2) : word;
    const bool defined = vcGetConfigFlags(s.name.c_str(), &s.flags) == 0;
    s.wasOn = defined && !(s.flags & kOptNo);
    if (s.wasOn == !off) continue;  // already as wanted
    vcSetConfig((off ? "no" + s.name : s.name).c_str(), nullptr);
    out.push_back(s);
  }
  return out;
}

// Puts the options back: a saved option is set again as it was, any other
// is dropped so that the lists below it show again.
void restoreOptions(const std::vector<Switched>& switched) {
  for (const Switched& s : switched) {
    if (s.flags & kOptSaved)
      vcSetConfig((s.wasOn ? s.name : "no" + s.name).c_str(), nullptr);
    else
      vcDropConfig(s.name.c_str());
  }
}

int checkOutBeside(VcInstance& inst, int archive, const char* revision, const std::string& target, int flags) {
  TempFile temp;
  if (int rc = createTempBeside(&inst, directoryPart(target), kProjectTempPrefix, temp)) return rc;
  orv::sys::calls().close(temp.fd);
  temp.fd = -1;
  int rc = vcCheckOutRevision(archive, revision, temp.path.c_str(), flags);
  if (rc == 0 && orv::sys::calls().rename(temp.path.c_str(), target.c_str()) != 0)
    rc = fail(inst, err::kRenameFailed, errno);
  else if (rc == 0)
    temp.path.clear();  // renamed: nothing left to remove
  if (!temp.path.empty()) removeTemp(&inst, temp);
  return rc;
}

int coProjectReference(VcInstance& inst, int handle, int archive, const char* revision, const char* target,
                       int flags) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  const VcListSet lists = projectLists(inst, *p);
  if (!lookupOption(lists, "projectreference").option) return fail(inst, err::kUnknownOption);
  if (!target || !*target) return fail(inst, err::kBadArgument);
  std::string absolute;
  if (int rc = absoluteLibraryName(inst, target, absolute)) return fail(inst, rc);
  const OptionHit words = lookupOption(lists, "projectreferenceflags");
  const std::vector<Switched> switched =
      words.option && words.option->value ? switchOptions(*words.option->value) : std::vector<Switched>{};
  const int rc = checkOutBeside(inst, archive, revision, absolute, flags);
  restoreOptions(switched);
  return rc ? fail(inst, rc) : (inst.lastError = 0);
}

// The cache record of a reference copy: the file's facts (zeros for a
// file that cannot be read) under the member's name.
std::string referenceRecord(const VcMember& m, const std::string& file, const char* revision) {
  VcUsesNode node;
  const FileFacts f = fileFacts(file, true);
  if (!f.statError && !f.readError) {
    node.recordedSize = f.size;
    node.recordedTime = f.time;
    node.recordedSum = f.sum;
  }
  if (revision && *revision) node.revision = revision;
  return cacheRecordLine(cacheMemberName(m), node);
}

int appendReference(VcInstance& inst, int handle, const char* member, const char* file, const char* revision) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  MemberIt it;
  if (int rc = findMember(inst, *p, member, it)) return fail(inst, rc);
  if (!file) return fail(inst, err::kBadArgument);
  if (p->referenceCache < 0) {
    const std::string name = withExtension(p->path, ".use");
    p->referenceCache = orv::sys::calls().open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (p->referenceCache < 0) return fail(inst, err::kReferenceCacheAppend, errno);
  }
  std::string absolute;
  if (int rc = absoluteLibraryName(inst, file, absolute)) return fail(inst, rc);
  const std::string line = referenceRecord(*it, absolute, revision);
  if (!orv::sys::writeAll(p->referenceCache, line.data(), line.size())) return fail(inst, err::kReferenceCacheAppend, errno);
  return inst.lastError = 0;
}

int doneReference(VcInstance& inst, int handle) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (p->referenceCache < 0) return inst.lastError = 0;
  const int rc = orv::sys::calls().close(p->referenceCache);
  p->referenceCache = -1;
  return rc == 0 ? (inst.lastError = 0) : fail(inst, err::kReferenceCacheAppend, errno);
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcAddProjectLink(int project, int archive) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return changeLink(i, project, archive, true); });
}

VC_API VcError vcDropProjectLink(int project, int archive) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return changeLink(i, project, archive, false); });
}

VC_API VcError vcCoProjectReference(int project, int archive, const char* revision, const char* target,
                                    int flags) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return coProjectReference(i, project, archive, revision, target, flags); });
}

VC_API VcError vcAppendReferenceWorkCache(int project, const char* member, const char* file,
                                          const char* revision) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return appendReference(i, project, member, file, revision); });
}

VC_API VcError vcDoneAppendReferenceWorkCache(int project) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return doneReference(i, project); });
}

}  // extern "C"
