// Binary differencer: random pairs rebuilt by an independent byte-script
// applier, the listing forms and escapes, options, messages and the busy
// guard.
#include <random>

#include "differ/bincmp/bincmp.h"
#include "differ/tests/diff_test_util.h"

using namespace difftest;

namespace {

// Applies a byte edit script: "dN M" deletes M bytes from byte N, "aN M"
// inserts the M bytes that follow the line (and one line feed) after byte N.
std::string apply_byte_script(const std::string& base, const std::string& script) {
  std::string out;
  std::size_t cur = 0, p = 0;
  while (p < script.size()) {
    std::size_t eol = script.find('\n', p);
    if (eol == std::string::npos) {
      ADD_FAILURE() << "unterminated command";
      return {};
    }
    char op = 0;
    long n = 0, m = 0;
    if (std::sscanf(script.substr(p, eol - p).c_str(), "%c%ld %ld", &op, &n, &m) != 3 || m <= 0) {
      ADD_FAILURE() << "bad command: " << script.substr(p, eol - p);
      return {};
    }
    p = eol + 1;
    std::size_t upto = static_cast<std::size_t>(op == 'd' ? n - 1 : n);
    if (upto < cur || upto > base.size()) {
      ADD_FAILURE() << "out of order: " << op << n;
      return {};
    }
    out += base.substr(cur, upto - cur);
    cur = upto;
    if (op == 'd') {
      cur += static_cast<std::size_t>(m);
      if (cur > base.size()) ADD_FAILURE() << "deletion past the end";
    } else {
      out += script.substr(p, static_cast<std::size_t>(m));
      p += static_cast<std::size_t>(m);
      if (p >= script.size() || script[p] != '\n') {
        ADD_FAILURE() << "block not followed by a line feed";
        return {};
      }
      ++p;
    }
  }
  return out + base.substr(std::min(cur, base.size()));
}

std::string random_bytes(std::mt19937& rng, std::size_t n) {
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng() % 4 == 0 ? rng() % 256 : 'a' + rng() % 3);
  return s;
}

// Letters without any short period, so resynchronisation points are unique.
std::string letters(std::size_t n) {
  std::string s(n, 'a');
  std::uint32_t x = 12345;
  for (auto& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>('a' + (x >> 16) % 26);
  }
  return s;
}

}  // namespace

TEST(BinaryDiff, RandomPairsRebuildFile2) {
  TempDir d;
  std::mt19937 rng(2024);
  for (int round = 0; round < 300; ++round) {
    std::string a = random_bytes(rng, rng() % 3000);
    std::string b = a;
    switch (round % 8) {
      case 0:  // single-byte insertions, deletions, replacements
        for (int k = 0; k < 5 && !b.empty(); ++k) {
          std::size_t at = rng() % b.size();
          int op = static_cast<int>(rng() % 3);
          if (op == 0) b.insert(at, 1, static_cast<char>(rng()));
          else if (op == 1) b.erase(at, 1);
          else b[at] = static_cast<char>(b[at] ^ 0x5A);
        }
        break;
      case 1:  // a long differing stretch
        if (b.size() > 100) b.replace(50, std::min<std::size_t>(b.size() - 50, 1200), random_bytes(rng, 1500));
        break;
      case 2:  // near the end of file 1
        if (!b.empty()) b.erase(b.size() - std::min<std::size_t>(b.size(), rng() % 300 + 1), 1);
        break;
      case 3:  // near the end of file 2
        b += random_bytes(rng, rng() % 24);
        if (b.size() > 30) b[b.size() - 20] = 'Z';
        break;
      case 4:  // one file a prefix of the other
        b = a.substr(0, a.size() / 2);
        break;
      case 5:
        b = a + random_bytes(rng, 1 + rng() % 50);
        break;
      case 6:
        b = random_bytes(rng, rng() % 3000);
        break;
      default:
        if (round % 16 == 7) a.clear();
        break;
    }
    DiffOutcome r = run_diff(d, {"diffb", "-n"}, a, b, true);
    ASSERT_EQ(r.result, a == b ? 0 : 1) << "round " << round;
    ASSERT_EQ(apply_byte_script(a, r.out), b) << "round " << round;
    DiffOutcome ctx = run_diff(d, {"diffb", "-n", "-c4"}, a, b, true);
    ASSERT_EQ(apply_byte_script(a, ctx.out), b) << "context round " << round;
  }
}

