// The exports of libsccsty32.so: one conversion at a time per process; the
// message of the last one for sccs2rcsError.
#include <atomic>
#include <cerrno>
#include <new>
#include <sys/stat.h>

#include "import/include/orv/sccsty32.h"
#include "import/sccs/sccs_model.h"
#include "import/support/read_back.h"
#include "platform/sys/system_calls.h"

namespace orv::import {

namespace {

std::atomic<bool> g_busy{false};
MessageBuffer g_msgs;

std::string lastComponent(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return orv::sys::calls().stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The file as named, else the same name in the "SCCS" folder beside it.
std::string readInput(std::string name, std::string& text) {
  for (char& c : name)
    if (c == '\\') c = '/';
  const std::size_t slash = name.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : name.substr(0, slash);
  if (!dir.empty() && !isDirectory(dir)) g_msgs.fail(false, "directory %s does not exist", dir.c_str());
  if (int e = orv::sys::readWholeFile(name, text); e == 0) return name;
  const std::string inSccs = (dir.empty() ? "" : dir + "/") + "SCCS/" + lastComponent(name);
  if (orv::sys::readWholeFile(inSccs, text) == 0) return inSccs;
  errno = errno ? errno : ENOENT;
  g_msgs.fail(true, "unable to open input file %s", name.c_str());
}

void convert(bool writeProtect, bool strictLocks, const char* sccsFile, const char* archiveDir) {
  if (!archiveDir || !*archiveDir) g_msgs.fail(false, "bad RCS archive directory");
  if (!sccsFile || !*sccsFile) g_msgs.fail(false, "unable to open input file %s", "");
  std::string text;
  const std::string input = readInput(sccsFile, text);
  SccsFile file;
  readSccsFile(text, input, g_msgs, file);
  std::string work = lastComponent(input);
  if (work.compare(0, 2, "s.") == 0) work.erase(0, 2);
  std::string dir = archiveDir;
  for (char& c : dir)
    if (c == '\\') c = '/';
  const std::string path = dir + (dir.back() == '/' ? "" : "/") + work;
  assignNumbers(file, input, g_msgs);
  const SccsGet get(file, input, g_msgs);
  // Names the archive could not read are made safe, and the description
  // says which.
  NameChanges names;
  for (SccsDelta& d : file.deltas) d.user = names.safe(d.user);
  for (std::string& u : file.users) u = names.safe(u);
  if (!names.empty()) {
    std::string note = names.note();
    note.pop_back();
    file.description.push_back(note);
  }
  ArchiveOutput out(g_msgs, path, writeProtect);
  writeArchive(file, work, strictLocks, input, g_msgs, out);
  // Nothing is put in place unless every revision reads back as the SCCS
  // file has it.
  std::vector<ExpectedRevision> expected;
  for (std::size_t i = 0; i < file.deltas.size(); ++i)
    expected.push_back({numberText(file.deltas[i].newNumber), file.deltas[i].user, {}, [&get, i] { return get.text(i); }});
  if (std::string problem = readBack(out.written(), expected); !problem.empty())
    g_msgs.fail(false, "the archive written for SCCS file %s does not read back: %s", input.c_str(), problem.c_str());
  out.commit();
  g_msgs.set(path);
}

}  // namespace

}  // namespace orv::import

using namespace orv::import;

extern "C" {

ORV_IMPORT_API int sccs2rcsFile(int /*century*/, int writeprotect, int strictlocks, const char* sccsfile,
                                const char* archivedir) {
  return runConversion(g_busy, g_msgs, [&] { convert(writeprotect != 0, strictlocks != 0, sccsfile, archivedir); });
}

ORV_IMPORT_API int sccs2rcsError(char* buf, int len) { return g_msgs.copyOut(buf, len); }

}  // extern "C"
