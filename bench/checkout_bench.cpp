// Check-in and check-out figures for a long trunk history, in one process.
//
// Set-up (not measured): an archive of 1,000 trunk revisions of a 5,000-line
// text, each revision a few localized seeded edits of the one before, made
// through the library's own calls and committed once; revisions 1.1, 1.500
// and 1.1000 are checked out once and compared with what was checked in.
//
// Measured, every figure the best of its runs:
//   read       the archive file read into memory once (the floor of any
//              check-out, which must read the file);
//   co head / co middle / co oldest
//              open the archive for reading, check revision 1.1000, 1.500 or
//              1.1 out into a working file, close; "stdout" the same with
//              the text sent to standard output (/dev/null), which leaves out
//              the working file's temporary file and rename (a working file
//              is not synced);
//   copy       the archive file copied to a new file and synced (a commit
//              writes the whole archive anew and syncs it); "no sync" without;
//   diff       one DiffFile -n run over the head's working text and the next
//              working text;
//   ci         open the archive for writing, check the next text in on the
//              trunk, commit and close (the archive is restored between runs,
//              outside the timing); "no commit" vcCiRevision alone.
//   co head into a directory of 10,000 files, and into an empty one.
// Targets: co oldest < 50 x read; ci < 3 x (copy + diff); co into 10,000
// files < 1.2 x co into an empty directory.
//
// For a profiler: "--keep <dir>" builds the archive in dir and stops;
// "--loop <dir> <revision> <count>" checks a revision out to standard output
// count times; "--ci-loop <dir> <count>" makes count check-ins with commit.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "vc/include/vc.h"
#include "differ/include/orv/txtcmp32.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRevisions = 1000;
constexpr int kLines = 5000;
constexpr int kRuns = 30;  // per figure; the best is kept

fs::path g_dir;
std::string g_archive;    // the pristine archive
std::string g_headText;   // 1.1000 as checked in
std::string g_nextText;   // the text the check-in benchmark checks in
std::map<int, std::string> g_kept;  // revisions kept for the sanity check
std::map<std::string, double> g_best;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string freshLine(std::mt19937& rng) {
  static const char* words[] = {"count", "index", "buffer", "total", "next", "limit", "@", "value", "+", "="};
  std::string line = "    ";
  const int n = 2 + static_cast<int>(rng() % 7);
  for (int i = 0; i < n; ++i) line += std::string(words[rng() % 10]) + (i + 1 < n ? " " : "");
  return line + ";  // " + std::to_string(rng() % 100000) + "\n";
}

// One to four localized edits: a line or a few changed, inserted or deleted
// near one place. Inserts and deletes balance, so the size stays near 5,000.
void edit(std::vector<std::string>& lines, std::mt19937& rng) {
  const std::size_t at = rng() % lines.size();
  for (int e = 1 + static_cast<int>(rng() % 4); e > 0; --e) {
    const std::size_t p = std::min(lines.size() - 1, at + rng() % 30);
    const std::size_t len = 1 + rng() % 3;
    switch (rng() % 3) {
      case 0:
        for (std::size_t i = p; i < std::min(lines.size(), p + len); ++i) lines[i] = freshLine(rng);
        break;
      case 1:
        for (std::size_t i = 0; i < len; ++i) lines.insert(lines.begin() + static_cast<long>(p), freshLine(rng));
        break;
      default:
        lines.erase(lines.begin() + static_cast<long>(p),
                    lines.begin() + static_cast<long>(std::min(lines.size(), p + len)));
    }
  }
}

std::string join(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l;
  return s;
}

void die(const char* what, int rc) {
  std::fprintf(stderr, "%s failed: %d\n", what, rc);
  std::exit(1);
}

// The library instance, on the security-database test double.
void start() {
  ::setenv("ORV_KEL_LIBRARY", KEL_DOUBLE_PATH, 1);
  ::setenv("ORV_SETTINGS", g_dir.c_str(), 1);
  if (int rc = vcAPIinit()) die("vcAPIinit", rc);
  vcSetConfig("Nocentury", nullptr);
}

