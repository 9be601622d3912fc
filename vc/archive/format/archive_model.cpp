// Archive record, tree walks, revision search and release of held texts.
#include "vc/archive/format/archive_model.h"

#include "vc/archive/format/byte_count.h"

#include <algorithm>
#include <cstring>

namespace vc::archive {
namespace {

// Fields of a dotted revision number: each read as a decimal number, parsing
// stopping at the first non-digit and going on after the character there.
// The numeric fields of a revision number, one at a time ("1..2" has a 0
// field between the dots; a final dot ends the number).
class Fields {
 public:
  explicit Fields(std::string_view r) : r_(r) {}
  bool next(uint64_t& n) {
    if (i_ >= r_.size()) return false;
    n = 0;
    while (i_ < r_.size() && r_[i_] >= '0' && r_[i_] <= '9') {
      if (n < UINT64_MAX / 16) n = n * 10 + static_cast<uint64_t>(r_[i_] - '0');
      ++i_;
    }
    ++i_;  // the separator
    return true;
  }

 private:
  std::string_view r_;
  size_t i_ = 0;
};

// Revision comparison: the magnitude is the first field (from 1) where a and b
// differ or one of them ends; positive when a lies nearer the head on the way
// to b (trunk numbers fall from the head, branch numbers rise from the branch point).
int revisionCompare(std::string_view a, std::string_view b) {
  Fields fa(a), fb(b);
  for (int k = 1;; ++k) {
    uint64_t x = 0, y = 0;
    const bool aEnds = !fa.next(x);
    const bool bEnds = !fb.next(y);
    if (aEnds && bEnds) return 0;
    if (aEnds) return k == 2 ? 2 : (k % 2 == 0 ? -k : k);
    if (bEnds) return (k == 2 || k % 2 == 1) ? -k : k;
    if (x != y) {
      if (k <= 2) return x > y ? k : -k;
      return x < y ? k : -k;
    }
  }
}

size_t countFields(std::string_view r) {
  Fields f(r);
  size_t n = 0;
  for (uint64_t x = 0; f.next(x);) ++n;
  return n;
}

bool sameLeadingFields(std::string_view a, std::string_view b, size_t n) {
  Fields fa(a), fb(b);
  for (size_t i = 0; i < n; ++i) {
    uint64_t x = 0, y = 0;
    if (!fa.next(x) || !fb.next(y) || x != y) return false;
  }
  return true;
}

}  // namespace

void TextRecord::setPlain(std::string_view plain) {
  std::string stored;
  stored.reserve(plain.size() + countByte(plain.data(), plain.size(), '@'));
  for (size_t at = 0; at < plain.size();) {
    const void* found = std::memchr(plain.data() + at, '@', plain.size() - at);
    const size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - plain.data()) + 1 : plain.size();
    stored.append(plain.substr(at, end - at));
    if (found) stored.push_back('@');
    at = end;
  }
  setStored(std::move(stored));
}

void TextRecord::setStored(std::string stored) {
  uint64_t lineFeeds = countByte(stored.data(), stored.size(), '\n');
  const uint64_t ats = countByte(stored.data(), stored.size(), '@');
  if (!stored.empty() && stored.back() != '\n') ++lineFeeds;
  lines = lineFeeds;
  chars = stored.size() - ats / 2;
  storedLength = stored.size();
  offset = kNoOffset;
  source = nullptr;
  data = std::move(stored);
}

DeltaRecord* ArchiveFile::lookup(std::string_view revision) const {
  auto it = index_.find(revision);
  return it == index_.end() ? nullptr : it->second;
}

DeltaRecord* ArchiveFile::createDelta(std::string_view revision) {
  // One hash of the key: the slot is taken first and filled once the record exists.
  auto [slot, inserted] = index_.try_emplace(std::string(revision), nullptr);
  if (!inserted) return nullptr;
  try {
    auto rec = std::make_unique<DeltaRecord>();
    rec->revision = slot->first;
    DeltaRecord* p = rec.get();
    deltas_.push_back(std::move(rec));
    slot->second = p;
    return p;
  } catch (...) {
    index_.erase(slot);
    throw;
  }
}

bool ArchiveFile::renumberDelta(DeltaRecord* d, std::string_view revision) {
  std::string key(revision);
  if (index_.count(key)) return false;
  index_.erase(d->revision);
  d->revision = key;
  index_.emplace(std::move(key), d);
  return true;
}

void ArchiveFile::dropDelta(DeltaRecord* record) {
  if (!record) return;
  index_.erase(record->revision);
  if (current == record) current = nullptr;
  readOrder.erase(std::remove(readOrder.begin(), readOrder.end(), record), readOrder.end());
  deltas_.erase(std::remove_if(deltas_.begin(), deltas_.end(),
                               [record](const std::unique_ptr<DeltaRecord>& d) { return d.get() == record; }),
                deltas_.end());
}

