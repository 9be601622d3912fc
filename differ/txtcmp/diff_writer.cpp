// The output forms of the text differencer (see diff_writer.h).
#include "differ/txtcmp/diff_writer.h"

#include <cstdarg>
#include <cstdio>

namespace orv::txtcmp {

namespace {

DiffWriter::Form pick_form(const Options& o) {
  using F = DiffWriter::Form;
  if (o.context > 0) return F::kContext;
  if (!o.ifdef.empty()) return F::kIfdef;
  if (o.rcs) return F::kRcs;
  if (o.ed) return F::kEd;
  if (o.bars) return F::kBars;
  if (o.blocks) return F::kBlocks;
  return F::kNormal;
}

// A text line that ed would take as the end of input, or that starts with a
// dot or a backslash, is written with a dot in front; the substitution that
// follows the change removes one leading dot from every line of the range, so
// every line that starts with a dot must carry the extra dot.
bool needs_escape(std::string_view line) {
  return !line.empty() && (line[0] == '.' || line[0] == '\\');
}

}  // namespace

DiffWriter::DiffWriter(DiffSink& out, const Options& opt, FileInfo f1, FileInfo f2, bool renumber_ed)
    : out_(out), opt_(opt), f1_(std::move(f1)), f2_(std::move(f2)), form_(pick_form(opt)),
      renumber_ed_(renumber_ed && !opt.ed_file_order) {
  if (form_ == Form::kContext) runs_.reserve(kCtxSlots);
}

void DiffWriter::put(std::string_view s) { out_.write(s); }

void DiffWriter::putf(const char* fmt, ...) {
  char small[256];
  va_list ap;
  va_start(ap, fmt);
  const int n = std::vsnprintf(small, sizeof small, fmt, ap);
  va_end(ap);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof small) {
    out_.write(std::string_view(small, static_cast<std::size_t>(n)));
    return;
  }
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  va_start(ap, fmt);
  std::vsnprintf(big.data(), big.size(), fmt, ap);
  va_end(ap);
  big.pop_back();
  out_.write(big);
}

void DiffWriter::range(long from, long to, char sep) {
  putf("%ld", from);
  if (to != from) putf("%c%ld", sep, to);
}

void DiffWriter::change(char kind, long from1, long to1, long from2, long to2) {
  kind_ = kind;
  from1_ = from1 + off1;
  to1_ = to1 + off1;
  from2_ = from2 + off2;
  to2_ = to2 + off2;
  escaped_ = 0;
  ++changes_;
  const long n1 = to1_ - from1_ + 1, n2 = to2_ - from2_ + 1;
  switch (form_) {
    case Form::kNormal:
      range(from1_, to1_, ',');
      putf("%c", kind);
      range(from2_, to2_, ',');
      put("\n");
      break;
    case Form::kRcs:
      if (kind == 'a') {
        putf("a%ld %ld\n", from1_, n2);
      } else {
        putf("d%ld %ld\n", from1_, n1);
        if (kind == 'c') putf("a%ld %ld\n", to1_, n2);
      }
      break;
    case Form::kBlocks:
      if (kind == 'a')
        putf("a %ld 0 %ld %ld\n", from1_, from2_, n2);
      else if (kind == 'd')
        putf("d %ld %ld %ld 0\n", from1_, n1, from2_);
      else
        putf("c %ld %ld %ld %ld\n", from1_, n1, from2_, n2);
      break;
    case Form::kEd:
      if (!renumber_ed_ && !opt_.ed_file_order) {
        ed_changes_.push_back(EdChange{kind, from1_, to1_, from2_, to2_, {}});
      } else if (opt_.ed_file_order) {
        putf("%c", kind);
        range(from1_, to1_, ' ');
        put("\n");
      } else {
        range(from1_ + ed_shift_, to1_ + ed_shift_, ',');
        putf("%c\n", kind);
      }
      break;
    case Form::kIfdef:
      putf("%s %s\n", kind == 'a' ? "#ifdef" : "#ifndef", opt_.ifdef.c_str());
      break;
    case Form::kContext:
      if (hunk_has_change_ && runs_.size() + (kind == 'c' ? 2 : 1) + 1 > kCtxSlots) {
        // The table cannot take this change: write the hunk so far and carry
        // its trailing common lines over as the new hunk's leading context.
        Run carried{' ', {}, {}};
        const Run* last = !runs_.empty() && runs_.back().kind == ' ' ? &runs_.back() : nullptr;
        std::size_t trailing = last ? std::min<std::size_t>(last->size(), opt_.context) : 0;
        if (last) carried = *last;
        ctx_flush(trailing);
        ctx_start_new(last ? &carried : nullptr);
      }
      if (runs_.empty()) {
        hunk1_ = next1_;
        hunk2_ = next2_;
      }
      hunk_has_change_ = true;
      if (kind == 'c') {
        runs_.push_back(Run{'c', {}, {}});
        runs_.push_back(Run{'b', {}, {}});
      } else {
        runs_.push_back(Run{kind, {}, {}});
      }
      break;
    case Form::kBars:
      break;
  }
}

