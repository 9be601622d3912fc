// Helpers of the importer tests: running the SCCS tools, reading an imported
// archive's revision numbers by their log, and checking revisions out
// through the revision library.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"

namespace importtest {

inline std::string readFile(const std::string& path) {
  std::string text;
  if (orv::sys::readWholeFile(path, text) != 0) return "<missing>";
  return text;
}

inline void writeFile(const std::string& path, const std::string& text) { orv::sys::writeWholeFile(path, text); }

// Runs a shell command in dir; its standard output, and its status in *rc.
inline std::string run(const std::string& dir, const std::string& command, int* rc = nullptr) {
  const std::string full = "cd '" + dir + "' && " + command + " 2>/dev/null";
  std::string out;
  if (FILE* p = ::popen(full.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    const int status = ::pclose(p);
    if (rc) *rc = status;
  } else if (rc) {
    *rc = -1;
  }
  return out;
}

inline bool haveSccsTools() { return std::system("command -v sccs >/dev/null 2>&1") == 0; }

// The archive's revision numbers by their log text (logs are unique in the
// tests' histories).
inline std::map<std::string, std::string> numbersByLog(const std::string& archive) {
  std::map<std::string, std::string> out;
  const std::string text = readFile(archive);
  static const std::regex entry("\n\n([0-9.]+)\nlog\n@((?:[^@]|@@)*)@\ntext\n");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it)
    out[(*it)[2]] = (*it)[1];
  return out;
}

// The revision library on the security-database double, for one test.
struct Library {
  explicit Library(const std::string& settings) {
    ::setenv("ORV_KEL_LIBRARY", KEL_DOUBLE_PATH, 1);
    ::setenv("ORV_SETTINGS", settings.c_str(), 1);
    ok = vcAPIinit() == 0;
  }
  ~Library() { vcAPIcleanup(); }
  // The revision's text, or "<error N>".
  std::string checkOut(const std::string& archive, const std::string& revision, const std::string& out) {
    int h = 0;
    if (int rc = vcOpenArchive(archive.c_str(), &h, VC_ARCHIVE_OPEN_READ)) return "<open " + std::to_string(rc) + ">";
    const int rc = vcCoRevision(h, revision.c_str(), out.c_str());
    vcCloseArchive(h);
    return rc ? "<co " + std::to_string(rc) + ">" : readFile(out);
  }
  // Every revision of the archive (in the library's order) with its text,
  // author and log; false with the failing call's code in *failure.
  struct Read {
    std::string number, text, author, log;
  };
  bool readAll(const std::string& archive, const std::string& out, std::vector<Read>& revisions,
               std::string* failure = nullptr) {
    revisions.clear();
    int h = 0;
    auto fail = [&](const std::string& what, int rc) {
      if (failure) *failure = what + " " + std::to_string(rc);
      if (h) vcCloseArchive(h);
      return false;
    };
    if (int rc = vcOpenArchive(archive.c_str(), &h, VC_ARCHIVE_OPEN_READ)) return fail("open", rc);
    char buf[4096];
    int rc = vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_FIRST_REVISION, buf, sizeof buf);
    while (rc == 0) {
      Read r;
      r.number = buf;
      if (int c = vcCoRevision(h, r.number.c_str(), out.c_str())) return fail("co " + r.number, c);
      r.text = readFile(out);
      if (int c = vcGetRevInfo(h, VC_REVISION_ITEM_AUTHOR, r.number.c_str(), buf, sizeof buf))
        return fail("author " + r.number, c);
      r.author = buf;
      if (int c = vcGetRevInfo(h, VC_REVISION_ITEM_LOG, r.number.c_str(), buf, sizeof buf))
        return fail("log " + r.number, c);
      r.log = buf;
      revisions.push_back(r);
      rc = vcGetRevInfo(h, VC_REVISION_ITEM_NEXT, r.number.c_str(), buf, sizeof buf);
    }
    if (rc != VC_E_REVISION_MISSING && rc != VC_E_DONE) return fail("next", rc);
    vcCloseArchive(h);
    h = 0;
    return true;
  }
  // The archive's description.
  std::string description(const std::string& archive) {
    int h = 0;
    if (int rc = vcOpenArchive(archive.c_str(), &h, VC_ARCHIVE_OPEN_READ)) return "<open " + std::to_string(rc) + ">";
    char buf[4096] = {};
    const int rc = vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_DESCRIPTION, buf, sizeof buf);
    vcCloseArchive(h);
    return rc ? "<description " + std::to_string(rc) + ">" : std::string(buf);
  }
  bool ok = false;
};

// The names in a directory.
inline std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace importtest
