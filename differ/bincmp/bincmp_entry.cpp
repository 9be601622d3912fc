// Entry points of the binary differencer: DiffBFile and DiffBError.
//
// Both inputs are read in blocks through the system-call seam and compared
// as they come (bincmp.h), so memory does not grow with the files. An input
// that cannot be opened or read still leaves the output untouched: the
// changes go to an unnamed scratch file first, and the output is opened,
// truncated and written from it only once both inputs were read to their
// end. An output that is not a regular file (standard output as a pipe or a
// terminal, /dev/null) is written directly. When both inputs fail, the
// message names file 1, as when file 1 was read whole before file 2.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "differ/bincmp/bincmp.h"
#include "differ/support/diff_sink.h"
#include "differ/support/diff_support.h"
#include "differ/bincmp/scratch.h"
#include "differ/support/file_stream.h"
#include "platform/fs/path_separators.h"
#include "differ/include/orv/bincmp32.h"
#include "platform/sys/system_calls.h"

namespace orv::bincmp {

namespace {

std::atomic_flag g_busy = ATOMIC_FLAG_INIT;
void (*g_busy_hook)() = nullptr;

diffsup::MessageBuffer& messages() {
  static diffsup::MessageBuffer buffer;
  return buffer;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct BusyGuard {
  ~BusyGuard() { g_busy.clear(); }
};

// An input that failed: which file (1 or 2) and the errno value.
struct InputError {
  int which;
  int err;
};

// One input file, read through the seam; a read error throws InputError.
class FileInput final : public ByteInput {
 public:
  explicit FileInput(int which) : which_(which) {}
  ~FileInput() override {
    if (fd_ >= 0) sys::calls().close(fd_);
  }
  FileInput(const FileInput&) = delete;
  FileInput& operator=(const FileInput&) = delete;

  // 0 or an errno value.
  int open(const std::string& path) {
    fd_ = sys::calls().open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    return fd_ < 0 ? errno : 0;
  }
  std::size_t read(unsigned char* buf, std::size_t len) override {
    for (;;) {
      const ssize_t got = sys::calls().read(fd_, buf, len);
      if (got >= 0) {
        if (got == 0) ended_ = true;
        return static_cast<std::size_t>(got);
      }
      if (errno == EINTR) continue;
      error_ = errno;
      throw InputError{which_, error_};
    }
  }
  // Reads what is left to the end; 0 or the errno value of a failed read.
  int drain() {
    if (fd_ < 0) return 0;
    unsigned char buf[64 * 1024];
    try {
      while (!ended_ && !error_) read(buf, sizeof buf);
    } catch (const InputError&) {
    }
    return error_;
  }

 private:
  int which_;
  int fd_ = -1;
  bool ended_ = false;
  int error_ = 0;
};

// Where the changes go until the inputs are read: the output itself, or a
// scratch file copied to it afterwards.
bool writes_directly(const std::string& out) {
  struct stat st {};
  return sys::calls().stat(out.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

// Copies the scratch file's first `size` bytes to out; 0 or an errno value
// of the scratch file.
int copy_scratch(int fd, off_t size, std::FILE* out) {
  std::vector<char> buf(64 * 1024);
  for (off_t at = 0; at < size;) {
    const ssize_t got =
        sys::calls().pread(fd, buf.data(), static_cast<std::size_t>(std::min<off_t>(size - at, 64 * 1024)), at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got < 0 ? errno : EIO;
    std::fwrite(buf.data(), 1, static_cast<std::size_t>(got), out);
    at += got;
  }
  return 0;
}

int run(int argc, const char* const* argv, const char* file1, const char* file2, const char* outname) {
  const char* program = (argc > 0 && argv && argv[0]) ? argv[0] : "";
  BinOptions opt;
  // Options: words that begin with "-" and a letter other than "-".
  for (int w = 1; w < argc && argv && argv[w] && argv[w][0] == '-' && argv[w][1] && argv[w][1] != '-'; ++w) {
    for (const char* p = argv[w] + 1; *p; ++p) {
      if (*p == 'n') {
        opt.rcs = true;
      } else if (*p == 'c') {
        opt.context = p[1] ? diffsup::parse_decimal(p + 1) : 3;
        break;
      } else if (*p == 'C') {
        if (w + 1 >= argc || !argv[w + 1] || !std::isdigit(static_cast<unsigned char>(argv[w + 1][0]))) {
          messages().set_plain("%s: missing number after -C\n", program);
          return 2;
        }
        opt.context = diffsup::parse_decimal(argv[++w]);
        break;
      } else {
        messages().set_plain("%s: option -%c unknown\n", program, *p);
        return 2;
      }
    }
  }
  // A missing name reads as an empty one.
  const auto given = [](const char* name) { return orv::fs::forward_slashes(name ? name : ""); };
  const std::string n1 = given(file1), n2 = given(file2), no = given(outname);
  FileInput in1(1), in2(2);
  const auto input_trouble = [&](int which, int err) {
    // File 1's trouble comes first, wherever it shows.
    if (which == 2) {
      if (int err1 = in1.drain()) {
        which = 1;
        err = err1;
      }
    }
    messages().set_system(nullptr, err, "input file \"%s\"", (which == 1 ? n1 : n2).c_str());
    return 2;
  };
  const auto output_trouble = [&](int err) {
    // An input that cannot be read is told first, as when the inputs were
    // read before the output was opened.
    if (int err1 = in1.drain()) return input_trouble(1, err1);
    if (int err2 = in2.drain()) return input_trouble(2, err2);
    messages().set_system(nullptr, err, "file \"%s\"", no.c_str());
    return 2;
  };
  if (int err = in1.open(n1)) return input_trouble(1, err);
  if (int err = in2.open(n2)) return input_trouble(2, err);

  const bool direct = writes_directly(no);
  int scratch_fd = -1;
  File out(direct ? diffsup::open_stream(no.c_str(), diffsup::StreamMode::kWriteTruncate)
                  : ((scratch_fd = open_scratch_file()) < 0
                         ? nullptr
                         : diffsup::stream_on_descriptor(scratch_fd, diffsup::StreamMode::kWriteTruncate)));
  if (!out) return output_trouble(errno);
  int result = 0;
  try {
    diffsup::StreamSink sink(out.get());
    result = compare_streams(in1, in2, opt, sink);
  } catch (const InputError& e) {
    return input_trouble(e.which, e.err);
  } catch (const ScratchError& e) {
    return output_trouble(e.err);
  }
  if (std::fflush(out.get()) != 0 || std::ferror(out.get()))
    return output_trouble(errno ? errno : EIO);
  if (direct) return result;

  // Both inputs were read to their end: now the output.
  const off_t size = sys::calls().lseek(scratch_fd, 0, SEEK_CUR);
  if (size < 0) return output_trouble(errno);
  File target(diffsup::open_stream(no.c_str(), diffsup::StreamMode::kWriteTruncate));
  if (!target) return output_trouble(errno);
  if (int err = copy_scratch(scratch_fd, size, target.get())) return output_trouble(err);
  if (std::fflush(target.get()) != 0 || std::ferror(target.get()))
    return output_trouble(errno ? errno : EIO);
  return result;
}

}  // namespace

void set_busy_hook(void (*hook)()) { g_busy_hook = hook; }

}  // namespace orv::bincmp

extern "C" int DiffBFile(int argc, const char* const* argv, const char* file1, const char* file2,
                         const char* outfile) {
  using namespace orv::bincmp;
  if (g_busy.test_and_set()) {
    messages().set_plain("diffb in use");
    return 2;
  }
  BusyGuard guard;
  try {
    if (g_busy_hook) g_busy_hook();
    return run(argc, argv, file1, file2, outfile);
  } catch (const std::bad_alloc&) {
    messages().set_plain("insufficient memory");
    return 2;
  } catch (...) {
    messages().set_plain("internal error");
    return 2;
  }
}

extern "C" int DiffBError(char* buf, int len) { return orv::bincmp::messages().copy_out(buf, len, 1); }
