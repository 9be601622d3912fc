// The member walks (labels and states, update to head, unused locks) and
// resynchronisation, against the revision library on real projects,
// sandboxes and archives.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "workbench/testing/library_fixtures.h"
#include "workbench/project/member_location.h"
#include "workbench/project/member_rows.h"
#include "workbench/project/member_walks.h"
#include "workbench/project/open_project.h"
#include "workbench/app/progress_window.h"

namespace orv::workbench::project {
namespace {

using testing::ArchiveTest;
using testing::ProjectTest;

// A scripted Ui whose progress window's Cancel is pressed once the window
// has shown cancelAfter lines.
class CancellingUi : public ui::testing::ScriptedUi {
 public:
  void showProgress(const ui::ProgressView& view) override {
    ScriptedUi::showProgress(view);
    if (cancelAfter > 0 && !view.line.empty() && view.line != lastLine_) {
      lastLine_ = view.line;
      if (--cancelAfter == 0 && view.onCancel) view.onCancel();
    }
  }
  int cancelAfter = 0;

 private:
  std::string lastLine_;
};

class MemberWalkTest : public ProjectTest {
 protected:
  void recursionKey(const std::string& line) { dir.write("settings/ORVTY.INI", "[Recursion]\n" + line + "\n"); }

  static MemberRow row(const std::string& path, char type, const char* revision) {
    MemberRow r;
    r.name = path;
    r.type = type;
    if (revision) r.revision = revision;
    return r;
  }
  static std::string memberItem(int project, int item) {
    char buffer[600] = {};
    vcGetMember(project, item, buffer, sizeof buffer - 1);
    return buffer;
  }
  // The bytes of revision of name's archive, checked out by the library.
  std::string checkedOut(const std::string& name, const char* revision) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    const std::string target = work("co-" + name);
    ::unlink(target.c_str());
    EXPECT_EQ(vcCoRevision(h, revision, target.c_str()), 0);
    vcCloseArchive(h);
    return dir.read("co-" + name);
  }
  void lock(const std::string& name, const char* revision) {
    const int h = lockedHandle(name);
    ASSERT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, revision, "alice"), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
};

// A master project with a.c and the subproject sub.pj, which holds b.c.
class LabelWalkTest : public MemberWalkTest {
 protected:
  void SetUp() override {
    MemberWalkTest::SetUp();
    makeArchive("a.c", {"a1\n", "a2\n"});
    makeArchive("b.c", {"b1\n", "b2\n"});
    makeProject("sub.pj", {{"b.c", 'a', "1.2"}});
    makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"sub.pj", 'i', "1.1"}});
  }
};

