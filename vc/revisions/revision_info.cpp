// Revision information items: vcGetRevInfo and vcSetRevInfo.
//
// A revision name is expanded (labels resolved) and searched from the head.
// A full revision number that the archive lacks answers VC_E_REVISION_MISSING; a branch or
// release number answers about the revision the search ended at, so "1"
// gives the trunk revision the walk reached. Setters need the write lock
// and run the item's events around the change; locks also go through the
// permission questions of the security database.
#include "vc/archive/archive_events.h"
#include "vc/archive/archive_handles.h"
#include "vc/error_codes.h"
#include "vc/archive/user_locks.h"
#include "vc/config/item_values.h"
#include "vc/revisions/revision_order.h"
#include "vc/archive/archive_changes.h"
#include "vc/archive/plain_texts.h"
#include "vc/instance/instance.h"
#include "vc/config/user_name.h"
#include "vc/config/option_lookup.h"
#include "vc/security/permissions.h"
#include "vc/revisions/revision_numbers.h"
#include "vc/revisions/revision_tree.h"
#include "vc/tokens/token_rules.h"
#include "vc/security/security_state.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vc {
namespace {

using vc::archive::ArchiveFile;
using vc::archive::DeltaRecord;
namespace arc = vc::archive;

int relation(VcInstance& inst, const DeltaRecord* d, char* buf, int len) {
  if (!d) {
    buf[0] = '\0';
    return fail(inst, err::kRevisionMissing);
  }
  return copyResult(&inst, d->revision, buf, len);
}

// Line counts of an edit script ("dL N" and "aL N" with N text lines).
void editCounts(const std::string& script, unsigned long& adds, unsigned long& dels) {
  adds = dels = 0;
  std::size_t i = 0;
  while (i < script.size()) {
    std::size_t e = script.find('\n', i);
    if (e == std::string::npos) e = script.size();
    const std::string line = script.substr(i, e - i);
    i = e + 1;
    if (line.size() < 2 || (line[0] != 'a' && line[0] != 'd')) continue;
    const char* blank = std::strchr(line.c_str(), ' ');
    if (!blank) continue;
    const unsigned long n = std::strtoul(blank + 1, nullptr, 10);
    if (line[0] == 'd') {
      dels += n;
      continue;
    }
    adds += n;
    for (unsigned long k = 0; k < n && i < script.size(); ++k) {  // skip the added text
      e = script.find('\n', i);
      i = e == std::string::npos ? script.size() : e + 1;
    }
  }
}

int changeCounts(VcInstance& inst, VcArchive& a, DeltaRecord* d, char* buf, int len) {
  // A trunk revision against the next-older one: the older one's script
  // turns this text into the older text. A branch revision's own script
  // turns its predecessor into it.
  DeltaRecord* holder = onTrunk(d) ? d->next : d;
  if (!holder || (!onTrunk(d) && !d->parent)) return copyResult(&inst, "", buf, len);
  if (int rc = readArchiveTexts(inst, a, holder)) return rc;
  std::string script;
  if (int rc = plainText(inst, a, holder->text, script)) return rc;
  unsigned long adds = 0, dels = 0;
  editCounts(script, adds, dels);
  if (onTrunk(d)) std::swap(adds, dels);
  char text[64];
  std::snprintf(text, sizeof text, "+%lu -%lu", adds, dels);
  return copyResult(&inst, text, buf, len);
}

// The first revision of the branch after d's own branch.
DeltaRecord* nextBranch(const DeltaRecord* d) {
  if (onTrunk(d)) return nullptr;
  const DeltaRecord* first = d;
  while (first->parent && first->parent->next == first) first = first->parent;
  const DeltaRecord* from = first->parent;
  if (!from) return nullptr;
  auto it = std::find(from->branches.begin(), from->branches.end(), first);
  if (it == from->branches.end() || it + 1 == from->branches.end()) return nullptr;
  return *(it + 1);
}

int getRevInfo(VcInstance& inst, int handle, int item, const char* revision, char* buf, int len) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!revision) return fail(inst, err::kBadArgument);
  if (item != VC_REVISION_ITEM_EXISTS && (!buf || len < 1)) return fail(inst, err::kBadArgument);
  if (item < VC_REVISION_ITEM_AUTHOR || item > VC_REVISION_ITEM_NEWER) return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  ArchiveFile& f = a->file;

  std::string rev;
  if (int rc = expandRevisionName(f, revision, rev)) return fail(inst, rc);
  DeltaRecord* d = rev.empty() ? f.head : arc::findDelta(f, rev);
  if (item == VC_REVISION_ITEM_EXISTS) return d && d->revision == rev ? 0 : fail(inst, err::kRevisionMissing);
  if (!d) {
    const int fields = revFields(rev.c_str());
    if (!f.head && item == VC_REVISION_ITEM_NUMBER && fields <= 2) return copyResult(&inst, "", buf, len);
    if (fields >= 2 && fields % 2 == 0) d = nullptr;  // a full number that is missing
    else d = f.current;
    if (!d) {
      buf[0] = '\0';
      return fail(inst, err::kRevisionMissing);
    }
  }

  switch (item) {
    case VC_REVISION_ITEM_AUTHOR: return copyResult(&inst, d->author, buf, len);
    case VC_REVISION_ITEM_FIRST_BRANCH:
      return relation(inst, d->branches.empty() ? nullptr : d->branches.front(), buf, len);
    case VC_REVISION_ITEM_NEXT_BRANCH: return relation(inst, nextBranch(d), buf, len);
    case VC_REVISION_ITEM_DATE: return copyResult(&inst, vc::displayDate(d->date), buf, len);
    case VC_REVISION_ITEM_LOG:
    case VC_REVISION_ITEM_STORED_TEXT: {
      if (int rc = readArchiveTexts(inst, *a, d)) return rc;
      return archiveText(inst, *a, item == VC_REVISION_ITEM_LOG ? d->log : d->text, buf, len);
    }
    case VC_REVISION_ITEM_NEXT: return relation(inst, nextInEnumeration(f, d), buf, len);
    case VC_REVISION_ITEM_STATE: return copyResult(&inst, d->state, buf, len);
    case VC_REVISION_ITEM_NUMBER: return copyResult(&inst, d->revision, buf, len);
    case VC_REVISION_ITEM_PREVIOUS: {
      DeltaRecord* p = previousOnLine(d);
      // On the trunk only within the same release number.
      if (p && onTrunk(d) && d->revision.substr(0, d->revision.find('.')) != p->revision.substr(0, p->revision.find('.')))
        p = nullptr;
      return relation(inst, p, buf, len);
    }
    case VC_REVISION_ITEM_CHANGE_COUNTS: return changeCounts(inst, *a, d, buf, len);
    case VC_REVISION_ITEM_BRANCH_COUNT: {
      if (len < 4) return fail(inst, err::kBadArgument);
      const std::uint32_t n = static_cast<std::uint32_t>(d->branches.size());
      std::memcpy(buf, &n, 4);
      return 0;
    }
    case VC_REVISION_ITEM_NEWER: return relation(inst, nextNewerOnLine(d), buf, len);
    default: return fail(inst, err::kBadArgument);
  }
}

