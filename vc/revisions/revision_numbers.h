// Dotted decimal revision numbers: an even number of fields names a revision
// (1.3, 1.3.1.4), an odd number a branch (1.3.1). These are the library's
// own comparisons; the exports vcRevFields, vcRevCmp, vcRevDerives and
// vcRevOrder wrap them.
#pragma once

namespace vc {

int revFields(const char* rev);
// Signed number (from 1) of the first field in which a and b differ or one of
// them ends; positive when a lies nearer the head on the way to b.
int revCmp(const char* a, const char* b);
// Non-negative when b's text is built through a.
int revDerives(const char* a, const char* b);
// Numeric sort order: negative when a sorts before b.
int revOrder(const char* a, const char* b);

}  // namespace vc
