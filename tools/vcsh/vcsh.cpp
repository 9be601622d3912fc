// vcsh: runs a line script of revision-library calls and prints each call's
// result code. A test and demonstration aid.
//
//   vcsh [script]        (standard input when no script is named)
//   vcsh --help          the usage and the commands
//
// Each line is a command and blank-separated words; "quoted words" may hold
// blanks, "" is an empty word and the word - stands for a null argument.
// Lines starting with '#' are comments. Every call prints
//   <command> -> <code> [<text result>]
// and the listing commands put their entries, indented, on the lines after.
// Archive handles are kept in the variable $h (the last open), project and
// sandbox handles in $p and $s, and can be named by number. Commands are a table below, each with its one-line help;
// later modules add rows.
#include "vc/include/vc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Shell {
  int handle = 0;
  int project = 0;  // $p: the last opened project
  int sandbox = 0;  // $s: the last opened sandbox
  int failures = 0;
  std::vector<std::string> after;  // lines printed, indented, after the result line
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
  if (w[i] == "$p") return s.project;
  if (w[i] == "$s") return s.sandbox;
  return std::atoi(w[i].c_str());
}

std::string errorText(int code) {
  char buf[512] = {};
  vcErrorStr(code, buf, sizeof buf);
  std::string text = buf;
  return text.substr(0, text.find('\n'));  // the first line
}

// A string result: the call with a buffer that grows when the library asks
// for more (VC_E_BUFFER_TOO_SMALL and vcBufferLenQ).
template <class Call>
int getString(Call&& call, std::string& out) {
  std::vector<char> buf(4096);
  for (int tries = 0;; ++tries) {
    buf[0] = '\0';
    const int rc = call(buf.data(), static_cast<int>(buf.size()));
    const int needed = vcBufferLenQ();
    if (rc == VC_E_BUFFER_TOO_SMALL && tries < 2 && needed > static_cast<int>(buf.size())) {
      buf.assign(static_cast<std::size_t>(needed) + 1, '\0');
      continue;
    }
    out.assign(buf.data(), strnlen(buf.data(), buf.size()));
    return rc;
  }
}

// A text result with line feeds goes to the lines after the result line.
void putText(Shell& s, std::string value, std::string& text) {
  if (!value.empty() && value.back() == '\n') value.pop_back();
  if (value.find('\n') == std::string::npos) {
    text = value;
    return;
  }
  std::istringstream lines(value);
  for (std::string l; std::getline(lines, l);) s.after.push_back(l);
}

// How a getter item's value is laid out in the buffer.
enum class Shape { kText, kByte, kMode, kInt32, kNone };

Shape archiveShape(int item) {
  switch (item) {
    case VC_ARCHIVE_ITEM_STORAGE:
    case VC_ARCHIVE_ITEM_COMPRESSION:
    case VC_ARCHIVE_ITEM_ENCRYPTED:
    case VC_ARCHIVE_ITEM_STRICT_LOCKING:
    case VC_ARCHIVE_ITEM_MODIFIED:
    case VC_ARCHIVE_ITEM_FILE_CHANGED:
    case VC_ARCHIVE_ITEM_CREATED: return Shape::kByte;
    case VC_ARCHIVE_ITEM_FILE_MODE: return Shape::kMode;
    case VC_ARCHIVE_ITEM_REVISION_COUNT:
    case VC_ARCHIVE_ITEM_BRANCH_COUNT:
    case VC_ARCHIVE_ITEM_BRANCH_REVISION_COUNT: return Shape::kInt32;
    case VC_ARCHIVE_ITEM_ON_ACCESS_LIST: return Shape::kNone;  // a check: the name goes in, the code comes out
    default: return Shape::kText;
  }
}
Shape revisionShape(int item) {
  if (item == VC_REVISION_ITEM_BRANCH_COUNT) return Shape::kInt32;
  if (item == VC_REVISION_ITEM_EXISTS) return Shape::kNone;
  return Shape::kText;
}
Shape systemShape(int item) {
  if (item == VC_SYSINFO_LIBRARY_LEVEL) return Shape::kByte;
  if (item == VC_SYSINFO_CURRENT_PROJECT || item == VC_SYSINFO_CURRENT_ARCHIVE) return Shape::kInt32;
  return Shape::kText;
}

