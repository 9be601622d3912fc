// Archive information items: vcGetArchiveInfo, vcGetIdArchiveInfo and
// vcSetArchiveInfo, with vcExpandRevision and vcValidateToken.
//
// Getters read the header first. List items hand out one entry per call
// through the archive's cursors and answer VC_E_DONE once after the last entry, the
// cursor then starting over. Setters need the write lock, run the item's
// events around the change and keep the change in memory for the commit.
#include "vc/archive/archive_handles.h"
#include "vc/archive/format/archive_text.h"
#include "vc/error_codes.h"
#include "platform/fs/file_identity.h"
#include "vc/archive/user_locks.h"
#include "vc/config/item_values.h"
#include "vc/revisions/revision_order.h"
#include "vc/archive/archive_changes.h"
#include "vc/archive/plain_texts.h"
#include "vc/instance/instance.h"
#include "vc/config/option_lookup.h"
#include "vc/revisions/revision_tree.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vc {
namespace {

using vc::archive::ArchiveFile;
using vc::archive::DeltaRecord;
namespace arc = vc::archive;

int putByte(char* buf, int value) {
  buf[0] = static_cast<char>(value);
  return 0;
}

int put32(VcInstance& inst, char* buf, int len, std::uint32_t value) {
  if (len < 4) return fail(inst, err::kBadArgument);
  std::memcpy(buf, &value, 4);
  return 0;
}

int copyOut(VcInstance& inst, const std::string& s, char* buf, int len) {
  return copyResult(&inst, s, buf, len);
}

// Hands out list entries one per call: the next entry, or VC_E_DONE after the last
// with the cursor back at the start.
int nextEntry(VcInstance& inst, int& cursor, const std::vector<std::string>& entries, char* buf,
              int len) {
  if (cursor >= static_cast<int>(entries.size())) {
    cursor = 0;
    buf[0] = '\0';
    return err::kDone;
  }
  const int rc = copyOut(inst, entries[static_cast<std::size_t>(cursor)], buf, len);
  if (rc == 0) ++cursor;
  return rc;
}

// The same for a list whose entries are made on demand: only the entry
// handed out is made.
template <class Entry>
int nextEntryOf(VcInstance& inst, int& cursor, std::size_t count, Entry entry, char* buf, int len) {
  if (cursor < 0 || cursor >= static_cast<int>(count)) {
    cursor = 0;
    buf[0] = '\0';
    return err::kDone;
  }
  const int rc = copyOut(inst, entry(static_cast<std::size_t>(cursor)), buf, len);
  if (rc == 0) ++cursor;
  return rc;
}

bool onList(const std::vector<std::string>& list, const std::string& name) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& n) { return sameUser(n, name); });
}

