// Revision names, paths and new-revision placement (see revision_tree.h).
#include "vc/revisions/revision_tree.h"

#include "vc/error_codes.h"
#include "vc/revisions/revision_numbers.h"

#include <algorithm>

namespace vc {
namespace {

using vc::archive::ArchiveFile;
using vc::archive::DeltaRecord;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::vector<std::string> splitFields(const std::string& r) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t dot = r.find('.', pos);
    out.push_back(r.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos));
    if (dot == std::string::npos) return out;
    pos = dot + 1;
  }
}

std::string joinFields(const std::vector<std::string>& f, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count && i < f.size(); ++i) {
    if (i) out += '.';
    out += f[i];
  }
  return out;
}

bool allDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), isDigit);
}

// "1.12" + 1 -> "1.13" (decimal string arithmetic, so long fields never wrap).
std::string plusOne(std::string digits) {
  int i = static_cast<int>(digits.size()) - 1;
  while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
  if (i < 0)
    digits.insert(digits.begin(), '1');
  else
    ++digits[static_cast<std::size_t>(i)];
  return digits;
}

int fields(const std::string& r) { return revFields(r.c_str()); }

// The last field with its dot may take at most 10 characters.
int checkLastField(const std::string& r) {
  std::size_t dot = r.rfind('.');
  std::size_t len = dot == std::string::npos ? r.size() : r.size() - dot;
  return len > 10 ? err::kRevisionOutOfRange : 0;
}

// The last field plus one; on the trunk a default branch of fewer than three
// fields that lies above r starts a new release instead.
int increment(const ArchiveFile& a, const std::string& r, bool trunk, std::string& out) {
  std::vector<std::string> f = splitFields(r);
  if (!allDigits(f.back())) return err::kSymbolTooLong;
  if (trunk && !a.defaultBranch.empty()) {
    const int df = fields(a.defaultBranch);
    if (df < 3 && df <= static_cast<int>(f.size())) {
      const std::string lead = joinFields(f, static_cast<std::size_t>(df));
      if (revOrder(a.defaultBranch.c_str(), lead.c_str()) > 0) {
        out = a.defaultBranch + ".1";
        return out.size() >= 2048 ? err::kSymbolTooLong : 0;
      }
    }
  }
  f.back() = plusOne(f.back());
  out = joinFields(f, f.size());
  return out.size() >= 2048 ? err::kSymbolTooLong : 0;
}

// The number of a new branch from b (r is the number asked for).
std::string newBranchNumber(ArchiveFile& a, DeltaRecord* b, const std::string& r) {
  const std::string& d = a.defaultBranch;
  if (!d.empty() && fields(d) >= fields(r)) {
    DeltaRecord* keep = a.current;
    DeltaRecord* found = vc::archive::findDelta(a, d);
    DeltaRecord* ended = a.current;
    a.current = keep;
    if (!found && ended == b) return d + ".1";
  }
  std::string last = "0";
  if (!b->branches.empty()) {
    std::vector<std::string> f = splitFields(b->branches.back()->revision);
    const std::size_t own = static_cast<std::size_t>(fields(b->revision));
    if (f.size() > own && allDigits(f[own])) last = f[own];
  }
  return b->revision + "." + plusOne(last) + ".1";
}

}  // namespace

int expandRevisionName(const ArchiveFile& a, std::string_view name, std::string& out) {
  out.clear();
  if (name.empty()) return 0;
  std::size_t pos = 0;
  for (;;) {
    std::size_t dot = name.find('.', pos);
    std::string_view part = name.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos);
    if (pos) out += '.';
    if (!part.empty() && isDigit(part[0])) {
      if (!std::all_of(part.begin(), part.end(), isDigit)) return err::kBadRevisionNumber;
      std::size_t z = 0;
      while (z + 1 < part.size() && part[z] == '0') ++z;
      out.append(part.substr(z));
    } else if (!part.empty() && (isLetter(part[0]) || part[0] == '_')) {
      const vc::archive::Symbol* hit = nullptr;
      for (const auto& s : a.symbols)
        if (s.name == part) {
          hit = &s;
          break;
        }
      if (!hit) return err::kSymbolMissing;
      out += hit->revision;
    } else {
      return err::kBadRevisionNumber;
    }
    if (out.size() >= 2048) return err::kSymbolTooLong;
    if (dot == std::string_view::npos) return 0;
    pos = dot + 1;
  }
}

DeltaRecord* resolveRevision(ArchiveFile& a, const std::string& expanded) {
  if (!a.head) return nullptr;
  if (expanded.empty()) {
    if (a.defaultBranch.empty()) return a.head;
    return resolveRevision(a, a.defaultBranch);
  }
  if (DeltaRecord* d = vc::archive::findDelta(a, expanded)) return d;
  if (fields(expanded) % 2 == 1) return a.current;
  return nullptr;
}

std::vector<DeltaRecord*> pathFromHead(DeltaRecord* target) {
  std::vector<DeltaRecord*> path;
  for (DeltaRecord* d = target; d; d = d->parent) path.push_back(d);
  std::reverse(path.begin(), path.end());
  return path;
}