// Runs a getter and writes its value as text.
template <class Call>
int getItem(Shell& s, Shape shape, Call&& call, std::string& text) {
  if (shape == Shape::kText) {
    std::string value;
    const int rc = getString(call, value);
    putText(s, value, text);
    return rc;
  }
  char buf[16] = {};
  const int rc = call(buf, static_cast<int>(sizeof buf));
  if (rc != 0) return rc;
  char out[32] = "";
  if (shape == Shape::kByte) {
    std::snprintf(out, sizeof out, "%u", static_cast<unsigned char>(buf[0]));
  } else if (shape == Shape::kMode) {
    std::uint16_t mode = 0;
    std::memcpy(&mode, buf, 2);
    std::snprintf(out, sizeof out, "0%o", static_cast<unsigned>(mode));
  } else if (shape == Shape::kInt32) {
    std::int32_t n = 0;
    std::memcpy(&n, buf, 4);
    std::snprintf(out, sizeof out, "%d", static_cast<int>(n));
  }
  text = out;
  return rc;
}

struct Command {
  const char* name;
  const char* usage;
  const char* help;
  int (*run)(Shell& s, const Words& w, std::string& text);
};

// ---- Start-up and the security database ----------------------------------

bool exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// The database keladm uses when it is not told which: the default database of
// its installation, <parent of the program's folder>/orvkel/orvkel. keladm is
// built and installed beside vcsh, so vcsh's own folder stands for its.
std::string keladmDefaultDatabase() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string self(buf, static_cast<std::size_t>(n));
  for (int up = 0; up < 2; ++up) {
    const std::size_t slash = self.rfind('/');
    if (slash == std::string::npos) return {};
    self.resize(slash);
  }
  return self + "/orvkel/orvkel";
}

// After the library's start-up: when it could not open the security database
// because there is none, says where it was looked for and how to make one.
// The library's own start-up code decides (VC_E_DATABASE_OPEN_FAILED: the
// database did not open; the path is the one the instance tried); only then
// are the files of that path looked at, to tell "missing" from "did not open".
void reportSecurityStartup(int rc, const char* program) {
  if (rc != VC_E_NO_DEFAULT_DATABASE && rc != VC_E_SECURITY_INIT_FAILED && rc != VC_E_SECURITY_LOAD_FAILED &&
      rc != VC_E_DATABASE_OPEN_FAILED)
    return;
  std::string path;
  getString([](char* b, int n) { return vcGetSysInfo(VC_SYSINFO_SECURITY_DATABASE, b, n); }, path);
  const char* without = "the session runs without permission checks";
  if (rc == VC_E_DATABASE_OPEN_FAILED && !path.empty() && !exists(path) && !exists(path + ".dat") &&
      !exists(path + ".red")) {
    std::string how;
    if (program && *program)
      how = std::string("keladm --program ") + program + " create -a PASSWORD";
    else if (path == keladmDefaultDatabase())
      how = "keladm create -a PASSWORD";
    else
      how = "keladm -d " + path + " create -a PASSWORD";
    std::cerr << "vcsh: no security database at " << path << "; create one with: " << how << "\n"
              << "vcsh: (" << without << ")\n";
    return;
  }
  std::cerr << "vcsh: security database" << (path.empty() ? "" : " " + path) << ": " << errorText(rc);
  if (const int kel = vcKELError(); kel > 0) std::cerr << " (security library code " << kel << ")";
  std::cerr << "; " << without << "\n";
}

int cmdInit(Shell&, const Words& w, std::string&) {
  const char* program = arg(w, 1);
  const int rc = program ? vcAPIinitRegister(program, nullptr, nullptr) : vcAPIinit();
  std::cout.flush();
  reportSecurityStartup(rc, program);
  return rc;
}
int cmdCleanup(Shell&, const Words&, std::string&) { return vcAPIcleanup(); }

// ---- Configuration, archives, revisions, files ----------------------------

