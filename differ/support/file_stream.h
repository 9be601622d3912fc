// Standard C streams over the system-call seam, for the differencers.
//
// The differencers print their scripts through stdio streams with fprintf
// (the text differencer reads its inputs whole, in memory; a stream opened
// for reading serves read_line, a character at a time through stdio's
// buffer). The streams made here fill and drain the buffer through
// orv::sys::calls() - open, read, write, lseek, close - so a test can make
// any of those calls fail. The buffer is stdio's own: no extra copy.
#pragma once

#include <cstdio>

namespace orv::diffsup {

enum class StreamMode { kRead, kWriteTruncate };

// Opens path as a stream; nullptr with errno set when it cannot be opened.
// Close it with std::fclose. Read errors and write errors show as ferror,
// with errno left as the failing call set it.
std::FILE* open_stream(const char* path, StreamMode mode);

// A stream over a descriptor that is already open (kWriteTruncate: a stream
// for writing; nothing is truncated). The stream owns the descriptor from
// then on, also when it cannot be made (nullptr, errno set; fd closed).
std::FILE* stream_on_descriptor(int fd, StreamMode mode);

}  // namespace orv::diffsup
