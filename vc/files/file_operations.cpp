// File operations shared by the archive and project code (see file_operations.h).
#include "vc/files/file_operations.h"
#include "platform/sys/system_calls.h"

#include "vc/error_codes.h"
#include "platform/fs/replace_file.h"
#include "vc/instance/instance.h"
#include "vc/paths/path_file_system.h"
#include "vc/instance/message_catalogue.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vc {

int forceRemove(const std::string& path) {
  // Deleting needs only the directory's permission; a refused chmod of a
  // file we do not own is no reason to stop.
  setWritable(path);
  return orv::sys::calls().unlink(path.c_str()) == 0 ? 0 : errno;
}

int setReadOnly(const std::string& path) {
  struct stat st {};
  if (orv::sys::calls().stat(path.c_str(), &st) != 0) return errno;
  return orv::sys::calls().chmod(path.c_str(), st.st_mode & 07555) == 0 ? 0 : errno;
}

int setWritable(const std::string& path) {
  struct stat st {};
  if (orv::sys::calls().stat(path.c_str(), &st) != 0) return errno;
  return orv::sys::calls().chmod(path.c_str(), (st.st_mode & 07777) | 0200) == 0 ? 0 : errno;
}

namespace {

std::string formatted(int id, const std::string& a, const std::string& b = {}) {
  std::string pattern = catalogueText(id);
  std::string out;
  int arg = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
      out += arg++ == 0 ? a : b;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace

int copyFile(VcInstance* inst, const std::string& source, const std::string& destination,
             bool inArchiveDirectory, VcYesNoFn ask) {
  if (int e = makeDirectoriesFor(destination)) {
    if (inst) inst->extraError = e;
    return err::kCannotCreateArchiveDir;
  }
  struct stat dst {};
  if (ask && orv::sys::calls().stat(destination.c_str(), &dst) == 0) {
    if (ask(0, formatted(err::kMsgCopyOverwrite, source, destination).c_str()) != 1)
      return err::kCannotCopy;
    if (inArchiveDirectory &&
        ask(0, formatted(err::kMsgOverwriteInArchiveDir, destination).c_str()) != 1)
      return err::kCannotCopy;
  }
  std::string bytes;
  struct stat src {};
  int rc = orv::sys::readWholeFile(source, bytes);
  if (rc == 0 && orv::sys::calls().stat(source.c_str(), &src) != 0) rc = errno;
  if (rc == 0) {
    orv::fs::AtomicFileWriter out;
    rc = out.begin(destination);
    if (rc == 0) rc = out.write(bytes);
    if (rc == 0) {
      // The destination takes the source's permission bits.
      orv::sys::calls().chmod(out.tempPath().c_str(), src.st_mode & 07777);
      rc = out.commit();
    }
  }
  if (rc != 0) {
    if (inst) inst->extraError = rc;
    return err::kCannotCopy;
  }
  return 0;
}

int readLine(char* buf, std::size_t size, std::FILE* stream, std::size_t* length) {
  std::size_t n = 0;
  int status = kLineTooLong;
  bool sawNul = false;
  while (n + 1 < size) {
    int c = std::fgetc(stream);
    if (c == EOF) {
      if (std::ferror(stream)) status = kLineReadError;
      else status = n == 0 ? kLineEof : kLineLast;
      break;
    }
    if (c == 0) sawNul = true;
    buf[n++] = static_cast<char>(c);
    if (c == '\n') {
      status = kLineWhole;
      break;
    }
  }
  if (size > 0) buf[n] = '\0';
  if (length) *length = n;
  if (sawNul && status != kLineReadError) return kLineNulByte;
  return status;
}

}  // namespace vc
