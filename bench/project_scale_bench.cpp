// Projects at the scale of large teams, beside git on the same tree in the
// same run.
//
// For each size (files; default 1,000 and 10,000, "--sizes 1000,10000,100000"
// for more), set-up not measured: a tree of folders of 100 small C sources
// each, made a git repository ("git" from the path; without it only our
// figures are printed). Measured, as cpu of the whole work (user + system,
// ours in this process, git's of its processes) and wall time:
//   ci          an archive for every file: find the archive name, check the
//               file in, commit (each commit syncs its archive: wall time
//               holds the syncs, cpu hardly any);
//   add+save    a new project, every file added as a member, saved;
//               beside "git add -A && git commit";
//   open        open the project and close it (median of runs); beside
//               "git status" (and "git ls-files");
//   change      open, change an option, save, close (median); beside
//               "git commit --allow-empty";
//   status      the working-file status of every member (median); beside
//               "git status";
//   window      the workbench's project window opened and filled until its
//               last row is in (its main frame offscreen in this process,
//               less the same on a project of one member, median of 3; and
//               the wall time to its first rows painted) beside the
//               library's own read of the same rows (open, then for each
//               member its working name, kind, revision, status and archive
//               state).
// Then an archive of 10,000 trunk revisions (written directly, labels on
// every 500th): the archive window's fill (less the same start on an
// archive of one revision) beside the library's own read of its rows
// (author, date, state, locker of each revision in the walk), and of the
// whole archive as the window reads it; in rounds of each in turn, medians.
// Last, the open of sandbox files of 10,000 to 200,000 options and of
// project files of 10,000 to 200,000 members and options: time per entry.
//
// Targets (cpu ratios to the peer in the same run): open within 2x git
// status; add+save within 3x git add and commit (the archives' syncs apart);
// change within 2x git commit --allow-empty; window fill within 2x the
// library's own read; time per member flat within 1.5x from 1,000 to
// 100,000; sandbox and project open per entry flat within 2x.
//
// "--skip-window" leaves out the workbench runs; "--open-only" runs only the
// sandbox and project open part; "--archive-only" only the archive of 10,000
// revisions.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "platform/ui/qt/qt_ui.h"
#include "testing/long_archive.h"
#include "vc/include/vc.h"
#include "workbench/qt/archive_window.h"
#include "workbench/qt/main_frame.h"
#include "workbench/qt/project_window.h"
#include "workbench/views/qt/member_list_view.h"
#include "workbench/views/qt/member_tree_view.h"
#include "workbench/views/qt/revision_list_view.h"
#include "workbench/views/qt/revision_tree_view.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPerFolder = 100;
constexpr int kRevisions = 10000;

[[noreturn]] void die(const std::string& what, int rc) {
  std::fprintf(stderr, "%s failed: %d\n", what.c_str(), rc);
  std::exit(1);
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

double cpuOf(int who) {
  rusage u{};
  ::getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Cost {
  double cpu = 0;
  double wall = 0;
};

// The cost of body: this process's cpu, or with children the cpu of the
// processes it ran and waited for.
Cost measure(const std::function<void()>& body, bool children = false) {
  const int who = children ? RUSAGE_CHILDREN : RUSAGE_SELF;
  const double cpu = cpuOf(who);
  const auto start = Clock::now();
  body();
  return {cpuOf(who) - cpu, std::chrono::duration<double>(Clock::now() - start).count()};
}

Cost median(std::vector<Cost> v) {
  std::sort(v.begin(), v.end(), [](const Cost& a, const Cost& b) { return a.cpu < b.cpu; });
  Cost c = v[v.size() / 2];
  std::sort(v.begin(), v.end(), [](const Cost& a, const Cost& b) { return a.wall < b.wall; });
  c.wall = v[v.size() / 2].wall;
  return c;
}

Cost runs(int count, const std::function<void()>& body, bool children = false) {
  std::vector<Cost> all;
  for (int i = 0; i < count; ++i) all.push_back(measure(body, children));
  return median(all);
}

bool haveGit() { return std::system("git --version >/dev/null 2>&1") == 0; }

void shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) die(command, 1);
}

std::string gitIn(const fs::path& dir) {
  return "git -C '" + dir.string() + "' -c user.name=bench -c user.email=bench@localhost ";
}