TEST(BinaryDiff, ListedEdgeCases) {
  TempDir d;
  const std::string base = letters(2000);
  DiffOutcome r = run_diff(d, {"diffb", "-n"}, base, base, true);
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "");
  // One inserted byte in the middle.
  std::string ins = base;
  ins.insert(1000, "#");
  r = run_diff(d, {"diffb", "-n"}, base, ins, true);
  EXPECT_EQ(r.out, "a1000 1\n#\n");
  // File 2 shorter by its last 10 bytes: one deletion at the end.
  r = run_diff(d, {"diffb", "-n"}, base, base.substr(0, 1990), true);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.out, "d1991 10\n");
  // File 2 longer: an addition at the end, and result 1.
  r = run_diff(d, {"diffb", "-n"}, base.substr(0, 1990), base, true);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.out, "a1990 10\n" + base.substr(1990) + "\n");
  // 1,000 bytes of file 1 replaced by 10: found after several windows
  // without a hit (file 1 advances 320 bytes per window, file 2 20 bytes),
  // written as one change that ends where the windows met again.
  std::string far = base.substr(0, 300) + "##########" + base.substr(1300);
  r = run_diff(d, {"diffb", "-n"}, base, far, true);
  EXPECT_EQ(r.out, "d301 1050\na1350 60\n" + far.substr(300, 60) + "\n");
  // A difference within 325 bytes of file 1's end: the rest of both files.
  std::string tail = base;
  tail[1800] = '#';
  r = run_diff(d, {"diffb", "-n"}, base, tail, true);
  EXPECT_EQ(r.out, "d1801 200\na2000 200\n" + tail.substr(1800) + "\n");
}

TEST(BinaryDiff, ListingForms) {
  TempDir d;
  const std::string base = letters(2000);
  std::string b = base;
  b[100] = '\0';
  b[200] = static_cast<char>(200);
  DiffOutcome r = run_diff(d, {"diffb"}, base, b, true);
  EXPECT_EQ(r.out, "101c101\n< " + base.substr(100, 1) + "\n---\n> \\000\n201c201\n< " + base.substr(200, 1) +
                       "\n---\n> \\310\n");
  std::string ins = base;
  ins.insert(50, "A\nB");
  r = run_diff(d, {"diffb"}, base, ins, true);
  EXPECT_EQ(r.out, "51a51,53\n> A\n> B\n");
  std::string del = base;
  del.erase(10, 2);
  r = run_diff(d, {"diffb"}, base, del, true);
  EXPECT_EQ(r.out, "11,12d11\n< " + base.substr(10, 2) + "\n");
  // Context bytes widen the change on both sides.
  r = run_diff(d, {"diffb", "-c2"}, base, del, true);
  EXPECT_EQ(r.out, "9,14c9,12\n< " + base.substr(8, 6) + "\n---\n> " + del.substr(8, 4) + "\n");
}

TEST(BinaryDiff, OptionsAndMessages) {
  TempDir d;
  DiffOutcome r = run_diff(d, {"diffb", "-C"}, "a", "b", true);
  EXPECT_EQ(r.result, 2);
  EXPECT_EQ(r.message, "diffb: missing number after -C\n");
  r = run_diff(d, {"diffb", "-x"}, "a", "b", true);
  EXPECT_EQ(r.result, 2);
  EXPECT_EQ(r.message, "diffb: option -x unknown\n");
  EXPECT_EQ(run_diff(d, {"diffb", "--", "-x"}, "a", "b", true).result, 1);
  const char* argv[] = {"diffb"};
  EXPECT_EQ(DiffBFile(1, argv, d.file("none").c_str(), d.file("in1").c_str(), d.file("o").c_str()), 2);
  char msg[512];
  DiffBError(msg, sizeof msg);
  EXPECT_EQ(std::string(msg), "input file \"" + d.file("none") + "\": " + std::strerror(ENOENT));
  EXPECT_EQ(DiffBFile(1, argv, d.file("in1").c_str(), d.file("in1").c_str(), d.file("x/o").c_str()), 2);
  DiffBError(msg, sizeof msg);
  EXPECT_EQ(std::string(msg), "file \"" + d.file("x/o") + "\": " + std::strerror(ENOENT));
  // DiffBError is one character stricter than DiffError.
  run_diff(d, {"diffb", "-q"}, "a", "b", true);  // "diffb: option -q unknown\n": 25 characters
  char buf[27];
  EXPECT_EQ(DiffBError(buf, 27), 1);
  EXPECT_EQ(std::strlen(buf), 25u);
  EXPECT_EQ(DiffBError(buf, 28 > 27 ? 27 : 27), 1);
  char big[28];
  EXPECT_EQ(DiffBError(big, 28), 0);
  EXPECT_STREQ(big, "diffb: option -q unknown\n");
}

namespace {
int g_inner = -1;
std::string g_inner_msg;
void reenter() {
  const char* argv[] = {"diffb"};
  g_inner = DiffBFile(1, argv, "/dev/null", "/dev/null", "/dev/null");
  char msg[64];
  DiffBError(msg, sizeof msg);
  g_inner_msg = msg;
}
}  // namespace

TEST(BinaryDiff, BusyGuard) {
  TempDir d;
  orv::bincmp::set_busy_hook(reenter);
  DiffOutcome r = run_diff(d, {"diffb", "-n"}, "abc", "abd", true);
  orv::bincmp::set_busy_hook(nullptr);
  EXPECT_EQ(g_inner, 2);
  EXPECT_EQ(g_inner_msg, "diffb in use");
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(apply_byte_script("abc", r.out), "abd");
}
