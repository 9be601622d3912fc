// Rebuilding revision texts and writing them out (see revision_text.h), and
// the check-out calls vcCoRevision and vcCheckOutRevision.
//
// A working file is written through a temporary file beside it that is
// renamed into place, so a failed check-out never leaves half a file; it is
// not forced to disk (neither the file nor its directory): the archive holds
// the text. "-" or a null name writes to standard output.
#include "vc/revisions/revision_text.h"

#include "vc/archive/format/archive_text.h"
#include "vc/error_codes.h"
#include "vc/paths/name_parts.h"
#include "platform/sys/system_calls.h"
#include "platform/fs/replace_file.h"
#include "vc/instance/instance.h"
#include "vc/config/option_lookup.h"
#include "vc/revisions/revision_tree.h"
#include "vc/config/option_state.h"

#include <cerrno>
#include <unistd.h>

namespace vc {
namespace {

using vc::archive::DeltaRecord;

bool noProject(VcInstance&, std::string&, std::string&) { return false; }
ProjectKeywordSource g_projectKeywords = noProject;

// Output room asked of the expander at most (it hands on 64 KiB at a time).
constexpr std::size_t kOutputRoom = 64 * 1024;

class AtomicSink final : public vc::TextSink {
 public:
  explicit AtomicSink(orv::fs::AtomicFileWriter& w) : w_(w) {}
  bool write(std::string_view bytes) override {
    if (w_.write(bytes) == 0) return true;
    error = errno;
    return false;
  }
  int error = 0;

 private:
  orv::fs::AtomicFileWriter& w_;
};

class StdoutSink final : public vc::TextSink {
 public:
  bool write(std::string_view bytes) override { return orv::sys::writeAll(1, bytes.data(), bytes.size()); }
};

// Gathers the output of many small writes (one per piece) into large ones;
// drain() hands on what is left.
class GatherSink final : public vc::TextSink {
 public:
  explicit GatherSink(vc::TextSink& next) : next_(next) {}
  bool write(std::string_view bytes) override {
    buffer_.append(bytes);
    return buffer_.size() < kSize || drain();
  }
  bool drain() {
    if (buffer_.empty()) return true;
    const bool ok = next_.write(buffer_);
    buffer_.clear();
    return ok;
  }

 private:
  static constexpr std::size_t kSize = 64 * 1024;
  vc::TextSink& next_;
  std::string buffer_;
};

}  // namespace

int loadUnitText(VcArchive& a, const vc::archive::TextRecord& t, TextPool& pool, const UnitText*& out) {
  const bool binary = (a.file.flags & vc::archive::kFlagBinary) != 0;
  if (!binary && t.inMemory() && t.data.owner()) {
    // The bytes lie in a block the reader keeps: the text shares them.
    pool.emplace_back(t.data.owner(), *t.data, false, static_cast<std::size_t>(t.lines));
    out = &pool.back();
    return 0;
  }
  std::string stored;
  if (int rc = vc::archive::loadText(a.file, t, stored)) return rc;
  if (binary) stored = vc::archive::undoubleAt(stored);
  pool.emplace_back(std::move(stored), binary);
  out = &pool.back();
  return 0;
}

int rebuildRevision(VcInstance& inst, VcArchive& a, DeltaRecord* target, RebuiltText& out) {
  if (int rc = readArchiveTexts(inst, a, target)) return rc;
  const std::vector<DeltaRecord*> path = pathFromHead(target);
  if (path.empty() || path.front() != a.file.head) return fail(inst, err::kDeltaCorrupt);
  const UnitText* text = nullptr;
  if (int rc = loadUnitText(a, path.front()->text, out.pool, text)) return fail(inst, rc);
  out.list = PieceList(*text);
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (int rc = loadUnitText(a, path[i]->text, out.pool, text)) return fail(inst, rc);
    if (int rc = out.list.apply(*text)) return fail(inst, rc);
  }
  return 0;
}

void setProjectKeywordSource(ProjectKeywordSource source) {
  g_projectKeywords = source ? source : noProject;
}