TEST_F(LabelWalkTest, RecursionFollowsTheKeyOrTheRememberedAnswer) {
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  MemberRow sub = row(work("sub.pj"), 'i', "1.1");

  // No to All: the subproject is not entered, and not asked about again.
  ui.expectMessage("is a subproject. Do you want to recurse into it?", ui::kAnswerAbort);
  MemberWalk run;
  EXPECT_EQ(labelAndPromoteMembers(p, sub, false, run, "REL1", nullptr, true), 1);
  EXPECT_EQ(labelAndPromoteMembers(p, sub, false, run, "REL1", nullptr, true), 1);
  EXPECT_EQ(labelRevision("b.c", "REL1"), "");
  // recurse false never enters, even with a fresh run.
  run = {};
  EXPECT_EQ(labelAndPromoteMembers(p, sub, false, run, "REL1", nullptr, false), 1);
  EXPECT_EQ(labelRevision("b.c", "REL1"), "");

  // The key: no question, the subproject's members are labelled.
  recursionKey("RecurseOnLabel=yes");
  run = {};
  EXPECT_EQ(labelAndPromoteMembers(p, sub, false, run, "REL1", nullptr, true), 1);
  EXPECT_EQ(labelRevision("b.c", "REL1"), "1.2");
  // The label key says nothing about promotion: asked; Yes recurses.
  ui.expectMessage("is a subproject", ui::kAnswerYes);
  run = {};
  EXPECT_EQ(labelAndPromoteMembers(p, sub, false, run, nullptr, "Rel", true), 1);
  int h = 0;
  ASSERT_EQ(vcOpenArchive(archiveOf("b.c").c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
  MemberRow b = row(work("b.c"), 'a', "1.2");
  collectRevisionLabels(p, b, h);
  vcCloseArchive(h);
  EXPECT_EQ(b.state.value_or(""), "Rel");
  // Cancel stops the caller's loop.
  recursionKey("RecurseOnLabel=no");
  ui.expectMessage("is a subproject", ui::kAnswerCancel);
  run = {};
  EXPECT_EQ(labelAndPromoteMembers(p, sub, false, run, "REL2", nullptr, true), ui::kAnswerCancel);
  EXPECT_EQ(labelRevision("b.c", "REL2"), "");
}

TEST_F(LabelWalkTest, ALabelOnAnotherRevisionMovesOnlyWhenAllowed) {
  {
    const int h = lockedHandle("a.c");
    ASSERT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "OLD", "1.1"), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
  const std::string before = archiveBytes("a.c");
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  MemberRow a = row(work("a.c"), 'a', "1.2");
  a.labels = "X ";

  ui.expectMessage("Label OLD already assigned to revision 1.1.\nDo you want to move this label to 1.2?",
                   ui::kAnswerNo);
  MemberWalk run;
  EXPECT_EQ(labelAndPromoteMembers(p, a, false, run, "OLD", nullptr, true), ui::kAnswerNo);
  EXPECT_EQ(archiveBytes("a.c"), before);

  run = {};
  EXPECT_EQ(labelAndPromoteMembers(p, a, true, run, "OLD", nullptr, true), 1);
  EXPECT_EQ(labelRevision("a.c", "OLD"), "1.2");
  EXPECT_EQ(a.labels.value_or(""), "OLD X ");
  // Placing it again keeps the list as it is.
  EXPECT_EQ(labelAndPromoteMembers(p, a, true, run, "OLD", nullptr, true), 1);
  EXPECT_EQ(a.labels.value_or(""), "OLD X ");

  // Plain members pass; a member without revision, or a revision the
  // archive lacks, is refused with the box's answer.
  MemberRow plain = row(work("n.c"), 'f', nullptr);
  EXPECT_EQ(labelAndPromoteMembers(p, plain, true, run, "L", nullptr, true), 1);
  MemberRow bare = row(work("a.c"), 'a', nullptr);
  ui.expectMessage("because there is no revision associated", ui::kAnswerCancel);
  EXPECT_EQ(labelAndPromoteMembers(p, bare, true, run, "L", nullptr, true), ui::kAnswerCancel);
  MemberRow missing = row(work("a.c"), 'a', "1.9");
  ui.expectMessage("Revision 1.9 is not in archive", ui::kAnswerOk);
  EXPECT_EQ(labelAndPromoteMembers(p, missing, true, run, "L", nullptr, true), ui::kAnswerOk);
  EXPECT_EQ(labelRevision("a.c", "L"), "");
}

TEST_F(MemberWalkTest, UpdateToHeadSkipsFrozenMembers) {
  makeArchive("a.c", {"1\n", "2\n"});
  makeArchive("f.c", {"1\n", "2\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"f.c", 'a', "1.1"}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  ASSERT_EQ(vcInProject(p.project, work("f.c").c_str()), 0);
  ASSERT_EQ(vcSetMember(p.project, VC_MEMBER_ITEM_FREEZE, nullptr), 0);

  ASSERT_EQ(vcInProject(p.project, work("a.c").c_str()), 0);
  MemberWalk run;
  EXPECT_EQ(updateToHeadRevision(p, run), 1);
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_REVISION), "1.2");

  ASSERT_EQ(vcInProject(p.project, work("f.c").c_str()), 0);
  ui.expectMessage("is a frozen member. You cannot modify", ui::kAnswerOk);
  EXPECT_EQ(updateToHeadRevision(p, run), 0);
  EXPECT_EQ(memberItem(p.project, VC_MEMBER_ITEM_REVISION), "1.1");
  ui.expectMessage("is a frozen member", ui::kAnswerCancel);
  EXPECT_EQ(updateToHeadRevision(p, run), -1);
}

TEST_F(MemberWalkTest, UnusedLocksGoOnlyWhenTheWorkingFileIsUnchanged) {
  makeArchive("same.c", {"1\n", "2\n"});
  makeArchive("changed.c", {"1\n", "2\n"});
  makeArchive("gone.c", {"1\n", "2\n"});
  for (const char* n : {"same.c", "changed.c", "gone.c"}) lock(n, "1.2");
  dir.write("changed.c", "edited\n");
  ::unlink(work("gone.c").c_str());
  makeProject("p.pj", {{"same.c", 'a', "1.2"}, {"changed.c", 'a', "1.2"}, {"gone.c", 'a', "1.2"}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  ProgressWindow window(ui, "Removing Unused Locks", 3);

  const struct {
    const char* name;
    int result;
    bool lockGone;
  } cases[] = {{"same.c", 1, true}, {"changed.c", 0, false}, {"gone.c", 1, true}};
  MemberWalk run;
  for (const auto& c : cases) {
    ASSERT_EQ(vcInProject(p.project, work(c.name).c_str()), 0);
    MemberRow r = row(work(c.name), 'a', "1.2");
    EXPECT_EQ(removeUnusedLocks(p, r, run), c.result) << c.name;
    EXPECT_EQ(locks(c.name).empty(), c.lockGone) << c.name;
  }
  EXPECT_EQ(modeOf(work("same.c")), 0444u);
  EXPECT_EQ(modeOf(work("gone.c")), 0444u);
  EXPECT_EQ(dir.read("gone.c"), "2\n");
  EXPECT_EQ(dir.read("changed.c"), "edited\n");
  bool ignored = false;
  for (const auto& v : ui.progress) ignored |= v.line == work("changed.c") + " has changed, ignored.";
  EXPECT_TRUE(ignored);
}

// A master project and a sandbox of it in sb/.
class SandboxTest : public MemberWalkTest {
 protected:
  std::vector<std::string> memberNames(int project) {
    std::vector<std::string> names;
    char name[600] = {};
    for (int rc = vcGetMember(project, VC_MEMBER_ITEM_FIRST, name, sizeof name - 1); rc == 0;
         rc = vcGetMember(project, VC_MEMBER_ITEM_NEXT, name, sizeof name - 1))
      names.emplace_back(name);
    return names;
  }
  void makeSandbox() {
    ::mkdir(work("sb").c_str(), 0755);
    dir.write("sb/sb.pj", "--ORV Project--Sandbox--\nmasterproject=" + work("p.pj") + "\n");
  }
};

TEST_F(SandboxTest, PopulatingASandboxChecksOutEveryMember) {
  makeArchive("a.c", {"a1\n", "a2\n", "a3\n"});
  makeArchive("b.c", {"b1\n", "b2\n"});
  dir.write("n.c", "plain\n");
  makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"b.c", 'a', "1.1"}, {"n.c", 'f', nullptr}});
  makeSandbox();
  OpenProject sb(ui, work("sb/sb.pj").c_str(), 2);
  ASSERT_EQ(sb.status, 0);
  ASSERT_TRUE(sb.kind & kProjectKindSandbox);

  MemberWalk run;
  for (const std::string& name : memberNames(sb.project)) {
    EXPECT_EQ(resynchronizeMembers(sb, name, run, false, true), 0) << name;
  }
  EXPECT_EQ(dir.read("sb/a.c"), checkedOut("a.c", "1.2"));
  EXPECT_EQ(dir.read("sb/b.c"), checkedOut("b.c", "1.1"));
  EXPECT_EQ(dir.read("sb/n.c"), "plain\n");
  EXPECT_EQ(modeOf(work("sb/n.c")), 0444u);

  // Again: a writable working file is asked about; No to All keeps it.
  ::chmod(work("sb/a.c").c_str(), 0644);
  dir.write("sb/a.c", "mine\n");
  ::chmod(work("sb/b.c").c_str(), 0644);
  dir.write("sb/b.c", "mine too\n");
  ui.expectMessage("Writable work file " + work("sb/a.c"), ui::kAnswerAbort);
  run = {};
  for (const std::string& name : memberNames(sb.project)) {
    EXPECT_EQ(resynchronizeMembers(sb, name, run, false, true), 0) << name;
  }
  EXPECT_EQ(dir.read("sb/a.c"), "mine\n");
  EXPECT_EQ(dir.read("sb/b.c"), "mine too\n");
}

TEST_F(SandboxTest, AMemberLockedByTheUserAtItsRevisionStaysWritable) {
  makeArchive("a.c", {"a1\n", "a2\n"});
  makeArchive("b.c", {"b1\n", "b2\n"});
  lock("a.c", "1.2");
  lock("b.c", "1.1");
  makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"b.c", 'a', "1.2"}});
  makeSandbox();
  OpenProject sb(ui, work("sb/sb.pj").c_str(), 2);
  ASSERT_EQ(sb.status, 0);
  MemberWalk run;
  EXPECT_EQ(resynchronizeMembers(sb, work("a.c"), run, false, true), 0);
  EXPECT_EQ(resynchronizeMembers(sb, work("b.c"), run, false, true), 0);
  EXPECT_EQ(dir.read("sb/a.c"), "a2\n");
  EXPECT_TRUE(modeOf(work("sb/a.c")) & 0200);
  // A lock on another revision does not count.
  EXPECT_EQ(dir.read("sb/b.c"), "b2\n");
}

