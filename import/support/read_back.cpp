// Reading an imported archive back (see read_back.h).
#include "import/support/read_back.h"

#include <map>

#include "vc/archive/format/archive_model.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/archive_text.h"
#include "vc/archive/format/byte_stream.h"
#include "vc/revisions/delta_apply.h"

namespace orv::import {

namespace {

using vc::archive::DeltaRecord;

class Reader {
 public:
  Reader(vc::archive::ArchiveFile& a, const std::map<std::string, const ExpectedRevision*>& expected)
      : a_(a), expected_(expected), binary_((a.flags & vc::archive::kFlagBinary) != 0) {}

  // Walks the tree from the head: a chain along its next records, the
  // branches of each record from a copy of that record's text.
  std::string walk() {
    std::string problem;
    const vc::UnitText* head = load(*a_.head, problem);
    if (!head) return problem;
    struct Start {
      const DeltaRecord* first;
      vc::PieceList base;  // the text the first record's script applies to
    };
    std::vector<Start> pending;
    pending.push_back({a_.head, vc::PieceList(*head)});
    bool atHead = true;
    while (!pending.empty()) {
      Start s = std::move(pending.back());
      pending.pop_back();
      vc::PieceList list = std::move(s.base);
      for (const DeltaRecord* d = s.first; d; d = d->next) {
        if (++visited_ > a_.allDeltas().size()) return "its revision tree loops";
        if (!atHead) {
          const vc::UnitText* script = load(*d, problem);
          if (!script) return problem;
          if (int rc = list.apply(*script)) return "revision " + d->revision + " answers " + std::to_string(rc);
        }
        atHead = false;
        if (std::string p = compare(*d, list); !p.empty()) return p;
        for (const DeltaRecord* b : d->branches) pending.push_back({b, list});
      }
    }
    return {};
  }

  std::size_t visited() const { return visited_; }

 private:
  const vc::UnitText* load(const DeltaRecord& d, std::string& problem) {
    std::string stored;
    if (int rc = vc::archive::loadText(a_, d.text, stored)) {
      problem = "revision " + d.revision + " answers " + std::to_string(rc);
      return nullptr;
    }
    if (binary_) stored = vc::archive::undoubleAt(stored);
    return &pool_.emplace_back(std::move(stored), binary_);
  }

  std::string compare(const DeltaRecord& d, const vc::PieceList& list) const {
    auto it = expected_.find(d.revision);
    if (it == expected_.end()) return "revision " + d.revision + " was not meant to be there";
    if (d.author != it->second->author) return "revision " + d.revision + " has another author";
    std::string text = list.materialise();
    if (!binary_) text = vc::archive::undoubleAt(text);
    if (text != (it->second->make ? it->second->make() : it->second->text))
      return "revision " + d.revision + " has another text";
    return {};
  }

  vc::archive::ArchiveFile& a_;
  const std::map<std::string, const ExpectedRevision*>& expected_;
  const bool binary_;
  vc::TextPool pool_;
  std::size_t visited_ = 0;
};

}  // namespace

std::string readBack(std::string_view archive, const std::vector<ExpectedRevision>& expected) {
  std::map<std::string, const ExpectedRevision*> byNumber;
  for (const ExpectedRevision& e : expected) byNumber.emplace(e.number, &e);
  vc::archive::MemorySource source(archive.data(), archive.size());
  vc::archive::ArchiveFile a;
  a.source = &source;
  vc::archive::ReadOptions options;
  options.checkCanonical = false;
  if (int rc = vc::archive::readHeader(a, options)) return "the archive answers " + std::to_string(rc);
  if (int rc = vc::archive::readTexts(a, nullptr)) return "its texts answer " + std::to_string(rc);
  if (!a.head) return expected.empty() ? std::string() : "it has no head revision";
  Reader r(a, byNumber);
  if (std::string problem = r.walk(); !problem.empty()) return problem;
  if (r.visited() != byNumber.size() || a.allDeltas().size() != byNumber.size())
    return "it holds " + std::to_string(r.visited()) + " revisions, not " + std::to_string(byNumber.size());
  return {};
}

}  // namespace orv::import