// --- setters ---

bool isListSeparator(char c) { return c == ',' || c == ' ' || c == '\t'; }

std::vector<std::string> words(const std::string& list) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && isListSeparator(list[i])) ++i;
    std::size_t e = i;
    while (e < list.size() && !isListSeparator(list[e])) ++e;
    if (e > i) out.push_back(list.substr(i, e - i));
    i = e;
  }
  return out;
}

int rankOf(const std::vector<std::string>& states, const std::string& state) {
  for (std::size_t i = 0; i < states.size(); ++i)
    if (equalsNoCase(states[i], state)) return static_cast<int>(i);
  return -1;
}

// The promotion rules of a state change: 0 or the refusal.
int promotionCheck(VcInstance& inst, VcArchive& a, const std::string& from, const std::string& to) {
  const std::vector<std::string> states = words(optionString(inst, "states", ""));
  if (states.empty()) return 0;
  const int newRank = rankOf(states, to);
  if (newRank < 0) return err::kBadPromotion;
  const int oldRank = rankOf(states, from);
  if (newRank == oldRank) return 0;
  const bool up = newRank > oldRank;  // a state outside the list counts as the lowest
  if (!archiveHooks().holdsPermission(inst, up ? "promote" : "demote", &a))
    return up ? err::kDenyPromote : err::kDenyDemote;
  const std::vector<std::string> allowed = words(permissionValue(inst, "allowedstates"));
  if (!allowed.empty() && rankOf(allowed, to) < 0)
    return up ? err::kDenyPromoteToState : err::kDenyDemoteToState;
  return 0;
}

