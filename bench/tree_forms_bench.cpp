// The archive and project windows' views in both forms on large inputs,
// offscreen: an archive of 10,000 revisions (a trunk of 5,000 and 200
// branches of 25, 400 labels) and a project of 10,000 members in 100
// folders.
//
// Set-up (not measured): the archive is written as text and the project
// file as its lines, with the members' working files on disk.
//
// Measured, every figure the median of its runs, wall-clock on the main
// thread:
//   library      the library's own read of what the rows hold: the
//                archive opened and every revision's author, date, state
//                and locker read with the labels walked once; the project
//                opened and every member's name, type, revision and
//                working-file change read;
//   first rows   from the view's creation (archive or project already
//                open) until its first painted rows;
//   whole        until every row is in the view's model.
// Targets: first rows within 100 ms, whole within twice the library.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/qt/qt_ui.h"
#include "vc/include/vc.h"
#include "workbench/archive/open_archive.h"
#include "workbench/project/open_project.h"
#include "workbench/views/qt/member_list_view.h"
#include "workbench/views/qt/member_tree_view.h"
#include "workbench/views/qt/revision_list_view.h"
#include "workbench/views/qt/revision_tree_view.h"

namespace {

namespace fs = std::filesystem;
using namespace orv::workbench;

constexpr int kTrunk = 5000;
constexpr int kBranches = 200;
constexpr int kPerBranch = 25;
constexpr int kLabels = 400;
constexpr int kFolders = 100;
constexpr int kPerFolder = 100;
constexpr int kRuns = 5;

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

std::string date(int n) {
  // One revision a minute from 2001/01/01.
  const int minute = n % 60, hour = (n / 60) % 24, day = n / 1440;
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d.%02d.%02d.%02d.%02d.00", 2001 + day / 336, 1 + (day / 28) % 12,
                1 + day % 28, hour, minute);
  return buffer;
}

// The archive as text: every revision holds the same text, so each delta
// is empty; branch i starts at trunk revision 1.(10 + 20 i).
void makeArchive(const fs::path& file) {
  std::string admin = "head 1." + std::to_string(kTrunk) + ";\naccess ;\nsymbols";
  for (int l = 0; l < kLabels; ++l) admin += "\n\tREL" + std::to_string(l) + ":1." + std::to_string(1 + l * 10);
  admin += ";\nlocks ;\ncomment @# @;\n\n";
  std::string deltas;
  std::vector<std::vector<int>> branchesAt(kTrunk + 1);
  for (int b = 0; b < kBranches; ++b) branchesAt[10 + 20 * b].push_back(b);
  int stamp = 0;
  for (int r = kTrunk; r >= 1; --r) {
    const std::string number = "1." + std::to_string(r);
    admin += "\n" + number + "\ndate " + date(r * 2) + "; author alice; state Exp;\nbranches";
    if (!branchesAt[r].empty()) admin += " 1." + std::to_string(r) + ".1.1";
    admin += ";\nnext " + (r > 1 ? "1." + std::to_string(r - 1) : std::string()) + ";\n";
    deltas += "\n\n" + number + "\nlog\n@revision " + number + "\n@\ntext\n@" + (r == kTrunk ? "one line\n" : "") + "@\n";
  }
  for (int r = 1; r <= kTrunk; ++r)
    for (std::size_t b = 0; b < branchesAt[r].size(); ++b) {
      for (int k = 1; k <= kPerBranch; ++k) {
        const std::string number = "1." + std::to_string(r) + ".1." + std::to_string(k);
        admin += "\n" + number + "\ndate " + date(r * 2 + 1 + ++stamp % 2) + "; author bob; state Exp;\nbranches ;\nnext " +
                 (k < kPerBranch ? "1." + std::to_string(r) + ".1." + std::to_string(k + 1) : std::string()) + ";\n";
        deltas += "\n\n" + number + "\nlog\n@branch " + number + "\n@\ntext\n@@\n";
      }
    }
  writeFile(file, admin + "\n\ndesc\n@A large archive.\n@\n" + deltas);
}

void makeProject(const fs::path& dir) {
  std::string project = "--ORV Project--\n$Revision$\nEndOptions\n";
  for (int f = 0; f < kFolders; ++f) {
    const std::string folder = "d" + std::to_string(100 + f);
    fs::create_directories(dir / folder);
    for (int i = 0; i < kPerFolder; ++i) {
      const std::string name = "f" + std::to_string(1000 + i) + ".c";
      writeFile(dir / folder / name, "int x;\n");
      project += "$(projectdir)/" + folder + "/" + name + " f  \n";
    }
  }
  writeFile(dir / "p.prj", project);
}