std::string fileName(int i) {
  return "d" + std::to_string(1000 + i / kPerFolder) + "/f" + std::to_string(1000 + i % kPerFolder) + ".c";
}

void makeTree(const fs::path& dir, int files) {
  for (int i = 0; i < files; ++i) {
    const fs::path path = dir / fileName(i);
    if (i % kPerFolder == 0) fs::create_directories(path.parent_path());
    std::string text = "/* " + fileName(i) + " */\n";
    for (int l = 0; l < 12; ++l) text += "int v" + std::to_string(l) + " = " + std::to_string(i + l) + ";\n";
    writeFile(path, text);
  }
}

void print(const char* what, const Cost& c, int per = 0) {
  std::printf("  %-30s cpu %9.3f s  wall %9.3f s", what, c.cpu, c.wall);
  if (per) std::printf("  %7.1f us/member", c.cpu / per * 1e6);
  std::printf("\n");
}

void ratio(const char* what, double ours, double peer, double target) {
  std::printf("  %-30s %6.2f (target at most %.0f: %s)\n", what, ours / peer, target,
              ours / peer <= target ? "met" : "NOT met");
}

// Catches the first paint of a view with rows in it.
class FirstPaint : public QObject {
 public:
  FirstPaint(QWidget* view, Clock::time_point start) : view_(qobject_cast<QAbstractItemView*>(view)), start_(start) {
    if (view_) view_->viewport()->installEventFilter(this);
  }
  double at = -1;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (at < 0 && event->type() == QEvent::Paint && view_->model() && view_->model()->rowCount() > 0)
      at = std::chrono::duration<double>(Clock::now() - start_).count();
    return false;
  }

 private:
  QAbstractItemView* view_;
  Clock::time_point start_;
};

// The active window's view, and whether all its rows are in.
QWidget* activeView(orv::workbench::MainFrame& frame, bool& filled) {
  using namespace orv::workbench;
  filled = true;
  QMdiSubWindow* sub = frame.mdiArea()->currentSubWindow();
  if (!sub) return nullptr;
  if (auto* p = qobject_cast<ProjectChild*>(sub->widget())) {
    filled = p->list() ? p->list()->filled() : p->tree()->filled();
    return p->view();
  }
  if (auto* a = qobject_cast<ArchiveChild*>(sub->widget())) {
    filled = a->list() ? a->list()->filled() : a->tree()->filled();
    return a->view();
  }
  return nullptr;
}

struct WindowFigures {
  double cpu = 0;       // from the open to the last row in
  double first = 0;     // wall, from the open to the first rows painted
  double firstCpu = 0;  // cpu of the first of the three
};

// The workbench's window filling for name: the program's main frame
// (offscreen, in this process, on the library this process started) opens
// the project or archive, and the event loop runs until every row is in;
// the medians of count runs, and the cpu of the first (which alone compares
// working files whose recorded revision is unknown with their revision).
WindowFigures windowFill(const fs::path& dir, const std::string& name, int count = 3) {
  std::vector<double> cpu, first;
  for (int i = 0; i < count; ++i) {
    orv::ui::qt::QtUi ui;
    orv::workbench::MainFrame frame(ui, (dir / "ORVTY.INI").string());
    ui.setOwner(&frame);
    frame.resize(1000, 600);
    frame.show();
    QApplication::processEvents();
    double painted = -1;
    cpu.push_back(measure([&] {
      const auto start = Clock::now();
      frame.openNames({name});
      bool filled = false;
      FirstPaint paint(activeView(frame, filled), start);
      do {
        QApplication::processEvents();
        activeView(frame, filled);
      } while (!filled || paint.at < 0);
      painted = paint.at;
    }).cpu);
    first.push_back(painted);
    frame.close();
    QApplication::processEvents();
  }
  const double firstCpu = cpu[0];
  std::sort(cpu.begin(), cpu.end());
  std::sort(first.begin(), first.end());
  return {cpu[cpu.size() / 2], first[first.size() / 2], firstCpu};
}

struct SizeFigures {
  int files = 0;
  Cost ci, addSave, open, change, status, ownRead, ownCompare;
  double window = -1, firstWindow = -1;
  double windowFirst = -1;
};

