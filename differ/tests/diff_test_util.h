// Helpers of the differencer tests: file reading and writing in the shared
// temporary directory, running the differencers into a string, running
// standard tools, and independent appliers of the edit scripts.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "differ/include/orv/bincmp32.h"
#include "differ/include/orv/txtcmp32.h"
#include "testing/temp_dir.h"

namespace difftest {

namespace fs = std::filesystem;

using orv::test::TempDir;

inline void write_file(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << data;
}

inline std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

struct DiffOutcome {
  int result;
  std::string out;
  std::string message;
};

// Runs DiffFile (or DiffBFile) with the words given; the output is read back.
inline DiffOutcome run_diff(const TempDir& dir, std::vector<std::string> words, const std::string& a,
                    const std::string& b, bool binary = false) {
  std::string f1 = dir.file("in1"), f2 = dir.file("in2"), out = dir.file("out");
  write_file(f1, a);
  write_file(f2, b);
  std::vector<const char*> argv;
  for (auto& w : words) argv.push_back(w.c_str());
  int argc = static_cast<int>(argv.size());
  DiffOutcome r;
  r.result = binary ? DiffBFile(argc, argv.data(), f1.c_str(), f2.c_str(), out.c_str())
                    : DiffFile(argc, argv.data(), f1.c_str(), f2.c_str(), out.c_str());
  r.out = read_file(out);
  char msg[4096];
  if (binary)
    DiffBError(msg, sizeof msg);
  else
    DiffError(msg, sizeof msg);
  r.message = msg;
  return r;
}

// Runs a shell command and returns its standard output.
inline std::string shell(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return out;
}

inline std::vector<std::string> split_lines(const std::string& s) {
  std::vector<std::string> lines;
  std::size_t p = 0;
  while (p < s.size()) {
    std::size_t e = s.find('\n', p);
    if (e == std::string::npos) e = s.size() - 1;
    lines.push_back(s.substr(p, e - p + 1));
    p = e + 1;
  }
  return lines;
}

// Applies an archive edit script ("dN M" / "aN M" + M lines, file-1 numbers,
// increasing order) to the lines of `base`. Fails the test on a malformed or
// out-of-order script.
inline std::string apply_line_script(const std::string& base, const std::string& script) {
  std::vector<std::string> orig = split_lines(base), cmds = split_lines(script);
  std::string out;
  std::size_t cur = 0;  // original lines consumed
  for (std::size_t k = 0; k < cmds.size(); ++k) {
    char op = 0;
    long n = 0, m = 0;
    if (std::sscanf(cmds[k].c_str(), "%c%ld %ld", &op, &n, &m) != 3 || (op != 'a' && op != 'd') || m <= 0) {
      ADD_FAILURE() << "bad script line: " << cmds[k];
      return {};
    }
    std::size_t upto = op == 'd' ? static_cast<std::size_t>(n - 1) : static_cast<std::size_t>(n);
    if (upto < cur || upto > orig.size()) {
      ADD_FAILURE() << "script out of order at: " << cmds[k];
      return {};
    }
    for (; cur < upto; ++cur) out += orig[cur];
    if (op == 'd') {
      cur += static_cast<std::size_t>(m);
      if (cur > orig.size()) ADD_FAILURE() << "deletion past the end: " << cmds[k];
    } else {
      for (long j = 0; j < m; ++j) {
        if (++k >= cmds.size()) {
          ADD_FAILURE() << "missing added lines";
          return {};
        }
        out += cmds[k];
      }
    }
  }
  for (; cur < orig.size(); ++cur) out += orig[cur];
  return out;
}

// Deleted plus added line counts of an archive edit script.
inline long script_changed_lines(const std::string& script) {
  long total = 0;
  auto cmds = split_lines(script);
  for (std::size_t k = 0; k < cmds.size(); ++k) {
    char op = 0;
    long n = 0, m = 0;
    if (std::sscanf(cmds[k].c_str(), "%c%ld %ld", &op, &n, &m) != 3) continue;
    total += m;
    if (op == 'a') k += static_cast<std::size_t>(m);
  }
  return total;
}

}  // namespace difftest
