// Fragments: named multi-line texts kept as records (kind 11) under a policy
// statement, whose second list names them. Each line is one text of the
// fragment's first list.
#pragma once

namespace kel {

// Longest line a fragment file may hold (without its line end).
inline constexpr int kFragmentLineMax = 1000;

// Makes the fragment from a text file, one line each (the first replacing
// what the fragment held): 5 for missing arguments, 201 when the file cannot
// be opened (the system code kept), 17 for a line longer than 1,000 bytes
// (nothing of the file is added then), else the first failing kelAddFrag
// result.
int importFragmentFile(int scopeKind, const char* scopeName, const char* statement, const char* fragment,
                       const char* path);

}  // namespace kel
