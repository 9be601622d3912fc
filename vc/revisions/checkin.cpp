// Check-in (vcCiRevision): a new revision from a working file.
//
// The working file's stored form is made first (line ends normalised, and
// keywords collapsed with VC_CHECKIN_COLLAPSE_KEYWORDS), then the differencer
// compares that stored form with the base revision checked out the same way, so
// every delta matches the texts it is applied to. Texts and bytes are compared
// in memory (the text and binary differencers' forms in memory): a check-in
// creates no file at all, so a killed one leaves nothing behind and a read-only
// working directory is no obstacle. Trunk revisions keep the full text and give
// the old head a reverse delta; branch revisions store a forward delta. Nothing
// is written to the archive until vcCommitArchive; new texts are held in memory
// by their records.
#include "vc/archive/archive_events.h"
#include "vc/archive/archive_handles.h"
#include "vc/archive/format/archive_text.h"
#include "vc/revisions/differ_calls.h"
#include "vc/error_codes.h"
#include "vc/archive/event_sources.h"
#include "platform/sys/system_calls.h"
#include "vc/instance/instance.h"
#include "vc/config/user_name.h"
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

using vc::archive::DeltaRecord;

constexpr int kFlagRefuseUnchanged = VC_CHECKIN_REFUSE_UNCHANGED;
constexpr int kFlagCollapse = VC_CHECKIN_COLLAPSE_KEYWORDS;
constexpr int kFlagHarvest = VC_CHECKIN_KEYWORD_VALUES;
constexpr int kFlagAlwaysDelta = VC_CHECKIN_ALWAYS_DELTA;
constexpr int kFlagNeverDelta = VC_CHECKIN_NEVER_DELTA;

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

const vc::archive::Lock* lockOf(const VcArchive& a, const std::string& revision) {
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
  vc::HarvestedKeywords harvested;
};

// The script that the new revision's record (branch) or the old head
// (trunk) keeps, plain. changed tells whether the texts differ.
int makeScript(VcInstance& inst, VcArchive& a, const Placement& p, const Inputs& in, int flags,
               std::string& script, bool& changed) {
  RebuiltText base;
  if (int rc = rebuildRevision(inst, a, p.base, base)) return rc;
  int mode = vc::kKeywordModeNone;
  if (!in.binary) {
    if (flags & kFlagHarvest)
      mode = (flags & kFlagCollapse) ? vc::kKeywordModeNone : vc::kKeywordModeExpandNoLog;
    else if (flags & kFlagCollapse)
      mode = vc::kKeywordModeCollapse;
    else
      mode = optionBool(inst, "keywordexpand", true) ? vc::kKeywordModeExpandNoLog
                                                     : vc::kKeywordModeNone;
  }
  vc::StringSink baseText;
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

  const std::string& from = trunk ? in.plain : baseText.text;
  const std::string& to = trunk ? baseText.text : in.plain;
  return in.binary ? diffBytes(inst, from, to, script, changed) : diffTexts(inst, from, to, script, changed);
}

void copyExtAttributes(const DeltaRecord& base, DeltaRecord& fresh) {
  for (const auto& attr : base.ext) {
    vc::archive::ExtAttribute copy;
    copy.name = attr.name;
    copy.isReference = true;
    copy.revision = attr.isReference ? attr.revision : base.revision;
    fresh.ext.push_back(copy);
  }
}

// The base revision: the one named, else the one the user has locked, else
// the default branch, the head or "1.1".
int findBase(const vc::archive::ArchiveFile& file, const char* rev, const std::string& user, std::string& base) {
  if (rev && *rev) return expandRevisionName(file, rev, base);
  for (const auto& l : file.locks)
    if (equalsNoCase(l.user, user)) {
      base = l.revision;
      break;
    }
  if (base.empty()) base = !file.defaultBranch.empty() ? file.defaultBranch : file.head ? file.head->revision : "1.1";
  return 0;
}

