// Entry points of the binary differencer: DiffBFile and DiffBError.
//
// Both inputs are read whole through the system-call seam and compared in
// place; the output is a stdio stream over the same seam.
#include <atomic>
#include <cctype>
#include <cerrno>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "bincmp.h"
#include "diff_support.h"
#include "file_stream.h"
#include "fs/path_separators.h"
#include "orv/bincmp32.h"
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

std::span<const unsigned char> bytes_of(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
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
  // An input that cannot be opened or read whole stops the call before the
  // output file is touched.
  std::string a, b;
  if (int err = sys::readWholeFile(n1, a)) {
    messages().set_system(nullptr, err, "input file \"%s\"", n1.c_str());
    return 2;
  }
  if (int err = sys::readWholeFile(n2, b)) {
    messages().set_system(nullptr, err, "input file \"%s\"", n2.c_str());
    return 2;
  }
  File out(diffsup::open_stream(no.c_str(), diffsup::StreamMode::kWriteTruncate));
  if (!out) {
    messages().set_system(nullptr, errno, "file \"%s\"", no.c_str());
    return 2;
  }
  int result = compare_bytes(bytes_of(a), bytes_of(b), opt, out.get());
  if (std::fflush(out.get()) != 0 || std::ferror(out.get())) {
    messages().set_system(nullptr, errno ? errno : EIO, "file \"%s\"", no.c_str());
    return 2;
  }
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