// Renumbering: the new number has the old one's field count, is free and
// keeps the revision between its neighbours on its line. A revision with
// branches keeps its number (their numbers derive from it); labels and
// locks follow the revision.
int renumber(VcInstance& inst, VcArchive& a, DeltaRecord* d, const std::string& value) {
  ArchiveFile& f = a.file;
  std::string to;
  if (int rc = expandRevisionName(f, value, to)) return fail(inst, rc);
  if (validateToken(inst, kTokenRevision, to) != 0) return fail(inst, err::kBadArgument);
  if (f.lookup(to)) return fail(inst, err::kRevisionExists);
  if (revFields(to.c_str()) != revFields(d->revision.c_str())) return fail(inst, err::kRevisionOutOfRange);
  if (!d->branches.empty()) return fail(inst, err::kRevisionHasBranches);
  if (!onTrunk(d) && to.substr(0, to.rfind('.')) != d->revision.substr(0, d->revision.rfind('.')))
    return fail(inst, err::kRevisionOutOfRange);
  const DeltaRecord* older = onTrunk(d) ? d->next : previousOnLine(d);
  const DeltaRecord* newer = nextNewerOnLine(d);
  if (older && revOrder(older->revision.c_str(), to.c_str()) >= 0) return fail(inst, err::kRevisionOutOfRange);
  if (newer && revOrder(to.c_str(), newer->revision.c_str()) >= 0) return fail(inst, err::kRevisionOutOfRange);
  // Texts still in the file are filed under the old number: read them first.
  if (int rc = readArchiveTexts(inst, a, nullptr)) return rc;
  const std::string from = d->revision;
  f.renumberDelta(d, to);
  for (auto& s : f.symbols)
    if (s.revision == from) s.revision = to;
  for (auto& l : f.locks)
    if (l.revision == from) l.revision = to;
  markDeltaChanged(a, *d);
  return 0;
}

int changeLock(VcInstance& inst, VcArchive& a, DeltaRecord* d, int item, const char* value) {
  ArchiveFile& f = a.file;
  const std::string user = currentUserName(inst);
  const arc::Lock* held = lockOn(f, d->revision);
  if (item == VC_REVISION_ITEM_LOCK) {
    if (held && sameUser(held->user, user)) return 0;
    if (held) return fail(inst, err::kRevisionAlreadyLocked);
    if (lockOf(f, user)) return fail(inst, err::kOtherRevisionLocked);
    if (int rc = beforeChange(inst, a, "lock", value, d->revision.c_str())) return rc;
    f.locks.insert(f.locks.begin(), arc::Lock{d->revision, user});
    markArchiveChanged(a);
    afterChange(a, "lock", d->revision.c_str());
    return 0;
  }
  if (!held) return fail(inst, err::kRevisionNotLocked);
  if (!sameUser(held->user, user)) {
    if (item == VC_REVISION_ITEM_UNLOCK) return fail(inst, err::kLockedByOther);
    if (!archiveHooks().holdsPermission(inst, "breaklocks", &a)) {
      securityOf(inst).error = 0;
      inst.extraError = 0;
      return fail(inst, err::kDenyBreakLock);
    }
  }
  if (int rc = beforeChange(inst, a, "unlock", value, d->revision.c_str())) return rc;
  const std::string rev = d->revision;
  f.locks.erase(std::find_if(f.locks.begin(), f.locks.end(),
                             [&](const arc::Lock& l) { return l.revision == rev; }));
  markArchiveChanged(a);
  afterChange(a, "unlock", rev.c_str());
  return 0;
}