void DiffWriter::deleted(std::string_view line) {
  switch (form_) {
    case Form::kNormal:
      put("< ");
      put(line);
      break;
    case Form::kIfdef:
      put(line);
      break;
    case Form::kBars:
      if (kind_ == 'd' && !mark_pending_ && (line.empty() || line[0] != '.')) {
        put(".mc \\(**\n");
        mark_pending_ = true;
      }
      break;
    case Form::kContext: {
      Run& r = runs_[runs_.size() - (kind_ == 'c' ? 2 : 1)];
      r.lines1.emplace_back(line);
      ++next1_;
      break;
    }
    default:
      break;
  }
}

void DiffWriter::separator() {
  switch (form_) {
    case Form::kNormal:
      if (kind_ == 'c') put("---\n");
      break;
    case Form::kIfdef:
      if (kind_ == 'c') put("#else\n");
      break;
    case Form::kBars:
      if (mark_pending_) {
        put(".mc\n");
        mark_pending_ = false;
      }
      break;
    default:
      break;
  }
}

void DiffWriter::ed_text(std::string_view line) {
  if (needs_escape(line)) {
    put(".");
    ++escaped_;
  }
  put(line);
}

void DiffWriter::added(std::string_view line) {
  switch (form_) {
    case Form::kNormal:
      put("> ");
      put(line);
      break;
    case Form::kRcs:
    case Form::kIfdef:
      put(line);
      break;
    case Form::kEd:
      if (!renumber_ed_ && !opt_.ed_file_order)
        ed_changes_.back().lines.emplace_back(line);
      else
        ed_text(line);
      break;
    case Form::kBars:
      if (!mark_pending_ && (line.empty() || line[0] != '.')) {
        put(opt_.mark);
        mark_pending_ = true;
      }
      put(line);
      break;
    case Form::kContext:
      runs_.back().lines2.emplace_back(line);
      ++next2_;
      break;
    case Form::kBlocks:
      break;
  }
}

// Ends the text of an ed change: the "." line, then the substitution that
// takes the escape dots out again. The inserted lines stand at file-1 based
// positions after `at1` (the line after which they go), which for the
// renumbered form are the file-2 positions.
void DiffWriter::ed_finish(char kind, long at1, long from2, long to2, long count) {
  if (kind == 'd') return;
  put(".\n");
  if (escaped_ == 0) return;
  if (opt_.ed_file_order) {
    range(from2, to2, ' ');
  } else {
    long first = kind == 'a' ? at1 + 1 : at1;
    range(first, first + count - 1, ',');
  }
  put("s/^\\.//\n");
}

void DiffWriter::end_change() {
  const long n1 = to1_ - from1_ + 1, n2 = to2_ - from2_ + 1;
  switch (form_) {
    case Form::kIfdef:
      put("#endif\n");
      break;
    case Form::kBars:
      if (mark_pending_) {
        put(".mc\n");
        mark_pending_ = false;
      }
      break;
    case Form::kEd:
      if (opt_.ed_file_order) {
        ed_finish(kind_, from1_, from2_, to2_, n2);
      } else if (renumber_ed_) {
        ed_finish(kind_, from1_ + ed_shift_, from2_, to2_, n2);
        if (kind_ == 'a')
          ed_shift_ += n2;
        else if (kind_ == 'd')
          ed_shift_ -= n1;
        else
          ed_shift_ += n2 - n1;
      }
      break;
    default:
      break;
  }
}

void DiffWriter::write_ed_collected() {
  for (auto it = ed_changes_.rbegin(); it != ed_changes_.rend(); ++it) {
    range(it->from1, it->to1, ',');
    putf("%c\n", it->kind);
    escaped_ = 0;
    for (const auto& l : it->lines) ed_text(l);
    ed_finish(it->kind, it->from1, it->from2, it->to2, static_cast<long>(it->lines.size()));
  }
  ed_changes_.clear();
}

void DiffWriter::common(std::string_view line1, std::string_view line2) {
  switch (form_) {
    case Form::kIfdef:
      put(line1);
      break;
    case Form::kBars:
      put(line2);
      break;
    case Form::kContext:
      ctx_common(line1, line2);
      break;
    default:
      break;
  }
}

void DiffWriter::end_output() {
  if (form_ == Form::kEd && !renumber_ed_ && !opt_.ed_file_order) write_ed_collected();
  if (form_ == Form::kContext && hunk_has_change_) {
    std::size_t trailing = 0;
    if (!runs_.empty() && runs_.back().kind == ' ')
      trailing = std::min<std::size_t>(runs_.back().size(), opt_.context);
    ctx_flush(trailing);
    ctx_start_new(nullptr);
  }
}

// ---- context form ----