int cmdSet(Shell&, const Words& w, std::string&) { return vcSetConfig(arg(w, 1), arg(w, 2)); }
int cmdReadConfig(Shell&, const Words& w, std::string&) { return vcReadConfig(arg(w, 1)); }
int cmdOpen(Shell& s, const Words& w, std::string& text) {
  int h = 0;
  const int rc = vcOpenArchive(arg(w, 1), &h, num(s, w, 2, VC_ARCHIVE_OPEN_READ));
  if (rc == 0) s.handle = h;
  text = std::to_string(h);
  return rc;
}
int cmdClose(Shell& s, const Words& w, std::string&) { return vcCloseArchive(num(s, w, 1, s.handle)); }
int cmdCommit(Shell& s, const Words& w, std::string&) {
  return vcCommitArchive(num(s, w, 1, s.handle), num(s, w, 2, VC_COMMIT_KEEP_OPEN));
}
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
  const int rc =
      vcCmpFiles(num(s, w, 3, 0) ? VC_COMPARE_BINARY : VC_COMPARE_TEXT, arg(w, 1), arg(w, 2), buf, sizeof buf);
  text = buf;
  return rc;
}
int cmdDiff(Shell&, const Words& w, std::string& text) {
  char buf[512] = {};
  const int rc = vcFindFileDiff(VC_COMPARE_TEXT, arg(w, 4), arg(w, 1), arg(w, 2), arg(w, 3), buf, sizeof buf);
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

// ---- Information items -----------------------------------------------------

int cmdArchInfo(Shell& s, const Words& w, std::string& text) {
  const int item = num(s, w, 1, 0);
  const char* key = arg(w, 2);
  if (item >= VC_ARCHIVE_ITEM_LABEL_REVISION && item <= VC_ARCHIVE_ITEM_LOCKER)  // looked up by KEY
    return getItem(s, Shape::kText,
                   [&](char* b, int n) { return vcGetIdArchiveInfo(s.handle, item, key, b, n); }, text);
  if (archiveShape(item) == Shape::kNone) {  // KEY goes in through the buffer
    std::string name = key ? key : "";
    name.push_back('\0');
    return vcGetArchiveInfo(s.handle, item, name.data(), static_cast<int>(name.size()));
  }
  return getItem(s, archiveShape(item), [&](char* b, int n) { return vcGetArchiveInfo(s.handle, item, b, n); },
                 text);
}
int cmdSetArchInfo(Shell& s, const Words& w, std::string&) {
  return vcSetArchiveInfo(s.handle, num(s, w, 1, 0), arg(w, 2), arg(w, 3));
}
int cmdRevInfo(Shell& s, const Words& w, std::string& text) {
  const char* rev = arg(w, 1);
  const int item = num(s, w, 2, 0);
  if (revisionShape(item) == Shape::kNone) return vcGetRevInfo(s.handle, item, rev, nullptr, 0);
  return getItem(s, revisionShape(item), [&](char* b, int n) { return vcGetRevInfo(s.handle, item, rev, b, n); },
                 text);
}
int cmdSetRevInfo(Shell& s, const Words& w, std::string&) {
  return vcSetRevInfo(s.handle, num(s, w, 2, 0), arg(w, 1), arg(w, 3));
}
int cmdSysInfo(Shell& s, const Words& w, std::string& text) {
  const int item = num(s, w, 1, 0);
  return getItem(s, systemShape(item), [&](char* b, int n) { return vcGetSysInfo(item, b, n); }, text);
}
int cmdSetSysInfo(Shell& s, const Words& w, std::string&) { return vcSetSysInfo(num(s, w, 1, 0), arg(w, 2)); }

// A whole list item of an archive. The archive keeps one cursor per list, and
// an earlier archinfo call may have left it inside the list: it is run to its
// end first (VC_E_DONE puts it back at the start), then read again whole.
// An empty access or security list answers its own code; both count as empty.
int walkList(Shell& s, int handle, int item, std::string& text) {
  constexpr int kMaxEntries = 1000000;
  auto next = [&](std::string& entry) {
    return getString([&](char* b, int n) { return vcGetArchiveInfo(handle, item, b, n); }, entry);
  };
  std::string entry;
  auto ended = [](int rc) { return rc == VC_E_DONE || rc == VC_E_ACCESS_LIST_EMPTY || rc == VC_E_NO_SECURITY_MODULES; };
  int rc = 0;
  for (int n = 0; n < kMaxEntries && rc == 0; ++n) rc = next(entry);
  int count = 0;
  if (ended(rc)) {
    for (rc = next(entry); rc == 0 && count < kMaxEntries; rc = next(entry), ++count) s.after.push_back(entry);
    if (ended(rc)) rc = 0;
  }
  text = std::to_string(count);
  return rc;
}
int cmdLabels(Shell& s, const Words& w, std::string& text) {
  return walkList(s, num(s, w, 1, s.handle), VC_ARCHIVE_ITEM_NEXT_LABEL, text);
}
int cmdLocks(Shell& s, const Words& w, std::string& text) {
  return walkList(s, num(s, w, 1, s.handle), VC_ARCHIVE_ITEM_NEXT_LOCK, text);
}
int cmdAccess(Shell& s, const Words& w, std::string& text) {
  return walkList(s, num(s, w, 1, s.handle), VC_ARCHIVE_ITEM_NEXT_ACCESS, text);
}

// Every revision in the library's enumeration order (the archive's first
// revision, then each one's next, VC_E_REVISION_MISSING after the last):
// number, state, author and date.
int cmdRevs(Shell& s, const Words& w, std::string& text) {
  const int h = num(s, w, 1, s.handle);
  auto revItem = [&](const std::string& rev, int item, std::string& out) {
    return getString([&](char* b, int n) { return vcGetRevInfo(h, item, rev.c_str(), b, n); }, out);
  };
  std::string rev;
  int rc = getString([&](char* b, int n) { return vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_FIRST_REVISION, b, n); }, rev);
  int count = 0;
  while (rc == 0 && count < 1000000) {
    std::string state, author, date, next;
    if ((rc = revItem(rev, VC_REVISION_ITEM_STATE, state)) || (rc = revItem(rev, VC_REVISION_ITEM_AUTHOR, author)) ||
        (rc = revItem(rev, VC_REVISION_ITEM_DATE, date)))
      break;
    s.after.push_back(rev + " " + state + " " + author + " " + date);
    ++count;
    rc = revItem(rev, VC_REVISION_ITEM_NEXT, next);
    if (rc == VC_E_REVISION_MISSING) {  // after the last one
      rc = 0;
      break;
    }
    rev = next;
  }
  if (rc == VC_E_REVISION_MISSING && count == 0) rc = 0;  // an archive without revisions
  text = std::to_string(count);
  return rc;
}