bool eraseFrom(std::vector<std::string>& list, const std::string& name) {
  auto it = std::find_if(list.begin(), list.end(), [&](const std::string& n) { return sameUser(n, name); });
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

int revisionCount(const ArchiveFile& f) { return static_cast<int>(enumerationOrder(f).size()); }

std::uint8_t compressionBits(VcInstance& inst, const char* value) {
  long bits = 0;
  const unsigned char c = static_cast<unsigned char>(value[0]);
  if (c != 0 && c < '0')
    bits = c;  // a binary byte
  else
    bits = std::strtol(value, nullptr, 10);
  if (bits == 0) return 0;
  if (bits == 1) bits = std::strtol(optionString(inst, "compress", "15").c_str(), nullptr, 10);
  return static_cast<std::uint8_t>(bits < 9 || bits > 15 ? 15 : bits);
}

int getArchiveInfo(VcInstance& inst, int handle, int item, char* buf, int len) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!buf || len < 1) return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  ArchiveFile& f = a->file;
  std::vector<std::string> entries;
  switch (item) {
    case VC_ARCHIVE_ITEM_NEXT_ACCESS:
      if (f.access.empty()) return fail(inst, err::kAccessListEmpty);
      return nextEntry(inst, a->cursors.access, f.access, buf, len);
    case VC_ARCHIVE_ITEM_DESCRIPTION: return archiveText(inst, *a, f.description, buf, len);
    case VC_ARCHIVE_ITEM_STORAGE:
      if (f.flags & arc::kFlagFormatStated)
        return putByte(buf, (f.flags & arc::kFlagBinary) ? VC_STORAGE_BINARY : VC_STORAGE_TEXT);
      return putByte(buf, revisionCount(f) > 1 ? VC_STORAGE_TEXT : VC_STORAGE_UNSTATED);
    case VC_ARCHIVE_ITEM_COMMENT: return archiveText(inst, *a, f.comment, buf, len);
    case VC_ARCHIVE_ITEM_COMPRESSION: return putByte(buf, f.compression);
    case VC_ARCHIVE_ITEM_DEFAULT_BRANCH: return copyOut(inst, f.defaultBranch, buf, len);
    case VC_ARCHIVE_ITEM_ENCRYPTED: return putByte(buf, (f.flags & arc::kFlagEncrypted) ? 1 : 0);
    case VC_ARCHIVE_ITEM_HEAD:
      if (!f.head) {
        buf[0] = '\0';
        return fail(inst, err::kRevisionMissing);
      }
      return copyOut(inst, f.head->revision, buf, len);
    case VC_ARCHIVE_ITEM_NEXT_LOCK:
      return nextEntryOf(
          inst, a->cursors.locks, f.locks.size(),
          [&](std::size_t i) { return f.locks[i].user + " " + f.locks[i].revision; }, buf, len);
    case VC_ARCHIVE_ITEM_ON_ACCESS_LIST: {
      if (f.access.empty()) return fail(inst, err::kAccessListEmpty);
      const std::string name(buf, strnlen(buf, static_cast<std::size_t>(len)));
      return onList(f.access, name) ? 0 : fail(inst, err::kAccessNameMissing);
    }
    case VC_ARCHIVE_ITEM_NEXT_LABEL:
      return nextEntryOf(
          inst, a->cursors.symbols, f.symbols.size(),
          [&](std::size_t i) { return f.symbols[i].name + " " + f.symbols[i].revision; }, buf, len);
    case VC_ARCHIVE_ITEM_STRICT_LOCKING: return putByte(buf, (f.flags & arc::kFlagStrict) ? 1 : 0);
    case VC_ARCHIVE_ITEM_MODIFIED: return putByte(buf, (f.flags & arc::kFlagModified) ? 1 : 0);
    case VC_ARCHIVE_ITEM_FILE_CHANGED:
      return putByte(buf, orv::fs::fileChanged(a->identity, a->path) ? 1 : 0);
    case VC_ARCHIVE_ITEM_CREATED: return putByte(buf, (f.flags & arc::kFlagCreated) ? 1 : 0);
    case VC_ARCHIVE_ITEM_FIRST_REVISION: {
      const DeltaRecord* first = firstInEnumeration(f);
      if (!first) {
        buf[0] = '\0';
        return fail(inst, err::kRevisionMissing);
      }
      return copyOut(inst, first->revision, buf, len);
    }
    case VC_ARCHIVE_ITEM_FILE_NAME: return copyOut(inst, a->path, buf, len);
    case VC_ARCHIVE_ITEM_FILE_MODE: {
      if (len < 2) {
        inst.neededLength = 2;
        return fail(inst, err::kBufferTooSmall);
      }
      std::uint32_t mode = (f.flags & arc::kFlagCreated) ? a->modeOverride : a->fileMode;
      if (f.flags & arc::kFlagStrict) mode &= ~0222u;
      const std::uint16_t word = static_cast<std::uint16_t>(mode);
      std::memcpy(buf, &word, 2);
      return 0;
    }
    case VC_ARCHIVE_ITEM_REVISION_COUNT:
      return put32(inst, buf, len, static_cast<std::uint32_t>(revisionCount(f)));
    case VC_ARCHIVE_ITEM_BRANCH_COUNT: {
      std::uint32_t n = 0;
      for (DeltaRecord* d : enumerationOrder(f)) n += static_cast<std::uint32_t>(d->branches.size());
      return put32(inst, buf, len, n);
    }
    case VC_ARCHIVE_ITEM_BRANCH_REVISION_COUNT: {
      std::uint32_t n = 0;
      for (DeltaRecord* d : enumerationOrder(f)) n += onTrunk(d) ? 0 : 1;
      return put32(inst, buf, len, n);
    }
    case VC_ARCHIVE_ITEM_EXTENSION: return archiveText(inst, *a, f.extension, buf, len);
    case VC_ARCHIVE_ITEM_NEXT_SECURITY_OBJECT:
      if (f.securityObjects.empty()) return fail(inst, err::kNoSecurityModules);
      return nextEntry(inst, a->cursors.securityObjects, f.securityObjects, buf, len);
    default: return fail(inst, err::kBadArgument);
  }
}