// The lock of the revision the base search ended at: the user's own lock is
// released by the check-in (its pre-event runs now), another user's refuses
// it, and so does no lock at all under strict locking.
int checkLock(VcInstance& inst, VcArchive& a, int handle, const DeltaRecord* current, const std::string& user,
              bool checkingIn, bool& userHeldLock) {
  userHeldLock = false;
  if (!current) return 0;
  const vc::archive::Lock* lock = lockOf(a, current->revision);
  if (lock && equalsNoCase(lock->user, user)) {
    userHeldLock = true;
    if (checkingIn) {
      if (int rc = runPreEvent(handle, "unlock", current->revision.c_str())) return fail(inst, rc);
    }
    return 0;
  }
  if (lock) return fail(inst, err::kLockedByOther);
  if (a.file.flags & vc::archive::kFlagStrict) return fail(inst, err::kRevisionNotLocked);
  return 0;
}

// The new text in its stored form: bytes for a binary archive (a first
// check-in of bytes that are no text makes the archive binary), else line
// ends normalised, keywords harvested and collapsed as the flags ask.
int readNewText(VcInstance& inst, const vc::archive::ArchiveFile& file, const char* work, int flags, Inputs& in,
                struct stat& workStat) {
  std::string raw;
  int sysError = 0;
  if (int rc = readWorkingFile(work, raw, sysError)) return fail(inst, rc, sysError);
  orv::sys::calls().stat(work, &workStat);
  if (!in.binary && needsBinaryArchive(raw)) {
    if (file.head) return fail(inst, err::kWrongFormat);
    in.binary = in.becomesBinary = true;
  }
  if (in.binary) {
    in.plain = std::move(raw);
    return 0;
  }
  in.plain = normaliseLineEnds(raw);
  if (flags & kFlagHarvest) {
    vc::HarvestRules rules;
    rules.vanillaRcs = optionBool(inst, "vanillarcs", false);
    if (int rc = vc::harvestKeywordValues(in.plain, in.harvested, rules)) return fail(inst, rc);
  }
  if (flags & kFlagCollapse) in.plain = vc::collapseKeywords(in.plain);
  return 0;
}

// A revision number harvested from the working file's keywords replaces the
// placed one when no revision was named, it lies at the same place in the
// tree and is not taken yet.
int takeNumberFromWork(VcInstance& inst, vc::archive::ArchiveFile& file, Placement& place, const char* rev,
                       int flags, const Inputs& in, bool& numberFromWork) {
  numberFromWork = false;
  if ((flags & kFlagHarvest) && !(rev && *rev) && in.harvested.revision) {
    const std::string& h = *in.harvested.revision;
    if (!sameTreePlace(file, place, h)) return fail(inst, err::kRevisionOutOfRange);
    if (!file.lookup(h)) {
      place.number = h;
      numberFromWork = true;
    }
  }
  return 0;
}

// The texts: the delta script the new record (branch) or the old head
// (trunk) keeps; an unchanged text is refused when the flags ask. A duplicate
// only needs the base's texts read before the records change.
int prepareTexts(VcInstance& inst, VcArchive& a, const Placement& place, const Inputs& in, int flags,
                 std::string& script) {
  if (!place.base) return 0;
  if (in.duplicate) return readArchiveTexts(inst, a, place.base);
  bool changed = true;
  if (int rc = makeScript(inst, a, place, in, flags, script, changed)) return rc;
  if (!changed && (flags & kFlagRefuseUnchanged)) return fail(inst, err::kNoDifferences);
  return 0;
}

// The new record with its date, author and state (harvested values win), not
// yet linked into the tree.
DeltaRecord* createRecord(VcInstance& inst, vc::archive::ArchiveFile& file, const std::string& number,
                          const Inputs& in) {
  DeltaRecord* fresh = file.createDelta(number);
  if (!fresh) return nullptr;
  fresh->defined = true;
  fresh->texts = DeltaRecord::Texts::Detached;
  fresh->date = utcNow();
  fresh->author = loginName(inst);
  fresh->state = firstState(inst);
  if (in.harvested.author) fresh->author = *in.harvested.author;
  if (in.harvested.date) fresh->date = *in.harvested.date;
  if (in.harvested.state) fresh->state = *in.harvested.state;
  if (in.duplicate) fresh->log.setPlain("Duplicate revision\n");
  return fresh;
}