int cmdLabel(Shell& s, const Words& w, std::string&) {
  return vcSetArchiveInfo(s.handle, VC_ARCHIVE_ITEM_ADD_LABEL, arg(w, 1), arg(w, 2));
}
int cmdLockRev(Shell& s, const Words& w, std::string&) {
  return vcSetRevInfo(s.handle, VC_REVISION_ITEM_LOCK, arg(w, 1), nullptr);
}
int cmdUnlockRev(Shell& s, const Words& w, std::string&) {
  return vcSetRevInfo(s.handle, VC_REVISION_ITEM_UNLOCK, arg(w, 1), nullptr);
}

// ---- Projects and sandboxes -------------------------------------------------

// "\n" in a word stands for a line feed.
std::string withLineFeeds(std::string t) {
  for (std::size_t p = 0; (p = t.find("\\n", p)) != std::string::npos; ++p) t.replace(p, 2, "\n");
  return t;
}

int cmdPOpen(Shell& s, const Words& w, std::string& text) {
  int h = 0;
  const int rc = vcOpenProject(arg(w, 1), num(s, w, 2, VC_PROJECT_OPEN_MODIFY), &h, 0);
  if (rc == 0) s.project = h;
  text = std::to_string(h);
  return rc;
}
int cmdPRevOpen(Shell& s, const Words& w, std::string& text) {
  int h = 0;
  const int rc = vcOpenRevProject(arg(w, 1), arg(w, 2), num(s, w, 3, VC_PROJECT_OPEN_REVISION), &h, 0);
  if (rc == 0) s.project = h;
  text = std::to_string(h);
  return rc;
}
int cmdPAdd(Shell& s, const Words& w, std::string&) {
  const std::string kind = w.size() > 1 ? w[1] : "";
  return vcAddMember(s.project, kind.empty() ? 'a' : kind[0], arg(w, 2), w.size() > 3 ? w[3].c_str() : nullptr,
                     nullptr);
}
int cmdPSave(Shell& s, const Words& w, std::string&) { return vcSaveProject(num(s, w, 1, s.project)); }
int cmdPClose(Shell& s, const Words& w, std::string&) { return vcCloseProject(num(s, w, 1, s.project)); }
int cmdPLock(Shell& s, const Words& w, std::string&) {
  const int h = num(s, w, 2, s.project);
  const std::string how = w.size() > 1 ? w[1] : "";
  if (how == "write") return vcProjectWriteLock(h);
  if (how == "shared") return vcProjectSharedLock(h);
  return vcDropProjectWriteLock(h);
}
int cmdPSet(Shell& s, const Words& w, std::string&) {
  return vcProjectOptionSet(s.project, arg(w, 1), num(s, w, 2, VC_STATEMENT_APPLY));
}
int cmdPGet(Shell& s, const Words& w, std::string& text) {
  return getString([&](char* b, int n) { return vcProjectOptionGet(s.project, arg(w, 1), b, n, nullptr); },
                   text);
}
int cmdPDrop(Shell& s, const Words& w, std::string&) { return vcProjectOptionDrop(s.project, arg(w, 1)); }
int cmdPBlock(Shell& s, const Words& w, std::string&) {
  const std::string body = withLineFeeds(w.size() > 2 ? w[2] : "");
  return vcProjectBlockSet(s.project, arg(w, 1), w.size() > 2 ? body.c_str() : nullptr);
}
std::vector<std::string>* g_blockLines = nullptr;
int collectBlockLine(int, const char*, const char*, const char* text) {
  if (g_blockLines) g_blockLines->push_back(text);
  return 0;
}
int cmdPBlockGet(Shell& s, const Words& w, std::string&) {
  g_blockLines = &s.after;
  const int rc = vcProjectBlockGet(s.project, arg(w, 1), collectBlockLine);
  g_blockLines = nullptr;
  return rc;
}
int cmdPBlockDrop(Shell& s, const Words& w, std::string&) { return vcProjectBlockDrop(s.project, arg(w, 1)); }
int cmdPLog(Shell& s, const Words&, std::string& text) {
  std::vector<char> buf(65536);
  const int rc = vcProjectGetLog(s.project, buf.data(), static_cast<int>(buf.size()));
  if (rc == 0) putText(s, buf.data(), text);
  return rc;
}
int cmdPCheckpoint(Shell& s, const Words& w, std::string&) { return vcCheckpointLog(s.project, arg(w, 1)); }
int cmdSbOpen(Shell& s, const Words& w, std::string& text) {
  int h = 0;
  const int rc = vcOpenSandbox(arg(w, 1), num(s, w, 2, VC_SANDBOX_OPEN_WRITE), &h, 0);
  if (rc == 0) s.sandbox = h;
  text = std::to_string(h);
  return rc;
}
int cmdSbSet(Shell& s, const Words& w, std::string&) {
  return vcSandboxOptionSet(s.sandbox, arg(w, 1), num(s, w, 2, VC_STATEMENT_APPLY));
}
int cmdSbGet(Shell& s, const Words& w, std::string& text) {
  return getString([&](char* b, int n) { return vcSandboxOptionGet(s.sandbox, arg(w, 1), b, n, nullptr); },
                   text);
}
int cmdSbSave(Shell& s, const Words& w, std::string&) { return vcSaveSandbox(num(s, w, 1, s.sandbox)); }
int cmdSbClose(Shell& s, const Words& w, std::string&) { return vcCloseSandbox(num(s, w, 1, s.sandbox)); }

