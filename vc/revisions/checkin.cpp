// Check-in (vcCiRevision): a new revision from a working file.
//
// The working file's stored form is made first (line ends normalised, and
// keywords collapsed with flag 2), then the differencer compares that stored
// form with the base revision checked out the same way, so every delta
// matches the texts it is applied to. Trunk revisions keep the full text and
// give the old head a reverse delta; branch revisions store a forward delta.
// Nothing is written to the archive until vcCommitArchive; new texts are
// held in memory by their records.
#include "vc/archive/archive_events.h"
#include "vc/archive/archive_handles.h"
#include "vc/archive/format/archive_text.h"
#include "vc/revisions/differ_calls.h"
#include "vc/error_codes.h"
#include "vc/script/event_sources.h"
#include "vc/files/file_utils.h"
#include "platform/sys/system_calls.h"
#include "vc/instance/instance.h"
#include "vc/instance/user_name.h"
#include "vc/config/option_lookup.h"
#include "vc/config/option_list.h"
#include "vc/revisions/revision_numbers.h"
#include "vc/revisions/revision_text.h"
#include "vc/revisions/revision_tree.h"
#include "vc/instance/seams.h"
#include "vc/revisions/keywords/keyword_checkin.h"
#include "vc/revisions/keywords/keyword_expander.h"
#include "vc/revisions/working_text.h"

#include <ctime>
#include <sys/stat.h>

namespace vc {
namespace {

using orv::archive::DeltaRecord;

constexpr int kFlagRefuseUnchanged = 1;
constexpr int kFlagCollapse = 2;
constexpr int kFlagHarvest = 4;
constexpr int kFlagAlwaysDelta = 8;
constexpr int kFlagNeverDelta = 16;

// An unnamed temporary file in the working file's directory, which the
// differencer opens through its /proc/self/fd path; gone with its descriptor
// on every path, also when the process is killed.
struct ScopedTemp {
  VcInstance& inst;
  TempFile file;
  explicit ScopedTemp(VcInstance& i) : inst(i) {}
  ~ScopedTemp() { removeTemp(&inst, file); }
  int create(const std::string& dir, std::string_view contents) {
    if (int rc = createUnnamedBeside(&inst, dir, file)) return rc;
    if (!orv::sys::writeAll(file.fd, contents.data(), contents.size())) {
      inst.extraError = errno;
      return err::kTempWrite;
    }
    return 0;
  }
};

std::string utcNow() {
  const std::time_t t = static_cast<std::time_t>(seams().now());
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y.%m.%d.%H.%M.%S", &tm);
  return buf;
}

std::string firstState(VcInstance& inst) {
  const std::string states = optionString(inst, "states", "");
  std::size_t i = 0;
  while (i < states.size() && (states[i] == ',' || states[i] == ' ' || states[i] == '\t')) ++i;
  std::size_t e = i;
  while (e < states.size() && states[e] != ',' && states[e] != ' ' && states[e] != '\t') ++e;
  return e > i ? states.substr(i, e - i) : "Exp";
}

const orv::archive::Lock* lockOf(const VcArchive& a, const std::string& revision) {
  for (const auto& l : a.file.locks)
    if (l.revision == revision) return &l;
  return nullptr;
}

void dropLock(VcArchive& a, const std::string& revision) {
  for (auto it = a.file.locks.begin(); it != a.file.locks.end(); ++it)
    if (it->revision == revision) {
      a.file.locks.erase(it);
      return;
    }
}

struct Inputs {
  bool duplicate = false;      // "" as the working file
  bool binary = false;         // the archive stores bytes
  bool becomesBinary = false;  // a first check-in that makes the archive binary
  std::string plain;           // the new text in stored form, '@' not doubled
  orv::vc::HarvestedKeywords harvested;
};

// The script that the new revision's record (branch) or the old head
// (trunk) keeps, plain. changed tells whether the texts differ.
int makeScript(VcInstance& inst, VcArchive& a, const Placement& p, const std::string& workDir,
               const Inputs& in, int flags, std::string& script, bool& changed) {
  RebuiltText base;
  if (int rc = rebuildRevision(inst, a, p.base, base)) return rc;
  int mode = orv::vc::kKeywordModeNone;
  if (!in.binary) {
    if (flags & kFlagHarvest)
      mode = (flags & kFlagCollapse) ? orv::vc::kKeywordModeNone : orv::vc::kKeywordModeExpandNoLog;
    else if (flags & kFlagCollapse)
      mode = orv::vc::kKeywordModeCollapse;
    else
      mode = optionBool(inst, "keywordexpand", true) ? orv::vc::kKeywordModeExpandNoLog
                                                     : orv::vc::kKeywordModeNone;
  }
  orv::vc::StringSink baseText;
  if (int rc = writeRevisionText(inst, a, *p.base, base.list, mode, false, baseText)) return fail(inst, rc);

  bool delta;
  if (flags & kFlagAlwaysDelta)
    delta = true;
  else if (flags & kFlagNeverDelta)
    delta = false;
  else
    delta = in.binary ? optionBool(inst, "binarydiff", false) : optionBool(inst, "textdiff", true);

  const bool trunk = p.kind == Placement::Trunk;
  if (!delta) {
    changed = baseText.text != in.plain;
    const std::string& from = trunk ? in.plain : baseText.text;
    const std::string& to = trunk ? baseText.text : in.plain;
    const std::size_t n = in.binary ? from.size() : countLines(from);
    const std::size_t m = in.binary ? to.size() : countLines(to);
    script = wholeTextScript(n, to, m, in.binary);
    return 0;
  }

  ScopedTemp baseFile(inst), workFile(inst), output(inst);
  if (int rc = baseFile.create(workDir, baseText.text)) return fail(inst, rc);
  if (int rc = workFile.create(workDir, in.plain)) return fail(inst, rc);
  if (int rc = output.create(workDir, {})) return fail(inst, rc);
  const std::string& from = trunk ? workFile.file.path : baseFile.file.path;
  const std::string& to = trunk ? baseFile.file.path : workFile.file.path;
  const int rc = runDiffer(inst, in.binary, nullptr, from.c_str(), to.c_str(), output.file.path.c_str(), nullptr, 0);
  if (rc != 0 && rc != 1) return fail(inst, err::kDiffFailed, inst.extraError);
  changed = rc == 1;
  int sysError = 0;
  if (readWorkingFile(output.file.path, script, sysError) != 0) return fail(inst, err::kTempRead, sysError);
  return 0;
}

void copyExtAttributes(const DeltaRecord& base, DeltaRecord& fresh) {
  for (const auto& attr : base.ext) {
    orv::archive::ExtAttribute copy;
    copy.name = attr.name;
    copy.is_reference = true;
    copy.revision = attr.is_reference ? attr.revision : base.revision;
    fresh.ext.push_back(copy);
  }
}

int checkIn(VcInstance& inst, int handle, const char* rev, const char* work, int flags, char* buf, int len) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!buf || len < 1) return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  if (work && a->writeLock != 1) return fail(inst, err::kNotOpenForWrite);
  auto& file = a->file;
  const std::string user = currentUserName(inst);