int setRevInfo(VcInstance& inst, int handle, int item, const char* revision, const char* value) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (a->writeLock != 1) return fail(inst, err::kNotOpenForWrite);
  if (!revision) return fail(inst, err::kBadArgument);
  const bool lockItem =
      item == VC_REVISION_ITEM_LOCK || item == VC_REVISION_ITEM_UNLOCK || item == VC_REVISION_ITEM_BREAK_LOCK;
  if (!lockItem && (item < VC_REVISION_ITEM_RENUMBER || item > VC_REVISION_ITEM_SET_LOG))
    return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  ArchiveFile& f = a->file;
  std::string rev;
  if (int rc = expandRevisionName(f, revision, rev)) return fail(inst, rc);
  DeltaRecord* d = f.lookup(rev);
  if (!d || !d->defined) return fail(inst, err::kRevisionMissing);
  if (lockItem) {
    const int rc = changeLock(inst, *a, d, item, value);
    if (rc == 0) inst.lastError = 0;
    return rc;
  }
  if (!value) return fail(inst, err::kBadArgument);
  if (item == VC_REVISION_ITEM_RENUMBER) return renumber(inst, *a, d, value);

  const std::string v = value;
  const char* event = item == VC_REVISION_ITEM_SET_STATE    ? "newstate"
                      : item == VC_REVISION_ITEM_SET_AUTHOR ? "newauthor"
                      : item == VC_REVISION_ITEM_SET_DATE   ? "newdate"
                                                            : "newlog";
  if (item == VC_REVISION_ITEM_SET_STATE && validateToken(inst, kTokenState, v) != 0)
    return fail(inst, err::kBadArgument);
  if (item == VC_REVISION_ITEM_SET_AUTHOR && validateToken(inst, kTokenUser, v) != 0)
    return fail(inst, err::kBadArgument);
  if (item == VC_REVISION_ITEM_SET_LOG) {
    // The log must be known before it is replaced, or a later read of the
    // file would put the old one back.
    if (int rc = readArchiveTexts(inst, *a, d)) return rc;
  }
  if (item == VC_REVISION_ITEM_SET_STATE) {
    if (int rc = promotionCheck(inst, *a, d->state, v)) {
      securityOf(inst).error = 0;
      inst.extraError = 0;
      return fail(inst, rc);
    }
  }
  if (int rc = beforeChange(inst, *a, event, value, d->revision.c_str())) return rc;
  if (item == VC_REVISION_ITEM_SET_STATE) {
    d->state = v;
  } else if (item == VC_REVISION_ITEM_SET_AUTHOR) {
    d->author = v;
  } else if (item == VC_REVISION_ITEM_SET_DATE) {
    d->date = v;
  } else {
    d->log.setPlain(v);
  }
  markDeltaChanged(*a, *d);
  afterChange(*a, event, d->revision.c_str());
  inst.lastError = 0;
  return 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcGetRevInfo(int archive, int item, const char* revision, char* buffer, int length) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? getRevInfo(*inst, archive, item, revision, buffer, length) : err::kBadCaller;
  });
}

VC_API VcError vcSetRevInfo(int archive, int item, const char* revision, const char* value) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? setRevInfo(*inst, archive, item, revision, value) : err::kBadCaller;
  });
}

}  // extern "C"