SizeFigures runSize(const fs::path& base, int files, bool withGit, bool withWindow, double windowStart) {
  SizeFigures f;
  f.files = files;
  const fs::path dir = base / ("tree" + std::to_string(files));
  fs::create_directories(dir);
  makeTree(dir, files);
  std::printf("\n%d files\n", files);

  Cost gitAdd, gitStatus, gitLs, gitEmpty;
  if (withGit) {
    const std::string git = gitIn(dir);
    shell(git + "init -q");
    writeFile(dir / ".gitignore", "rcs/\n*.prj\n*.trn\n*.use\n*.INI\n");
    gitAdd = measure([&] { shell(git + "add -A && " + git + "commit -qm tree >/dev/null"); }, true);
    shell(git + "status --porcelain >/dev/null");
  }

  // Archives: every file checked in.
  f.ci = measure([&] {
    char name[4096];
    for (int i = 0; i < files; ++i) {
      const std::string work = (dir / fileName(i)).string();
      int h = 0;
      if (int rc = vcFindArchiveName(work.c_str(), name, sizeof name, &h, VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE))
        die("vcFindArchiveName " + work, rc);
      char rev[64];
      if (int rc = vcCiRevision(h, "", work.c_str(), 0, rev, sizeof rev)) die("vcCiRevision", rc);
      if (int rc = vcCommitArchive(h, VC_COMMIT_CLOSE)) die("vcCommitArchive", rc);
    }
  });
  const std::string project = (dir / "p.prj").string();
  f.addSave = measure([&] {
    int h = 0;
    if (int rc = vcOpenProject(project.c_str(), VC_PROJECT_OPEN_WRITE | VC_PROJECT_OPEN_CREATE, &h, 0))
      die("vcOpenProject", rc);
    for (int i = 0; i < files; ++i)
      if (int rc = vcAddMember(h, 'a', (dir / fileName(i)).c_str(), "1.1", nullptr)) die("vcAddMember", rc);
    if (int rc = vcSaveProject(h)) die("vcSaveProject", rc);
    vcCloseProject(h);
  });
  // Small figures are a millisecond or two: more runs keep their median
  // steady.
  const int count = files >= 100000 ? 3 : files >= 10000 ? 7 : 31;
  f.open = runs(count, [&] {
    int h = 0;
    if (int rc = vcOpenProject(project.c_str(), VC_PROJECT_OPEN_MODIFY, &h, 0)) die("vcOpenProject", rc);
    vcCloseProject(h);
  });
  int changes = 0;
  f.change = runs(count, [&] {
    int h = 0;
    if (int rc = vcOpenProject(project.c_str(), VC_PROJECT_OPEN_WRITE, &h, 0)) die("vcOpenProject", rc);
    const std::string statement = "benchrun=" + std::to_string(++changes);
    if (int rc = vcProjectOptionSet(h, statement.c_str(), VC_STATEMENT_APPLY)) die("vcProjectOptionSet", rc);
    if (int rc = vcSaveProject(h)) die("vcSaveProject", rc);
    vcCloseProject(h);
  });
  f.status = runs(count, [&] {
    int h = 0;
    if (int rc = vcOpenProject(project.c_str(), VC_PROJECT_OPEN_MODIFY, &h, 0)) die("vcOpenProject", rc);
    char name[4096];
    int n = 0;
    for (int rc = vcGetMember(h, VC_MEMBER_ITEM_FIRST, name, sizeof name); rc == 0;
         rc = vcGetMember(h, VC_MEMBER_ITEM_NEXT, name, sizeof name), ++n)
      if (int e = vcMemberWorkChanges(h, nullptr, nullptr)) die("vcMemberWorkChanges", e);
    if (n != files) die("member walk", n);
    vcCloseProject(h);
  });
  // The library's own read of the rows; with compare, each working file is
  // also compared with its revision checked out to a file, as the window
  // does the first time for members whose recorded revision is unknown.
  const std::string compareFile = (base / ("compare" + std::to_string(files))).string();
  auto ownRead = [&](bool compare) {
    int h = 0;
    if (int rc = vcOpenProject(project.c_str(), VC_PROJECT_OPEN_MODIFY, &h, 0)) die("vcOpenProject", rc);
    char name[4096], text[256];
    int same = 0;
    for (int rc = vcGetMember(h, VC_MEMBER_ITEM_FIRST, name, sizeof name); rc == 0;
         rc = vcGetMember(h, VC_MEMBER_ITEM_NEXT, name, sizeof name)) {
      vcMemberWorkName(h, nullptr, nullptr, name, sizeof name);
      vcGetMember(h, VC_MEMBER_ITEM_KIND, text, sizeof text);
      vcGetMember(h, VC_MEMBER_ITEM_REVISION, text, sizeof text);
      vcMemberWorkChanges(h, nullptr, nullptr);
      vcMemberRevChanges(h, nullptr, nullptr);
      int a = 0;
      if (vcMemberArchiveChanges(h, nullptr, &a, VC_ARCHIVE_OPEN_READ) == 0 && a) {
        vcGetRevInfo(a, VC_REVISION_ITEM_STATE, "1.1", text, sizeof text);
        vcGetIdArchiveInfo(a, VC_ARCHIVE_ITEM_LOCKER, "1.1", text, sizeof text);
        if (compare && vcCheckOutRevision(a, "1.1", compareFile.c_str(), VC_CHECKOUT_EXPAND_KEYWORDS) == 0) {
          std::ifstream work(name, std::ios::binary), out(compareFile, std::ios::binary);
          same += std::string(std::istreambuf_iterator<char>(work), {}) ==
                  std::string(std::istreambuf_iterator<char>(out), {});
        }
      }
      if (a) vcCloseArchive(a);
    }
    vcCloseProject(h);
    if (compare && same != files) die("comparison of working files", same);
  };
  f.ownRead = measure([&] { ownRead(false); });
  f.ownCompare = measure([&] { ownRead(true); });
  if (withWindow) {
    const WindowFigures w = windowFill(dir, project);
    f.window = w.cpu - windowStart;
    f.firstWindow = w.firstCpu - windowStart;
    f.windowFirst = w.first;
  }

  print("ci (archives, synced)", f.ci, files);
  print("add+save", f.addSave, files);
  print("open", f.open, files);
  print("change", f.change, files);
  print("status", f.status, files);
  print("library's own read of rows", f.ownRead, files);
  print("  and comparisons", f.ownCompare, files);
  if (f.window >= 0) {
    std::printf("  %-30s cpu %9.3f s  %26s %7.1f us/member\n", "project window fill", f.window, "", f.window / files * 1e6);
    std::printf("  %-30s cpu %9.3f s  %26s %7.1f us/member\n", "  the first, with comparisons", f.firstWindow, "",
                f.firstWindow / files * 1e6);
  }
  if (f.windowFirst >= 0) std::printf("  %-30s wall %8.3f s\n", "project window first rows", f.windowFirst);
  if (withGit) {
    const std::string git = gitIn(dir);
    gitStatus = runs(count, [&] { shell(git + "status --porcelain >/dev/null"); }, true);
    gitLs = runs(count, [&] { shell(git + "ls-files >/dev/null"); }, true);
    gitEmpty = runs(count, [&] { shell(git + "commit -q --allow-empty -m x >/dev/null"); }, true);
    print("git add -A && git commit", gitAdd, files);
    print("git status", gitStatus, files);
    print("git ls-files", gitLs, files);
    print("git commit --allow-empty", gitEmpty, files);
    ratio("open / git status", f.open.cpu, gitStatus.cpu, 2);
    ratio("add+save / git add+commit", f.addSave.cpu, gitAdd.cpu, 3);
    ratio("change / git commit --allow-empty", f.change.cpu, gitEmpty.cpu, 2);
    ratio("status / git status", f.status.cpu, gitStatus.cpu, 2);
  }
  if (f.window >= 0) {
    ratio("window fill / own read", f.window, f.ownRead.cpu, 2);
    ratio("first fill / own read", f.firstWindow, f.ownRead.cpu, 2);
    ratio("first fill / own read and comparisons", f.firstWindow, f.ownCompare.cpu, 2);
  }
  return f;
}

