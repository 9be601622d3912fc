// Binary differencer, streaming: seeded random pairs compared byte for byte
// with the whole-buffer comparison the differencer had before it streamed
// (kept here, as the oracle), under the usual block sizes and under tiny
// ones that make every change cross blocks and move to scratch files; the
// form in memory (bin_diff.h) and inputs that mix a span and a stream against
// the same oracle, with no file made; the set of differing offsets against
// cmp -l; scratch-file and input failures; and the peak memory of a 100 MiB
// comparison, measured in a child process.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <optional>
#include <set>

#include "differ/bincmp/bin_diff.h"
#include "differ/bincmp/bincmp.h"
#include "differ/tests/diff_test_util.h"
#include "platform/sys/fault_injection.h"

using namespace difftest;
using orv::sys::ScopedFault;
using orv::sys::SystemCalls;

extern char** environ;

namespace {

// The whole-buffer comparison: both files in memory, the change written from
// them. Same resynchronisation rule, same listing forms.
namespace oracle {

constexpr long kWin1 = 325;
constexpr long kWin2 = 25;
constexpr long kRun = 5;

void text(std::string& out, const char* marker, const unsigned char* p, long n) {
  out += marker;
  for (long k = 0; k < n; ++k) {
    unsigned char ch = p[k];
    if (ch == '\n') {
      out += '\n';
      if (k + 1 < n) out += marker;
    } else if (ch >= 0x20 && ch < 0x7F) {
      out += static_cast<char>(ch);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", ch);
      out += buf;
    }
  }
  if (n == 0 || p[n - 1] != '\n') out += '\n';
}

void write(std::string& out, const std::string& A, const std::string& B, bool rcs, long s1, long n1, long s2,
           long n2) {
  const auto* a_ = reinterpret_cast<const unsigned char*>(A.data());
  const auto* b_ = reinterpret_cast<const unsigned char*>(B.data());
  const long a = s1 + 1, c = s2 + 1;
  char buf[96];
  if (rcs) {
    if (n1 == 0) {
      std::snprintf(buf, sizeof buf, "a%ld %ld\n", a - 1, n2);
      out += buf;
    } else {
      std::snprintf(buf, sizeof buf, "d%ld %ld\n", a, n1);
      out += buf;
      if (n2 > 0) {
        std::snprintf(buf, sizeof buf, "a%ld %ld\n", a + n1 - 1, n2);
        out += buf;
      }
    }
    if (n2 > 0) out += B.substr(static_cast<std::size_t>(s2), static_cast<std::size_t>(n2)) + "\n";
    return;
  }
  const auto range = [](long from, long n) {
    return n == 1 ? std::to_string(from) : std::to_string(from) + "," + std::to_string(from + n - 1);
  };
  if (n1 == 0) {
    out += std::to_string(a) + "a" + range(c, n2) + "\n";
    text(out, "> ", b_ + s2, n2);
  } else if (n2 == 0) {
    out += range(a, n1) + "d" + std::to_string(c) + "\n";
    text(out, "< ", a_ + s1, n1);
  } else {
    out += range(a, n1) + "c" + range(c, n2) + "\n";
    text(out, "< ", a_ + s1, n1);
    out += "---\n";
    text(out, "> ", b_ + s2, n2);
  }
}

int compare(const std::string& A, const std::string& B, bool rcs, long c, std::string& out) {
  const long n1 = static_cast<long>(A.size()), n2 = static_cast<long>(B.size());
  long i1 = 0, i2 = 0, end1 = 0, end2 = 0;
  int result = 0;
  for (;;) {
    while (i1 < n1 && i2 < n2 && A[static_cast<std::size_t>(i1)] == B[static_cast<std::size_t>(i2)]) {
      ++i1;
      ++i2;
    }
    if (i1 >= n1 && i2 >= n2) break;
    const long start1 = i1, start2 = i2;
    const long x = std::min({c, start1 - end1, start2 - end2});
    long q1 = 0, q2 = 0, hi = 0, hj = 0;
    bool hit = false;
    while (i1 < n1 && i2 < n2) {
      const long w1 = start1 + q1, w2 = start2 + q2;
      if (w1 + kWin1 > n1 || w2 + kWin2 > n2) break;
      for (long i = 0; i <= kWin1 - kRun && !hit; ++i)
        for (long j = 0; j <= kWin2 - kRun; ++j)
          if (std::memcmp(A.data() + w1 + i, B.data() + w2 + j, kRun) == 0) {
            hit = true;
            hi = i;
            hj = j;
            break;
          }
      if (hit) break;
      q1 += kWin1 - kRun;
      q2 += kWin2 - kRun;
    }
    result = 1;
    if (!hit) {
      write(out, A, B, rcs, start1 - x, n1 - start1 + x, start2 - x, n2 - start2 + x);
      break;
    }
    const long d1 = q1 + hi, d2 = q2 + hj, after = std::min(x, kRun);
    write(out, A, B, rcs, start1 - x, d1 + x + after, start2 - x, d2 + x + after);
    end1 = start1 + d1 + after;
    end2 = start2 + d2 + after;
    i1 = start1 + d1 + 1;
    i2 = start2 + d2 + 1;
  }
  return result;
}

}  // namespace oracle

// Fast seeded bytes of three kinds: any byte; mostly three letters (many
// short false matches); text with line feeds and some bytes that are escaped.
std::string bytes_of_kind(std::mt19937_64& rng, std::size_t n, int kind) {
  std::string s(n, '\0');
  for (std::size_t k = 0; k < n; k += 8) {
    std::uint64_t r = rng();
    for (std::size_t j = k; j < std::min(n, k + 8); ++j, r >>= 8) {
      const unsigned v = static_cast<unsigned>(r & 0xFF);
      s[j] = kind == 0   ? static_cast<char>(v)
             : kind == 1 ? static_cast<char>(v < 64 ? v : 'a' + v % 3)
                         : static_cast<char>(v < 24 ? '\n' : v < 30 ? v : 'a' + v % 26);
    }
  }
  return s;
}

// Runs of insertions, deletions and replacements, some of them long.
std::string edited(std::mt19937_64& rng, std::string b, int kind, int runs, std::size_t longest) {
  for (int k = 0; k < runs && !b.empty(); ++k) {
    const std::size_t at = rng() % b.size();
    const std::size_t len = 1 + rng() % (rng() % 4 == 0 ? longest : 12);
    switch (rng() % 3) {
      case 0: b.insert(at, bytes_of_kind(rng, len, kind)); break;
      case 1: b.erase(at, len); break;
      default: b.replace(at, std::min(len, b.size() - at), bytes_of_kind(rng, len, kind)); break;
    }
  }
  return b;
}

struct Pair {
  std::string label, a, b;
};

std::vector<Pair> random_pairs(std::uint64_t seed, int count, std::size_t largest) {
  std::mt19937_64 rng(seed);
  std::vector<Pair> pairs;
  for (int round = 0; round < count; ++round) {
    const int kind = static_cast<int>(rng() % 3);
    const std::size_t n = round % 7 == 6 ? largest / 2 + rng() % (largest / 2) : rng() % 20000;
    std::string a = bytes_of_kind(rng, n, kind), b;
    std::string label;
    switch (round % 8) {
      case 0: label = "identical"; b = a; break;
      case 1: label = "file 1 empty"; b = a; a.clear(); break;
      case 2: label = "file 2 empty"; break;
      case 3: label = "file 2 a prefix"; b = a.substr(0, rng() % (a.size() + 1)); break;
      case 4: label = "file 1 a prefix"; b = a + bytes_of_kind(rng, rng() % 5000, kind); break;
      case 5: label = "long runs"; b = edited(rng, a, kind, 6, 200000); break;
      default: label = "edit runs"; b = edited(rng, a, kind, 1 + static_cast<int>(rng() % 60), 2000); break;
    }
    if (rng() % 5 == 0) b += bytes_of_kind(rng, rng() % 400, kind);  // differing bytes at the end
    pairs.push_back({label + " (" + std::to_string(a.size()) + "/" + std::to_string(b.size()) + " bytes, round " +
                         std::to_string(round) + ")",
                     std::move(a), std::move(b)});
  }
  return pairs;
}

struct TuningScope {
  explicit TuningScope(const orv::bincmp::Tuning& t) : saved(orv::bincmp::tuning()) { orv::bincmp::set_tuning(t); }
  ~TuningScope() { orv::bincmp::set_tuning(saved); }
  orv::bincmp::Tuning saved;
};

// An input read through read() in pieces of a few sizes, never in place.
class PieceInput final : public orv::bincmp::ByteInput {
 public:
  explicit PieceInput(const std::string& bytes) : bytes_(bytes) {}
  std::size_t read(unsigned char* buf, std::size_t len) override {
    static constexpr std::size_t kPieces[] = {1, 3, 700, 5000};
    const std::size_t n = std::min({len, bytes_.size() - at_, kPieces[calls_++ % 4]});
    std::memcpy(buf, bytes_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
  unsigned calls_ = 0;
};

// The comparison with inputs in memory: both spans (diff_bytes), and one span
// with the other input read in pieces, each way round. The spans need no
// scratch file: a file created while both inputs are spans fails the test.
void expect_in_memory_same(const Pair& p, bool rcs, long context, int wantResult, const std::string& want,
                           const std::string& label) {
  orv::bincmp::BinOptions opt;
  opt.rcs = rcs;
  opt.context = context;
  {
    ScopedFault<&SystemCalls::open> noCreate(EMFILE, {.creating = true});
    orv::diffsup::StringSink out;
    std::string message;
    ASSERT_EQ(orv::bincmp::diff_bytes(p.a, p.b, opt, out, &message), wantResult) << label << message;
    ASSERT_TRUE(out.text == want) << label << " (in memory): " << out.text.size() << " bytes written, "
                                  << want.size() << " expected";
    ASSERT_EQ(noCreate.matchingCalls(), 0) << label << ": a file was created";
  }
  for (int spanSide = 1; spanSide <= 2; ++spanSide) {
    orv::bincmp::MemoryInput span(spanSide == 1 ? p.a : p.b);
    PieceInput pieces(spanSide == 1 ? p.b : p.a);
    orv::diffsup::StringSink out;
    const int result = spanSide == 1 ? orv::bincmp::compare_streams(span, pieces, opt, out)
                                     : orv::bincmp::compare_streams(pieces, span, opt, out);
    ASSERT_EQ(result, wantResult) << label << " (file " << spanSide << " in memory)";
    ASSERT_TRUE(out.text == want) << label << " (file " << spanSide << " in memory): " << out.text.size()
                                  << " bytes written, " << want.size() << " expected";
  }
}

void expect_same_as_oracle(const TempDir& d, const std::vector<Pair>& pairs, const std::string& tuningLabel) {
  const struct {
    std::vector<std::string> words;
    bool rcs;
    long context;
  } forms[] = {
      {{"diffb", "-n"}, true, 0},
      {{"diffb"}, false, 0},
      {{"diffb", "-c"}, false, 3},
      {{"diffb", "-n", "-c40"}, true, 40},
      {{"diffb", "-C", "700"}, false, 700},
      {{"diffb", "-nC", "2147483647"}, true, 2147483647},
  };
  for (const auto& p : pairs) {
    for (const auto& f : forms) {
      std::string want;
      const int wantResult = oracle::compare(p.a, p.b, f.rcs, f.context, want);
      DiffOutcome r = run_diff(d, f.words, p.a, p.b, true);
      std::string words;
      for (const auto& w : f.words) words += " " + w;
      ASSERT_EQ(r.result, wantResult) << p.label << words << tuningLabel;
      ASSERT_TRUE(r.out == want) << p.label << words << tuningLabel << ": " << r.out.size() << " bytes written, "
                                 << want.size() << " expected";
      expect_in_memory_same(p, f.rcs, f.context, wantResult, want, p.label + words + tuningLabel);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

}  // namespace

TEST(BinaryDiffStreaming, SameBytesAsTheWholeBufferComparison) {
  TempDir d;
  expect_same_as_oracle(d, random_pairs(20240611, 56, 3 << 20), "");
}

TEST(BinaryDiffStreaming, SameBytesWithTinyBlocksAndSpools) {
  // Blocks of a few bytes, spools that move to scratch files after a few
  // bytes: every window, change and context crosses block and file borders.
  TempDir d;
  for (const auto& t : {orv::bincmp::Tuning{1, 1}, orv::bincmp::Tuning{7, 13}, orv::bincmp::Tuning{4096, 1000}}) {
    TuningScope scope(t);
    expect_same_as_oracle(d, random_pairs(77 + t.block, 24, 300000),
                          " (block " + std::to_string(t.block) + ", spool " + std::to_string(t.spoolMemory) + ")");
  }
}

// Same-length files of any bytes with replaced bytes only: every change is
// in place, starts and (but for a last one running to both ends) ends on a
// differing byte, and the differing bytes are exactly those cmp -l lists.
TEST(BinaryDiffStreaming, DifferingOffsetsMatchCmp) {
  if (std::system("cmp --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "cmp is not installed";
  TempDir d;
  std::mt19937_64 rng(99);
  for (int round = 0; round < 12; ++round) {
    const std::string a = bytes_of_kind(rng, 1000 + rng() % (round < 6 ? 20000 : 2000000), 0);
    std::string b = a;
    const int edits = 1 + static_cast<int>(rng() % 200);
    for (int k = 0; k < edits; ++k) {
      const std::size_t at = rng() % b.size(), len = 1 + rng() % (rng() % 3 == 0 ? 40 : 3);
      for (std::size_t j = at; j < std::min(b.size(), at + len); ++j)
        b[j] = static_cast<char>(b[j] ^ (1 + rng() % 255));
    }
    DiffOutcome r = run_diff(d, {"diffb", "-n"}, a, b, true);
    ASSERT_EQ(r.result, 1);
    std::set<long> listed;  // offsets from 1, as cmp counts them
    std::istringstream cmp(shell("cmp -l '" + d.file("in1") + "' '" + d.file("in2") + "'"));
    for (long off, x, y; cmp >> off >> x >> y;) listed.insert(off);
    ASSERT_FALSE(listed.empty());
    std::set<long> covered;
    std::size_t p = 0;
    while (p < r.out.size()) {
      long s = 0, n = 0, t = 0, m = 0;
      ASSERT_EQ(std::sscanf(r.out.c_str() + p, "d%ld %ld\na%ld %ld\n", &s, &n, &t, &m), 4) << "round " << round;
      ASSERT_EQ(t, s + n - 1) << "an in-place change, round " << round;
      ASSERT_EQ(m, n) << "round " << round;
      const bool last = s + n - 1 == static_cast<long>(a.size());
      EXPECT_TRUE(listed.count(s)) << "a change starts on a differing byte: " << s << ", round " << round;
      if (!last) {
        EXPECT_TRUE(listed.count(s + n - 1)) << "and ends on one: " << s + n - 1 << ", round " << round;
      }
      for (long k = s; k < s + n; ++k)
        if (a[static_cast<std::size_t>(k - 1)] != b[static_cast<std::size_t>(k - 1)]) covered.insert(k);
      p = r.out.find('\n', r.out.find('\n', p) + 1) + 1 + static_cast<std::size_t>(m) + 1;
    }
    EXPECT_TRUE(covered == listed) << "round " << round << ": " << covered.size() << " differing bytes in the changes, "
                                   << listed.size() << " listed by cmp";
  }
}

TEST(BinaryDiffStreaming, ScratchFileTroubleLeavesTheOutputUntouched) {
  TempDir d;
  const std::string scratch = d.file("scratch");
  std::filesystem::create_directories(scratch);
  const char* saved = std::getenv("TMPDIR");
  const std::string savedTmp = saved ? saved : "";
  setenv("TMPDIR", scratch.c_str(), 1);
  // A long change, so that its bytes move to a scratch file too.
  TuningScope small({4096, 4096});
  std::mt19937_64 rng(5);
  const std::string a = bytes_of_kind(rng, 200000, 0), b = bytes_of_kind(rng, 150000, 0);
  struct Case {
    const char* what;
    int fault;  // 0 open, 1 write, 2 pread
    int after;
  } cases[] = {{"the output's scratch file full", 1, 0},
               {"a change's scratch file full", 1, 1},
               {"a change's bytes unreadable", 2, 0}};
  for (const auto& c : cases) {
    write_file(d.file("out"), "old output\n");
    DiffOutcome r{};
    {
      std::optional<ScopedFault<&SystemCalls::open>> open;
      std::optional<ScopedFault<&SystemCalls::write>> write;
      std::optional<ScopedFault<&SystemCalls::pread>> pread;
      const orv::sys::FaultOptions where{.after = c.after, .pathContains = "/scratch"};
      if (c.fault == 0) open.emplace(ENOSPC, where);
      if (c.fault == 1) write.emplace(ENOSPC, where);
      if (c.fault == 2) pread.emplace(ENOSPC, where);
      r = run_diff(d, {"diffb", "-n"}, a, b, true);
    }
    EXPECT_EQ(r.result, 2) << c.what;
    EXPECT_EQ(r.message, "file \"" + d.file("out") + "\": " + std::strerror(ENOSPC)) << c.what;
    EXPECT_EQ(read_file(d.file("out")), "old output\n") << c.what;
  }
  // A temporary directory that refuses scratch files: the next one ($TMP,
  // $TEMP, /tmp) serves.
  std::string want;
  ASSERT_EQ(oracle::compare(a, b, true, 0, want), 1);
  {
    ScopedFault<&SystemCalls::open> refused(EACCES, {.pathContains = "/scratch"});
    DiffOutcome r = run_diff(d, {"diffb", "-n"}, a, b, true);
    EXPECT_GE(refused.failures(), 1);
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(r.out == want);
  }
  if (saved)
    setenv("TMPDIR", savedTmp.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

TEST(BinaryDiffStreaming, InputTroubleNamesFileOneFirstAndLeavesTheOutput) {
  // File 1 used to be read whole before file 2 was opened: when both fail,
  // file 1 is named, whichever failure the comparison meets first.
  TempDir d;
  std::mt19937_64 rng(8);
  const std::string a = bytes_of_kind(rng, 400000, 0);
  std::string b = a;
  b[1000] ^= 1;
  const auto failing = [](const std::string& name, int after) {
    return orv::sys::FaultOptions{.after = after, .pathContains = name};
  };
  write_file(d.file("out"), "old output\n");
  DiffOutcome r{};
  {
    // File 2 cannot be opened, file 1 stops reading in its third block.
    ScopedFault<&SystemCalls::open> eacces(EACCES, failing("/in2", 0));
    ScopedFault<&SystemCalls::read> eio(EIO, failing("/in1", 2));
    r = run_diff(d, {"diffb"}, a, b, true);
    EXPECT_EQ(eio.failures(), 1);
  }
  EXPECT_EQ(r.result, 2);
  EXPECT_EQ(r.message, "input file \"" + d.file("in1") + "\": " + std::strerror(EIO));
  EXPECT_EQ(read_file(d.file("out")), "old output\n");
  {
    ScopedFault<&SystemCalls::open> eacces(EACCES, failing("/in2", 0));
    r = run_diff(d, {"diffb"}, a, b, true);
  }
  EXPECT_EQ(r.result, 2);
  EXPECT_EQ(r.message, "input file \"" + d.file("in2") + "\": " + std::strerror(EACCES));
  EXPECT_EQ(read_file(d.file("out")), "old output\n");
  // The output may be one of the inputs: it is written once both are read.
  const char* argv[] = {"diffb", "-n"};
  EXPECT_EQ(DiffBFile(2, argv, d.file("in1").c_str(), d.file("in2").c_str(), d.file("in1").c_str()), 1);
  EXPECT_EQ(read_file(d.file("in1")), "d1001 1\na1001 1\n" + b.substr(1000, 1) + "\n");
}

// The measuring child: started afresh with
// ORV_BINCMP_MEASURE="options|file1|file2|out", before any test runs it
// forks the comparison (a process forked from this small one starts with a
// small resident set), waits for it, prints its peak resident set (KiB,
// from getrusage of the waited child) and exits with its result.
namespace {
const int g_measureChild = [] {
  const char* spec = std::getenv("ORV_BINCMP_MEASURE");
  if (!spec) return 0;
  std::vector<std::string> part;
  std::string s = spec;
  for (std::size_t p = 0;;) {
    const std::size_t q = s.find('|', p);
    part.push_back(s.substr(p, q == std::string::npos ? std::string::npos : q - p));
    if (q == std::string::npos) break;
    p = q + 1;
  }
  if (part.size() != 4) std::_Exit(3);
  const pid_t pid = fork();
  if (pid == 0) {
    const char* argv[] = {"diffb", part[0].c_str()};
    std::_Exit(DiffBFile(part[0].empty() ? 1 : 2, argv, part[1].c_str(), part[2].c_str(), part[3].c_str()));
  }
  int status = 0;
  struct rusage ru {};
  if (pid < 0 || wait4(pid, &status, 0, &ru) != pid) std::_Exit(3);
  std::printf("%ld\n", ru.ru_maxrss);
  std::fflush(stdout);
  std::_Exit(WIFEXITED(status) ? WEXITSTATUS(status) : 3);
}();

// Writes a file of n seeded bytes in 1 MiB pieces, with the bytes at the
// given sorted offsets changed.
void write_big(const std::string& path, std::uint64_t n, const std::vector<std::uint64_t>& edits) {
  std::mt19937_64 rng(1234);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::string piece;
  std::size_t e = 0;
  for (std::uint64_t at = 0; at < n; at += piece.size()) {
    piece = bytes_of_kind(rng, static_cast<std::size_t>(std::min<std::uint64_t>(n - at, 1 << 20)), 0);
    for (; e < edits.size() && edits[e] < at + piece.size(); ++e) piece[edits[e] - at] ^= 0x5A;
    ASSERT_EQ(std::fwrite(piece.data(), 1, piece.size(), f), piece.size());
  }
  ASSERT_EQ(std::fclose(f), 0);
}

// Runs the comparison in a fresh process; its peak resident set (KiB) and
// its result.
std::pair<long, int> measure(const std::string& spec) {
  const std::string env = "ORV_BINCMP_MEASURE=" + spec;
  std::vector<char*> envp;
  for (char** e = environ; *e; ++e) envp.push_back(*e);
  envp.push_back(const_cast<char*>(env.c_str()));
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>("/proc/self/exe"), nullptr};
  int fds[2];
  if (pipe(fds) != 0) return {-1, -1};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  pid_t pid;
  const int rc = posix_spawn(&pid, "/proc/self/exe", &fa, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return {-1, -1};
  }
  char buf[64] = {0};
  const ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return {n > 0 ? std::atol(buf) : -1, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}
}  // namespace

TEST(BinaryDiffStreaming, HundredMebibytePairsRunInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own memory hides the figure";
#endif
  if (std::getenv("ORV_SKIP_LARGE_TESTS")) GTEST_SKIP() << "ORV_SKIP_LARGE_TESTS is set";
  TempDir d;
  constexpr std::uint64_t kSize = 100ull << 20;
  std::mt19937_64 rng(4);
  std::vector<std::uint64_t> edits;
  for (std::uint64_t k = 0; k < 1000; ++k) edits.push_back(k * (kSize / 1000) + rng() % (kSize / 1000 - 8));
  write_big(d.file("a"), kSize, {});
  write_big(d.file("b"), kSize, edits);
  write_file(d.file("empty"), "");
  constexpr long kBoundKib = 64 * 1024;
  // 1,000 byte edits, the listing to a file (through the scratch file).
  auto [peak, result] = measure("|" + d.file("a") + "|" + d.file("b") + "|" + d.file("out"));
  EXPECT_EQ(result, 1);
  EXPECT_GT(peak, 0);
  EXPECT_LT(peak, kBoundKib) << "peak resident set in KiB";
  RecordProperty("peak_kib_1000_edits", std::to_string(peak));
  const std::string out = read_file(d.file("out"));
  long changes = 0;
  for (std::size_t p = 0; (p = out.find("\n---\n", p)) != std::string::npos; ++p) ++changes;
  EXPECT_EQ(changes, 1000) << "one change per edit";
  // One change of 100 MiB: every byte of file 2 after an empty file 1.
  std::tie(peak, result) = measure("-n|" + d.file("empty") + "|" + d.file("b") + "|/dev/null");
  EXPECT_EQ(result, 1);
  EXPECT_LT(peak, kBoundKib) << "peak resident set in KiB";
  // And 100 MiB that goes, with everything after it, as the last change.
  std::tie(peak, result) = measure("-n|" + d.file("b") + "|" + d.file("empty") + "|" + d.file("out"));
  EXPECT_EQ(result, 1);
  EXPECT_LT(peak, kBoundKib) << "peak resident set in KiB";
  EXPECT_EQ(read_file(d.file("out")), "d1 " + std::to_string(kSize) + "\n");
}
