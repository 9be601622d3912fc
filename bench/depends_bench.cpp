// Member status and a full dependency scan of a 10,000-member project,
// beside git status on the same tree.
//
// Set-up (not measured): a tree of 100 folders of 100 C sources each, every
// source including its folder's header and two of 50 shared headers; a
// project file listing the 10,000 sources; the tree made a git repository
// with everything committed ("git" from the path; without it only our
// figures are printed).
//
// Measured, every figure the median of its runs:
//   status      the working-file status of every member
//               (vcMemberWorkChanges over the member walk), nothing changed;
//   status+rev  the same with vcMemberRevChanges for each member;
//   scan        a full dependency scan: vcInitUses and vcFindUses of every
//               member on a project just opened without a cache;
//   rescan      vcFindUses of every member again (headers not newer: not
//               read again);
//   save        vcSaveUses of the scanned graph;
//   git status  "git status --porcelain" on the tree (a process of its own).
// Target: status within 2 times git status.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "vc/include/vc.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFolders = 100;
constexpr int kPerFolder = 100;
constexpr int kShared = 50;
constexpr int kRuns = 7;

[[noreturn]] void die(const char* what, int rc) {
  std::fprintf(stderr, "%s failed: %d\n", what, rc);
  std::exit(1);
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double seconds(const std::function<void()>& body) {
  const auto start = Clock::now();
  body();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void makeTree(const fs::path& dir) {
  fs::create_directories(dir / "shared");
  for (int s = 0; s < kShared; ++s)
    writeFile(dir / "shared" / ("s" + std::to_string(s) + ".h"), "int shared" + std::to_string(s) + ";\n");
  std::string project = "--ORV Project--\n$Revision$\ninclude=" + (dir / "shared").string() + "\nEndOptions\n";
  for (int f = 0; f < kFolders; ++f) {
    const std::string folder = "d" + std::to_string(100 + f);
    fs::create_directories(dir / folder);
    writeFile(dir / folder / "local.h", "#include <s" + std::to_string(f % kShared) + ".h>\nint local;\n");
    for (int i = 0; i < kPerFolder; ++i) {
      const std::string name = "f" + std::to_string(1000 + i) + ".c";
      std::string text = "#include \"local.h\"\n#include <s" + std::to_string((f + i) % kShared) + ".h>\n" +
                         "#include <s" + std::to_string((f * 7 + i * 3) % kShared) + ".h>\n";
      for (int l = 0; l < 40; ++l) text += "int v" + std::to_string(l) + " = " + std::to_string(f * i + l) + ";\n";
      writeFile(dir / folder / name, text);
      project += "$(projectdir)/" + folder + "/" + name + " f  \n";
    }
  }
  writeFile(dir / "p.prj", project);
}

int openProject(const fs::path& dir) {
  int h = 0;
  if (int rc = vcOpenProject((dir / "p.prj").c_str(), VC_PROJECT_OPEN_WRITE, &h, 0)) die("vcOpenProject", rc);
  return h;
}

// Every member in turn as the current member.
void forEachMember(int h, const std::function<void()>& body) {
  char name[4096];
  for (int rc = vcGetMember(h, VC_MEMBER_ITEM_FIRST, name, sizeof name); rc == 0;
       rc = vcGetMember(h, VC_MEMBER_ITEM_NEXT, name, sizeof name))
    body();
}

bool haveGit() { return std::system("git --version >/dev/null 2>&1") == 0; }

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("orv-depends-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  ::setenv("ORV_KEL_LIBRARY", KEL_DOUBLE_PATH, 1);
  ::setenv("ORV_SETTINGS", dir.c_str(), 1);
  if (int rc = vcAPIinit()) die("vcAPIinit", rc);
  makeTree(dir);

  std::vector<double> status, statusRev, scan, rescan, save, git;
  int members = 0;
  for (int run = 0; run < kRuns; ++run) {
    fs::remove(dir / "p.use");
    const int h = openProject(dir);
    scan.push_back(seconds([&] {
      if (int rc = vcInitUses(h)) die("vcInitUses", rc);
      forEachMember(h, [&] {
        if (int rc = vcFindUses(h, nullptr, nullptr, 0)) die("vcFindUses", rc);
      });
    }));
    rescan.push_back(seconds([&] { forEachMember(h, [&] { vcFindUses(h, nullptr, nullptr, 0); }); }));
    save.push_back(seconds([&] {
      if (int rc = vcSaveUses(h)) die("vcSaveUses", rc);
    }));
    members = 0;
    status.push_back(seconds([&] {
      forEachMember(h, [&] {
        if (int rc = vcMemberWorkChanges(h, nullptr, nullptr)) die("vcMemberWorkChanges", rc);
        ++members;
      });
    }));
    statusRev.push_back(seconds([&] {
      forEachMember(h, [&] {
        vcMemberWorkChanges(h, nullptr, nullptr);
        vcMemberRevChanges(h, nullptr, nullptr);
      });
    }));
    vcDoneUses(h);
    vcCloseProject(h);
  }
  std::printf("members %d, project files %d\n", members, kFolders * (kPerFolder + 1) + kShared);
  std::printf("status       %8.1f ms\n", median(status) * 1e3);
  std::printf("status+rev   %8.1f ms\n", median(statusRev) * 1e3);
  std::printf("scan         %8.1f ms\n", median(scan) * 1e3);
  std::printf("rescan       %8.1f ms\n", median(rescan) * 1e3);
  std::printf("save .use    %8.1f ms (%ju bytes)\n", median(save) * 1e3,
              static_cast<std::uintmax_t>(fs::file_size(dir / "p.use")));

  if (haveGit()) {
    const std::string git_c = "git -C '" + dir.string() + "' -c user.name=bench -c user.email=bench@localhost ";
    if (std::system((git_c + "init -q && " + git_c + "add -A && " + git_c + "commit -qm tree >/dev/null").c_str()) != 0)
      die("git set-up", 1);
    std::system((git_c + "status --porcelain >/dev/null").c_str());  // index refresh once
    for (int run = 0; run < kRuns; ++run)
      git.push_back(seconds([&] { std::system((git_c + "status --porcelain >/dev/null").c_str()); }));
    std::printf("git status   %8.1f ms\n", median(git) * 1e3);
    std::printf("status / git status = %.2f (target at most 2)\n", median(status) / median(git));
  }
  vcAPIcleanup();
  fs::remove_all(dir);
  return 0;
}
