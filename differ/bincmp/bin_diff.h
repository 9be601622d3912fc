// The binary differencer in memory: two byte strings in, the changes out
// through a sink, in the same bytes as DiffBFile writes for the same inputs
// and options. No file and no option vector: the inputs are compared in
// place (never copied), and the pending change and its context are noted as
// pieces of them, so no scratch file is made. DiffBFile's busy flag and
// message are left alone, so calls may run in several threads at once.
//
// Not exported from libbincmp32.so: the revision library links the
// differencer's core (differ_bincore) itself, for check-in.
#pragma once

#include <string>
#include <string_view>

#include "differ/bincmp/bincmp.h"
#include "differ/support/diff_sink.h"

namespace orv::bincmp {

// Compares bytes1 with bytes2 and writes what turns bytes1 into bytes2 (with
// options.rcs the archive edit script of "-n", else the listing; context as
// "-c"/"-C"). Result: 0 same (nothing written), 1 different, 2 trouble (the
// memory ran out; its message in *message when given, the output then
// incomplete).
int diff_bytes(std::string_view bytes1, std::string_view bytes2, const BinOptions& options, diffsup::DiffSink& out,
               std::string* message = nullptr);

}  // namespace orv::bincmp
