// State of one DiffFile call: the options, the input files of the pair being
// compared, the fatal-error unwinding and the test seams of the text
// differencer.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "diff_support.h"
#include "line_rules.h"

namespace orv::txtcmp {

// Thrown after the message is stored; DiffFile catches it and returns 2.
struct FatalError {};

// The library's message buffer (DiffError copies it out).
diffsup::MessageBuffer& messages();

// The fixed memory budget of the full matcher (tables and candidates); past it
// the matcher reports exhausted memory. Tests lower it.
std::size_t memory_budget();
void set_memory_budget(std::size_t bytes);

// The candidate walk searches the k-list by galloping forward from the last
// position (default) or, for comparison in the benchmark, by a fresh binary
// search for every line.
bool gallop_search();
void set_gallop_search(bool on);

// Called once a call holds the busy flag (tests use it to re-enter).
void set_busy_hook(void (*hook)());

struct Options {
  LineRules rules;
  bool half = false;         // -h, "diffh"
  bool fallback = false;     // -H
  bool bars = false;         // -m
  std::string mark = ".mc \\(br\n";
  bool ed = false;           // -e or -f
  bool ed_file_order = false;  // -f
  std::string ifdef;         // -D
  long context = 0;          // -c, -C
  bool rcs = false;          // -n
  bool blocks = false;       // -N
  bool recursive = false;    // -r
  bool silent = false;       // -s
  bool dircmp = false;       // "dircmp"
  bool segmented = false;    // "bdiff"
  long seglen = 2147483646L;
};

constexpr std::size_t kLineBuf = 1026;  // 1,024 characters, line feed, terminator
constexpr int kLineLimit = 1024;

// One input file of the pair: reads lines with the line-status rules (carriage
// return mapping, unreadable lines end the file and leave their message).
class InputFile {
 public:
  InputFile(std::string name, const char* program) : name_(std::move(name)), program_(program) {}
  ~InputFile() { close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens for reading; on failure stores "file \"%s\"" and throws FatalError.
  void open();
  void close();

  // Reads the next line into the file's buffer. False at the end of the file,
  // and at an unreadable line (which also sets unreadable_seen()).
  bool next(std::string_view& line);
  // Byte-by-byte reading for the directory-compare pass; -1 at the end.
  int next_byte();

  // Offset of the next line. Kept by counting, so that asking costs no
  // system call.
  off_t tell() const { return pos_; }
  void seek(off_t where);

  const std::string& name() const { return name_; }
  bool unreadable_seen() const { return unreadable_; }

 private:
  std::string name_;
  const char* program_;
  std::FILE* in_ = nullptr;
  bool ended_ = false;
  bool unreadable_ = false;
  off_t pos_ = 0;
  char buf_[kLineBuf];
};

}  // namespace orv::txtcmp
