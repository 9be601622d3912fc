// The library's use of the text and binary differencers, and plain file
// comparison: vcFindDiff, vcFindFileDiff and vcCmpFiles, and the same calls
// for check-in.
#pragma once

namespace vc {

struct VcInstance;

// Runs the text ("diff", default option "-Hn") or binary ("diffb", default
// "-n") differencer from file1 to file2 into out. options: the caller's
// words (split at blanks, at most 14) or null. Answers 0 same, 1 different,
// 2 trouble (the differencer's code in the extra error, its message in
// errbuf when one is given).
int runDiffer(VcInstance& inst, bool binary, const char* options, const char* file1, const char* file2,
              const char* out, char* errbuf, int errlen);

// 0 equal, 1 different, 207 when a file cannot be opened (its name in errbuf).
// Text files compare with CR LF read as LF.
int compareFiles(VcInstance* inst, bool binary, const char* file1, const char* file2, char* errbuf, int errlen);

}  // namespace vc