class RefusedCheckOutTest : public SandboxTest {
 protected:
  void beforeStart() override { kel.refuse("CheckOut"); }
};

TEST_F(RefusedCheckOutTest, ARefusedCheckOutRestoresReadOnly) {
  makeArchive("a.c", {"a1\n", "a2\n"});
  makeArchive("b.c", {"b1\n", "b2\n"});
  makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"b.c", 'a', "1.2"}});
  makeSandbox();
  dir.write("sb/b.c", "old\n");
  ::chmod(work("sb/b.c").c_str(), 0444);
  OpenProject sb(ui, work("sb/sb.pj").c_str(), 2);
  ASSERT_EQ(sb.status, 0);
  ui.expectMessage("You do not have permission to check out revisions", ui::kAnswerNo);
  MemberWalk run;
  EXPECT_EQ(resynchronizeMembers(sb, work("b.c"), run, false, true), 0);
  EXPECT_EQ(dir.read("sb/b.c"), "old\n");
  EXPECT_EQ(modeOf(work("sb/b.c")), 0444u);
  // The No is remembered for the rest of the run.
  EXPECT_EQ(resynchronizeMembers(sb, work("a.c"), run, false, true), 0);
  EXPECT_NE(::access(work("sb/a.c").c_str(), F_OK), 0);
}

