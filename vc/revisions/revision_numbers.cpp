// Revision-number comparisons (see revision_numbers.h). A null argument
// counts as the empty number; fields larger than 64 bits saturate.
#include "vc/revisions/revision_numbers.h"

#include "vc/include/vc.h"

#include <cstdint>
#include <cstdlib>

namespace vc {
namespace {

// Reads one field at *p: the decimal digits there (saturating), then skips
// the one character that ended them. False when the number has ended.
bool nextField(const char*& p, std::uint64_t& value) {
  if (!*p) return false;
  value = 0;
  while (*p >= '0' && *p <= '9') {
    unsigned digit = static_cast<unsigned>(*p - '0');
    value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
    ++p;
  }
  if (*p) ++p;
  return true;
}

int absInt(int v) { return v < 0 ? -v : v; }

}  // namespace

int revFields(const char* rev) {
  if (!rev || !*rev) return 0;
  int dots = 0;
  const char* p = rev;
  for (; *p; ++p) dots += *p == '.';
  return dots + 1 - (p[-1] == '.' ? 1 : 0);
}

int revCmp(const char* a, const char* b) {
  const char* pa = a ? a : "";
  const char* pb = b ? b : "";
  for (int k = 1;; ++k) {
    std::uint64_t va = 0, vb = 0;
    bool ha = nextField(pa, va);
    bool hb = nextField(pb, vb);
    if (!ha && !hb) return 0;
    if (!ha) return k == 2 ? 2 : (k % 2 == 0 ? -k : k);  // a is a prefix of b
    if (!hb) return (k == 2 || k % 2 == 1) ? -k : k;     // b is a prefix of a
    if (va != vb) {
      bool aGreater = va > vb;
      if (k <= 2) return aGreater ? k : -k;  // trunk fields descend from the head
      return aGreater ? -k : k;              // branch fields ascend from the branch point
    }
  }
}

int revDerives(const char* a, const char* b) {
  int c = revCmp(a, b);
  if (c < 0) return -1;
  if (c == 0) return 0;
  int fields = revFields(a);
  return (fields < 3 || c >= fields) ? c : -1;
}

int revOrder(const char* a, const char* b) {
  int c = revCmp(a, b);
  return absInt(c) > 2 ? -c : c;
}

}  // namespace vc

extern "C" {
VC_API int vcRevFields(const char* revision) { return vc::revFields(revision); }
VC_API int vcRevCmp(const char* a, const char* b) { return vc::revCmp(a, b); }
VC_API int vcRevDerives(const char* a, const char* b) { return vc::revDerives(a, b); }
VC_API int vcRevOrder(const char* a, const char* b) { return vc::revOrder(a, b); }
}