void prepare(const fs::path& dir) {
  g_dir = dir;
  fs::create_directories(g_dir);
  start();

  std::mt19937 rng(20240605);
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) lines.push_back(freshLine(rng));

  g_archive = (g_dir / "work.c,v").string();
  const std::string work = (g_dir / "work.c").string();
  int h = 0;
  if (int rc = vcOpenArchive(g_archive.c_str(), &h, VC_ARCHIVE_OPEN_CREATE)) die("vcOpenArchive", rc);
  const auto t0 = Clock::now();
  for (int r = 1; r <= kRevisions; ++r) {
    if (r > 1) edit(lines, rng);
    const std::string text = join(lines);
    writeFile(work, text);
    char number[VC_MAX_REVISION + 1] = {};
    if (int rc = vcCiRevision(h, nullptr, work.c_str(), 0, number, sizeof number)) die("vcCiRevision", rc);
    if (std::string(number) != "1." + std::to_string(r)) die("revision numbering", r);
    if (r == 1 || r == kRevisions / 2) g_kept[r] = text;
    if (r == kRevisions) g_headText = text;
  }
  if (int rc = vcCommitArchive(h, VC_COMMIT_CLOSE)) die("vcCommitArchive", rc);
  edit(lines, rng);
  g_nextText = join(lines);
  g_kept[kRevisions] = g_headText;
  std::printf("Set-up: %d revisions, %zu-byte archive, %.1f s\n", kRevisions,
              static_cast<std::size_t>(fs::file_size(g_archive)),
              std::chrono::duration<double>(Clock::now() - t0).count());

  // Every measured check-out must give back what was checked in.
  for (const auto& [r, text] : g_kept) {
    const std::string out = (g_dir / "check.c").string();
    if (int rc = vcOpenArchive(g_archive.c_str(), &h, VC_ARCHIVE_OPEN_READ)) die("vcOpenArchive", rc);
    if (int rc = vcCoRevision(h, ("1." + std::to_string(r)).c_str(), out.c_str())) die("vcCoRevision", rc);
    vcCloseArchive(h);
    if (readFile(out) != text) die("check-out comparison", r);
  }
}

double seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

void record(benchmark::State& state, const std::string& name, double s, double& best) {
  state.SetIterationTime(s);
  best = std::min(best, s);
  g_best[name] = best;
}

void bmRead(benchmark::State& state) {
  double best = 1e30;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    std::string bytes;
    int fd = ::open(g_archive.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(fd, &st);
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    while (have < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
      if (got <= 0) break;
      have += static_cast<std::size_t>(got);
    }
    ::close(fd);
    benchmark::DoNotOptimize(bytes.data());
    record(state, "read", seconds(t0), best);
  }
}

// One check-out: open for reading, check out, close. toStdout: the text goes
// to standard output (sent to /dev/null meanwhile), which leaves out the
// working file's temporary file and rename.
double checkOutOnce(const std::string& rev, bool toStdout, const fs::path& into = g_dir) {
  const std::string out = (into / "out.c").string();
  int saved = -1;
  if (toStdout) {
    std::fflush(stdout);
    saved = ::dup(1);
    int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(null, 1);
    ::close(null);
  }
  const auto t0 = Clock::now();
  int h = 0;
  if (int rc = vcOpenArchive(g_archive.c_str(), &h, VC_ARCHIVE_OPEN_READ)) die("vcOpenArchive", rc);
  if (int rc = vcCoRevision(h, rev.c_str(), toStdout ? "-" : out.c_str())) die("vcCoRevision", rc);
  vcCloseArchive(h);
  const double s = seconds(t0);
  if (toStdout) {
    ::dup2(saved, 1);
    ::close(saved);
  }
  return s;
}