// Links the new record into the tree with its text: the first revision keeps
// the full text; a new trunk head keeps the full text and the old head the
// reverse delta (a duplicate takes the old head's text over); a branch
// revision keeps the forward delta (empty for a duplicate).
void linkRecord(VcArchive& a, const Placement& place, const Inputs& in, const std::string& script,
                DeltaRecord& fresh) {
  auto& file = a.file;
  const bool first = !file.head;
  if (first) {
    fresh.text.setPlain(in.plain);
    file.head = &fresh;
  } else if (place.kind == Placement::Trunk) {
    DeltaRecord* old = file.head;
    if (in.duplicate) {
      fresh.text = std::move(old->text);
      old->text.clear();
      old->text.setStored(std::string());
    } else {
      fresh.text.setPlain(in.plain);
      old->text.setPlain(script);
    }
    fresh.next = old;
    old->parent = &fresh;
    file.head = &fresh;
    markDeltaChanged(a, *old);
  } else {
    if (in.duplicate)
      fresh.text.setStored(std::string());
    else
      fresh.text.setPlain(script);
    if (place.kind == Placement::BranchTip)
      place.base->next = &fresh;
    else
      place.base->branches.push_back(&fresh);
    fresh.parent = place.base;
    markDeltaChanged(a, *place.base);
  }
  if (place.base) copyExtAttributes(*place.base, fresh);
  if (!first) fresh.parent = place.kind == Placement::Trunk ? nullptr : place.base;
  file.treeChanged();
  markDeltaChanged(a, fresh);
}

int checkIn(VcInstance& inst, int handle, const char* rev, const char* work, int flags, char* buf, int len) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!buf || len < 1) return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  if (work && a->writeLock != 1) return fail(inst, err::kNotOpenForWrite);
  auto& file = a->file;
  const std::string user = currentUserName(inst);

  std::string base;
  if (int rc = findBase(file, rev, user, base)) return fail(inst, rc);
  vc::archive::findDelta(file, base);
  DeltaRecord* current = file.current;
  if (file.head && !current) return fail(inst, err::kRevisionMissing);
  bool userHeldLock = false;
  if (int rc = checkLock(inst, *a, handle, current, user, work != nullptr, userHeldLock)) return rc;

  // Where the new revision goes; without a working file only its number is asked.
  Inputs in;
  in.duplicate = work && !*work;
  Placement place;
  if (int rc = placeNewRevision(file, base, in.duplicate, place)) return fail(inst, rc);
  if (int rc = copyResult(&inst, place.number, buf, len)) return rc;
  if (!work) return 0;

  in.binary = (file.flags & vc::archive::kFlagBinary) != 0;
  struct stat workStat {};
  if (!in.duplicate) {
    if (int rc = readNewText(inst, file, work, flags, in, workStat)) return rc;
  }
  bool numberFromWork = false;
  if (int rc = takeNumberFromWork(inst, file, place, rev, flags, in, numberFromWork)) return rc;
  if (file.lookup(place.number)) return fail(inst, err::kCatastrophe);

  std::string script;
  if (int rc = prepareTexts(inst, *a, place, in, flags, script)) return rc;
  if (place.kind == Placement::BranchTip && place.base && place.base->next) return fail(inst, err::kCatastrophe);

  DeltaRecord* fresh = createRecord(inst, file, place.number, in);
  if (!fresh) return fail(inst, err::kCatastrophe);
  linkRecord(*a, place, in, script, *fresh);
  if (in.becomesBinary) file.flags |= vc::archive::kFlagBinary | vc::archive::kFlagFormatStated;

  if (userHeldLock && current) {
    const std::string unlocked = current->revision;
    dropLock(*a, unlocked);
    runPostEvent(handle, "unlock", unlocked.c_str());
  }
  if (file.flags & vc::archive::kFlagCreated && !in.duplicate) a->modeOverride = workStat.st_mode & 07777;
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