int cmdHelp(Shell& s, const Words&, std::string&);

const Command kCommands[] = {
    {"init", "init [PROGRAM]", "start the library (vcAPIinit, vcAPIinitRegister)", cmdInit},
    {"cleanup", "cleanup", "end the library instance (vcAPIcleanup)", cmdCleanup},
    {"set", "set OPTION [VALUE]", "set a configuration option (vcSetConfig)", cmdSet},
    {"readconfig", "readconfig FILE", "read a configuration file (vcReadConfig)", cmdReadConfig},
    {"open", "open ARCHIVE [MODE]", "open an archive as $h (vcOpenArchive)", cmdOpen},
    {"close", "close [HANDLE]", "close an archive (vcCloseArchive)", cmdClose},
    {"commit", "commit [HANDLE] [CLOSE]", "write the archive's changes (vcCommitArchive)", cmdCommit},
    {"writelock", "writelock [HANDLE]", "take the archive's write lock (vcWriteLock)", cmdLock},
    {"droplock", "droplock [HANDLE]", "drop the archive's write lock (vcDropWriteLock)", cmdUnlock},
    {"ci", "ci WORKFILE|\"\"|- [REVISION] [FLAGS]", "check in after REVISION (vcCiRevision)",
     cmdCi},
    {"co", "co REVISION [WORKFILE|-] [FLAGS]", "check out (vcCheckOutRevision)", cmdCo},
    {"delete", "delete REVISION", "delete a revision (vcDeleteRevision)", cmdDelete},
    {"cmp", "cmp FILE1 FILE2 [BINARY]", "compare two files (vcCmpFiles)", cmdCmp},
    {"diff", "diff FILE1 FILE2 OUTPUT [OPTIONS]", "their differences into OUTPUT (vcFindFileDiff)", cmdDiff},
    {"cat", "cat FILE", "print a file", cmdCat},
    {"write", "write FILE \"TEXT\"", "write TEXT into FILE (\\n for line feeds)", cmdWrite},
    {"error", "error CODE", "the message of a result code (vcErrorStr)", cmdError},
    {"revs", "revs [HANDLE]", "list the revisions: number, state, author, date", cmdRevs},
    {"labels", "labels [HANDLE]", "list the labels: name, revision (item 11)", cmdLabels},
    {"locks", "locks [HANDLE]", "list the locks: user, revision (item 9)", cmdLocks},
    {"access", "access [HANDLE]", "list the access list (archive item 1)", cmdAccess},
    {"label", "label NAME REVISION", "add a label to a revision (archive item 19)", cmdLabel},
    {"lock", "lock REVISION", "lock a revision (revision item 18)", cmdLockRev},
    {"unlock", "unlock REVISION", "drop one's lock (revision item 23)", cmdUnlockRev},
    {"archinfo", "archinfo ITEM [KEY]", "an archive item (vcGetArchiveInfo; list: next entry)", cmdArchInfo},
    {"setarchinfo", "setarchinfo ITEM VALUE [SECOND]", "set an archive item (vcSetArchiveInfo)", cmdSetArchInfo},
    {"revinfo", "revinfo REVISION ITEM", "a revision item (vcGetRevInfo)", cmdRevInfo},
    {"setrevinfo", "setrevinfo REVISION ITEM [VALUE]", "set a revision item (vcSetRevInfo)", cmdSetRevInfo},
    {"sysinfo", "sysinfo ITEM", "an instance item (vcGetSysInfo)", cmdSysInfo},
    {"setsysinfo", "setsysinfo ITEM VALUE", "set an instance item (vcSetSysInfo)", cmdSetSysInfo},
    {"popen", "popen PROJECT [FLAGS]", "open a project as $p (vcOpenProject; 5 creates)", cmdPOpen},
    {"prevopen", "prevopen PROJECT REVISION [FLAGS]", "open a revision of a project as $p", cmdPRevOpen},
    {"padd", "padd KIND FILE [REVISION]", "add a member of KIND (a, f, i, s) to the project (vcAddMember)", cmdPAdd},
    {"psave", "psave [PROJECT]", "write the project's changes and log (vcSaveProject)", cmdPSave},
    {"pclose", "pclose [PROJECT]", "close a project (vcCloseProject)", cmdPClose},
    {"plock", "plock write|shared|drop [PROJECT]", "the project file's locks", cmdPLock},
    {"pset", "pset STATEMENT [APPLY]", "set a project option (vcProjectOptionSet)", cmdPSet},
    {"pget", "pget NAME", "a project option's value (vcProjectOptionGet)", cmdPGet},
    {"pdrop", "pdrop NAME", "drop a project option (vcProjectOptionDrop)", cmdPDrop},
    {"pblock", "pblock NAME \"TEXT\"", "set a project block (\\n for line feeds)", cmdPBlock},
    {"pblockget", "pblockget NAME", "list a project block's lines (vcProjectBlockGet)", cmdPBlockGet},
    {"pblockdrop", "pblockdrop NAME", "drop a project block (vcProjectBlockDrop)", cmdPBlockDrop},
    {"plog", "plog", "the project's log (vcProjectGetLog)", cmdPLog},
    {"pcheckpoint", "pcheckpoint REVISION", "restart the log (vcCheckpointLog)", cmdPCheckpoint},
    {"sbopen", "sbopen SANDBOX [FLAGS]", "open a sandbox file as $s (vcOpenSandbox)", cmdSbOpen},
    {"sbset", "sbset STATEMENT [APPLY]", "set a sandbox option (vcSandboxOptionSet)", cmdSbSet},
    {"sbget", "sbget NAME", "a sandbox option's value (vcSandboxOptionGet)", cmdSbGet},
    {"sbsave", "sbsave [SANDBOX]", "write the sandbox file (vcSaveSandbox)", cmdSbSave},
    {"sbclose", "sbclose [SANDBOX]", "close a sandbox (vcCloseSandbox)", cmdSbClose},
    {"help", "help", "list the commands", cmdHelp},
};