// The head checked out into a directory of 10,000 other files (made once,
// not timed) against the same into an empty directory: the size of the
// directory the working file lands in must not count.
void bmCheckoutInto(benchmark::State& state, bool crowded) {
  const fs::path into = g_dir / (crowded ? "crowded" : "empty");
  if (!fs::exists(into)) {
    fs::create_directories(into);
    if (crowded)
      for (int i = 0; i < 10000; ++i) writeFile((into / ("file" + std::to_string(i) + ".c")).string(), "x\n");
  }
  const std::string rev = "1." + std::to_string(kRevisions);
  double best = 1e30;
  for (auto _ : state) record(state, crowded ? "co head, 10000 files" : "co head, empty dir",
                              checkOutOnce(rev, false, into), best);
}

void bmCheckout(benchmark::State& state, int revision, bool toStdout) {
  const std::string rev = "1." + std::to_string(revision);
  const std::string name = std::string(revision == kRevisions ? "co head" : revision == 1 ? "co oldest" : "co middle") +
                           (toStdout ? ", stdout" : "");
  double best = 1e30;
  for (auto _ : state) record(state, name, checkOutOnce(rev, toStdout), best);
}

// Copies through user space, as the commit writes, and syncs the copy as the
// commit syncs its file; "copy, no sync" leaves the sync out.
void bmCopy(benchmark::State& state, bool sync) {
  const std::string to = (g_dir / "copy.c,v").string();
  double best = 1e30;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    int in = ::open(g_archive.c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    char buf[1 << 16];
    for (;;) {
      const ssize_t got = ::read(in, buf, sizeof buf);
      if (got <= 0) break;
      if (::write(out, buf, static_cast<std::size_t>(got)) != got) die("copy", 1);
    }
    if (sync) ::fsync(out);
    ::close(out);
    ::close(in);
    record(state, sync ? "copy" : "copy, no sync", seconds(t0), best);
  }
}

void bmDiff(benchmark::State& state) {
  const std::string a = (g_dir / "head.c").string(), b = (g_dir / "next.c").string(),
                    out = (g_dir / "diff.out").string();
  writeFile(a, g_headText);
  writeFile(b, g_nextText);
  const char* argv[] = {"diff", "-n"};
  double best = 1e30;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (DiffFile(2, argv, a.c_str(), b.c_str(), out.c_str()) != 1) die("DiffFile", 0);
    record(state, "diff", seconds(t0), best);
  }
}

// One check-in of g_nextText into a fresh copy of the archive (the copy is
// not timed): {open + ci + commit, ci alone}.
std::pair<double, double> checkInOnce() {
  const std::string archive = (g_dir / "ci.c,v").string(), work = (g_dir / "ci.c").string();
  writeFile(work, g_nextText);
  fs::copy_file(g_archive, archive, fs::copy_options::overwrite_existing);
  const auto t0 = Clock::now();
  int h = 0;
  if (int rc = vcOpenArchive(archive.c_str(), &h, VC_ARCHIVE_OPEN_WRITE)) die("vcOpenArchive", rc);
  const auto t1 = Clock::now();
  char number[VC_MAX_REVISION + 1] = {};
  if (int rc = vcCiRevision(h, nullptr, work.c_str(), 0, number, sizeof number)) die("vcCiRevision", rc);
  const double ci = seconds(t1);
  if (int rc = vcCommitArchive(h, VC_COMMIT_CLOSE)) die("vcCommitArchive", rc);
  return {seconds(t0), ci};
}

