// Reading, following and appending to redirector files; kelAppendRedirector.
//
// Redirectors are always opened for reading when they are followed, also
// when the database behind them is opened for update: a read-only redirector
// on a shared disk must not stop anybody. An append rewrites the whole file
// through a temporary file, so a failed append leaves the old file as it was.
// Every file call goes through the system-call seam.
#include "kel/kellib/redirector_file.h"

#include "kel/kellib/absolute_path.h"
#include "platform/fs/path_separators.h"
#include "platform/fs/replace_file.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace kel {
namespace {

bool fileExists(const std::string& path) {
  struct stat st {};
  return orv::sys::calls().stat(path.c_str(), &st) == 0;
}

// Closes a descriptor on every path.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) orv::sys::calls().close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads up to size bytes; the count read (short only at the end of the
// file), or -1 with errno set.
ssize_t readFully(int fd, char* data, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    ssize_t n = orv::sys::calls().read(fd, data + got, size - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(got);
}

// The path a record names: the text before its NUL, bounded by the record
// when a foreign file has none.
std::string recordPath(const char* record) {
  std::size_t len = 0;
  while (len < kRedirectorRecordSize && record[len] != '\0') ++len;
  return orv::fs::forward_slashes(std::string_view(record, len));
}

// Reads the redirector and sets next to the target of its first record
// whose ".red" or ".dat" file exists.
int nextTarget(const std::string& redirector, std::string& next) {
  Descriptor fd(orv::sys::calls().open(redirector.c_str(), O_RDONLY | O_CLOEXEC, 0));
  if (fd.get() < 0) {
    setExtraError(errno);
    return KEL_CANNOT_OPEN;
  }
  char header[kRedirectorHeaderSize];
  ssize_t n = readFully(fd.get(), header, sizeof header);
  if (n != static_cast<ssize_t>(sizeof header)) {
    setExtraError(n < 0 ? errno : 0);
    return KEL_CANNOT_ACCESS;
  }
  if (std::string_view(header, sizeof header) != redirectorHeader()) return KEL_BAD_MAGIC_COOKIE;

  std::string record(kRedirectorRecordSize, '\0');
  for (;;) {
    n = readFully(fd.get(), record.data(), record.size());
    if (n != static_cast<ssize_t>(record.size())) {
      setExtraError(n < 0 ? errno : 0);
      return KEL_CANNOT_ACCESS;  // no record leads anywhere
    }
    std::string target = recordPath(record.data());
    if (target.empty()) continue;
    if (fileExists(target + ".red")) {
      next = target + ".red";
      return KEL_SUCCESS;
    }
    if (fileExists(target + ".dat")) {
      next = target + ".dat";
      return KEL_SUCCESS;
    }
  }
}

// Reads the whole file: 0, or an errno value; a missing file reads as empty.
int readRedirectorFile(const std::string& path, std::string& contents) {
  const int err = orv::sys::readWholeFile(path, contents);
  return err == ENOENT ? 0 : err;
}

}  // namespace

std::string redirectorHeader() {
  std::string header(kRedirectorMagic);
  header.append(2, '\0');
  return header;
}

std::string_view extensionOf(std::string_view path) {
  std::size_t slash = path.find_last_of("/\\");
  std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

bool isExtension(std::string_view ext, std::string_view wanted) {
  if (ext.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < ext.size(); ++i) {
    char c = ext[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != wanted[i]) return false;
  }
  return true;
}

int followRedirectors(std::string_view path, std::string& databaseFile) {
  std::string current = orv::fs::forward_slashes(path);
  for (int hops = 0;;) {
    std::string_view ext = extensionOf(current);
    std::string redirector;
    if (isExtension(ext, "dat")) {
      databaseFile = current;
      return KEL_SUCCESS;
    }
    if (!ext.empty()) {
      redirector = current;
    } else if (fileExists(current + ".red")) {
      redirector = current + ".red";
    } else {
      databaseFile = current + ".dat";
      return KEL_SUCCESS;
    }
    if (++hops > kRedirectorHopLimit) {
      setExtraError(ELOOP);
      return KEL_CANNOT_ACCESS;
    }
    if (int rc = nextTarget(redirector, current)) return rc;
  }
}

int appendRedirector(std::string_view redirectorArg, std::string_view databaseArg) {
  if (redirectorArg.empty() || databaseArg.empty()) return KEL_INVALID_ARGUMENT;
  if (databaseArg.size() > kRedirectorPathMax) return KEL_STRINGS_TOO_LONG;

  // The record: the database made absolute, without ".dat", a NUL, blanks.
  std::string target;
  // The path maker refuses results that reach its limit less 2; this limit
  // lets through exactly the paths a record can hold with its NUL.
  if (int err = makeAbsolutePath(databaseArg, {}, target, kRedirectorPathMax + 3)) {
    setExtraError(err);
    return KEL_INVALID_ARGUMENT;
  }
  if (isExtension(extensionOf(target), "dat")) target.resize(target.size() - 4);
  if (target.size() > kRedirectorPathMax) return KEL_STRINGS_TOO_LONG;
  std::string record(kRedirectorRecordSize, ' ');
  record.replace(0, target.size(), target);
  record[target.size()] = '\0';

  // The redirector's own name ends in ".red"; a database of the same base
  // name must not lie there.
  std::string redirector = orv::fs::forward_slashes(redirectorArg);
  std::string_view ext = extensionOf(redirector);
  std::string base = ext.empty() ? redirector : redirector.substr(0, redirector.size() - ext.size() - 1);
  if (ext.empty() || isExtension(ext, "dat")) redirector = base + ".red";
  if (fileExists(base + ".dat")) return KEL_DATABASE_AT_REDIRECTOR;

  std::string contents;
  if (int err = readRedirectorFile(redirector, contents)) {
    setExtraError(err);
    return err == EIO ? KEL_CANNOT_READ : KEL_CANNOT_OPEN;
  }
  if (contents.empty()) {
    contents = redirectorHeader();
  } else if (contents.size() < kRedirectorHeaderSize ||
             std::string_view(contents).substr(0, kRedirectorHeaderSize) != redirectorHeader()) {
    return KEL_BAD_MAGIC_COOKIE;
  } else if ((contents.size() - kRedirectorHeaderSize) % kRedirectorRecordSize != 0) {
    // A torn earlier write: a record appended now would be out of step
    // with the record boundaries and never be found.
    return KEL_BAD_FORMAT;
  }
  contents += record;

  orv::fs::AtomicFileWriter writer;
  if (int err = writer.begin(redirector)) {
    setExtraError(err);
    return KEL_CANNOT_OPEN;
  }
  int err = writer.write(contents);
  if (!err) err = writer.commit();
  if (err) {
    setExtraError(err);
    return KEL_CANNOT_WRITE;
  }
  return KEL_SUCCESS;
}

}  // namespace kel

extern "C" KEL_API kelResult kelAppendRedirector(const char* redirector, const char* database) {
  return kel::exportBarrier([&]() -> int {
    if (!redirector || !database) return KEL_INVALID_ARGUMENT;
    return kel::appendRedirector(redirector, database);
  });
}
