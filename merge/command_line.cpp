// The merge program's command line (see command_line.h).
#include "merge/command_line.h"

namespace orv::merge {

namespace {

class Scanner {
 public:
  explicit Scanner(const std::string& text) : s_(text) {}
  void skipBlanks() {
    while (at_ < s_.size() && s_[at_] == ' ') ++at_;
  }
  bool atEnd() const { return at_ >= s_.size(); }
  char peek() const { return at_ < s_.size() ? s_[at_] : '\0'; }
  char take() { return at_ < s_.size() ? s_[at_++] : '\0'; }

  // A token: quoted by '"' or '|' up to the next single quote character, or
  // up to the next blank; a doubled quote character (or blank) is one.
  std::string token() {
    skipBlanks();
    const char quote = peek() == '"' || peek() == '|' ? take() : ' ';
    std::string out;
    while (at_ < s_.size()) {
      const char c = s_[at_];
      if (c == quote) {
        if (at_ + 1 < s_.size() && s_[at_ + 1] == quote) {
          out += c;
          at_ += 2;
          continue;
        }
        if (quote != ' ') ++at_;
        break;
      }
      out += c;
      ++at_;
    }
    return out;
  }

  // -d's digits run to the next blank.
  int number() {
    int v = 0;
    bool digits = true;
    while (at_ < s_.size() && s_[at_] != ' ') {
      const char c = s_[at_++];
      if (digits && c >= '0' && c <= '9' && v < 1000)
        v = v * 10 + (c - '0');
      else
        digits = false;
    }
    return v;
  }

 private:
  const std::string& s_;
  std::size_t at_ = 0;
};

}  // namespace

CommandLine parseCommandLine(const std::string& text) {
  CommandLine cl;
  Scanner in(text);
  int names = 0;
  for (in.skipBlanks(); !in.atEnd(); in.skipBlanks()) {
    if (in.peek() != '-') {
      std::string name = in.token();
      if (names == 0) cl.file1 = std::move(name);
      if (names == 1) cl.file2 = std::move(name);
      ++names;
      continue;
    }
    in.take();
    switch (in.take()) {
      case 'd': {
        const int v = in.number();
        if (v < 4) cl.deleteFlags = v;
        break;
      }
      case 'm': cl.compareDialog = true; break;
      case 'n': cl.endWhenNothingShown = true; break;
      case 't': {
        std::string& title = in.take() == '1' ? cl.title1 : cl.title2;
        title = in.token();
        break;
      }
      default: cl.wrong = true; return cl;
    }
  }
  if (cl.file1.empty()) cl.deleteFlags &= ~1;
  if (cl.file2.empty()) cl.deleteFlags &= ~2;
  return cl;
}

}  // namespace orv::merge
