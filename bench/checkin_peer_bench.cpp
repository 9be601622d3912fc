// Check-in of one more revision of a large file, beside GNU RCS ci.
//
// Set-up (not measured): a 500,000-line text made of the headers of
// /usr/include/c++/12/bits repeated, checked in as revision 1.1 twice: once
// into our archive through the library's calls, once with GNU RCS
// ("ci -i", then "rcs -U" so that a check-in needs no lock, as ours). The
// next text is the first with 20 scattered lines changed, inserted or
// deleted.
//
// Measured, each run in a fresh process, ours and the peer interleaved, the
// archives restored between runs outside the timing: wall time and peak
// memory (maximum resident set) of
//   ours    open the archive for writing, check the next text in on the
//           trunk, commit, close;
//   GNU ci  "ci -q -m... work.c" on its copy.
// Figures are medians of the runs; ours is checked out once at the end and
// compared with the text checked in. Targets: at most 1.5 times ci's time
// and at most 1.5 times its peak memory.
//
// The peer comes from the Debian package "rcs" (apt-get install rcs); when
// ci is not on the path only our figures are printed.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "vc/include/vc.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kLines = 500000;
constexpr int kEdits = 20;
constexpr int kRuns = 7;

struct Figure {
  double seconds = 0;
  long peakKib = 0;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

[[noreturn]] void die(const char* what, int rc) {
  std::fprintf(stderr, "%s failed: %d\n", what, rc);
  std::exit(1);
}

void startLibrary(const fs::path& dir) {
  ::setenv("ORV_KEL_LIBRARY", KEL_DOUBLE_PATH, 1);
  ::setenv("ORV_SETTINGS", dir.c_str(), 1);
  if (int rc = vcAPIinit()) die("vcAPIinit", rc);
  vcSetConfig("Nocentury", nullptr);
}

std::vector<std::string> baseLines() {
  std::vector<fs::path> headers;
  for (const auto& e : fs::directory_iterator("/usr/include/c++/12/bits"))
    if (e.is_regular_file()) headers.push_back(e.path());
  std::sort(headers.begin(), headers.end());
  std::vector<std::string> lines;
  while (lines.size() < kLines) {
    for (const auto& h : headers) {
      std::istringstream in(readFile(h));
      for (std::string l; std::getline(in, l) && lines.size() < kLines;) lines.push_back(l + "\n");
    }
  }
  return lines;
}

std::string join(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l;
  return s;
}

// Twenty edits at seeded places, from the end so the places stay valid.
std::string nextText(std::vector<std::string> lines) {
  std::mt19937 rng(20240610);
  std::vector<std::size_t> at;
  for (int k = 0; k < kEdits; ++k) at.push_back(rng() % lines.size());
  std::sort(at.rbegin(), at.rend());
  for (std::size_t p : at) {
    const std::string fresh = "    changed_" + std::to_string(rng()) + "();\n";
    switch (rng() % 3) {
      case 0: lines[p] = fresh; break;
      case 1: lines.insert(lines.begin() + static_cast<long>(p), fresh); break;
      default: lines.erase(lines.begin() + static_cast<long>(p)); break;
    }
  }
  return join(lines);
}

// The "--measure" role: runs a program (its output thrown away), writes its
// wall time and peak memory to descriptor 3. A fresh small process forks it,
// so the figure does not carry a large parent's high-water mark.
int measureMain(char** argv) {
  const auto t0 = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    ::close(3);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::execvp(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  ::wait4(pid, &status, 0, &ru);
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  dprintf(3, "%.6f %ld", s, ru.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}

Figure measure(const std::vector<std::string>& args) {
  std::vector<std::string> full{"/proc/self/exe", "--measure"};
  full.insert(full.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : full) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (::pipe(fds) != 0) die("pipe", errno);
  pid_t pid = fork();
  if (pid == 0) {
    ::dup2(fds[1], 3);
    ::execv(argv[0], argv.data());
    _exit(127);
  }
  ::close(fds[1]);
  char buf[64] = {0};
  const ssize_t n = ::read(fds[0], buf, sizeof buf - 1);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) die(args[0].c_str(), WEXITSTATUS(status));
  Figure f;
  std::sscanf(buf, "%lf %ld", &f.seconds, &f.peakKib);
  return f;
}

// The "--ci-once <dir>" role: one check-in of dir/ours/work.c into its archive.
int checkInOnce(const fs::path& dir) {
  startLibrary(dir);
  const std::string archive = (dir / "ours" / "work.c,v").string(), work = (dir / "ours" / "work.c").string();
  int h = 0;
  if (int rc = vcOpenArchive(archive.c_str(), &h, VC_ARCHIVE_OPEN_WRITE)) die("vcOpenArchive", rc);
  char number[VC_MAX_REVISION + 1] = {};
  if (int rc = vcCiRevision(h, nullptr, work.c_str(), 0, number, sizeof number)) die("vcCiRevision", rc);
  if (int rc = vcCommitArchive(h, VC_COMMIT_CLOSE)) die("vcCommitArchive", rc);
  vcCloseArchive(h);
  vcAPIcleanup();
  return 0;
}

bool havePeer() { return std::system("command -v ci >/dev/null 2>&1 && command -v rcs >/dev/null 2>&1") == 0; }

void prepare(const fs::path& dir, const std::string& first) {
  fs::create_directories(dir / "ours");
  fs::create_directories(dir / "gnu");
  writeFile(dir / "ours" / "work.c", first);
  startLibrary(dir);
  int h = 0;
  const std::string archive = (dir / "ours" / "work.c,v").string();
  if (int rc = vcOpenArchive(archive.c_str(), &h, VC_ARCHIVE_OPEN_CREATE)) die("vcOpenArchive", rc);
  char number[VC_MAX_REVISION + 1] = {};
  if (int rc = vcCiRevision(h, nullptr, (dir / "ours" / "work.c").c_str(), 0, number, sizeof number))
    die("vcCiRevision", rc);
  if (int rc = vcCommitArchive(h, VC_COMMIT_CLOSE)) die("vcCommitArchive", rc);
  vcCloseArchive(h);
  fs::copy_file(archive, dir / "ours.pristine");
  if (havePeer()) {
    writeFile(dir / "gnu" / "work.c", first);
    const std::string cd = "cd '" + (dir / "gnu").string() + "' && ";
    if (std::system((cd + "ci -q -i -t-base -mbase work.c && rcs -q -U work.c,v").c_str()) != 0) die("ci -i", 1);
    fs::copy_file(dir / "gnu" / "work.c,v", dir / "gnu.pristine");
  }
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "--measure") return measureMain(argv + 2);
  if (argc == 3 && std::string(argv[1]) == "--ci-once") return checkInOnce(argv[2]);

  const fs::path dir = fs::temp_directory_path() / ("orv-cipeer-" + std::to_string(getpid()));
  const std::vector<std::string> lines = baseLines();
  const std::string first = join(lines), next = nextText(lines);
  prepare(dir, first);
  const bool peer = havePeer();
  std::printf("%zu lines, %zu bytes; %d edits; %d runs each%s\n", lines.size(), first.size(), kEdits, kRuns,
              peer ? "" : " (ci not found: ours only)");

  std::vector<double> oursS, oursK, gnuS, gnuK;
  for (int run = 0; run < kRuns; ++run) {
    fs::copy_file(dir / "ours.pristine", dir / "ours" / "work.c,v", fs::copy_options::overwrite_existing);
    writeFile(dir / "ours" / "work.c", next);
    const Figure o = measure({"/proc/self/exe", "--ci-once", dir.string()});
    oursS.push_back(o.seconds);
    oursK.push_back(static_cast<double>(o.peakKib));
    if (!peer) continue;
    fs::copy_file(dir / "gnu.pristine", dir / "gnu" / "work.c,v", fs::copy_options::overwrite_existing);
    writeFile(dir / "gnu" / "work.c", next);
    fs::current_path(dir / "gnu");
    const Figure g = measure({"ci", "-q", "-mnext", "work.c"});
    gnuS.push_back(g.seconds);
    gnuK.push_back(static_cast<double>(g.peakKib));
  }

  // What was checked in must come back out.
  int h = 0;
  const std::string out = (dir / "check.c").string();
  if (int rc = vcOpenArchive((dir / "ours" / "work.c,v").c_str(), &h, VC_ARCHIVE_OPEN_READ)) die("vcOpenArchive", rc);
  if (int rc = vcCoRevision(h, "1.2", out.c_str())) die("vcCoRevision", rc);
  vcCloseArchive(h);
  if (readFile(out) != next) die("check-out comparison", 0);

  std::printf("%-8s %10s %12s\n", "", "median ms", "peak KiB");
  std::printf("%-8s %10.1f %12.0f\n", "ours", median(oursS) * 1e3, median(oursK));
  if (peer) {
    std::printf("%-8s %10.1f %12.0f\n", "GNU ci", median(gnuS) * 1e3, median(gnuK));
    const double t = median(oursS) / median(gnuS), m = median(oursK) / median(gnuK);
    std::printf("time ratio %.2f (target <= 1.5) %s; memory ratio %.2f (target <= 1.5) %s\n", t,
                t <= 1.5 ? "met" : "MISSED", m, m <= 1.5 ? "met" : "MISSED");
  }
  vcAPIcleanup();
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
