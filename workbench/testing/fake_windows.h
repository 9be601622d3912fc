// Document windows for tests of the menu commands: archive and project
// windows over real OpenArchive and OpenProject objects, whose selections
// the test sets, and a registry that records what it was asked to build.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "workbench/app/message_styles.h"
#include "workbench/commands/document_windows.h"
#include "workbench/testing/fake_member_view.h"

namespace orv::workbench::testing {

// The fakes stand in for the core's interfaces, whose names they use
// unqualified.
using namespace commands;

class FakeRegistry;

class FakeArchiveWindow : public ArchiveWindow {
 public:
  FakeArchiveWindow(FakeRegistry& registry, ui::Ui& ui, const std::string& name, int project = 0)
      : registry_(registry), name_(name), archive_(ui, name, 1, project) {}
  std::string name() const override { return name_; }
  void raise() override { ++raises; }
  inline void close() override;
  OpenArchive& archive() override { return archive_; }
  std::vector<RevisionRow> selectedRows() override { return rows; }
  bool listForm() const override { return list; }
  bool refreshRevisions() override {
    ++refreshes;
    return true;
  }
  void reselectRevision(const std::string& revision) override { reselected.push_back(revision); }

  std::vector<RevisionRow> rows;
  bool list = true;
  int raises = 0;
  int refreshes = 0;
  std::vector<std::string> reselected;

 private:
  FakeRegistry& registry_;
  std::string name_;
  OpenArchive archive_;
};

class FakeProjectWindow : public ProjectWindow {
 public:
  FakeProjectWindow(FakeRegistry& registry, ui::Ui& ui, const ProjectWindowRequest& request)
      : registry_(registry), name_(request.name),
        project_(ui, request.name.c_str(), request.createNew ? 7 : 1,
                 request.revision ? request.revision->c_str() : nullptr, request.frozenRequested,
                 request.historical),
        view(project_), operations_(project_, view, {}) {}
  std::string name() const override { return name_; }
  void raise() override { ++raises; }
  inline void close() override;
  OpenProject& project() override { return project_; }
  std::vector<int> selection(bool warn) override {
    if (warn && rows.empty()) showText(project_.ui(), ui::MessageIcon::warning, "No lines selected.");
    return rows;
  }
  MemberView& members() override { return view; }
  ProjectMemberOperations& memberOperations() override { return operations_; }
  void reloadMembers() override {
    ++reloads;
    view.reload();
  }
  void selectRows(const std::vector<int>& selected) override { rows = selected; }

  std::vector<int> rows;
  int raises = 0;
  int reloads = 0;

 private:
  FakeRegistry& registry_;
  std::string name_;
  OpenProject project_;

 public:
  FakeView view;

 private:
  ProjectMemberOperations operations_;
};

class FakeRegistry : public WindowRegistry {
 public:
  explicit FakeRegistry(ui::Ui& ui) : ui_(ui) {}

  DocumentWindow* activeChild() override { return active; }
  std::vector<DocumentWindow*> children() override {
    std::vector<DocumentWindow*> out;
    for (auto& w : windows) out.push_back(w.get());
    return out;
  }
  bool buildArchiveWindow(const std::string& name, bool remember) override {
    archiveBuilds.push_back({name, remember});
    if (failBuilds) return false;
    return add(std::make_unique<FakeArchiveWindow>(*this, ui_, name));
  }
  bool buildMemberArchiveWindow(const std::string& member, OpenProject& project) override {
    memberBuilds.push_back(member);
    if (failBuilds) return false;
    return add(std::make_unique<FakeArchiveWindow>(*this, ui_, member, project.project));
  }
  bool buildProjectWindow(const ProjectWindowRequest& request) override {
    projectBuilds.push_back(request);
    if (failBuilds) return false;
    return add(std::make_unique<FakeProjectWindow>(*this, ui_, request));
  }

  FakeArchiveWindow& openArchive(const std::string& name) {
    auto w = std::make_unique<FakeArchiveWindow>(*this, ui_, name);
    EXPECT_EQ(w->archive().status(), 0) << name;
    auto& ref = *w;
    windows.push_back(std::move(w));
    active = &ref;
    return ref;
  }
  FakeProjectWindow& openProject(const std::string& name, bool historical = false) {
    ProjectWindowRequest request;
    request.name = name;
    request.historical = historical;
    auto w = std::make_unique<FakeProjectWindow>(*this, ui_, request);
    EXPECT_EQ(w->project().status, 0) << name;
    auto& ref = *w;
    windows.push_back(std::move(w));
    active = &ref;
    return ref;
  }

  void remove(DocumentWindow* window) {
    closed.push_back(window->name());
    if (active == window) active = nullptr;
    auto it = std::find_if(windows.begin(), windows.end(), [&](auto& w) { return w.get() == window; });
    if (it != windows.end()) windows.erase(it);
    if (!active && !windows.empty()) active = windows.back().get();
  }

  struct ArchiveBuild {
    std::string name;
    bool remember;
  };
  std::vector<std::unique_ptr<DocumentWindow>> windows;
  DocumentWindow* active = nullptr;
  std::vector<ArchiveBuild> archiveBuilds;
  std::vector<std::string> memberBuilds;
  std::vector<ProjectWindowRequest> projectBuilds;
  std::vector<std::string> closed;
  bool failBuilds = false;

 private:
  // A built window shows when its object opened; else the failure is shown
  // and the window goes.
  template <class W>
  bool add(std::unique_ptr<W> window) {
    const bool opened = opensWithoutError(*window);
    if (!opened) return false;
    active = window.get();
    windows.push_back(std::move(window));
    return true;
  }
  static bool opensWithoutError(FakeArchiveWindow& w) {
    if (w.archive().status() == 0) return true;
    w.archive().showError(kStyleError);
    return false;
  }
  static bool opensWithoutError(FakeProjectWindow& w) {
    if (w.project().status == 0) return true;
    w.project().showError(kStyleError);
    return false;
  }

  ui::Ui& ui_;
};

void FakeArchiveWindow::close() { registry_.remove(this); }
void FakeProjectWindow::close() { registry_.remove(this); }

// The library's current project (item 81) or archive (82) handle.
inline int currentLibraryHandle(int item) {
  int value = 0;
  char buffer[sizeof value] = {};
  if (vcGetSysInfo(item, buffer, sizeof buffer) != 0) return 0;
  std::memcpy(&value, buffer, sizeof value);
  return value;
}

}  // namespace orv::workbench::testing
