// Benchmark of the differencers' edit scripts against GNU diff -n (and cmp -l
// for the binary case). Every run is a separate process (our diffrun driver,
// or the standard tool) so that wall time and peak memory (maximum resident
// set) are measured the same way for both. Workloads:
//   a  each header of /usr/include/c++/12/bits/ against a copy with one to
//      three localized edits, all pairs together;
//   b  those headers concatenated against a copy with 1% of the lines
//      changed, inserted or deleted at seeded random places;
//   c  a 50,000-line file, 30% of it blank or "}" lines, against a 2% edit;
//   d  a 1 MiB binary file against a copy with 100 scattered byte edits;
//   g  two 100 MiB binary files, 1,000 scattered byte edits apart (the
//      binary differencer streams: its peak stays far under 64 MiB);
//   e  200,000 generated lines, half of them drawn from eight frequent lines
//      (blank, braces, "return 0;" and the like), against a 1% edit;
//   q  200,000 lines drawn only from four frequent lines, against a 1% edit;
//   h  a history: 1,000 consecutive versions of a real 5,900-line header
//      (stl_algo.h), each made from the one before by one to four seeded
//      local edits, every consecutive pair compared, all pairs together.
// Workload b is also timed in-process.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "differ/txtcmp/diff_run.h"
#include "differ/include/orv/txtcmp32.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Pair {
  std::string a, b;
};

struct Measure {
  double seconds = 0;
  long peakKib = 0;
};

fs::path g_dir;
std::map<std::string, std::vector<Pair>> g_work;
std::map<std::string, Measure> g_best;

std::vector<std::string> readLines(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::vector<std::string> lines;
  std::string l;
  while (std::getline(f, l)) lines.push_back(l + "\n");
  return lines;
}

void writeLines(const fs::path& p, const std::vector<std::string>& lines) {
  std::ofstream f(p, std::ios::binary);
  for (const auto& l : lines) f << l;
}

std::string editedLine(std::mt19937& rng) { return "    edited_" + std::to_string(rng()) + "();\n"; }

// Changes, inserts or deletes `count` lines at the given places.
std::vector<std::string> edit(std::vector<std::string> lines, std::mt19937& rng, std::vector<std::size_t> at) {
  std::sort(at.rbegin(), at.rend());
  for (std::size_t p : at) {
    if (lines.empty()) break;
    p = std::min(p, lines.size() - 1);
    switch (rng() % 3) {
      case 0: lines[p] = editedLine(rng); break;
      case 1: lines.insert(lines.begin() + static_cast<long>(p), editedLine(rng)); break;
      default: lines.erase(lines.begin() + static_cast<long>(p)); break;
    }
  }
  return lines;
}

