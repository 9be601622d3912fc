// The line matchers of the text differencer: the first pass over the common
// beginning, the full (longest common subsequence) matcher and the
// half-hearted (windowed) matcher. All read the pair's input texts (lines
// with their hashes) and report to a DiffWriter.
#pragma once

#include "differ/txtcmp/diff_run.h"
#include "differ/txtcmp/diff_writer.h"

namespace orv::txtcmp {

struct PairContext {
  const Options& opt;
  InputText& f1;
  InputText& f2;
  DiffWriter& w;
  diffsup::MessageBuffer& msgs;  // where the messages of the comparison go
};

// Compares the pair (both texts loaded) and writes the output: the byte
// comparison of dircmp, else the first pass, then the matcher the options
// choose (the half-hearted one after the full one ran out of memory, with
// -H). Returns 0 same, 1 different, 4 when a text ended at an unreadable
// line; throws FatalError (message stored) when memory runs out without -H.
int compare_pair_texts(PairContext& ctx);

// Skips the common lines from the current positions, handing them to the
// writer. True when both files are equal to their ends; otherwise both files
// stand at their first differing lines.
bool skip_common(PairContext& ctx);

// Hunt-McIlroy matching, in segments when segment mode is on. Returns 0 when
// no change was written, 1 when changes were written, 2 when memory ran out
// (or a file has too many lines); the files then stand at the start of the
// segment that could not be matched and the writer's offsets count the lines
// before it.
int full_match(PairContext& ctx);

// Windowed matching from the current positions to the ends of the files.
// Returns 1.
int half_match(PairContext& ctx);

}  // namespace orv::txtcmp
