// vcsh: runs a line script of revision-library calls and prints each call's
// result code. A test and demonstration aid.
//
//   vcsh [script]        (standard input when no script is named)
//
// Each line is a command and blank-separated words; "quoted words" may hold
// blanks, "" is an empty word and the word - stands for a null argument.
// Lines starting with '#' are comments. Every call prints
//   <command> -> <code> [<text result>]
// Archive handles are kept in the variable $h (the last open) and can be
// named by number. Commands are a table below; later modules add rows.
#include "vc/include/vc.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Shell {
  int handle = 0;
  int failures = 0;
};

using Words = std::vector<std::string>;

// Splits a line: blanks separate, double quotes group.
Words split(const std::string& line) {
  Words out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string w;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '"')
        quoted = !quoted;
      else
        w += line[i];
      ++i;
    }
    out.push_back(w);
  }
  return out;
}

const char* arg(const Words& w, std::size_t i) {
  if (i >= w.size() || w[i] == "-") return nullptr;
  return w[i].c_str();
}
int num(Shell& s, const Words& w, std::size_t i, int def) {
  if (i >= w.size()) return def;
  if (w[i] == "$h") return s.handle;
  return std::atoi(w[i].c_str());
}

struct Command {
  const char* name;
  const char* usage;
  int (*run)(Shell& s, const Words& w, std::string& text);
};

int cmdInit(Shell&, const Words&, std::string&) { return vcAPIinit(); }
int cmdCleanup(Shell&, const Words&, std::string&) { return vcAPIcleanup(); }
int cmdSet(Shell&, const Words& w, std::string&) { return vcSetConfig(arg(w, 1), arg(w, 2)); }
int cmdReadConfig(Shell&, const Words& w, std::string&) { return vcReadConfig(arg(w, 1)); }
int cmdOpen(Shell& s, const Words& w, std::string& text) {
  int h = 0;
  const int rc = vcOpenArchive(arg(w, 1), &h, num(s, w, 2, 1));
  if (rc == 0) s.handle = h;
  text = std::to_string(h);
  return rc;
}
int cmdClose(Shell& s, const Words& w, std::string&) { return vcCloseArchive(num(s, w, 1, s.handle)); }
int cmdCommit(Shell& s, const Words& w, std::string&) { return vcCommitArchive(num(s, w, 1, s.handle), num(s, w, 2, 0)); }
int cmdLock(Shell& s, const Words& w, std::string&) { return vcWriteLock(num(s, w, 1, s.handle)); }
int cmdUnlock(Shell& s, const Words& w, std::string&) { return vcDropWriteLock(num(s, w, 1, s.handle)); }
int cmdCi(Shell& s, const Words& w, std::string& text) {
  char buf[256] = {};
  const int rc = vcCiRevision(s.handle, arg(w, 2), arg(w, 1), num(s, w, 3, 0), buf, sizeof buf);
  text = buf;
  return rc;
}
int cmdCo(Shell& s, const Words& w, std::string&) {
  std::fflush(stdout);
  return vcCheckOutRevision(s.handle, arg(w, 1) ? arg(w, 1) : "", arg(w, 2), num(s, w, 3, 0));
}
int cmdDelete(Shell& s, const Words& w, std::string&) { return vcDeleteRevision(s.handle, arg(w, 1)); }
int cmdCmp(Shell& s, const Words& w, std::string& text) {
  char buf[512] = {};
  const int rc = vcCmpFiles(num(s, w, 3, 0) ? 1 : 0, arg(w, 1), arg(w, 2), buf, sizeof buf);
  text = buf;
  return rc;
}
int cmdDiff(Shell&, const Words& w, std::string& text) {
  char buf[512] = {};
  const int rc = vcFindFileDiff(0, arg(w, 4), arg(w, 1), arg(w, 2), arg(w, 3), buf, sizeof buf);
  text = buf;
  return rc;
}
int cmdCat(Shell&, const Words& w, std::string&) {
  std::ifstream in(w.size() > 1 ? w[1] : "", std::ios::binary);
  if (!in) return 1;
  std::cout << in.rdbuf();
  std::cout.flush();
  return 0;
}
int cmdWrite(Shell&, const Words& w, std::string&) {
  // write FILE "TEXT": \n in the text stands for a line feed.
  std::ofstream out(w.size() > 1 ? w[1] : "", std::ios::binary | std::ios::trunc);
  if (!out) return 1;
  std::string t = w.size() > 2 ? w[2] : "";
  for (std::size_t p = 0; (p = t.find("\\n", p)) != std::string::npos; ++p) t.replace(p, 2, "\n");
  out << t;
  return 0;
}
int cmdError(Shell&, const Words& w, std::string& text) {
  char buf[512] = {};
  const int rc = vcErrorStr(std::atoi(w.size() > 1 ? w[1].c_str() : "0"), buf, sizeof buf);
  text = buf;
  return rc;
}

const Command kCommands[] = {
    {"init", "init", cmdInit},
    {"cleanup", "cleanup", cmdCleanup},
    {"set", "set OPTION [VALUE]", cmdSet},
    {"readconfig", "readconfig FILE", cmdReadConfig},
    {"open", "open ARCHIVE [MODE]", cmdOpen},
    {"close", "close [HANDLE]", cmdClose},
    {"commit", "commit [HANDLE] [CLOSE]", cmdCommit},
    {"writelock", "writelock [HANDLE]", cmdLock},
    {"droplock", "droplock [HANDLE]", cmdUnlock},
    {"ci", "ci WORKFILE|\"\"|- [REVISION] [FLAGS]", cmdCi},
    {"co", "co REVISION [WORKFILE|-] [FLAGS]", cmdCo},
    {"delete", "delete REVISION", cmdDelete},
    {"cmp", "cmp FILE1 FILE2 [BINARY]", cmdCmp},
    {"diff", "diff FILE1 FILE2 OUTPUT [OPTIONS]", cmdDiff},
    {"cat", "cat FILE", cmdCat},
    {"write", "write FILE \"TEXT\" (\\n for line feeds)", cmdWrite},
    {"error", "error CODE", cmdError},
};

int runLine(Shell& s, const std::string& raw) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  Words w = split(line);
  if (w.empty() || w[0][0] == '#') return 0;
  for (const Command& c : kCommands) {
    if (w[0] != c.name) continue;
    std::string text;
    const int rc = c.run(s, w, text);
    std::cout << line << " -> " << rc;
    if (!text.empty()) std::cout << " " << text;
    std::cout << "\n";
    std::cout.flush();
    return rc;
  }
  std::cout << line << " -> unknown command; commands:\n";
  for (const Command& c : kCommands) std::cout << "  " << c.usage << "\n";
  ++s.failures;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  Shell shell;
  std::ifstream file;
  std::istream* in = &std::cin;
  if (argc > 1) {
    file.open(argv[1]);
    if (!file) {
      std::cerr << "vcsh: cannot open " << argv[1] << "\n";
      return 2;
    }
    in = &file;
  }
  std::string line;
  while (std::getline(*in, line)) runLine(shell, line);
  return shell.failures ? 1 : 0;
}
