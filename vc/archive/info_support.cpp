// Token rules, the enumeration order and the change events of
// the information items (see info_support.h).
#include "vc/archive/info_support.h"

#include "vc/archive/archive_handles.h"
#include "vc/error_codes.h"
#include "vc/script/event_sources.h"
#include "vc/files/file_utils.h"
#include "vc/instance/instance.h"
#include "vc/config/option_lookup.h"
#include "vc/tokens/token_rules.h"

#include <algorithm>
#include <cctype>

namespace vc {
namespace {

using orv::archive::ArchiveFile;
using orv::archive::DeltaRecord;

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool startsNoCase(const std::string& s, std::size_t at, const char* word) {
  for (std::size_t k = 0; word[k]; ++k) {
    if (at + k >= s.size()) return false;
    if (std::tolower(static_cast<unsigned char>(s[at + k])) != word[k]) return false;
  }
  return true;
}

bool configLineRule(const std::string& t) {
  std::size_t i = 0;
  while (i < t.size() && isWhite(t[i])) ++i;
  if (i >= t.size() || !isLetter(t[i])) return false;
  for (const char* pair : {"worktoarch", "workmap", "autoaction"})
    if (startsNoCase(t, i, pair)) return t.find('=', i) != std::string::npos;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '#' || c == '=') return true;
    if (!(isLetter(c) || isDigit(c) || isWhite(c) || c == '_')) return false;
  }
  return true;
}

bool nameFormatRule(const std::string& t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '%') continue;
    if (i + 1 >= t.size()) return false;
    const char c = t[i + 1];
    if (c != 'v' && c != 'd' && c != 'f') return false;
    ++i;
  }
  return true;
}

void visitRevision(DeltaRecord* r, std::vector<DeltaRecord*>& out);

void visitBranch(DeltaRecord* first, std::vector<DeltaRecord*>& out) {
  std::vector<DeltaRecord*> line;
  for (DeltaRecord* r = first; r; r = r->next) line.push_back(r);
  for (auto it = line.rbegin(); it != line.rend(); ++it) visitRevision(*it, out);
}

void visitRevision(DeltaRecord* r, std::vector<DeltaRecord*>& out) {
  for (auto b = r->branches.rbegin(); b != r->branches.rend(); ++b) visitBranch(*b, out);
  out.push_back(r);
}

}  // namespace

int validateToken(VcInstance& inst, int kind, const std::string& text) {
  bool ok = false;
  switch (kind) {
    case kTokenUser:
    case kTokenUserAlt: ok = orv::vc::is_user_name(text, !optionBool(inst, "vanillarcs", false)); break;
    case kTokenRevision: ok = orv::vc::is_revision_number(text); break;
    case kTokenState: ok = orv::vc::is_state(text); break;
    case kTokenLabel: ok = orv::vc::is_label(text); break;
    case kTokenConfigLine: ok = configLineRule(text); break;
    case kTokenNameFormat: ok = nameFormatRule(text); break;
    default: return err::kBadArgument;
  }
  return ok ? 0 : err::kBadToken;
}

std::vector<DeltaRecord*> enumerationOrder(const ArchiveFile& a) {
  std::vector<DeltaRecord*> out;
  for (DeltaRecord* r = a.head; r; r = r->next) visitRevision(r, out);
  return out;
}

bool onTrunk(const DeltaRecord* d) {
  return std::count(d->revision.begin(), d->revision.end(), '.') <= 1;
}

DeltaRecord* previousOnLine(const DeltaRecord* d) {
  if (onTrunk(d)) return d->next;
  return d->parent && d->parent->next == d ? d->parent : nullptr;
}

DeltaRecord* nextNewerOnLine(const DeltaRecord* d) {
  if (onTrunk(d)) return d->parent && d->parent->next == d ? d->parent : nullptr;
  return d->next;
}

bool sameUser(const std::string& a, const std::string& b) { return equalsNoCase(a, b); }

const orv::archive::Lock* lockOn(const ArchiveFile& a, const std::string& revision) {
  for (const auto& l : a.locks)
    if (l.revision == revision) return &l;
  return nullptr;
}

const orv::archive::Lock* lockOf(const ArchiveFile& a, const std::string& user) {
  for (const auto& l : a.locks)
    if (sameUser(l.user, user)) return &l;
  return nullptr;
}

int beforeChange(VcInstance& inst, VcArchive& a, const char* event, const char* value,
                 const char* revision) {
  setOption(inst.options.local, "newvalue", std::string(value ? value : ""), kOptTemporary);
  const int rc = runPreEvent(a.handle, event, revision);
  if (rc == 0) return 0;
  if (rc > err::kNoMessage) {
    inst.security.error = 0;
    inst.extraError = 0;
    return fail(inst, rc);
  }
  return fail(inst, err::kEventHalted);
}

void afterChange(VcArchive& a, const char* event, const char* revision) {
  runPostEvent(a.handle, event, revision);
}

int byteValue(const char* value) {
  const unsigned char c = static_cast<unsigned char>(value[0]);
  return c >= '0' && c <= '9' ? c - '0' : c;
}

}  // namespace vc
