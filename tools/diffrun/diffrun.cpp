// diffrun: command-line driver over DiffFile and DiffBFile, for tests, the
// demonstration and the benchmark.
//
//   diffrun [-B] WORD [OPTION...] FILE1 FILE2
//   diffrun --help
//
// WORD and the options form the option vector exactly as given ("diff -n",
// "bdiff -n x y 100", "diffb -n"); -B selects the binary differencer. The
// output goes to standard output, the exit status is the result, and the
// differencer's message goes to standard error when the result is 2 or 4.
// An option where WORD belongs is refused with status 2.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "differ/include/orv/bincmp32.h"
#include "differ/include/orv/txtcmp32.h"

namespace {

const char kUsage[] =
    "usage: diffrun [-B] WORD [OPTION...] FILE1 FILE2\n"
    "       diffrun --help\n"
    "\n"
    "Compares FILE1 with FILE2 through the text differencer (DiffFile) or, with -B,\n"
    "the binary one (DiffBFile), and writes the differences to standard output.\n"
    "WORD and the options are handed over as the differencer's option vector.\n"
    "\n"
    "words:\n"
    "  diff    line by line; a normal listing unless an option picks another form\n"
    "  diffh   diff by half-hearted matching (as -h): less memory, coarser changes\n"
    "  bdiff   diff of 3,999-line segments, one pair at a time (big files)\n"
    "  dircmp  byte equality of each FILE with DIR's namesake: \"dircmp FILE... DIR\"\n"
    "  diffb   \"-B diffb\": byte-by-byte comparison, each byte a line (alone: diff)\n"
    "Another word acts as diff; after -B the word only names the program in messages.\n"
    "\"bdiff [OPTION...] X Y N\" sets N-line segments (X and Y are placeholders).\n"
    "Otherwise three file words or more after the options (\"FILE... DIR\", as dircmp\n"
    "needs) compare each FILE with DIR's file of its name; FILE1 FILE2 are unread.\n"
    "dircmp lists only \"*** FILE\"; given just FILE1 FILE2 it answers 1 whatever\n"
    "they hold.\n"
    "\n"
    "options of the text differencer (letters may be bundled, as -Hn):\n"
    "  -c[N], -C N  context listing, N lines (3)     -e    ed script, last change 1st\n"
    "  -f           ed-style script in file order    -n    archive edit script\n"
    "  -N           block list for the merge program -DSYM #ifdef SYM merged listing\n"
    "  -m           troff change bars (-M TEXT: the .mc text of a bar)\n"
    "  -b           a white-space run counts as one blank, a trailing run as none\n"
    "  -w           white space ignored              -i    letter case ignored\n"
    "  -h           half-hearted matching            -H    -h when memory runs short\n"
    "  -s, -r       accepted, without effect         --    ends the options\n"
    "options of the binary differencer: -c[N], -C N (context listing), -n (archive\n"
    "edit script in byte units).\n"
    "\n"
    "Status: the differencer's result: 0 same, 1 different, 2 trouble, 4 binary input\n"
    "or a line over 1,024 characters (the text differencer; the listing is partial).\n"
    "On 2 and 4 the differencer's message goes to standard error. Wrong usage: 2.\n";

int usage() {
  std::fputs("usage: diffrun [-B] WORD [OPTION...] FILE1 FILE2\n(diffrun --help explains the words)\n", stderr);
  return 2;
}

// The differencers write into a named file; copy it to standard output.
bool copyToStdout(const char* path) {
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
  if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
  }
  int k = 1;
  bool binary = false;
  if (k < argc && std::strcmp(argv[k], "-B") == 0) {
    binary = true;
    ++k;
  }
  // The differencers take the first word as the mode, whatever it is: an
  // option there would silently give a plain listing.
  if (k < argc && argv[k][0] == '-') {
    std::fprintf(stderr,
                 "diffrun: expected a mode word (diff, diffh, bdiff, dircmp, diffb) before options, got '%s'\n"
                 "(diffrun --help explains the words)\n",
                 argv[k]);
    return 2;
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
    if (!copyToStdout(out.c_str())) {
      std::perror("diffrun: output");
      result = 2;
    }
    std::remove(out.c_str());
  }
  if (result == 2 || result == 4) {
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