void ArchiveFile::reset() {
  ByteSource* keepSource = source;
  uint8_t keepCompression = compression;
  uint8_t keepFlags = flags & (kFlagEncrypted | kFlagCreated | kFlagKeepClosed);
  head = nullptr;
  defaultBranch.clear();
  access.clear();
  securityObjects.clear();
  symbols.clear();
  locks.clear();
  comment.clear();
  extension.clear();
  hasExtension = false;
  description.clear();
  phrases.clear();
  readState = ReadState::Nothing;
  quickHeader = false;
  textPosition = resumePosition = 0;
  current = nullptr;
  sourceCanonical = false;
  fileDeltaCount = 0;
  readOrder.clear();
  checksum = 0;
  length = 0;
  index_.clear();
  deltas_.clear();
  source = keepSource;
  compression = keepCompression;
  flags = keepFlags;
}

std::vector<DeltaRecord*> recordOrder(const ArchiveFile& a) {
  // Each stack entry is a chain start; a chain's records come first, then the
  // branches of its records in order, so the branch lists are pushed in reverse.
  std::vector<DeltaRecord*> out;
  std::vector<DeltaRecord*> stack;
  if (a.head) stack.push_back(a.head);
  while (!stack.empty()) {
    DeltaRecord* start = stack.back();
    stack.pop_back();
    std::vector<DeltaRecord*> chain;
    for (DeltaRecord* r = start; r; r = r->next) chain.push_back(r);
    out.insert(out.end(), chain.begin(), chain.end());
    // Visiting order after the chain: for each record of the chain, from the
    // deepest back to the start, its branches in list order (recursive order
    // of "record, rest of chain, own branches").
    for (auto r = chain.begin(); r != chain.end(); ++r)
      for (auto b = (*r)->branches.rbegin(); b != (*r)->branches.rend(); ++b) stack.push_back(*b);
  }
  return out;
}

std::vector<DeltaRecord*> textOrder(const ArchiveFile& a) {
  std::vector<DeltaRecord*> out;
  std::vector<DeltaRecord*> stack;
  if (a.head) stack.push_back(a.head);
  while (!stack.empty()) {
    DeltaRecord* r = stack.back();
    stack.pop_back();
    out.push_back(r);
    if (r->next) stack.push_back(r->next);
    // Branches from the last listed to the first: the first listed is pushed first.
    for (DeltaRecord* b : r->branches) stack.push_back(b);
  }
  return out;
}

DeltaRecord* findDelta(ArchiveFile& a, std::string_view revision) {
  DeltaRecord* cur = a.head;
  a.current = cur;
  while (cur) {
    a.current = cur;
    const int c = revisionCompare(cur->revision, revision);
    if (c == 0) return cur;
    if (c < 0) return nullptr;
    const size_t own = countFields(cur->revision);
    if (static_cast<size_t>(c) > own) {
      // The revision continues past this record: into the branch that starts
      // with the same fields.
      DeltaRecord* into = nullptr;
      for (DeltaRecord* b : cur->branches)
        if (sameLeadingFields(b->revision, revision, own + 1)) {
          into = b;
          break;
        }
      if (!into) return nullptr;
      cur = into;
    } else {
      if (!cur->next) return nullptr;
      cur = cur->next;
    }
  }
  return nullptr;
}

namespace {

uint64_t held(const TextRecord& t) { return t.inMemory() ? t.data->size() : 0; }

template <typename Fn>
void forEachTextInReleaseOrder(ArchiveFile& a, Fn&& fn) {
  fn(a.description);
  // Walk each chain; for every record, its branches first, then the record.
  struct Frame {
    DeltaRecord* rec;
    bool branchesDone;
  };
  std::vector<Frame> stack;
  if (a.head) stack.push_back({a.head, false});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (!f.branchesDone) {
      f.branchesDone = true;
      DeltaRecord* r = f.rec;
      for (auto b = r->branches.rbegin(); b != r->branches.rend(); ++b) stack.push_back({*b, false});
      continue;
    }
    DeltaRecord* r = f.rec;
    stack.pop_back();
    fn(r->log);
    fn(r->text);
    if (r->next) stack.push_back({r->next, false});
  }
}

}  // namespace

uint64_t heldTextBytes(const ArchiveFile& a) {
  uint64_t total = held(a.comment) + held(a.extension) + held(a.description);
  for (const auto& d : a.allDeltas()) total += held(d->log) + held(d->text);
  return total;
}

uint64_t releaseTexts(ArchiveFile& a, uint64_t wanted) {
  if (wanted > heldTextBytes(a)) return 0;
  uint64_t freed = 0;
  forEachTextInReleaseOrder(a, [&](TextRecord& t) {
    if (freed >= wanted || !t.inMemory() || !t.hasOffset()) return;
    freed += t.data->size();
    t.data.reset();
  });
  return freed;
}

}  // namespace vc::archive