int getIdArchiveInfo(VcInstance& inst, int handle, int item, const char* key, char* buf, int len) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!key || !buf || len < 1) return fail(inst, err::kBadArgument);
  if (item < VC_ARCHIVE_ITEM_LABEL_REVISION || item > VC_ARCHIVE_ITEM_LOCKER)
    return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  const ArchiveFile& f = a->file;
  buf[0] = '\0';
  switch (item) {
    case VC_ARCHIVE_ITEM_LABEL_REVISION:
      for (const auto& s : f.symbols)
        if (s.name == key) return copyOut(inst, s.revision, buf, len);
      return fail(inst, err::kSymbolMissing);
    case VC_ARCHIVE_ITEM_USER_LOCK:
      if (const auto* l = lockOf(f, key)) return copyOut(inst, l->revision, buf, len);
      return fail(inst, err::kRevisionNotLocked);
    default: {
      std::string rev;
      if (int rc = expandRevisionName(f, key, rev)) return fail(inst, rc);
      if (const auto* l = lockOn(f, rev)) return copyOut(inst, l->user, buf, len);
      return fail(inst, err::kRevisionNotLocked);
    }
  }
}

// The change of one item, after the event let it go on.
int applyArchiveItem(VcInstance& inst, VcArchive& a, int item, const std::string& value,
                     const std::string& second) {
  ArchiveFile& f = a.file;
  switch (item) {
    case VC_ARCHIVE_ITEM_ADD_ACCESS: f.access.insert(f.access.begin(), value); return 0;
    case VC_ARCHIVE_ITEM_ADD_LABEL: f.symbols.insert(f.symbols.begin(), arc::Symbol{second, value}); return 0;
    case VC_ARCHIVE_ITEM_SET_COMMENT: f.comment.setPlain(value); return 0;
    case VC_ARCHIVE_ITEM_SET_DEFAULT_BRANCH: f.defaultBranch = second; return 0;
    case VC_ARCHIVE_ITEM_DROP_ACCESS: eraseFrom(f.access, value); return 0;
    case VC_ARCHIVE_ITEM_DROP_LABEL:
      f.symbols.erase(std::find_if(f.symbols.begin(), f.symbols.end(),
                                   [&](const arc::Symbol& s) { return s.name == value; }));
      return 0;
    case VC_ARCHIVE_ITEM_SET_DESCRIPTION: f.description.setPlain(value); return 0;
    case VC_ARCHIVE_ITEM_SET_EXTENSION:
      f.extension.setPlain(value);
      f.hasExtension = true;
      return 0;
    case VC_ARCHIVE_ITEM_ADD_SECURITY_OBJECT:
      f.securityObjects.insert(f.securityObjects.begin(), value);
      return 0;
    case VC_ARCHIVE_ITEM_DROP_SECURITY_OBJECT: eraseFrom(f.securityObjects, value); return 0;
    default: return fail(inst, err::kBadArgument);
  }
}

struct EventItem {
  int item;
  const char* event;
};

constexpr EventItem kEventItems[] = {
    {VC_ARCHIVE_ITEM_ADD_ACCESS, "addaccess"},
    {VC_ARCHIVE_ITEM_ADD_LABEL, "addlabel"},
    {VC_ARCHIVE_ITEM_SET_COMMENT, "comment"},
    {VC_ARCHIVE_ITEM_SET_DEFAULT_BRANCH, "defaultbranch"},
    {VC_ARCHIVE_ITEM_DROP_ACCESS, "dropaccess"},
    {VC_ARCHIVE_ITEM_DROP_LABEL, "droplabel"},
    {VC_ARCHIVE_ITEM_SET_DESCRIPTION, "description"},
    {VC_ARCHIVE_ITEM_SET_EXTENSION, "archextension"},
    {VC_ARCHIVE_ITEM_ADD_SECURITY_OBJECT, "addsecurity"},
    {VC_ARCHIVE_ITEM_DROP_SECURITY_OBJECT, "dropsecurity"},
};