void prepare() {
  g_dir = fs::temp_directory_path() / ("orv-bench-" + std::to_string(getpid()));
  fs::create_directories(g_dir);
  std::mt19937 rng(20240601);

  // a: one commit's worth of localized edits per header.
  std::vector<fs::path> headers;
  for (const auto& e : fs::directory_iterator("/usr/include/c++/12/bits"))
    if (e.is_regular_file()) headers.push_back(e.path());
  std::sort(headers.begin(), headers.end());
  std::vector<std::string> all;
  fs::create_directories(g_dir / "a");
  for (const auto& h : headers) {
    auto lines = readLines(h);
    all.insert(all.end(), lines.begin(), lines.end());
    std::vector<std::size_t> at;
    std::size_t base = lines.empty() ? 0 : rng() % lines.size();
    for (int k = 1 + static_cast<int>(rng() % 3); k > 0; --k) at.push_back(base + rng() % 20);
    fs::path a = g_dir / "a" / (h.filename().string() + ".old"), b = g_dir / "a" / (h.filename().string() + ".new");
    writeLines(a, lines);
    writeLines(b, edit(lines, rng, at));
    g_work["a"].push_back({a.string(), b.string()});
  }

  // b: 1% scattered edits in the concatenation.
  {
    std::vector<std::size_t> at;
    for (std::size_t k = 0; k < all.size() / 100; ++k) at.push_back(rng() % all.size());
    writeLines(g_dir / "b.old", all);
    writeLines(g_dir / "b.new", edit(all, rng, at));
    g_work["b"].push_back({(g_dir / "b.old").string(), (g_dir / "b.new").string()});
  }

  // c: 50,000 lines, 30% blank or "}".
  {
    std::vector<std::string> lines;
    for (int k = 0; k < 50000; ++k) {
      unsigned r = rng() % 10;
      lines.push_back(r < 2 ? "\n" : r < 3 ? "}\n" : "    statement_" + std::to_string(rng() % 20000) + ";\n");
    }
    std::vector<std::size_t> at;
    for (int k = 0; k < 1000; ++k) at.push_back(rng() % lines.size());
    writeLines(g_dir / "c.old", lines);
    writeLines(g_dir / "c.new", edit(lines, rng, at));
    g_work["c"].push_back({(g_dir / "c.old").string(), (g_dir / "c.new").string()});
  }

  // e: 200,000 lines, half from eight frequent ones.
  {
    const char* frequent[] = {"\n", "{\n", "}\n", "  }\n", "    return 0;\n", "  return;\n", "};\n", "    break;\n"};
    std::vector<std::string> lines;
    for (int k = 0; k < 200000; ++k)
      lines.push_back(rng() % 2 ? std::string(frequent[rng() % 8])
                                : "    call_" + std::to_string(rng() % 100000) + "(x);\n");
    std::vector<std::size_t> at;
    for (int k = 0; k < 2000; ++k) at.push_back(rng() % lines.size());
    writeLines(g_dir / "e.old", lines);
    writeLines(g_dir / "e.new", edit(lines, rng, at));
    g_work["e"].push_back({(g_dir / "e.old").string(), (g_dir / "e.new").string()});
  }

  // q: 200,000 lines, all from four frequent ones.
  {
    const char* frequent[] = {"\n", "{\n", "}\n", "    return 0;\n"};
    std::vector<std::string> lines;
    for (int k = 0; k < 200000; ++k) lines.push_back(frequent[rng() % 4]);
    std::vector<std::size_t> at;
    for (int k = 0; k < 2000; ++k) at.push_back(rng() % lines.size());
    writeLines(g_dir / "q.old", lines);
    writeLines(g_dir / "q.new", edit(lines, rng, at));
    g_work["q"].push_back({(g_dir / "q.old").string(), (g_dir / "q.new").string()});
  }

  // h: a history of local edits to one real file.
  {
    auto lines = readLines("/usr/include/c++/12/bits/stl_algo.h");
    fs::create_directories(g_dir / "h");
    auto version = [&](int v) { return (g_dir / "h" / ("v" + std::to_string(v))).string(); };
    writeLines(version(0), lines);
    for (int v = 1; v < 1000 && !lines.empty(); ++v) {
      std::vector<std::size_t> at;
      const std::size_t base = rng() % lines.size();
      for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k) at.push_back(base + rng() % 30);
      lines = edit(lines, rng, at);
      writeLines(version(v), lines);
      g_work["h"].push_back({version(v - 1), version(v)});
    }
  }

  // d: 1 MiB of bytes with 100 scattered byte edits.
  {
    std::string bytes(1 << 20, '\0');
    for (auto& c : bytes) c = static_cast<char>(rng());
    std::string other = bytes;
    for (int k = 0; k < 100; ++k) other[rng() % other.size()] = static_cast<char>(rng());
    std::ofstream(g_dir / "d.old", std::ios::binary) << bytes;
    std::ofstream(g_dir / "d.new", std::ios::binary) << other;
    g_work["d"].push_back({(g_dir / "d.old").string(), (g_dir / "d.new").string()});
  }

  // g: 100 MiB of bytes with 1,000 scattered byte edits.
  {
    std::string bytes(std::size_t{100} << 20, '\0');
    std::mt19937_64 wide(rng());
    for (std::size_t i = 0; i + 8 <= bytes.size(); i += 8) {
      const std::uint64_t w = wide();
      std::memcpy(bytes.data() + i, &w, 8);
    }
    std::ofstream(g_dir / "g.old", std::ios::binary) << bytes;
    for (int k = 0; k < 1000; ++k) bytes[rng() % bytes.size()] = static_cast<char>(rng());
    std::ofstream(g_dir / "g.new", std::ios::binary) << bytes;
    g_work["g"].push_back({(g_dir / "g.old").string(), (g_dir / "g.new").string()});
  }
}

