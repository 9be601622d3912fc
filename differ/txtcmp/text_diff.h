// The text differencer in memory: two texts in, an archive edit script (the
// "-n" form) or a block list (the "-N" form) out through a sink. No file, no
// option vector, no global state beyond the memory budget: calls may run in
// several threads at once, and DiffFile's busy flag and message are left
// alone.
//
// Not exported from libtxtcmp32.so: the revision library links the
// differencer's core (differ_txtcore) itself. DiffFile is a driver over the
// same core: it parses its words, reads its files whole and writes the form
// the words ask for.
//
// The texts are read as DiffFile reads a file: lines end at a line feed (kept);
// a carriage return before it, or as the very last character, reads as the
// line feed; a line of more than 1,024 characters before its line feed, or one
// holding a NUL byte, ends the text there (result 4, with its message).
#pragma once

#include <string>
#include <string_view>

#include "differ/support/diff_sink.h"
#include "differ/txtcmp/line_rules.h"

namespace orv::txtcmp {

// The output goes to a sink (diff_sink.h, shared with the binary
// differencer).
using diffsup::DiffSink;
using diffsup::StringSink;

struct TextDiffOptions {
  enum class Form {
    kEditScript,  // -n: "dN M" and "aN M" with the added lines, as an archive stores it
    kBlocks,      // -N: "a|d|c FROM1 COUNT1 FROM2 COUNT2", the merge program's block list
  };
  Form form = Form::kEditScript;
  LineRules rules;         // -b, -w, -i
  bool half = false;       // -h: the half-hearted matcher only
  bool fallback = false;   // -H: the half-hearted matcher when the full one runs out of memory
  bool segmented = false;  // "bdiff": the full matcher over segments of seglen lines at a time
  long seglen = 3999;
  // The texts' names in messages ("file \"%s\" is binary").
  std::string_view name1 = "text 1";
  std::string_view name2 = "text 2";
};

// Compares text1 with text2 and writes what turns text1 into text2. Result:
// 0 same (nothing written), 1 different, 2 trouble ("insufficient memory
// (try diff -h)\n" when the full matcher runs out of its budget without
// -H; the output is then incomplete), 4 a text ended at an unreadable line
// (the output covers the lines before it). For 2 and 4 the message goes to
// *message when given. The texts are not copied.
int diff_texts(std::string_view text1, std::string_view text2, const TextDiffOptions& options, DiffSink& out,
               std::string* message = nullptr);

}  // namespace orv::txtcmp
