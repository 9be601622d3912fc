// Parsing of the text differencer's option vector (DiffArgv).
#pragma once

#include "differ/txtcmp/diff_run.h"

namespace orv::txtcmp {

// Parses the words from argv[1] on into `opt` (already reset). On success
// returns 0 and sets *first_operand to the index of the first word after the
// options; on a usage error returns 2 (with the message stored, except for -M
// without a word, which leaves the message as it was).
int parse_options(int argc, const char* const* argv, Options& opt, int* first_operand);

}  // namespace orv::txtcmp
