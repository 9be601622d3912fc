/* The public header compiled as C, so that it stays valid C for callers. */
#include "vc/include/vc.h"

_Static_assert(VC_CHECKOUT_NO_KEYWORDS == (VC_CHECKOUT_COLLAPSE_KEYWORDS | VC_CHECKOUT_EXPAND_KEYWORDS),
               "the check-out flags combine");

VcError vcHeaderAsC(void);
VcError vcHeaderAsC(void) { return VC_E_SUCCESS; }
