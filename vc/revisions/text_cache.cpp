// Streaming archive texts to and from the caller one character at a time:
// vcGetCache and vcPutCache.
#include "vc/archive/archive_handles.h"
#include "vc/error_codes.h"
#include "vc/archive/plain_texts.h"
#include "vc/instance/instance.h"
#include "vc/revisions/revision_tree.h"

#include <string>

namespace vc {
namespace {

namespace arc = vc::archive;

// vcPutCache takes this item as VC_REVISION_ITEM_SET_LOG too; it has no name
// of its own in vc.h.
constexpr int kSetLogOther = 73;

int findRevision(VcInstance& inst, VcArchive& a, const char* revision, arc::DeltaRecord*& d) {
  std::string rev;
  if (int rc = expandRevisionName(a.file, revision, rev)) return fail(inst, rc);
  d = a.file.lookup(rev);
  if (!d || !d->defined) return fail(inst, err::kRevisionMissing);
  return 0;
}

int getCache(VcInstance& inst, int handle, const char* revision, int item, VcCacheGetFn give) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!give) return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  const arc::TextRecord* t = nullptr;
  switch (item) {
    case VC_ARCHIVE_ITEM_DESCRIPTION: t = &a->file.description; break;
    case VC_ARCHIVE_ITEM_COMMENT: t = &a->file.comment; break;
    case VC_ARCHIVE_ITEM_EXTENSION: t = &a->file.extension; break;
    case VC_REVISION_ITEM_LOG:
    case VC_REVISION_ITEM_STORED_TEXT: {
      if (!revision) return fail(inst, err::kBadArgument);
      arc::DeltaRecord* d = nullptr;
      if (int rc = findRevision(inst, *a, revision, d)) return rc;
      if (int rc = readArchiveTexts(inst, *a, d)) return rc;
      t = item == VC_REVISION_ITEM_LOG ? &d->log : &d->text;
      break;
    }
    default: return fail(inst, err::kBadArgument);
  }
  std::string text;
  if (int rc = plainText(inst, *a, *t, text)) return rc;
  // The text is a copy: the callback may call back into the library.
  for (char c : text)
    if (give(static_cast<unsigned char>(c)) == 0) return fail(inst, err::kDone);
  return 0;
}

int putCache(VcInstance& inst, int handle, const char* revision, int item, VcCachePutFn take) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!take) return fail(inst, err::kBadArgument);
  if (a->writeLock != 1) return fail(inst, err::kNotOpenForWrite);
  if (item != VC_ARCHIVE_ITEM_SET_DESCRIPTION && item != VC_ARCHIVE_ITEM_SET_COMMENT &&
      item != VC_ARCHIVE_ITEM_SET_EXTENSION && item != VC_REVISION_ITEM_SET_LOG && item != kSetLogOther)
    return fail(inst, err::kBadArgument);
  if (int rc = readArchiveTexts(inst, *a, nullptr)) return rc;
  std::string text;
  for (int c; (c = take()) != 0;) text += static_cast<char>(c);
  // Found again after the callbacks, which may have used the library.
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  arc::ArchiveFile& f = a->file;
  switch (item) {
    case VC_ARCHIVE_ITEM_SET_DESCRIPTION: f.description.setPlain(text); break;
    case VC_ARCHIVE_ITEM_SET_COMMENT: f.comment.setPlain(text); break;
    case VC_ARCHIVE_ITEM_SET_EXTENSION:
      f.extension.setPlain(text);
      f.hasExtension = true;
      break;
    default: {  // VC_REVISION_ITEM_SET_LOG
      if (!revision) return fail(inst, err::kBadArgument);
      arc::DeltaRecord* d = nullptr;
      if (int rc = findRevision(inst, *a, revision, d)) return rc;
      d->log.setPlain(text);
      markDeltaChanged(*a, *d);
      break;
    }
  }
  markArchiveChanged(*a);
  return 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcGetCache(int archive, const char* revision, int item, VcCacheGetFn callback) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? getCache(*inst, archive, revision, item, callback) : err::kBadCaller;
  });
}

VC_API VcError vcPutCache(int archive, const char* revision, int item, VcCachePutFn callback) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? putCache(*inst, archive, revision, item, callback) : err::kBadCaller;
  });
}

}  // extern "C"
