// Archive record, tree walks, revision search and release of held texts.
#include "vc/archive/format/archive_model.h"

#include "vc/archive/format/byte_count.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <ostream>

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

// The fields of a revision number, as Fields reads them: held in place for
// the usual few, in a vector beyond that.
class FieldList {
 public:
  void read(std::string_view r) {
    if (size_ > kInPlace) more_.clear();
    size_ = 0;
    // As Fields reads them, in one loop.
    const char* p = r.data();
    const char* const end = p + r.size();
    while (p < end) {
      uint64_t n = 0;
      for (; p < end && static_cast<unsigned char>(*p - '0') <= 9; ++p)
        if (n < UINT64_MAX / 16) n = n * 10 + static_cast<uint64_t>(*p - '0');
      ++p;  // the separator
      if (size_ < kInPlace)
        inPlace_[size_] = n;
      else
        more_.push_back(n);
      ++size_;
    }
  }
  size_t size() const { return size_; }
  uint64_t operator[](size_t i) const { return i < kInPlace ? inPlace_[i] : more_[i - kInPlace]; }

 private:
  static constexpr size_t kInPlace = 8;
  uint64_t inPlace_[kInPlace];
  size_t size_ = 0;
  std::vector<uint64_t> more_;
};

// Revision comparison over the fields of two numbers: the magnitude is the
// first field (from 1) where a and b differ or one of them ends; positive
// when a lies nearer the head on the way to b (trunk numbers fall from the
// head, branch numbers rise from the branch point).
int compareFields(const FieldList& a, const FieldList& b) {
  for (size_t k = 1;; ++k) {
    const bool aEnds = k > a.size();
    const bool bEnds = k > b.size();
    const int sk = static_cast<int>(k);
    if (aEnds && bEnds) return 0;
    if (aEnds) return k == 2 ? 2 : (k % 2 == 0 ? -sk : sk);
    if (bEnds) return (k == 2 || k % 2 == 1) ? -sk : sk;
    const uint64_t x = a[k - 1], y = b[k - 1];
    if (x != y) {
      if (k <= 2) return x > y ? sk : -sk;
      return x < y ? sk : -sk;
    }
  }
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

std::ostream& operator<<(std::ostream& out, const StoredDate& date) { return out << date.view(); }

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

ArchiveFile::~ArchiveFile() { freeRecords(); }

DeltaRecord* ArchiveFile::newRecord() {
  if (blocks_.empty() || blocks_.back().used == blocks_.back().capacity) {
    const size_t capacity = blocks_.empty() ? 64 : std::min<size_t>(blocks_.back().capacity * 2, 256);
    blocks_.reserve(blocks_.size() + 1);
    auto* items = static_cast<DeltaRecord*>(::operator new(capacity * sizeof(DeltaRecord)));
    blocks_.push_back({items, 0, capacity});
  }
  RecordBlock& b = blocks_.back();
  DeltaRecord* d = new (b.items + b.used) DeltaRecord;  // its members are initialised by their declarations
  ++b.used;
  return d;
}

void ArchiveFile::freeRecords() {
  for (RecordBlock& b : blocks_) {
    for (size_t i = 0; i < b.used; ++i) b.items[i].~DeltaRecord();
    ::operator delete(b.items);
  }
  blocks_.clear();
}

size_t ArchiveFile::hashRevision(std::string_view revision) {
  // A revision number is short: its first and last eight bytes (overlapping,
  // or four and four, or single bytes) are mixed with its length, so no
  // loop runs over its characters; longer ones add their middle.
  const char* p = revision.data();
  const size_t n = revision.size();
  uint64_t a = 0, b = 0;
  if (n >= 8) {
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + n - 8, 8);
    for (size_t i = 8; i + 8 < n; i += 8) {
      uint64_t m;
      std::memcpy(&m, p + i, 8);
      a = (a ^ m) * 0x9E3779B97F4A7C15ull;
    }
  } else if (n >= 4) {
    uint32_t x, y;
    std::memcpy(&x, p, 4);
    std::memcpy(&y, p + n - 4, 4);
    a = x;
    b = y;
  } else if (n > 0) {
    a = static_cast<unsigned char>(p[0]) | static_cast<uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
        static_cast<uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
  }
  uint64_t h = (a ^ n) * 0x9E3779B97F4A7C15ull;
  h ^= (b + (h >> 29)) * 0xC2B2AE3D27D4EB4Full;
  return static_cast<size_t>(h ^ (h >> 32));
}

namespace {

// a == b for the short strings revision numbers are, without a call.
bool sameText(std::string_view a, std::string_view b) {
  const size_t n = a.size();
  if (n != b.size()) return false;
  if (n >= 8 && n <= 16) {
    uint64_t x0, x1, y0, y1;
    std::memcpy(&x0, a.data(), 8);
    std::memcpy(&y0, b.data(), 8);
    std::memcpy(&x1, a.data() + n - 8, 8);
    std::memcpy(&y1, b.data() + n - 8, 8);
    return ((x0 ^ y0) | (x1 ^ y1)) == 0;
  }
  if (n >= 4 && n < 8) {
    uint32_t x0, x1, y0, y1;
    std::memcpy(&x0, a.data(), 4);
    std::memcpy(&y0, b.data(), 4);
    std::memcpy(&x1, a.data() + n - 4, 4);
    std::memcpy(&y1, b.data() + n - 4, 4);
    return ((x0 ^ y0) | (x1 ^ y1)) == 0;
  }
  return n == 0 || std::memcmp(a.data(), b.data(), n) == 0;
}

}  // namespace