// The archive format (VC_ARCHIVE_ITEM_SET_STORAGE): text, binary or unstated. Once binary, or
// once there is more than one revision, the format can only be restated.
int setFormat(VcInstance& inst, VcArchive& a, const char* value) {
  ArchiveFile& f = a.file;
  const int format = byteValue(value);
  if (format < VC_STORAGE_TEXT || format > VC_STORAGE_UNSTATED) return fail(inst, err::kBadArgument);
  const bool nowBinary = (f.flags & arc::kFlagFormatStated) && (f.flags & arc::kFlagBinary);
  const bool locked = nowBinary || revisionCount(f) > 1;
  if (locked && (format == VC_STORAGE_BINARY) != nowBinary) return fail(inst, err::kWrongFormat);
  f.flags &= static_cast<std::uint8_t>(~(arc::kFlagBinary | arc::kFlagFormatStated));
  if (format != VC_STORAGE_UNSTATED)
    f.flags |= arc::kFlagFormatStated | (format == VC_STORAGE_BINARY ? arc::kFlagBinary : 0);
  markArchiveChanged(a);
  return 0;
}

void setFlag(ArchiveFile& f, std::uint8_t flag, bool on) {
  if (on)
    f.flags |= flag;
  else
    f.flags &= static_cast<std::uint8_t>(~flag);
}

// The items that change without events: the format, strict locking,
// compression, the modified flag and the shown path.
// handled is false for any other item.
int setItemWithoutEvent(VcInstance& inst, VcArchive& a, int item, const char* value, bool& handled) {
  handled = true;
  switch (item) {
    case VC_ARCHIVE_ITEM_SET_STORAGE: return setFormat(inst, a, value);
    case VC_ARCHIVE_ITEM_SET_STRICT_LOCKING:
      setFlag(a.file, arc::kFlagStrict, byteValue(value) & 1);
      markArchiveChanged(a);
      return 0;
    case VC_ARCHIVE_ITEM_SET_COMPRESSION:
      if (int rc = readArchiveTexts(inst, a, nullptr)) return rc;
      a.file.compression = compressionBits(inst, value);
      markArchiveChanged(a);
      return 0;
    case VC_ARCHIVE_ITEM_SET_MODIFIED: setFlag(a.file, arc::kFlagModified, byteValue(value) & 1); return 0;
    case VC_ARCHIVE_ITEM_SET_KEYWORD_PATH: a.displayPath = value; return 0;
    default: handled = false; return 0;
  }
}

const EventItem* eventItemOf(int item) {
  const EventItem* e = nullptr;
  for (const EventItem& x : kEventItems)
    if (x.item == item) e = &x;
  return e;
}

// The checks of an item with events, made before its event runs: rev is the
// revision the event is told about, stored the revision VC_ARCHIVE_ITEM_ADD_LABEL or
// VC_ARCHIVE_ITEM_SET_DEFAULT_BRANCH keeps.
int checkEventItem(VcInstance& inst, VcArchive& a, int item, const std::string& v, const char* second,
                   std::string& rev, std::string& stored) {
  ArchiveFile& f = a.file;
  switch (item) {
    case VC_ARCHIVE_ITEM_ADD_ACCESS:
      if (v.empty() || onList(f.access, v)) return fail(inst, err::kAccessNameExists);
      return 0;
    case VC_ARCHIVE_ITEM_ADD_LABEL:
      if (validateToken(inst, kTokenLabel, v) != 0 || !second) return fail(inst, err::kBadArgument);
      for (const auto& s : f.symbols)
        if (s.name == v) return fail(inst, err::kSymbolExists);
      if (int rc = expandRevisionName(f, second, rev)) return fail(inst, rc);
      if (rev.empty()) return fail(inst, err::kBadArgument);
      stored = rev;
      return 0;
    case VC_ARCHIVE_ITEM_SET_DEFAULT_BRANCH:
      if (!v.empty()) {
        if (int rc = expandRevisionName(f, v, stored)) return fail(inst, rc);
        if (std::count(stored.begin(), stored.end(), '.') % 2 == 1) stored.resize(stored.rfind('.'));
      }
      return 0;
    case VC_ARCHIVE_ITEM_DROP_ACCESS:
      if (!onList(f.access, v)) return fail(inst, err::kAccessNameMissing);
      return 0;
    case VC_ARCHIVE_ITEM_DROP_LABEL: {
      const arc::Symbol* hit = nullptr;
      for (const auto& s : f.symbols)
        if (s.name == v) hit = &s;
      if (!hit) return fail(inst, err::kSymbolMissing);
      rev = hit->revision;
      return 0;
    }
    case VC_ARCHIVE_ITEM_SET_DESCRIPTION:
    case VC_ARCHIVE_ITEM_SET_EXTENSION:
      // A text replaced in memory must not be read over it later.
      return readArchiveTexts(inst, a, nullptr);
    case VC_ARCHIVE_ITEM_ADD_SECURITY_OBJECT:
      if (v.empty() || onList(f.securityObjects, v)) return fail(inst, err::kSecurityModulePresent);
      return 0;
    case VC_ARCHIVE_ITEM_DROP_SECURITY_OBJECT:
      if (!onList(f.securityObjects, v)) return fail(inst, err::kSecurityModuleMissing);
      return 0;
    default: return 0;
  }
}

