// The output writer of the text differencer. The matchers report each change
// (change, deleted lines, separator, added lines, end of change), the common
// lines and the end of output; the writer turns them into the chosen form:
// context, #ifdef merge, archive edit script (-n), ed script (-e/-f), troff
// change bars (-m), block list (-N) or the normal listing, written to a sink.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "differ/txtcmp/diff_run.h"
#include "differ/txtcmp/text_diff.h"

namespace orv::txtcmp {

class DiffWriter {
 public:
  enum class Form { kContext, kIfdef, kRcs, kEd, kBars, kBlocks, kNormal };

  struct FileInfo {
    std::string name;
    std::time_t mtime = 0;
  };

  // `renumber_ed`: the ed script is written in file order with numbers that
  // refer to the file as already edited (half-hearted matching); otherwise an
  // ed script is collected and written from the last change to the first.
  DiffWriter(DiffSink& out, const Options& opt, FileInfo f1, FileInfo f2, bool renumber_ed);

  // Lines already consumed before the current segment or cycle; added to
  // every number the writer prints. The matchers advance them.
  long off1 = 0;
  long off2 = 0;

  void change(char kind, long from1, long to1, long from2, long to2);
  void deleted(std::string_view line);
  void separator();
  void added(std::string_view line);
  void end_change();
  void common(std::string_view line1, std::string_view line2);
  void end_output();

  long changes() const { return changes_; }
  Form form() const { return form_; }
  // Forms that copy common lines produce output even for identical files.
  bool copies_common() const { return form_ == Form::kIfdef || form_ == Form::kBars; }

 private:
  struct Run {
    char kind;                        // ' ', 'a', 'b', 'c', 'd'
    std::vector<std::string> lines1;  // file-1 text (' ', 'c', 'd')
    std::vector<std::string> lines2;  // file-2 text (' ', 'a', 'b')
    std::size_t size() const { return kind == ' ' || kind == 'c' || kind == 'd' ? lines1.size() : lines2.size(); }
  };
  struct EdChange {
    char kind;
    long from1, to1, from2, to2;
    std::vector<std::string> lines;
  };

  void put(std::string_view s);
  void putf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  void range(long from, long to, char sep);
  void ed_text(std::string_view line);
  void ed_finish(char kind, long at1, long from2, long to2, long count);
  void write_ed_collected();
  // Context form.
  void ctx_common(std::string_view l1, std::string_view l2);
  void ctx_flush(std::size_t trailing);
  void ctx_start_new(const Run* carried);
  void ctx_header();

  DiffSink& out_;
  const Options& opt_;
  FileInfo f1_, f2_;
  Form form_;
  bool renumber_ed_;
  long changes_ = 0;

  // Current change.
  char kind_ = 0;
  long from1_ = 0, to1_ = 0, from2_ = 0, to2_ = 0;
  long escaped_ = 0;
  long ed_shift_ = 0;
  std::vector<EdChange> ed_changes_;
  bool mark_pending_ = false;

  // Context form: runs of the open hunk (at most 256 slots; slot 0 carries the
  // leading context), the file lines of the hunk's first line, and the next
  // line numbers of both files.
  static constexpr std::size_t kCtxSlots = 256;
  std::vector<Run> runs_;
  long hunk1_ = 1, hunk2_ = 1;
  long next1_ = 1, next2_ = 1;
  bool hunk_has_change_ = false;
  bool header_written_ = false;
};

}  // namespace orv::txtcmp
