// Entry points of the binary differencer: DiffBFile and DiffBError.
#include <atomic>
#include <cctype>
#include <cerrno>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bincmp.h"
#include "diff_support.h"
#include "fs/path_separators.h"
#include "orv/bincmp32.h"

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

bool read_all(std::FILE* f, std::vector<unsigned char>& data) {
  unsigned char buf[1 << 16];
  for (;;) {
    std::size_t n = std::fread(buf, 1, sizeof buf, f);
    data.insert(data.end(), buf, buf + n);
    if (n < sizeof buf) return !std::ferror(f);
  }
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
  File f1(std::fopen(n1.c_str(), "rb"));
  if (!f1) {
    messages().set_system(nullptr, errno, "input file \"%s\"", n1.c_str());
    return 2;
  }
  File f2(std::fopen(n2.c_str(), "rb"));
  if (!f2) {
    messages().set_system(nullptr, errno, "input file \"%s\"", n2.c_str());
    return 2;
  }
  File out(std::fopen(no.c_str(), "wb"));
  if (!out) {
    messages().set_system(nullptr, errno, "file \"%s\"", no.c_str());
    return 2;
  }
  std::vector<unsigned char> a, b;
  if (!read_all(f1.get(), a)) {
    messages().set_system(nullptr, errno, "input file \"%s\"", n1.c_str());
    return 2;
  }
  if (!read_all(f2.get(), b)) {
    messages().set_system(nullptr, errno, "input file \"%s\"", n2.c_str());
    return 2;
  }
  int result = compare_bytes(a, b, opt, out.get());
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