void DiffWriter::ctx_common(std::string_view l1, std::string_view l2) {
  const std::size_t n = static_cast<std::size_t>(opt_.context);
  if (runs_.empty()) {
    hunk1_ = next1_;
    hunk2_ = next2_;
  }
  if (runs_.empty() || runs_.back().kind != ' ') runs_.push_back(Run{' ', {}, {}});
  Run& r = runs_.back();
  r.lines1.emplace_back(l1);
  r.lines2.emplace_back(l2);
  ++next1_;
  ++next2_;
  if (!hunk_has_change_) {
    // Only the last n lines can serve as leading context.
    if (r.lines1.size() > n) {
      r.lines1.erase(r.lines1.begin());
      r.lines2.erase(r.lines2.begin());
      ++hunk1_;
      ++hunk2_;
    }
  } else if (r.lines1.size() >= 2 * n) {
    // A run of 2n common lines separates hunks: the first n close this hunk,
    // the last n open the next one.
    Run carried{' ', std::vector<std::string>(r.lines1.end() - static_cast<long>(n), r.lines1.end()),
                std::vector<std::string>(r.lines2.end() - static_cast<long>(n), r.lines2.end())};
    ctx_flush(n);
    ctx_start_new(&carried);
  }
}

void DiffWriter::ctx_start_new(const Run* carried) {
  runs_.clear();
  hunk_has_change_ = false;
  hunk1_ = next1_;
  hunk2_ = next2_;
  if (carried && !carried->lines1.empty()) {
    const std::size_t n = static_cast<std::size_t>(opt_.context);
    Run r{' ', {}, {}};
    std::size_t k = carried->lines1.size() > n ? carried->lines1.size() - n : 0;
    r.lines1.assign(carried->lines1.begin() + static_cast<long>(k), carried->lines1.end());
    r.lines2.assign(carried->lines2.begin() + static_cast<long>(k), carried->lines2.end());
    hunk1_ = next1_ - static_cast<long>(r.lines1.size());
    hunk2_ = next2_ - static_cast<long>(r.lines2.size());
    runs_.push_back(std::move(r));
  }
}

void DiffWriter::ctx_header() {
  if (header_written_) return;
  header_written_ = true;
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const FileInfo* files[2] = {&f1_, &f2_};
  const char* marks[2] = {"***", "---"};
  for (int k = 0; k < 2; ++k) {
    std::tm tm{};
    localtime_r(&files[k]->mtime, &tm);
    putf("%s %s %s %s %02d %02d:%02d:%02d %4d\n", marks[k], files[k]->name.c_str(), kDays[tm.tm_wday % 7],
         kMonths[tm.tm_mon % 12], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_year + 1900);
  }
}

// Writes the open hunk; of a trailing common run only `trailing` lines show.
void DiffWriter::ctx_flush(std::size_t trailing) {
  if (!hunk_has_change_) return;
  ctx_header();
  std::size_t last = runs_.size();
  bool trail_run = !runs_.empty() && runs_.back().kind == ' ';
  long count1 = 0, count2 = 0;
  bool side1 = false, side2 = false;
  for (std::size_t k = 0; k < last; ++k) {
    const Run& r = runs_[k];
    std::size_t shown = (trail_run && k + 1 == last) ? std::min(trailing, r.size()) : r.size();
    if (r.kind == ' ') {
      count1 += static_cast<long>(shown);
      count2 += static_cast<long>(shown);
    } else if (r.kind == 'c' || r.kind == 'd') {
      count1 += static_cast<long>(shown);
      side1 = true;
    } else {
      count2 += static_cast<long>(shown);
      side2 = true;
    }
  }
  auto ctx_range = [&](long first, long count) {
    if (first == 0) first = 1;
    range(first, first + count - 1, ',');
  };
  put("***************\n*** ");
  ctx_range(hunk1_, count1);
  put(" ****\n");
  for (int side = 1; side <= 2; ++side) {
    if (side == 2) {
      put("--- ");
      ctx_range(hunk2_, count2);
      put(" ----\n");
    }
    if ((side == 1 && !side1) || (side == 2 && !side2)) continue;
    for (std::size_t k = 0; k < last; ++k) {
      const Run& r = runs_[k];
      std::size_t shown = (trail_run && k + 1 == last) ? std::min(trailing, r.size()) : r.size();
      const char* marker = nullptr;
      const std::vector<std::string>* lines = nullptr;
      if (r.kind == ' ') {
        marker = "  ";
        lines = side == 1 ? &r.lines1 : &r.lines2;
      } else if (side == 1 && (r.kind == 'c' || r.kind == 'd')) {
        marker = r.kind == 'c' ? "! " : "- ";
        lines = &r.lines1;
      } else if (side == 2 && (r.kind == 'a' || r.kind == 'b')) {
        marker = r.kind == 'b' ? "! " : "+ ";
        lines = &r.lines2;
      }
      if (!lines) continue;
      for (std::size_t m = 0; m < shown; ++m) {
        put(marker);
        put((*lines)[m]);
      }
    }
  }
}

}  // namespace orv::txtcmp