  // The base revision.
  std::string base;
  if (rev && *rev) {
    if (int rc = expandRevisionName(file, rev, base)) return fail(inst, rc);
  } else {
    for (const auto& l : file.locks)
      if (equalsNoCase(l.user, user)) {
        base = l.revision;
        break;
      }
    if (base.empty()) base = !file.default_branch.empty() ? file.default_branch
                             : file.head                  ? file.head->revision
                                                          : "1.1";
  }
  orv::archive::find_delta(file, base);
  DeltaRecord* current = file.current;
  if (file.head && !current) return fail(inst, err::kRevisionMissing);

  // The lock of the revision the search ended at.
  bool userHeldLock = false;
  if (current) {
    const orv::archive::Lock* lock = lockOf(*a, current->revision);
    if (lock && equalsNoCase(lock->user, user)) {
      userHeldLock = true;
      if (work) {
        if (int rc = runPreEvent(handle, "unlock", current->revision.c_str())) return fail(inst, rc);
      }
    } else if (lock) {
      return fail(inst, err::kLockedByOther);
    } else if (file.flags & orv::archive::kFlagStrict) {
      return fail(inst, err::kRevisionNotLocked);
    }
  }

  Inputs in;
  in.duplicate = work && !*work;
  Placement place;
  if (int rc = placeNewRevision(file, base, in.duplicate, place)) return fail(inst, rc);
  if (int rc = copyResult(&inst, place.number, buf, len)) return rc;
  if (!work) return 0;