size_t ArchiveFile::findSlot(std::string_view revision, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (!s.record || (s.hash == hash && sameText(s.record->revision, revision))) return i;
  }
}

void ArchiveFile::growIndex() {
  std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2, Slot{nullptr, 0});
  old.swap(slots_);
  for (const Slot& s : old)
    if (s.record) slots_[findSlot(s.record->revision, s.hash)] = s;
}

void ArchiveFile::indexInsert(DeltaRecord* d, size_t hash) {
  if ((indexed_ + 1) * 2 > slots_.size()) growIndex();
  slots_[findSlot(d->revision, hash)] = {d, hash};
  ++indexed_;
}

void ArchiveFile::indexErase(DeltaRecord* d) {
  if (slots_.empty()) return;
  size_t i = findSlot(d->revision, hashRevision(d->revision));
  if (slots_[i].record != d) return;
  // Backward shift: each later entry of the run that may move up does.
  const size_t mask = slots_.size() - 1;
  for (size_t j = (i + 1) & mask; slots_[j].record; j = (j + 1) & mask) {
    const size_t home = slots_[j].hash & mask;
    // The entry at j may fill the hole at i unless its home lies in (i, j].
    if (((j - home) & mask) >= ((j - i) & mask)) {
      slots_[i] = slots_[j];
      i = j;
    }
  }
  slots_[i] = {nullptr, 0};
  --indexed_;
}

DeltaRecord* ArchiveFile::lookup(std::string_view revision) const {
  // Records are usually sought in file order, where the one after a record
  // is its successor, and a caller reading several fields of one revision
  // seeks it several times: both are tried before the index.
  if (lastFound_) {
    if (sameText(lastFound_->revision, revision)) return lastFound_;
    if (lastFound_->next && sameText(lastFound_->next->revision, revision)) return lastFound_ = lastFound_->next;
  }
  if (slots_.empty()) return nullptr;
  DeltaRecord* d = slots_[findSlot(revision, hashRevision(revision))].record;
  if (d) lastFound_ = d;
  return d;
}

DeltaRecord* ArchiveFile::createDelta(std::string_view revision) {
  const size_t hash = hashRevision(revision);
  if (!slots_.empty() && slots_[findSlot(revision, hash)].record) return nullptr;
  // Room first: once the record is made, nothing below can fail.
  if (deltas_.size() == deltas_.capacity()) deltas_.reserve(std::max<size_t>(64, 2 * deltas_.size()));
  if ((indexed_ + 1) * 2 > slots_.size()) growIndex();
  DeltaRecord* d = newRecord();
  d->revision.assign(revision);
  deltas_.push_back(d);
  slots_[findSlot(d->revision, hash)] = {d, hash};
  ++indexed_;
  ++generation_;
  return d;
}

bool ArchiveFile::renumberDelta(DeltaRecord* d, std::string_view revision) {
  if (lookup(revision)) return false;
  std::string number(revision);
  indexErase(d);
  d->revision = std::move(number);
  indexInsert(d, hashRevision(d->revision));
  ++generation_;
  return true;
}

void ArchiveFile::dropDelta(DeltaRecord* record) {
  if (!record) return;
  ++generation_;
  indexErase(record);
  if (current == record) current = nullptr;
  lastFound_ = nullptr;
  readOrder.erase(std::remove(readOrder.begin(), readOrder.end(), record), readOrder.end());
  deltas_.erase(std::remove(deltas_.begin(), deltas_.end(), record), deltas_.end());
  *record = DeltaRecord{};
}

void ArchiveFile::reset() {
  ++generation_;
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
  phrasesBeforeComment.clear();
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
  slots_.clear();
  indexed_ = 0;
  lastFound_ = nullptr;
  deltas_.clear();
  freeRecords();
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
  // The usual case, a number as the archive writes it: straight from the
  // record index (every record there is linked into the tree).
  if (DeltaRecord* d = a.lookup(revision)) {
    a.current = d;
    return d;
  }
  // The sought number's fields are read once; each record's as the walk
  // comes to it.
  FieldList sought, fields;
  sought.read(revision);
  DeltaRecord* cur = a.head;
  a.current = cur;
  while (cur) {
    a.current = cur;
    fields.read(cur->revision);
    const int c = compareFields(fields, sought);
    if (c == 0) return cur;
    if (c < 0) return nullptr;
    const size_t own = fields.size();
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

uint64_t held(const TextRecord& t) { return t.inMemory() ? (*t.data).size() : 0; }

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
    freed += (*t.data).size();
    t.data.reset();
  });
  return freed;
}

}  // namespace vc::archive