TEST_F(SandboxTest, ASubprojectSandboxNeedsItsDirectory) {
  dir.write("blocker", "a file, not a directory\n");
  OpenProject p(ui, nullptr);
  ui.expectMessage("Could not create directory " + work("blocker"), ui::kAnswerOk);
  EXPECT_EQ(createSubprojectSandbox(p, work("blocker/sub.pj"), VC_SANDBOX_OPEN_CREATE, work("sub.pj"), nullptr),
            VC_E_NOT_SANDBOX_FILE);

  makeProject("sub.pj", {});
  OpenProject master(ui, nullptr);
  EXPECT_EQ(createSubprojectSandbox(master, work("made/deep/sub.pj"), VC_SANDBOX_OPEN_CREATE, work("sub.pj"), nullptr),
            0);
  EXPECT_NE(dir.read("made/deep/sub.pj").find("masterproject=" + work("sub.pj")), std::string::npos);
}

TEST_F(SandboxTest, AThousandsOfMembersRunReportsProgressAndStopsOnCancel) {
  constexpr int kMembers = 2000;
  const std::string path = work("p.pj");
  {
    int h = 0;
    ASSERT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_CREATE, &h, 0), 0);
    for (int i = 0; i < kMembers; ++i) {
      const std::string name = "m" + std::to_string(i) + ".c";
      dir.write(name, name + "\n");
      ASSERT_EQ(vcAddMember(h, 'f', work(name).c_str(), nullptr, nullptr), 0);
    }
    ASSERT_EQ(vcSaveProject(h), 0);
    vcCloseProject(h);
  }
  makeSandbox();
  CancellingUi cancelling;
  cancelling.cancelAfter = 700;
  OpenProject sb(cancelling, work("sb/sb.pj").c_str(), 2);
  ASSERT_EQ(sb.status, 0);
  const std::vector<std::string> names = memberNames(sb.project);
  ASSERT_EQ(names.size(), static_cast<std::size_t>(kMembers));
  int done = 0;
  {
    ProgressWindow window(cancelling, "Resynchronizing...", kMembers);
    MemberWalk run;
    for (const std::string& name : names) {
      const int rc = resynchronizeMembers(sb, name, run, false, false);
      if (rc == -1) break;
      ++done;
    }
  }
  EXPECT_GT(done, 600);
  EXPECT_LT(done, kMembers);
  int copied = 0;
  for (int i = 0; i < kMembers; ++i) {
    const std::string name = "m" + std::to_string(i) + ".c";
    if (::access(work("sb/" + name).c_str(), F_OK) == 0) {
      ++copied;
      EXPECT_EQ(dir.read("sb/" + name), name + "\n");
    }
  }
  EXPECT_EQ(copied, done);
}