double libraryArchiveRead(const std::string& path) {
  QElapsedTimer clock;
  clock.start();
  int h = 0;
  if (int rc = vcOpenArchive(path.c_str(), &h, VC_ARCHIVE_OPEN_READ)) die("vcOpenArchive", rc);
  char entry[1024];
  int labels = 0;
  while (vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_NEXT_LABEL, entry, sizeof entry) == 0) ++labels;
  char revision[64] = {}, text[200];
  int count = 0;
  for (int rc = vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_FIRST_REVISION, revision, sizeof revision); rc == 0;
       rc = vcGetRevInfo(h, VC_REVISION_ITEM_NEXT, revision, revision, sizeof revision)) {
    for (int item : {27, 30, 34}) vcGetRevInfo(h, item, revision, text, sizeof text);
    vcGetIdArchiveInfo(h, VC_ARCHIVE_ITEM_LOCKER, revision, text, sizeof text);
    ++count;
  }
  vcCloseArchive(h);
  if (count != kTrunk + kBranches * kPerBranch || labels != kLabels) die("archive walk", count);
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double libraryProjectRead(const std::string& path) {
  QElapsedTimer clock;
  clock.start();
  int h = 0;
  if (int rc = vcOpenProject(path.c_str(), 0, &h, 0)) die("vcOpenProject", rc);
  char name[513], text[513];
  int count = 0;
  for (int rc = vcGetMember(h, VC_MEMBER_ITEM_FIRST, name, 512); rc == 0; rc = vcGetMember(h, VC_MEMBER_ITEM_NEXT, name, 512)) {
    vcMemberWorkName(h, nullptr, nullptr, text, 512);
    vcGetMember(h, 101, text, 512);
    vcGetMember(h, 102, text, 512);
    vcMemberWorkChanges(h, nullptr, nullptr);
    ++count;
  }
  vcCloseProject(h);
  if (count != kFolders * kPerFolder) die("member walk", count);
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Catches the first paint of a view's rows.
class FirstPaint : public QObject {
 public:
  FirstPaint(QTreeView& view, QElapsedTimer& clock) : view_(view), clock_(clock) {
    view.viewport()->installEventFilter(this);
  }
  double at = -1;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (at < 0 && event->type() == QEvent::Paint && view_.model() && view_.model()->rowCount() > 0)
      at = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    return false;
  }

 private:
  QTreeView& view_;
  QElapsedTimer& clock_;
};

struct Figures {
  std::vector<double> first, whole;
};

// Shows view, made by make, and runs the event loop until fed says every
// row is in and the first rows were painted.
template <class Make, class Fed>
void measure(Figures& figures, Make make, Fed fed) {
  QElapsedTimer clock;
  clock.start();
  QTreeView* view = make();
  FirstPaint paint(*view, clock);
  view->resize(900, 600);
  view->show();
  double whole = fed(view) ? static_cast<double>(clock.nsecsElapsed()) / 1e6 : -1;
  while (paint.at < 0 || whole < 0) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (whole < 0 && fed(view)) whole = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (clock.elapsed() > 600000) die("waiting for the view", 0);
  }
  figures.first.push_back(paint.at);
  figures.whole.push_back(whole);
  delete view;
}

void report(const char* what, const Figures& f, double library) {
  const double first = median(f.first), whole = median(f.whole);
  std::printf("%-26s first rows %9.1f ms   whole %9.1f ms   library %9.1f ms   whole/library %5.2f   %s\n", what, first,
              whole, library, whole / library, first <= 100 && whole <= 2 * library ? "on target" : "OFF TARGET");
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const fs::path dir = fs::temp_directory_path() / ("orv-treebench-" + std::to_string(::getpid()));
  fs::create_directories(dir / "rcs");
  ::setenv("ORV_KEL_LIBRARY", KEL_DOUBLE_PATH, 1);
  ::setenv("ORV_SETTINGS", dir.c_str(), 1);
  if (int rc = vcAPIinit()) die("vcAPIinit", rc);
  vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
  const std::string archivePath = (dir / "rcs" / "big.c,v").string();
  makeArchive(archivePath);
  writeFile(dir / "big.c", "one line\n");
  makeProject(dir);
  const std::string projectPath = (dir / "p.prj").string();
  const std::string ini = (dir / "ORVTY.INI").string();
  orv::ui::qt::QtUi ui;

  std::vector<double> archiveLibrary, projectLibrary;
  Figures archiveList, archiveTree, projectList, projectTree;
  for (int run = 0; run < kRuns; ++run) {
    archiveLibrary.push_back(libraryArchiveRead(archivePath));
    projectLibrary.push_back(libraryProjectRead(projectPath));

    archive::OpenArchive archive(ui, archivePath, 1);
    if (archive.status() != 0) die("OpenArchive", archive.status());
    measure(archiveList, [&] {
      auto* view = new views::RevisionListView(archive, ini);
      view->fill(false);
      return view;
    }, [](QTreeView* view) { return static_cast<views::RevisionListView*>(view)->filled(); });
    measure(archiveTree, [&] {
      auto* view = new views::RevisionTreeView(archive, ini);
      view->fill(false);
      return view;
    }, [](QTreeView* view) { return static_cast<views::RevisionTreeView*>(view)->filled(); });
    if (archive.revisionCount != kTrunk + kBranches * kPerBranch) die("tree rows", archive.revisionCount);

    project::OpenProject project(ui, projectPath.c_str());
    if (project.status != 0) die("OpenProject", project.status);
    measure(projectList, [&] {
      auto* view = new views::MemberListView(project, ini);
      view->fill(false);
      return view;
    }, [](QTreeView* view) { return static_cast<views::MemberListView*>(view)->filled(); });
    if (project.memberCount != kFolders * kPerFolder) die("list member rows", static_cast<int>(project.memberCount));
    measure(projectTree, [&] {
      auto* view = new views::MemberTreeView(project, ini);
      view->fill(false);
      return view;
    }, [](QTreeView* view) {
      auto* tree = static_cast<views::MemberTreeView*>(view);
      return tree->filled();
    });
    if (project.memberCount != kFolders * kPerFolder) die("member rows", static_cast<int>(project.memberCount));
  }
  std::printf("archive: %d revisions (%d branches), %d labels; project: %d members; medians of %d runs\n",
              kTrunk + kBranches * kPerBranch, kBranches, kLabels, kFolders * kPerFolder, kRuns);
  report("archive window, list form", archiveList, median(archiveLibrary));
  report("archive window, tree form", archiveTree, median(archiveLibrary));
  report("project window, list form", projectList, median(projectLibrary));
  report("project window, tree form", projectTree, median(projectLibrary));
  vcAPIcleanup();
  fs::remove_all(dir);
  return 0;
}