// An archive of count trunk revisions: each revision changes the first line
// of a 20-line text; a label on every 500th revision.
std::string archiveText(int count) {
  std::string rest;
  for (int l = 2; l <= 20; ++l) rest += "line " + std::to_string(l) + "\n";
  return orv::test::longArchiveText(count, {}, rest);
}

// small holds the archive of one revision whose window is the start.
void runArchive(const fs::path& base, bool withWindow, const fs::path& small) {
  const fs::path dir = base / "history";
  fs::create_directories(dir / "rcs");
  const std::string archive = (dir / "rcs" / "h.c").string();
  writeFile(archive, archiveText(kRevisions));
  std::printf("\narchive of %d revisions (%ju bytes)\n", kRevisions, static_cast<std::uintmax_t>(fs::file_size(archive)));
  int rows = 0;
  // The library's own read of the rows; with whole, the archive is also
  // read whole so that its file can be closed, as the window does.
  auto ownRead = [&](bool whole) {
    int a = 0;
    if (int rc = vcOpenArchive(archive.c_str(), &a, VC_ARCHIVE_OPEN_READ)) die("vcOpenArchive", rc);
    if (whole && vcKeepClosed(a) != 0) die("vcKeepClosed", 1);
    char rev[64], text[256];
    rows = 0;
    for (int rc = vcGetArchiveInfo(a, VC_ARCHIVE_ITEM_FIRST_REVISION, rev, sizeof rev); rc == 0;
         rc = vcGetRevInfo(a, VC_REVISION_ITEM_NEXT, rev, rev, sizeof rev), ++rows) {
      vcGetRevInfo(a, VC_REVISION_ITEM_AUTHOR, rev, text, sizeof text);
      vcGetRevInfo(a, VC_REVISION_ITEM_DATE, rev, text, sizeof text);
      vcGetRevInfo(a, VC_REVISION_ITEM_STATE, rev, text, sizeof text);
      vcGetIdArchiveInfo(a, VC_ARCHIVE_ITEM_LOCKER, rev, text, sizeof text);
    }
    for (int n = 0; vcGetArchiveInfo(a, VC_ARCHIVE_ITEM_NEXT_LABEL, text, sizeof text) == 0 && n < 100000; ++n) {
    }
    vcCloseArchive(a);
  };
  // Rounds of the reads and the windows in turn, so that each figure sees
  // the machine as the others do; medians.
  constexpr int kRounds = 15;
  std::vector<Cost> ownRuns, wholeRuns;
  std::vector<double> windowRuns, firstRuns;
  for (int round = 0; round < kRounds; ++round) {
    ownRuns.push_back(measure([&] { ownRead(false); }));
    if (rows != kRevisions) die("revision walk", rows);
    wholeRuns.push_back(measure([&] { ownRead(true); }));
    if (withWindow) {
      // What the window costs before its rows, measured just before, with
      // the process as it is for the long history.
      const double start = windowFill(small, (small / "rcs" / "a.c").string(), 1).cpu;
      const WindowFigures w = windowFill(dir, archive, 1);
      windowRuns.push_back(w.cpu - start);
      firstRuns.push_back(w.first);
    }
  }
  const Cost own = median(ownRuns), whole = median(wholeRuns);
  print("library's own read of rows", own, 0);
  print("  and of the whole archive", whole, 0);
  if (withWindow) {
    std::sort(windowRuns.begin(), windowRuns.end());
    std::sort(firstRuns.begin(), firstRuns.end());
    const double window = windowRuns[windowRuns.size() / 2];
    std::printf("  %-30s cpu %9.3f s\n", "archive window fill", window);
    std::printf("  %-30s wall %8.3f s\n", "archive window first rows", firstRuns[firstRuns.size() / 2]);
    ratio("window fill / own read", window, own.cpu, 2);
    ratio("window fill / whole read", window, whole.cpu, 2);
  }
}

