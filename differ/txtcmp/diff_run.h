// State of one comparison: the options, the input texts of the pair being
// compared, the fatal-error unwinding and the test seams of the text
// differencer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "differ/support/diff_support.h"
#include "differ/txtcmp/line_rules.h"

namespace orv::txtcmp {

// Thrown after the message is stored; DiffFile and diff_texts catch it and
// return 2.
struct FatalError {};

// DiffFile's message buffer (DiffError copies it out). The comparison itself
// writes to the buffer it is given: DiffFile gives this one.
diffsup::MessageBuffer& messages();

// The fixed memory budget of the full matcher (tables, candidates and the
// segment's text, counted as the copy it once was); past it the matcher
// reports exhausted memory. Tests lower it.
std::size_t memory_budget();
void set_memory_budget(std::size_t bytes);

// The candidate walk searches the k-list by galloping forward from the last
// position (default) or, for comparison in the benchmark, by a fresh binary
// search for every line.
bool gallop_search();
void set_gallop_search(bool on);

// Called once a DiffFile call holds the busy flag (tests use it to re-enter).
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

// One input text of the pair, held in memory, and the cursor the matchers read
// it with. The text is split into lines with the line-status rules of a file
// read line by line: a line ends at its line feed (kept); "\r\n" reads as
// "\n", and so does a carriage return that is the very last character; a line
// longer than 1,024 characters before its line feed, a line with a NUL byte,
// or a failed read end the text there, and reaching that end stores its
// message and marks the text unreadable (every time it is reached anew).
// Lines are numbered from 1. The bytes are not copied unless a carriage
// return must be mapped.
class InputText {
 public:
  InputText(std::string name, const char* program, diffsup::MessageBuffer& msgs)
      : name_(std::move(name)), program_(program), msgs_(msgs) {}
  InputText(const InputText&) = delete;
  InputText& operator=(const InputText&) = delete;

  // The text: `bytes` must outlive the object. `read_error`: the errno of a
  // read that failed after these bytes (0 when they are the whole file).
  void load(std::string_view bytes, int read_error = 0) {
    bytes_ = bytes;
    read_error_ = read_error;
  }
  std::string_view bytes() const { return bytes_; }
  // Splits the bytes into lines (not needed by the byte comparison).
  void split();
  // Hashes lines first..count() under the rules; earlier lines get none.
  void hash_from(long first, const LineRules& rules);

  long count() const { return static_cast<long>(start_.size()) - 1; }
  std::string_view line(long k) const {
    const std::size_t b = start_[static_cast<std::size_t>(k - 1)];
    return std::string_view(text_.data() + b, start_[static_cast<std::size_t>(k)] - b);
  }
  // hashes()[k] is line k's hash (for k from hash_from's first on).
  const std::uint16_t* hashes() const { return hash_.data(); }

  // The next line, false at the end of the text (reaching an unreadable end
  // stores its message, once until the next seek).
  bool next(std::string_view& line) {
    if (pos_ < count()) {
      line = this->line(++pos_);
      return true;
    }
    reach_end();
    return false;
  }
  bool next(std::string_view& line, std::uint16_t& hash) {
    if (!next(line)) return false;
    hash = hash_[static_cast<std::size_t>(pos_)];
    return true;
  }
  // Lines read so far.
  long tell() const { return pos_; }
  void seek(long where) {
    pos_ = where;
    ended_ = false;
  }
  // Moves n lines on (at most to the end) without reading them; true when
  // all n were there, else the end was reached as next() reaches it.
  bool advance(long n) {
    if (n <= count() - pos_) {
      pos_ += n;
      return true;
    }
    pos_ = count();
    reach_end();
    return false;
  }
  // The byte comparison's end: after the last byte, a failed read tells.
  void reach_byte_end();

  const std::string& name() const { return name_; }
  bool unreadable_seen() const { return unreadable_; }

 private:
  enum class End { kEof, kTooLong, kBinary, kReadError };
  void reach_end();

  std::string name_;
  const char* program_;
  diffsup::MessageBuffer& msgs_;
  std::string_view bytes_;
  int read_error_ = 0;
  std::string mapped_;            // the lines with carriage returns mapped, when any had to be
  std::string_view text_;         // bytes_ or mapped_
  std::vector<std::size_t> start_{0};  // line k is text_[start_[k - 1], start_[k])
  std::vector<std::uint16_t> hash_;    // hash_[k]: line k
  End end_ = End::kEof;
  long pos_ = 0;
  bool ended_ = false;
  bool unreadable_ = false;
};

}  // namespace orv::txtcmp