int setArchiveInfo(VcInstance& inst, int handle, int item, const char* value, const char* second) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (item != VC_ARCHIVE_ITEM_SET_KEYWORD_PATH && a->writeLock != 1) return fail(inst, err::kNotOpenForWrite);
  if (!value) return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;

  bool handled = false;
  const int rc = setItemWithoutEvent(inst, *a, item, value, handled);
  if (handled) return rc;

  const EventItem* e = eventItemOf(item);
  if (!e) return fail(inst, err::kBadArgument);
  const std::string v = value;
  std::string rev, stored;
  if (int check = checkEventItem(inst, *a, item, v, second, rev, stored)) return check;

  const char* eventRev = rev.empty() ? nullptr : rev.c_str();
  if (int before = beforeChange(inst, *a, e->event, value, eventRev)) return before;
  if (int applied = applyArchiveItem(inst, *a, item, v, stored)) return applied;
  a->cursors.reset();
  markArchiveChanged(*a);
  afterChange(*a, e->event, eventRev);
  inst.lastError = 0;
  return 0;
}

int expandRevision(VcInstance& inst, int handle, const char* name, char* buf, int len) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!name || !buf || len - 1 < 1) return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  std::string out;
  if (int rc = expandRevisionName(a->file, name, out)) return fail(inst, rc);
  return copyOut(inst, out, buf, len);
}

int checkToken(VcInstance& inst, int handle, int kind, const char* text) {
  if (handle != 0) {
    VcArchive* a = nullptr;
    if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  }
  if (!text || kind < kTokenUser || kind > kTokenNameFormat) return fail(inst, err::kBadArgument);
  const int rc = validateToken(inst, kind, text);
  return rc ? fail(inst, rc) : 0;
}

template <class Fn>
int withInstance(Fn&& fn) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? fn(*inst) : err::kBadCaller;
  });
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcGetArchiveInfo(int archive, int item, char* buffer, int length) {
  return withInstance([&](VcInstance& inst) { return getArchiveInfo(inst, archive, item, buffer, length); });
}

VC_API VcError vcGetIdArchiveInfo(int archive, int item, const char* key, char* buffer, int length) {
  return withInstance(
      [&](VcInstance& inst) { return getIdArchiveInfo(inst, archive, item, key, buffer, length); });
}

VC_API VcError vcSetArchiveInfo(int archive, int item, const char* value, const char* second) {
  return withInstance([&](VcInstance& inst) { return setArchiveInfo(inst, archive, item, value, second); });
}

VC_API VcError vcExpandRevision(int archive, const char* name, char* buffer, int length) {
  return withInstance([&](VcInstance& inst) { return expandRevision(inst, archive, name, buffer, length); });
}

VC_API VcError vcValidateToken(int archive, int kind, const char* text) {
  return withInstance([&](VcInstance& inst) { return checkToken(inst, archive, kind, text); });
}

}  // extern "C"