TEST_F(MemberWalkTest, ACancelledLabelWalkLeavesTheRestUntouched) {
  constexpr int kArchives = 40;
  std::vector<Member> members;
  for (int i = 0; i < kArchives; ++i) {
    const std::string name = "m" + std::to_string(i) + ".c";
    makeArchive(name, {"1\n"});
    members.push_back({name, 'a', "1.1"});
  }
  makeProject("p.pj", members);
  std::vector<std::string> before;
  for (const Member& m : members) before.push_back(archiveBytes(m.name));
  CancellingUi cancelling;
  cancelling.cancelAfter = 15;
  OpenProject p(cancelling, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  int labelled = 0;
  {
    ProgressWindow window(cancelling, "Labelling...", kArchives);
    MemberWalk run;
    for (int i = 0; i < kArchives; ++i) {
      ASSERT_EQ(vcInProject(p.project, work(members[static_cast<std::size_t>(i)].name).c_str()), 0);
      MemberRow r = row(work(members[static_cast<std::size_t>(i)].name), 'a', "1.1");
      if (labelAndPromoteMembers(p, r, false, run, "REL", nullptr, true) != 1) break;
      ++labelled;
    }
  }
  EXPECT_EQ(labelled, 15);  // the member whose line saw Cancel is finished
  for (int i = 0; i < kArchives; ++i) {
    const std::string& name = members[static_cast<std::size_t>(i)].name;
    if (i < labelled) {
      EXPECT_EQ(labelRevision(name, "REL"), "1.1") << name;
    } else {
      EXPECT_EQ(archiveBytes(name), before[static_cast<std::size_t>(i)]) << name;
    }
  }
}

TEST_F(MemberWalkTest, ARunStoppedInsideASubprojectIsBackAtTheTopAndTheNextRunAsksAgain) {
  makeArchive("a.c", {"a1\n"});
  makeArchive("b.c", {"b1\n"});
  makeProject("sub.pj", {{"b.c", 'a', "1.9"}});
  makeProject("p.pj", {{"a.c", 'a', "1.1"}, {"sub.pj", 'i', "1.1"}});
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  for (int i = 0; i < 2; ++i) {
    MemberWalk run;
    MemberRow sub = row(work("sub.pj"), 'i', "1.1");
    ui.expectMessage("is a subproject", ui::kAnswerOk);  // Yes to All
    ui.expectMessage("Revision 1.9 is not in archive", ui::kAnswerCancel);
    EXPECT_EQ(labelAndPromoteMembers(p, sub, false, run, "REL", nullptr, true), ui::kAnswerCancel) << i;
    EXPECT_EQ(run.depth, 0) << i;
    // The run goes on at the top: the row lists its new label.
    ASSERT_EQ(vcInProject(p.project, work("a.c").c_str()), 0);
    MemberRow a = row(work("a.c"), 'a', "1.1");
    EXPECT_EQ(labelAndPromoteMembers(p, a, false, run, "REL", nullptr, true), 1) << i;
    EXPECT_EQ(a.labels.value_or(""), "REL ") << i;
  }
}

TEST_F(SandboxTest, APlainProjectsSubprojectFileIsOverwrittenOnlyWhenFrozen) {
  makeProject("sub.pj", {});
  {
    int h = 0;
    char found[513] = {};
    ASSERT_EQ(vcFindArchiveName(work("sub.pj").c_str(), found, sizeof found, &h,
                                VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE),
              0);
    char rev[64] = {};
    ASSERT_EQ(vcCiRevision(h, "", work("sub.pj").c_str(), 0, rev, sizeof rev), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }
  makeProject("p.pj", {{"sub.pj", 'i', "1.1"}});
  const std::string mine = dir.read("sub.pj") + "# edited\n";
  dir.write("sub.pj", mine);
  ::chmod(work("sub.pj").c_str(), 0444);
  recursionKey("RecurseOnResynchronize=no");
  OpenProject p(ui, work("p.pj").c_str(), 1);
  ASSERT_EQ(p.status, 0);
  // Neither historical nor frozen: left alone (the recursion is declined).
  ui.expectMessage("is a subproject", ui::kAnswerAbort);
  MemberWalk run;
  EXPECT_EQ(resynchronizeMembers(p, work("sub.pj"), run, false, false), 0);
  EXPECT_EQ(dir.read("sub.pj"), mine);
  // Frozen: asked first; No keeps it.
  p.frozen = true;
  ui.expectMessage("Do you wish to overwrite the subproject", ui::kAnswerNo);
  run = {};
  EXPECT_EQ(resynchronizeMembers(p, work("sub.pj"), run, false, false), 0);
  EXPECT_EQ(dir.read("sub.pj"), mine);
  ui.expectMessage("Do you wish to overwrite the subproject", ui::kAnswerYes);
  ui.expectMessage("is a subproject", ui::kAnswerAbort);
  run = {};
  EXPECT_EQ(resynchronizeMembers(p, work("sub.pj"), run, false, false), 0);
  EXPECT_EQ(dir.read("sub.pj"), checkedOut("sub.pj", "1.1"));
}

}  // namespace
}  // namespace orv::workbench::project
