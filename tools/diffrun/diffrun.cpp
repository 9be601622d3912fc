// diffrun: command-line driver over DiffFile and DiffBFile, for tests, the
// demonstration and the benchmark.
//
//   diffrun [-B] WORD [OPTION...] FILE1 FILE2
//
// WORD and the options form the option vector exactly as given ("diff -n",
// "bdiff -e -- 100", "diffb -n"); -B selects the binary differencer. The
// output goes to standard output, the exit status is the result, and the
// message goes to standard error when the result is 2.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "orv/bincmp32.h"
#include "orv/txtcmp32.h"

namespace {

int usage() {
  std::fputs("usage: diffrun [-B] WORD [OPTION...] FILE1 FILE2\n", stderr);
  return 2;
}

// The differencers write into a named file; copy it to standard output.
bool copy_to_stdout(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buf[1 << 16];
  std::size_t n;
  bool ok = true;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    if (std::fwrite(buf, 1, n, stdout) != n) ok = false;
  std::fclose(f);
  return std::fflush(stdout) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  int k = 1;
  bool binary = false;
  if (k < argc && std::strcmp(argv[k], "-B") == 0) {
    binary = true;
    ++k;
  }
  if (argc - k < 3) return usage();
  // The option vector: every word but the two file names.
  std::vector<const char*> words(argv + k, argv + argc - 2);
  const char* file1 = argv[argc - 2];
  const char* file2 = argv[argc - 1];

  // A pipe or a device on standard output is written directly; a regular
  // file gets the output through a temporary file, so that the differencer's
  // truncating open cannot clobber a file opened for appending.
  struct stat st {};
  const bool direct = fstat(1, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode));
  std::string out = "/dev/stdout";
  if (!direct) {
    const char* tmpdir = std::getenv("TMPDIR");
    out = std::string(tmpdir && *tmpdir ? tmpdir : "/tmp") + "/diffrun.XXXXXX";
    int fd = mkstemp(out.data());
    if (fd < 0) {
      std::perror("diffrun: temporary file");
      return 2;
    }
    close(fd);
  }
  const int argcount = static_cast<int>(words.size());
  int result = binary ? DiffBFile(argcount, words.data(), file1, file2, out.c_str())
                      : DiffFile(argcount, words.data(), file1, file2, out.c_str());
  if (!direct) {
    if (!copy_to_stdout(out.c_str())) {
      std::perror("diffrun: output");
      result = 2;
    }
    std::remove(out.c_str());
  }
  if (result == 2) {
    char msg[2048];
    if (binary)
      DiffBError(msg, sizeof msg);
    else
      DiffError(msg, sizeof msg);
    std::size_t len = std::strlen(msg);
    std::fprintf(stderr, "%s%s", msg, len && msg[len - 1] == '\n' ? "" : "\n");
  }
  return result;
}