// Runs one program with its output sent to a scratch file; returns its peak
// memory.
// The program is started by a fresh copy of this benchmark in its "--measure"
// role: a process forked from a large parent would carry the parent's memory
// high-water mark into the figure.
long runProgram(const std::vector<std::string>& args) {
  std::vector<std::string> full{"/proc/self/exe", "--measure"};
  full.insert(full.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (const auto& a : full) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 3);
  // Output goes to a file, not /dev/null: cmp stops at the first difference
  // when it sees its output thrown away.
  const std::string out = (g_dir / "run.out").string();
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid;
  int rc = posix_spawn(&pid, "/proc/self/exe", &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return -1;
  }
  char buf[64] = {0};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) std::fprintf(stderr, "%s failed\n", args[0].c_str());
  return std::atol(buf);
}

// The "--measure" role: runs the program, writes its peak memory (KiB) to
// descriptor 3 and exits with its status.
int measureMain(char** argv) {
  pid_t pid = fork();
  if (pid == 0) {
    close(3);
    execvp(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  wait4(pid, &status, 0, &ru);
  dprintf(3, "%ld", ru.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}

std::vector<std::string> command(const std::string& tool, const Pair& p) {
  const std::string diffrun = std::string(ORV_BIN_DIR) + "/diffrun";
  if (tool == "ours") return {diffrun, "diff", "-n", p.a, p.b};
  if (tool == "ours-binary") return {diffrun, "-B", "diffb", "-n", p.a, p.b};
  if (tool == "cmp") return {"cmp", "-l", p.a, p.b};
  return {"diff", "-n", p.a, p.b};
}

void bmWorkload(benchmark::State& state, std::string work, std::string tool) {
  Measure best{1e30, 0};
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    long peak = 0;
    for (const auto& p : g_work[work]) peak = std::max(peak, runProgram(command(tool, p)));
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(s);
    best.seconds = std::min(best.seconds, s);
    best.peakKib = std::max(best.peakKib, peak);
  }
  state.counters["peak_KiB"] = static_cast<double>(best.peakKib);
  g_best[work + "/" + tool] = best;
}

void bmInProcess(benchmark::State& state) {
  const Pair& p = g_work["b"][0];
  const std::string out = (g_dir / "inproc.out").string();
  const char* argv[] = {"diff", "-n"};
  Measure best{1e30, 0};
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    DiffFile(2, argv, p.a.c_str(), p.b.c_str(), out.c_str());
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(s);
    best.seconds = std::min(best.seconds, s);
  }
  g_best["b/in-process"] = best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "--measure") return measureMain(argv + 2);
  prepare();
  for (const char* w : {"a", "b", "c", "e", "q", "h"}) {
    benchmark::RegisterBenchmark((std::string(w) + "/ours DiffFile -n").c_str(), bmWorkload, w, "ours")
        ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string(w) + "/GNU diff -n").c_str(), bmWorkload, w, "diff")
        ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("d/ours DiffBFile -n", bmWorkload, "d", "ours-binary")
      ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("d/cmp -l", bmWorkload, "d", "cmp")
      ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("g/ours DiffBFile -n", bmWorkload, "g", "ours-binary")
      ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("g/cmp -l", bmWorkload, "g", "cmp")
      ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("b/in-process", bmInProcess)
      ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::printf("\nSide by side (best of 3 runs; peak = largest maximum resident set of one process)\n");
  std::printf("%-4s %14s %12s %14s %12s %8s\n", "work", "ours ms", "ours KiB", "other ms", "other KiB", "ratio");
  const char* pairs[][3] = {{"a", "ours", "diff"}, {"b", "ours", "diff"}, {"c", "ours", "diff"},
                            {"e", "ours", "diff"}, {"q", "ours", "diff"}, {"h", "ours", "diff"},
                            {"d", "ours-binary", "cmp"}, {"g", "ours-binary", "cmp"}};
  for (auto& row : pairs) {
    const Measure& o = g_best[std::string(row[0]) + "/" + row[1]];
    const Measure& t = g_best[std::string(row[0]) + "/" + row[2]];
    std::printf("%-4s %14.1f %12ld %14.1f %12ld %8.2f\n", row[0], o.seconds * 1e3, o.peakKib, t.seconds * 1e3,
                t.peakKib, t.seconds > 0 ? o.seconds / t.seconds : 0.0);
  }
  std::printf("b in-process: %.1f ms\n", g_best["b/in-process"].seconds * 1e3);
  std::error_code ec;
  fs::remove_all(g_dir, ec);
  return 0;
}
