// Entry points of the text differencer: DiffFile and DiffError.
//
// DiffFile behaves like a command-line diff behind a function call: it takes
// the busy flag, resets every option, parses the option vector, opens (and
// truncates) the output file, resolves directory arguments, and compares each
// pair: both files are read whole, and the comparison in memory (the core that
// diff_texts runs too) writes into the output file. Any fatal error unwinds to
// here as FatalError with its message stored; RAII closes the files and the
// result is 2. Files are reached through the system-call seam
// (orv::sys::calls()).
#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "differ/txtcmp/diff_options.h"
#include "differ/support/file_stream.h"
#include "platform/fs/path_separators.h"
#include "differ/txtcmp/matchers.h"
#include "differ/include/orv/txtcmp32.h"
#include "platform/sys/system_calls.h"

namespace orv::txtcmp {

namespace {

std::atomic_flag g_busy = ATOMIC_FLAG_INIT;
void (*g_busy_hook)() = nullptr;

constexpr std::size_t kNameMax = 512;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using OutFile = std::unique_ptr<std::FILE, FileCloser>;

// The output file as the writer's sink.
using diffsup::StreamSink;

struct BusyGuard {
  ~BusyGuard() { g_busy.clear(); }
};

struct NameInfo {
  bool exists = false;
  bool dir = false;
  std::time_t mtime = 0;
};

NameInfo stat_name(const std::string& name) {
  NameInfo n;
  struct stat st {};
  if (orv::sys::calls().stat(name.c_str(), &st) == 0) {
    n.exists = true;
    n.dir = S_ISDIR(st.st_mode);
    n.mtime = st.st_mtime;
  }
  return n;
}

std::string join_dir(const std::string& dir, const std::string& file) {
  std::string out = dir;
  if (out.empty() || (out.back() != '/' && out.back() != '\\' && out.back() != ':')) out += '/';
  out += diffsup::base_name(file.c_str());
  return out;
}

std::string take_name(const char* name, const char* program) {
  std::string s = orv::fs::forward_slashes(name ? name : "");
  if (s.size() > kNameMax) {
    messages().set_system(program, ENAMETOOLONG, "file \"%s\"", s.c_str());
    throw FatalError{};
  }
  return s;
}

// Reads the whole of an input file through the seam. A file that cannot be
// opened is fatal; a read that fails keeps the bytes read before it, and its
// errno goes to *read_error (the text ends there, unreadable).
void read_input(const std::string& name, const char* program, std::string& bytes, int* read_error) {
  const int fd = orv::sys::calls().open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) {
    messages().set_system(program, errno, "file \"%s\"", name.c_str());
    throw FatalError{};
  }
  struct stat st {};
  if (orv::sys::calls().fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    bytes.reserve(static_cast<std::size_t>(st.st_size));
  *read_error = orv::sys::readAll(fd, bytes);
  orv::sys::calls().close(fd);
}

int compare_pair(const Options& opt, const std::string& name1, const std::string& name2, std::FILE* out,
                 const char* program) {
  std::string bytes1, bytes2;
  int error1 = 0, error2 = 0;
  read_input(name1, program, bytes1, &error1);
  read_input(name2, program, bytes2, &error2);
  InputText f1(name1, program, messages());
  InputText f2(name2, program, messages());
  f1.load(bytes1, error1);
  f2.load(bytes2, error2);
  StreamSink sink(out);
  DiffWriter w(sink, opt, {name1, stat_name(name1).mtime}, {name2, stat_name(name2).mtime}, opt.half);
  PairContext ctx{opt, f1, f2, w, messages()};
  const int result = compare_pair_texts(ctx);
  std::fflush(out);
  if (std::ferror(out)) {
    messages().set_system(program, errno ? errno : EIO, "write error on standard output");
    throw FatalError{};
  }
  return result;
}

int run(int argc, const char* const* argv, const char* file1, const char* file2, const char* outname) {
  Options opt;
  const char* program = (argc > 0 && argv && argv[0]) ? argv[0] : "";
  const std::string mode = program;
  if (mode == "diffh") opt.half = true;
  if (mode == "bdiff") {
    opt.segmented = true;
    opt.seglen = 3999;
  }
  if (mode == "dircmp") {
    opt.dircmp = true;
    opt.recursive = true;
  }
  int first = 1;
  if (argc > 1 && argv && parse_options(argc, argv, opt, &first) != 0) return 2;
  int operands = argc > first ? argc - first : 0;
  if (opt.segmented && operands == 3) {
    long len = std::strtol(argv[first + 2], nullptr, 10);
    if (len > 0) opt.seglen = len;
    operands = 2;
  }

  if (!outname) {
    messages().set_system(program, EINVAL, "file \"%s\"", "");
    return 2;
  }
  const std::string out_name = take_name(outname, program);
  OutFile out(diffsup::open_stream(out_name.c_str(), diffsup::StreamMode::kWriteTruncate));
  if (!out) {
    messages().set_system(program, errno, "file \"%s\"", out_name.c_str());
    return 2;
  }
  std::setvbuf(out.get(), nullptr, _IOFBF, 1 << 16);

  int result;
  if (operands <= 2) {
    std::string n1 = take_name(file1 ? file1 : "", program);
    std::string n2 = take_name(file2 ? file2 : "", program);
    NameInfo i1 = stat_name(n1), i2 = stat_name(n2);
    if (i1.dir && i2.dir) return 1;
    if (opt.dircmp) {
      if (!i1.dir) messages().set_plain("%s: Not a directory", n1.c_str());
      if (!i2.dir) messages().set_plain("%s: Not a directory", n2.c_str());
      return 1;
    }
    if (i1.dir) n1 = join_dir(n1, n2);
    if (i2.dir) n2 = join_dir(n2, n1);
    result = compare_pair(opt, n1, n2, out.get(), program);
  } else {
    // Several files: every operand but the last is compared with the file of
    // the same base name in the directory named by the last operand.
    const std::string dir = take_name(argv[argc - 1], program);
    if (!stat_name(dir).dir) return 2;
    bool any_differ = false;
    result = 0;
    for (int k = first; k < argc - 1; ++k) {
      const std::string n1 = take_name(argv[k], program);
      if (stat_name(n1).dir) return 2;
      if (opt.context <= 0) std::fprintf(out.get(), opt.ed ? "E %s\n" : "*** %s\n", n1.c_str());
      result = compare_pair(opt, n1, join_dir(dir, n1), out.get(), program);
      if (result > 1) return result;
      if (result == 1) {
        any_differ = true;
        if (opt.ed) std::fputs("w\n", out.get());
      }
    }
    if (any_differ) result = 1;
  }
  std::fflush(out.get());
  if (std::ferror(out.get())) {
    messages().set_system(program, errno ? errno : EIO, "write error on standard output");
    return 2;
  }
  return result;
}

}  // namespace

diffsup::MessageBuffer& messages() {
  static diffsup::MessageBuffer buffer;
  return buffer;
}

void set_busy_hook(void (*hook)()) { g_busy_hook = hook; }

}  // namespace orv::txtcmp

extern "C" int DiffFile(int argc, const char* const* argv, const char* file1, const char* file2,
                        const char* outfile) {
  using namespace orv::txtcmp;
  if (g_busy.test_and_set()) {
    messages().set_plain("DLL in use");
    return 2;
  }
  BusyGuard guard;
  try {
    if (g_busy_hook) g_busy_hook();
    return run(argc, argv, file1, file2, outfile);
  } catch (const FatalError&) {
    return 2;
  } catch (const std::bad_alloc&) {
    messages().set_plain("insufficient memory (try diff -h)\n");
    return 2;
  } catch (...) {
    messages().set_plain("internal error");
    return 2;
  }
}

extern "C" int DiffError(char* buf, int len) { return orv::txtcmp::messages().copy_out(buf, len, 0); }