vc::KeywordContext keywordContext(VcInstance& inst, VcArchive& a, const DeltaRecord& d) {
  vc::KeywordContext c;
  c.revision = d.revision;
  c.date = d.date;
  c.author = d.author;
  c.state = d.state;
  for (const auto& l : a.file.locks)
    if (l.revision == d.revision) {
      c.locker = l.user;
      break;
    }
  for (const auto& s : a.file.symbols)
    if (s.revision == d.revision) c.labels.push_back(s.name);
  c.archivePath = a.path;
  c.archiveFileName = namePart(a.path);
  g_projectKeywords(inst, c.projectName, c.projectRevision);
  std::string log;
  if (vc::archive::loadText(a.file, d.log, log) == 0) c.log = vc::archive::undoubleAt(log);
  VcInstance* self = &inst;
  c.setting = [self](std::string_view option) -> std::optional<std::string> {
    OptionHit hit = lookupOption(currentLists(*self), std::string(option));
    if (!hit.option || !hit.option->value || hit.option->value->empty()) return std::nullopt;
    return *hit.option->value;
  };
  return c;
}

int writeRevisionText(VcInstance& inst, VcArchive& a, const DeltaRecord& d, const PieceList& list, int mode,
                      bool addCr, vc::TextSink& sink) {
  if (a.file.flags & vc::archive::kFlagBinary) {
    GatherSink out(sink);
    for (const Piece& p : list.pieces())
      if (!out.write(p.text->range(p.first, p.count))) return err::kWorkWrite;
    return out.drain() ? 0 : err::kWorkWrite;
  }
  const vc::KeywordContext context = keywordContext(inst, a, d);
  vc::KeywordExpander expander(mode, context, addCr, sink);
  const std::vector<Piece>& pieces = list.pieces();
  // Room for the output up to the size the expander hands on at once.
  std::size_t size = 0;
  for (const Piece& p : pieces)
    if ((size += p.text->begin(p.first + p.count) - p.text->begin(p.first)) >= kOutputRoom) break;
  expander.reserve(size);
  int rc = 0;
  for (const Piece& p : pieces) {
    const std::string_view bytes = p.text->range(p.first, p.count);
    if ((rc = p.text->hasDollar() ? expander.append(bytes) : expander.appendPlain(bytes))) break;
  }
  // What was produced before a failure is still handed on (finish hands
  // on the rest; after a failure it answers the failure).
  const int finished = expander.finish();
  return rc ? rc : finished;
}

int checkoutKeywordMode(VcInstance& inst, const VcArchive& a, int flags) {
  if (a.file.flags & vc::archive::kFlagBinary) return vc::kKeywordModeNone;
  const bool collapse = (flags & VC_CHECKOUT_COLLAPSE_KEYWORDS) != 0;
  const bool expand = (flags & VC_CHECKOUT_EXPAND_KEYWORDS) != 0;
  if (collapse && expand) return vc::kKeywordModeNone;
  if (collapse) return vc::kKeywordModeCollapse;
  if (expand) return vc::kKeywordModeExpand;
  return optionBool(inst, "keywordexpand", true) ? vc::kKeywordModeExpand : vc::kKeywordModeNone;
}

namespace {

int checkOut(VcInstance& inst, int handle, const char* revision, const char* work, int flags) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!revision) return fail(inst, err::kBadArgument);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  std::string expanded;
  if (int rc = expandRevisionName(a->file, revision, expanded)) return fail(inst, rc);
  DeltaRecord* d = resolveRevision(a->file, expanded);
  if (!d) return fail(inst, err::kRevisionMissing);

  RebuiltText text;
  if (int rc = rebuildRevision(inst, *a, d, text)) return rc;
  const int mode = checkoutKeywordMode(inst, *a, flags);
  const bool addCr = optionBool(inst, "addcr", false);

  int rc = 0;
  if (!work || std::string_view(work) == "-") {
    StdoutSink out;
    rc = writeRevisionText(inst, *a, *d, text.list, mode, addCr, out);
  } else {
    orv::fs::AtomicFileWriter writer;
    if (int e = writer.begin(work, 0666, orv::fs::Durability::NoSync))
      return fail(inst, err::kCannotOpenWorkFile, e);
    AtomicSink out(writer);
    rc = writeRevisionText(inst, *a, *d, text.list, mode, addCr, out);
    if (rc) {
      writer.abandon();
      return fail(inst, rc, out.error);
    }
    if (int e = writer.commit()) return fail(inst, err::kWorkWrite, e);
  }
  if (rc) return fail(inst, rc);
  if (a->file.flags & vc::archive::kFlagModified) a->pendingLog.push_back("co " + d->revision);
  return 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcCheckOutRevision(int archive, const char* revision, const char* workFile, int flags) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return checkOut(*inst, archive, revision, workFile, flags);
  });
}

VC_API VcError vcCoRevision(int archive, const char* revision, const char* workFile) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return checkOut(*inst, archive, revision, workFile, 0);
  });
}

}  // extern "C"