// inMemory: only vcCiRevision is timed (the new revision stays in memory).
void bmCheckin(benchmark::State& state, bool inMemory) {
  double best = 1e30;
  for (auto _ : state) {
    const auto [all, ci] = checkInOnce();
    record(state, inMemory ? "ci, no commit" : "ci", inMemory ? ci : all, best);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // "--keep <dir>": build the archive in dir and stop. "--loop <dir>
  // <revision> <count>": only check-outs to standard output from the archive
  // kept there, for a profiler.
  if (argc == 3 && std::string(argv[1]) == "--keep") {
    prepare(argv[2]);
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "--ci-loop") {
    g_dir = argv[2];
    g_archive = (g_dir / "work.c,v").string();
    start();
    std::mt19937 rng(7);
    std::vector<std::string> lines;
    std::istringstream in(readFile((g_dir / "work.c").string()));
    for (std::string l; std::getline(in, l);) lines.push_back(l + "\n");
    edit(lines, rng);
    g_nextText = join(lines);
    for (int i = std::atoi(argv[3]); i > 0; --i) checkInOnce();
    vcAPIcleanup();
    return 0;
  }
  if (argc == 5 && std::string(argv[1]) == "--loop") {
    g_dir = argv[2];
    g_archive = (g_dir / "work.c,v").string();
    start();
    for (int i = std::atoi(argv[4]); i > 0; --i) checkOutOnce(argv[3], true);
    vcAPIcleanup();
    return 0;
  }
  prepare(fs::temp_directory_path() / ("orv-cobench-" + std::to_string(getpid())));
  auto reg = [](const char* name, auto fn, auto... args) {
    benchmark::RegisterBenchmark(name, fn, args...)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);
  };
  reg("read archive", bmRead);
  reg("co head 1.1000", bmCheckout, kRevisions, false);
  reg("co middle 1.500", bmCheckout, kRevisions / 2, false);
  reg("co oldest 1.1", bmCheckout, 1, false);
  reg("co head 1.1000 to stdout", bmCheckout, kRevisions, true);
  reg("co middle 1.500 to stdout", bmCheckout, kRevisions / 2, true);
  reg("co oldest 1.1 to stdout", bmCheckout, 1, true);
  reg("co head into an empty directory", bmCheckoutInto, false);
  reg("co head into a directory of 10,000 files", bmCheckoutInto, true);
  reg("copy archive + fsync", bmCopy, true);
  reg("copy archive", bmCopy, false);
  reg("DiffFile -n head next", bmDiff);
  reg("ci + commit", bmCheckin, false);
  reg("ci only (in memory)", bmCheckin, true);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  auto ms = [](const char* k) { return g_best[k] * 1e3; };
  std::printf("\nBest of %d runs, milliseconds\n", kRuns);
  for (const char* k : {"read", "co head", "co middle", "co oldest", "co head, stdout", "co middle, stdout",
                        "co oldest, stdout", "co head, empty dir", "co head, 10000 files", "copy", "copy, no sync",
                        "diff", "ci", "ci, no commit"})
    std::printf("  %-18s %9.3f\n", k, ms(k));
  const double coRatio = g_best["co oldest"] / g_best["read"];
  const double coRatioStdout = g_best["co oldest, stdout"] / g_best["read"];
  const double ciRatio = g_best["ci"] / (g_best["copy"] + g_best["diff"]);
  const double ciRatioNoSync = g_best["ci"] / (g_best["copy, no sync"] + g_best["diff"]);
  std::printf("co oldest / read                 %7.1f  (target < 50) %s\n", coRatio, coRatio < 50 ? "met" : "MISSED");
  std::printf("co oldest, stdout / read         %7.1f\n", coRatioStdout);
  const double crowdRatio = g_best["co head, 10000 files"] / g_best["co head, empty dir"];
  std::printf("co into 10,000 files / into empty %6.2f  (target < 1.2) %s\n", crowdRatio,
              crowdRatio < 1.2 ? "met" : "MISSED");
  std::printf("ci / (copy + diff)               %7.2f  (target < 3)  %s\n", ciRatio, ciRatio < 3 ? "met" : "MISSED");
  std::printf("ci / (copy, no sync + diff)      %7.2f\n", ciRatioNoSync);
  vcAPIcleanup();
  std::error_code ec;
  fs::remove_all(g_dir, ec);
  return 0;
}