namespace {

// The first revision of an archive: a release number (F fields) gets ".1",
// a revision number stays.
int placeFirst(const std::string& r, int f, Placement& out) {
  if (f == 1) {
    if (!allDigits(r)) return err::kSymbolTooLong;
    out.number = r + ".1";
  } else if (f == 2) {
    out.number = r;
  } else {
    return err::kRevisionOutOfRange;
  }
  out.kind = Placement::Trunk;
  return 0;
}

// After the existing revision b that r names: a new head after the head, the
// next revision at a branch's tip, else (and always for a duplicate) a new
// branch from b.
int placeAfter(ArchiveFile& a, DeltaRecord* b, const std::string& r, int f, bool duplicate, Placement& out) {
  out.base = b;
  if (duplicate) {
    out.kind = Placement::NewBranch;
    out.number = newBranchNumber(a, b, r);
  } else if (b == a.head) {
    out.kind = Placement::Trunk;
    if (int rc = increment(a, r, true, out.number)) return rc;
  } else if (f >= 3 && !b->next) {
    out.kind = Placement::BranchTip;
    if (int rc = increment(a, r, false, out.number)) return rc;
  } else {
    out.kind = Placement::NewBranch;
    out.number = newBranchNumber(a, b, r);
  }
  return 0;
}

// A trunk number r that names no revision, the search having ended at the
// head: a release number starts that release (or, when older than the head,
// takes the number after the head); the first number not taken is used.
int placeNewTrunkNumber(ArchiveFile& a, const std::string& r, int f, Placement& out) {
  std::string n = r;
  if (f == 1) {
    if (!allDigits(r)) return err::kSymbolTooLong;
    n = r + ".1";
    if (revOrder(n.c_str(), a.head->revision.c_str()) < 0) {
      if (int rc = increment(a, a.head->revision, true, n)) return rc;
    }
  }
  while (a.lookup(n)) {
    if (int rc = increment(a, n, false, n)) return rc;
  }
  out.kind = Placement::Trunk;
  out.number = n;
  return 0;
}

// A number r that names no revision, beside the revision q (of G fields) the
// search ended at: a new branch from q, the tip of q's branch, or out of
// range when r does not fit there.
int placeBeside(ArchiveFile& a, DeltaRecord* q, const std::string& r, int f, Placement& out) {
  const int g = fields(q->revision);
  if (f <= g) {
    if (f == 1) {
      out.kind = Placement::NewBranch;
      out.number = newBranchNumber(a, q, r);
      return 0;
    }
    if (f == 2 || q->next) return err::kRevisionOutOfRange;
    out.kind = Placement::BranchTip;
    if (f % 2 == 1) return increment(a, q->revision, false, out.number);
    out.number = r;
    return 0;
  }
  if (f > g + 2) return err::kRevisionOutOfRange;
  for (const DeltaRecord* b : q->branches)
    if (revOrder(b->revision.c_str(), r.c_str()) >= 0) return err::kRevisionOutOfRange;
  out.kind = Placement::NewBranch;
  out.number = f % 2 == 1 ? r + ".1" : r;
  return 0;
}

}  // namespace

int placeNewRevision(ArchiveFile& a, const std::string& r, bool duplicate, Placement& out) {
  out = Placement{};
  const int f = fields(r);
  if (f == 0) return err::kRevisionOutOfRange;
  if (!a.head) {
    if (int rc = placeFirst(r, f, out)) return rc;
    return checkLastField(out.number);
  }
  if (DeltaRecord* b = vc::archive::findDelta(a, r)) {
    if (int rc = placeAfter(a, b, r, f, duplicate, out)) return rc;
    a.current = b;
    return checkLastField(out.number);
  }
  // r names no revision: the placement starts from where the search ended.
  DeltaRecord* q = a.current;
  if (!q) return err::kRevisionMissing;
  out.base = q;
  const int rc = q == a.head && f <= 2 ? placeNewTrunkNumber(a, r, f, out) : placeBeside(a, q, r, f, out);
  if (rc) return rc;
  a.current = q;
  return checkLastField(out.number);
}

bool sameTreePlace(const ArchiveFile& a, const Placement& p, const std::string& number) {
  if (fields(number) != fields(p.number)) return false;
  const std::vector<std::string> want = splitFields(p.number);
  const std::vector<std::string> got = splitFields(number);
  for (const std::string& f : got)
    if (!allDigits(f)) return false;
  switch (p.kind) {
    case Placement::Trunk:
      return !a.head || revOrder(number.c_str(), a.head->revision.c_str()) > 0;
    case Placement::BranchTip:
      return joinFields(got, got.size() - 1) == joinFields(want, want.size() - 1) && p.base &&
             revOrder(number.c_str(), p.base->revision.c_str()) > 0;
    case Placement::NewBranch: {
      if (!p.base) return false;
      const std::size_t own = static_cast<std::size_t>(fields(p.base->revision));
      if (joinFields(got, own) != p.base->revision) return false;
      for (const DeltaRecord* b : p.base->branches)
        if (splitFields(b->revision)[own] == got[own]) return false;
      return true;
    }
  }
  return false;
}

}  // namespace vc
