// Fuzzes the text differencer in its archive-script form (-n): the input is
// split into two files (and a few option letters), DiffFile compares them,
// and the edit script it writes must rebuild the second file from the first.
// Lines compare as the differencer compares them (see linesOf). The comparison
// in memory (diff_texts) must give the same result and the same script.
// The binary differencer's "-n" over the same files and its form in memory
// (diff_bytes) must agree the same way, and its script must rebuild the
// second file's bytes.
//
// Input: byte 0 chooses options (bit 0 -b, 1 -w, 2 -i, 3 -h, 4 -H), bytes 1
// and 2 give the length of the first file (modulo what is left), the rest
// holds the two files one after the other.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "differ/bincmp/bin_diff.h"
#include "differ/include/orv/bincmp32.h"
#include "differ/include/orv/txtcmp32.h"
#include "differ/txtcmp/text_diff.h"

namespace {

bool writeFile(const std::string& path, const char* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a text as the differencer compares them: each keeps a "\n"
// when it was ended by a line end, so a last line without one is a different
// line. In an input file a carriage return before the line feed (or alone at
// the very end) is part of the line end; the script holds the lines as
// compared, ended by a line feed alone.
std::vector<std::string> linesOf(const std::string& text, bool input) {
  std::vector<std::string> out;
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t e = text.find('\n', p);
    std::string line = text.substr(p, e == std::string::npos ? std::string::npos : e - p);
    const bool cr = input && !line.empty() && line.back() == '\r';
    if (cr) line.pop_back();
    if (e != std::string::npos || cr) line += '\n';
    out.push_back(std::move(line));
    if (e == std::string::npos) break;
    p = e + 1;
  }
  return out;
}

// Applies an archive edit script ("dN M" deletes M lines from line N, "aN M"
// adds the M lines that follow after line N; numbers refer to the first file
// and increase). False when the script is malformed or out of order.
bool applyScript(const std::vector<std::string>& base, const std::string& script,
                 std::vector<std::string>& out) {
  const std::vector<std::string> cmds = linesOf(script, false);
  std::size_t cur = 0;  // lines of base consumed
  for (std::size_t k = 0; k < cmds.size(); ++k) {
    char op = 0;
    long n = 0, m = 0;
    char extra = 0;
    if (cmds[k].empty() || cmds[k].back() != '\n') return false;
    if (std::sscanf(cmds[k].c_str(), "%c%ld %ld%c", &op, &n, &m, &extra) != 4 || extra != '\n') return false;
    if ((op != 'a' && op != 'd') || m <= 0 || n < 0) return false;
    const std::size_t upto = op == 'd' ? static_cast<std::size_t>(n) - 1 : static_cast<std::size_t>(n);
    if (op == 'd' && n < 1) return false;
    if (upto < cur || upto > base.size()) return false;
    for (; cur < upto; ++cur) out.push_back(base[cur]);
    if (op == 'd') {
      cur += static_cast<std::size_t>(m);
      if (cur > base.size()) return false;
    } else {
      for (long j = 0; j < m; ++j) {
        if (++k >= cmds.size()) return false;
        out.push_back(cmds[k]);
      }
    }
  }
  for (; cur < base.size(); ++cur) out.push_back(base[cur]);
  return true;
}

// Reports which check failed, then stops the run.
[[noreturn]] void fail(const char* why) {
  std::fprintf(stderr, "fuzz_differ: %s\n", why);
  __builtin_trap();
}

// Applies the binary differencer's script: "dN M" deletes M bytes from byte
// N, "aN M" adds the M bytes that follow (and a line feed after them) after
// byte N. False when the script is malformed or out of order.
bool applyByteScript(const std::string& base, const std::string& script, std::string& out) {
  std::size_t cur = 0, p = 0;
  while (p < script.size()) {
    const std::size_t eol = script.find('\n', p);
    if (eol == std::string::npos) return false;
    const std::string command = script.substr(p, eol - p);
    char op = 0;
    long n = 0, m = 0;
    char extra = 0;
    if (std::sscanf(command.c_str(), "%c%ld %ld%c", &op, &n, &m, &extra) != 3) return false;
    if ((op != 'a' && op != 'd') || m <= 0 || n < 0) return false;
    p = eol + 1;
    if (op == 'd' && n < 1) return false;
    const std::size_t upto = op == 'd' ? static_cast<std::size_t>(n) - 1 : static_cast<std::size_t>(n);
    if (upto < cur || upto > base.size()) return false;
    out.append(base, cur, upto - cur);
    cur = upto;
    if (op == 'd') {
      cur += static_cast<std::size_t>(m);
      if (cur > base.size()) return false;
    } else {
      if (p + static_cast<std::size_t>(m) >= script.size() || script[p + static_cast<std::size_t>(m)] != '\n')
        return false;
      out.append(script, p, static_cast<std::size_t>(m));
      p += static_cast<std::size_t>(m) + 1;
    }
  }
  out.append(base, cur, std::string::npos);
  return true;
}

// The binary differencer on the same two files and in memory.
void checkBinary(const std::string& a, const std::string& b, const std::string& f1, const std::string& f2,
                 const std::string& out) {
  const char* argv[] = {"diffb", "-n"};
  const int r = DiffBFile(2, argv, f1.c_str(), f2.c_str(), out.c_str());
  if (r != 0 && r != 1) fail("DiffBFile: trouble on two readable files");
  const std::string script = readFile(out);
  orv::bincmp::BinOptions options;
  options.rcs = true;
  orv::diffsup::StringSink inMemory;
  if (orv::bincmp::diff_bytes(a, b, options, inMemory) != r) fail("diff_bytes answers otherwise than DiffBFile");
  if (inMemory.text != script) fail("diff_bytes writes another script than DiffBFile");
  if ((r == 0) != (a == b)) fail("DiffBFile: the result does not tell whether the files differ");
  std::string rebuilt;
  if (!applyByteScript(a, script, rebuilt)) fail("DiffBFile: the script is malformed or out of order");
  if (rebuilt != b) fail("DiffBFile: the script does not rebuild the second file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  static const std::string base = "/tmp/orv-fuzz-differ-" + std::to_string(::getpid());
  static const std::string f1 = base + ".1", f2 = base + ".2", out = base + ".out";
  const unsigned flags = data[0];
  const char* rest = reinterpret_cast<const char*>(data) + 3;
  const std::size_t restSize = size - 3;
  const std::size_t split = (static_cast<std::size_t>(data[1]) << 8 | data[2]) % (restSize + 1);
  const std::string a(rest, split), b(rest + split, restSize - split);
  if (!writeFile(f1, a.data(), a.size()) || !writeFile(f2, b.data(), b.size())) return 0;
  checkBinary(a, b, f1, f2, out);

  std::vector<std::string> words = {"diff", "-n"};
  const bool loose = flags & 7;
  if (flags & 1) words.push_back("-b");
  if (flags & 2) words.push_back("-w");
  if (flags & 4) words.push_back("-i");
  if (flags & 8) words.push_back("-h");
  if (flags & 16) words.push_back("-H");
  std::vector<const char*> argv;
  for (const auto& w : words) argv.push_back(w.c_str());
  const int r = DiffFile(static_cast<int>(argv.size()), argv.data(), f1.c_str(), f2.c_str(), out.c_str());
  char message[512];
  DiffError(message, sizeof message);
  const std::string script = readFile(out);
  orv::txtcmp::TextDiffOptions options;
  options.rules.blanks = flags & 1;
  options.rules.white = flags & 2;
  options.rules.nocase = flags & 4;
  options.half = flags & 8;
  options.fallback = flags & 16;
  orv::txtcmp::StringSink inMemory;
  if (orv::txtcmp::diff_texts(a, b, options, inMemory) != r) fail("diff_texts answers otherwise than DiffFile");
  if (inMemory.text != script) fail("diff_texts writes another script than DiffFile");
  if (r == 4) return 0;  // binary input or an overlong line
  if (std::getenv("FUZZ_DEBUG"))
    std::fprintf(stderr, "result %d (%s)\nscript:\n%s\n", r, message, script.c_str());
  if (r != 0 && r != 1) fail("trouble on two readable files");

  const std::vector<std::string> la = linesOf(a, true), lb = linesOf(b, true);
  if (r == 0 && !script.empty()) fail("identical, but a script was written");
  if (r == 1 && script.empty()) fail("different, but no script was written");
  std::vector<std::string> rebuilt;
  if (!applyScript(la, script, rebuilt)) fail("the script is malformed or out of order");
  if (loose) return 0;  // lines compare loosely: only the script's form is checked
  if (rebuilt != lb && std::getenv("FUZZ_DEBUG")) {
    for (std::size_t i = 0; i < std::max(rebuilt.size(), lb.size()); ++i)
      std::fprintf(stderr, "%zu: [%s] [%s]\n", i, i < rebuilt.size() ? rebuilt[i].c_str() : "-",
                   i < lb.size() ? lb[i].c_str() : "-");
  }
  if (rebuilt != lb) fail("the script does not rebuild the second file");
  if ((r == 0) != (la == lb)) fail("the result does not tell whether the files differ");
  return 0;
}