  // The new text in its stored form.
  in.binary = (file.flags & orv::archive::kFlagBinary) != 0;
  struct stat workStat {};
  std::string workDir;
  if (!in.duplicate) {
    std::string raw;
    int sysError = 0;
    if (int rc = readWorkingFile(work, raw, sysError)) return fail(inst, rc, sysError);
    orv::sys::calls().stat(work, &workStat);
    workDir = directoryPart(work);
    if (!in.binary && needsBinaryArchive(raw)) {
      if (file.head) return fail(inst, err::kWrongFormat);
      in.binary = in.becomesBinary = true;
    }
    if (in.binary) {
      in.plain = std::move(raw);
    } else {
      in.plain = normaliseLineEnds(raw);
      if (flags & kFlagHarvest) {
        orv::vc::HarvestRules rules;
        rules.vanilla_rcs = optionBool(inst, "vanillarcs", false);
        if (int rc = orv::vc::harvest_keyword_values(in.plain, in.harvested, rules)) return fail(inst, rc);
      }
      if (flags & kFlagCollapse) in.plain = orv::vc::collapse_keywords(in.plain);
    }
  }

  // A revision number from the working file's keywords.
  bool numberFromWork = false;
  if ((flags & kFlagHarvest) && !(rev && *rev) && in.harvested.revision) {
    const std::string& h = *in.harvested.revision;
    if (!sameTreePlace(file, place, h)) return fail(inst, err::kRevisionOutOfRange);
    if (!file.lookup(h)) {
      place.number = h;
      numberFromWork = true;
    }
  }
  if (file.lookup(place.number)) return fail(inst, err::kCatastrophe);

  // The texts: the new record's and, on the trunk, the old head's.
  std::string script;
  bool changed = true;
  if (place.base && !in.duplicate) {
    if (int rc = makeScript(inst, *a, place, workDir, in, flags, script, changed)) return rc;
    if (!changed && (flags & kFlagRefuseUnchanged)) return fail(inst, err::kNoDifferences);
  } else if (place.base) {
    if (int rc = readArchiveTexts(inst, *a, place.base)) return rc;
  }
  if (place.kind == Placement::BranchTip && place.base && place.base->next) return fail(inst, err::kCatastrophe);

  DeltaRecord* fresh = file.create_delta(place.number);
  if (!fresh) return fail(inst, err::kCatastrophe);
  fresh->defined = true;
  fresh->texts = DeltaRecord::Texts::Detached;
  fresh->date = utcNow();
  fresh->author = loginName(inst);
  fresh->state = firstState(inst);
  if (in.harvested.author) fresh->author = *in.harvested.author;
  if (in.harvested.date) fresh->date = *in.harvested.date;
  if (in.harvested.state) fresh->state = *in.harvested.state;
  if (in.duplicate) fresh->log.set_plain("Duplicate revision\n");

  const bool first = !file.head;
  if (first) {
    fresh->text.set_plain(in.plain);
    file.head = fresh;
  } else if (place.kind == Placement::Trunk) {
    DeltaRecord* old = file.head;
    if (in.duplicate) {
      fresh->text = std::move(old->text);
      old->text.clear();
      old->text.set_stored(std::string());
    } else {
      fresh->text.set_plain(in.plain);
      old->text.set_plain(script);
    }
    fresh->next = old;
    old->parent = fresh;
    file.head = fresh;
    markDeltaChanged(*a, *old);
  } else {
    if (in.duplicate)
      fresh->text.set_stored(std::string());
    else
      fresh->text.set_plain(script);
    if (place.kind == Placement::BranchTip)
      place.base->next = fresh;
    else
      place.base->branches.push_back(fresh);
    fresh->parent = place.base;
    markDeltaChanged(*a, *place.base);
  }
  if (place.base) copyExtAttributes(*place.base, *fresh);
  if (!first) fresh->parent = place.kind == Placement::Trunk ? nullptr : place.base;
  markDeltaChanged(*a, *fresh);
  if (in.becomesBinary) file.flags |= orv::archive::kFlagBinary | orv::archive::kFlagFormatStated;

  if (userHeldLock && current) {
    const std::string unlocked = current->revision;
    dropLock(*a, unlocked);
    runPostEvent(handle, "unlock", unlocked.c_str());
  }
  if (file.flags & orv::archive::kFlagCreated && !in.duplicate) a->modeOverride = workStat.st_mode & 07777;
  a->pendingLog.push_back("ci " + fresh->revision);
  if (numberFromWork) return copyResult(&inst, fresh->revision, buf, len);
  return 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" VC_API VcError vcCiRevision(int archive, const char* baseRevision, const char* workFile, int flags,
                                       char* revision, int length) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return checkIn(*inst, archive, baseRevision, workFile, flags, revision, length);
  });
}
