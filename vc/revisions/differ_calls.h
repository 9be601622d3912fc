// The library's use of the text and binary differencers, and plain file
// comparison: vcFindDiff, vcFindFileDiff and vcCmpFiles, and the same
// comparisons for check-in, which compares texts and bytes in memory.
#pragma once

#include <string>
#include <string_view>

namespace vc {

struct VcInstance;

// Runs the text ("diff", default option "-Hn") or binary ("diffb", default
// "-n") differencer from file1 to file2 into out. options: the caller's
// words (split at blanks, at most 14) or null. Answers 0 same,
// VC_E_FILES_DIFFER different, VC_E_DIFF_FAILED trouble (the differencer's
// code in the extra error, its message in errbuf when one is given).
int runDiffer(VcInstance& inst, bool binary, const char* options, const char* file1, const char* file2,
              const char* out, char* errbuf, int errlen);

// The archive edit script that turns text `from` into text `to`, as the text
// differencer's "-Hn" writes it, computed in memory (no file, no option
// vector). 0 with `changed` telling whether the texts differ, or
// VC_E_DIFF_FAILED (the differencer's result, 2 or 4, in the extra error).
int diffTexts(VcInstance& inst, std::string_view from, std::string_view to, std::string& script, bool& changed);

// The same for the bytes of a binary archive: the edit script of the binary
// differencer's "-n", computed in memory (no file, no option vector).
int diffBytes(VcInstance& inst, std::string_view from, std::string_view to, std::string& script, bool& changed);

// 0 equal, VC_E_FILES_DIFFER different, VC_E_CANNOT_OPEN_WORK_FILE when a file
// cannot be opened (its name in errbuf).
// Text files compare with CR LF read as LF.
int compareFiles(VcInstance* inst, bool binary, const char* file1, const char* file2, char* errbuf, int errlen);

}  // namespace vc