// Sandbox and project files of many options and members: open and close,
// time per entry.
void runOpens(const fs::path& base) {
  const fs::path dir = base / "opens";
  fs::create_directories(dir);
  const std::string master = (dir / "m.prj").string();
  writeFile(master, "--ORV Project--\n$Revision$\nEndOptions\n");
  std::printf("\nopen of sandbox and project files (median of 3, cpu)\n");
  std::printf("  %8s %12s %12s %12s %12s\n", "entries", "sandbox s", "us/option", "project s", "us/entry");
  for (int entries : {10000, 20000, 50000, 100000, 200000}) {
    std::string sandbox = "--ORV Project--Sandbox--\nmasterproject=" + master + "\n";
    for (int i = 0; i < entries; ++i) sandbox += "opt" + std::to_string(i) + "=value" + std::to_string(i) + "\n";
    const std::string sandboxPath = (dir / "s.sbx").string();
    writeFile(sandboxPath, sandbox);
    const Cost s = runs(3, [&] {
      int h = 0;
      if (int rc = vcOpenSandbox(sandboxPath.c_str(), VC_SANDBOX_OPEN_MODIFY, &h, 0)) die("vcOpenSandbox", rc);
      vcCloseSandbox(h);
    });
    // A project of as many members, in reverse member order, and a tenth as
    // many options.
    std::string project = "--ORV Project--\n$Revision$\n";
    for (int i = 0; i < entries / 10; ++i) project += "opt" + std::to_string(i) + "=value" + std::to_string(i) + "\n";
    project += "EndOptions\n";
    for (int i = entries - 1; i >= 0; --i) project += "$(projectdir)/" + fileName(i) + " a 1.1 \n";
    const std::string projectPath = (dir / "p.prj").string();
    writeFile(projectPath, project);
    const Cost p = runs(3, [&] {
      int h = 0;
      if (int rc = vcOpenProject(projectPath.c_str(), VC_PROJECT_OPEN_MODIFY, &h, 0)) die("vcOpenProject", rc);
      vcCloseProject(h);
    });
    const int projectEntries = entries + entries / 10;
    std::printf("  %8d %12.3f %12.2f %12.3f %12.2f\n", entries, s.cpu, s.cpu / entries * 1e6, p.cpu,
                p.cpu / projectEntries * 1e6);
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::vector<int> sizes{1000, 10000};
  bool withWindow = true, openOnly = false, archiveOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--sizes" && i + 1 < argc) {
      sizes.clear();
      std::stringstream list(argv[++i]);
      for (std::string n; std::getline(list, n, ',');) sizes.push_back(std::stoi(n));
    } else if (a == "--skip-window") {
      withWindow = false;
    } else if (a == "--open-only") {
      openOnly = true;
    } else if (a == "--archive-only") {
      archiveOnly = true;
      sizes.clear();
    } else {
      std::fprintf(stderr, "usage: %s [--sizes N,N,...] [--skip-window] [--open-only] [--archive-only]\n", argv[0]);
      return 2;
    }
  }
  const fs::path base = fs::temp_directory_path() / ("orv-scale-bench-" + std::to_string(::getpid()));
  fs::create_directories(base);
  ::setenv("ORV_KEL_LIBRARY", KEL_DOUBLE_PATH, 1);
  ::setenv("ORV_SETTINGS", base.c_str(), 1);
  if (int rc = vcAPIinit()) die("vcAPIinit", rc);

  if (!openOnly) {
    const bool withGit = haveGit();
    if (!withGit) std::printf("git not found: our figures only\n");
    // The workbench's start on a project of one member, and on an archive
    // of one revision: what a window costs before its rows.
    double projectStart = 0, archiveStart = 0;
    if (withWindow) {
      const fs::path small = base / "small";
      fs::create_directories(small / "rcs");
      writeFile(small / "a.c", "int a;\n");
      writeFile(small / "rcs" / "a.c", archiveText(1));
      writeFile(small / "p.prj", "--ORV Project--\n$Revision$\nEndOptions\n$(projectdir)/a.c a 1.1 \n");
      projectStart = windowFill(small, (small / "p.prj").string()).cpu;
      archiveStart = windowFill(small, (small / "rcs" / "a.c").string()).cpu;
      std::printf("workbench window on a project of one member: cpu %.3f s, on an archive of one revision: cpu %.3f s\n",
                  projectStart, archiveStart);
    }
    std::vector<SizeFigures> all;
    for (int files : sizes) all.push_back(runSize(base, files, withGit, withWindow, projectStart));
    if (all.size() > 1) {
      std::printf("\ncpu per member, largest size against smallest (target at most 1.5)\n");
      const SizeFigures& a = all.front();
      const SizeFigures& b = all.back();
      auto flat = [&](const char* what, double x, double y) {
        const double r = (y / b.files) / (x / a.files);
        std::printf("  %-14s %6.2f %s\n", what, r, r <= 1.5 ? "met" : "NOT met");
      };
      flat("add+save", a.addSave.cpu, b.addSave.cpu);
      flat("open", a.open.cpu, b.open.cpu);
      flat("change", a.change.cpu, b.change.cpu);
      flat("status", a.status.cpu, b.status.cpu);
      if (a.window > 0 && b.window > 0) flat("window fill", a.window, b.window);
    }
    runArchive(base, withWindow, base / "small");
  }
  if (!archiveOnly) runOpens(base);
  vcAPIcleanup();
  fs::remove_all(base);
  return 0;
}