void listCommands(std::ostream& out) {
  for (const Command& c : kCommands) {
    std::string usage = c.usage;
    if (usage.size() < 34) usage.resize(34, ' ');
    else usage += "\n" + std::string(36, ' ');
    out << "  " << usage << c.help << "\n";
  }
}

int cmdHelp(Shell&, const Words&, std::string&) {
  listCommands(std::cout);
  return 0;
}

void usage(std::ostream& out) {
  out << "usage: vcsh [SCRIPT]      (standard input when no script is named)\n"
         "       vcsh --help\n"
         "\n"
         "Runs a line script of revision-library calls and prints each call's result:\n"
         "  COMMAND WORDS -> CODE [TEXT]\n"
         "followed, for the listing commands, by their entries, indented. Words are\n"
         "separated by blanks; \"quoted words\" may hold blanks, \"\" is an empty word, - a\n"
         "null argument, $h the handle of the last opened archive ($p project, $s\n"
         "sandbox). Lines starting with #\n"
         "are comments. Items and codes: vc/include/vc.h and the item sources. Archive\n"
         "items 14-16 take KEY (a label, user or revision); a list item (archive 1, 9,\n"
         "11, 79) gives one entry a call and 5 after the last, while revs, labels, locks\n"
         "and access list it whole; system item 79 is the security database.\n"
         "\"init PROGRAM\" uses PROGRAM's installation's security database. A start-up\n"
         "without a database says so on standard error, with the keladm command that\n"
         "makes one. Status: 0, 1 when a line held an unknown command, 2 wrong usage.\n"
         "\n"
         "commands:\n";
  listCommands(out);
}

int runLine(Shell& s, const std::string& raw) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  Words w = split(line);
  if (w.empty() || w[0][0] == '#') return 0;
  for (const Command& c : kCommands) {
    if (w[0] != c.name) continue;
    std::string text;
    s.after.clear();
    const int rc = c.run(s, w, text);
    std::cout << line << " -> " << rc;
    if (!text.empty()) std::cout << " " << text;
    std::cout << "\n";
    for (const std::string& l : s.after) std::cout << "  " << l << "\n";
    s.after.clear();
    std::cout.flush();
    return rc;
  }
  std::cout << line << " -> unknown command; commands:\n";
  listCommands(std::cout);
  ++s.failures;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  Shell shell;
  std::ifstream file;
  std::istream* in = &std::cin;
  if (argc > 1) {
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") {
      usage(std::cout);
      return 0;
    }
    if (first.size() > 1 && first[0] == '-') {
      std::cerr << "vcsh: unknown option " << first << "\n(vcsh --help shows the usage)\n";
      return 2;
    }
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
