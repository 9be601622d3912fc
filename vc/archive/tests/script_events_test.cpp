// Events: permission gates, the autoaction pair that names the block, the
// temporary options a block sees, the pre-event rule and project events.
#include "vc/error_codes.h"
#include "vc/archive/event_sources.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_script.h"
#include "vc/config/option_state.h"

#include <set>

using namespace script_test;

namespace {

std::set<std::string> g_denied;
std::string g_lockStates;
std::string g_revisionState;
vc::VcOptionList g_archiveList;
vc::VcOptionList g_projectLists[3];

bool deniedBridge(vc::VcInstance&, const char* permission) { return !g_denied.count(permission); }
std::string valueBridge(vc::VcInstance&, const char* permission) {
  return std::string(permission) == "lockstates" ? g_lockStates : "";
}

int fakeArchive(vc::VcInstance&, int handle, vc::EventArchive& out) {
  if (handle == 5) {
    out.name = "/arch/foo.c,v";
    out.options = &g_archiveList;
    return 0;
  }
  return handle == 6 ? 203 : 7;  // 6: an archive that is not usable
}
std::string fakeState(vc::VcInstance&, int, const char*) { return g_revisionState; }

bool fakeProject(int handle, vc::EventProject& out) {
  if (handle != 3) return false;
  out.instance = vc::currentInstance();
  out.name = "/proj/main.pj";
  out.sandbox = true;
  out.sandboxName = "/work/main.sbx";
  for (int i = 0; i < 3; ++i) out.lists[i] = &g_projectLists[i];
  return true;
}

struct EventTest : ScriptTest {
  void SetUp() override {
    ScriptTest::SetUp();
    g_denied.clear();
    g_lockStates.clear();
    g_revisionState.clear();
    g_archiveList.clear();
    for (auto& l : g_projectLists) l.clear();
    vc::permissionBridge() = vc::PermissionBridge{deniedBridge, valueBridge};
    vc::eventSources().archive = fakeArchive;
    vc::eventSources().revisionState = fakeState;
    vc::eventSources().project = fakeProject;
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vc::resetEventSources();
    ScriptTest::TearDown();
  }
};

struct GateCase {
  const char* event;
  const char* permission;
  int refusal;
};
void PrintTo(const GateCase& c, std::ostream* os) { *os << c.event; }

const GateCase kGates[] = {
    {"precheckin", "checkin", 241},   {"PreCheckOut", "checkout", 242},
    {"prelock", "lock", 238},         {"preaddlabel", "addlabel", 236},
    {"predroplabel", "deletelabel", 237},
};

class PermissionGates : public EventTest, public ::testing::WithParamInterface<GateCase> {};

TEST_P(PermissionGates, RefuseBeforeAnyBlockRuns) {
  ASSERT_EQ(run(std::string("autoaction ") + GetParam().event + "=blk\nblock blk\necho ran\nend"), 0);
  EXPECT_EQ(vcArchiveEvent(5, GetParam().event, "1.1"), 0);
  g_denied.insert(GetParam().permission);
  EXPECT_EQ(vcArchiveEvent(5, GetParam().event, "1.1"), GetParam().refusal);
  EXPECT_EQ(vcExtraError(), 0);
  EXPECT_EQ(texts(0), std::vector<std::string>{"ran"});
}

INSTANTIATE_TEST_SUITE_P(Events, PermissionGates, ::testing::ValuesIn(kGates));

TEST_F(EventTest, PrelockChecksTheRevisionStateAgainstLockStates) {
  ASSERT_EQ(run("autoaction prelock=blk\nblock blk\necho locking $(revision)\nend"), 0);
  g_lockStates = "Exp, Rel\tStab";
  g_revisionState = "Prod";
  EXPECT_EQ(vcArchiveEvent(5, "prelock", "1.2"), vc::err::kDenyLockAtState);
  g_revisionState = "rel";
  EXPECT_EQ(vcArchiveEvent(5, "prelock", "1.2"), 0);
  g_lockStates.clear();
  g_revisionState = "Prod";
  EXPECT_EQ(vcArchiveEvent(5, "prelock", "1.2"), 0);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"locking 1.2", "locking 1.2"}));
}

TEST_F(EventTest, BadOrUnusableArchivesAnswerTheirCodes) {
  EXPECT_EQ(vcArchiveEvent(9, "checkin", nullptr), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcArchiveEvent(6, "checkin", nullptr), vc::err::kCannotOpenArchive);
  EXPECT_EQ(vcArchiveEvent(0, "checkin", nullptr), vc::err::kUnknownOption);  // no autoaction pair
}

TEST_F(EventTest, TheBlockSeesTemporaryOptionsAndTheUsersOwnOptionsSurvive) {
  ASSERT_EQ(run("archive=mine\nrevision=r0\nlater=1\n"
                "autoaction checkin=onci\n"
                "block onci\necho $(event) $(archive) [$(revision)] [$(projectname)] [$(sandbox)]\nend"),
            0);
  const std::vector<std::string> before = [] {
    std::vector<std::string> names;
    for (const auto& o : optionsOf(inst()).local.options) names.push_back(o.name + "=" + o.value.value_or(""));
    return names;
  }();
  EXPECT_EQ(vcArchiveEvent(5, "checkin", "1.4"), 0);
  EXPECT_EQ(vcArchiveEvent(0, "checkin", ""), 0);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"checkin /arch/foo.c,v [1.4] [] []",
                                                "checkin mine [r0] [] []"}));
  std::vector<std::string> after;
  for (const auto& o : optionsOf(inst()).local.options) after.push_back(o.name + "=" + o.value.value_or(""));
  EXPECT_EQ(after, before);
  EXPECT_EQ(optionsOf(inst()).local.find("event"), nullptr);
}

TEST_F(EventTest, AutoactionPairsAreMatchedExactlyAndMayNotBeEmpty) {
  ASSERT_EQ(run("autoaction CheckIn=blk\nautoaction checkout=\nblock blk\necho ran\nend"), 0);
  EXPECT_EQ(vcArchiveEvent(5, "checkin", nullptr), vc::err::kUnknownOption);
  EXPECT_EQ(vcArchiveEvent(5, "checkout", nullptr), vc::err::kUnknownOption);
  EXPECT_EQ(vcArchiveEvent(5, "CheckIn", nullptr), 0);
  EXPECT_EQ(texts(0), std::vector<std::string>{"ran"});
}

TEST_F(EventTest, TheArchiveListIsWalkedByTheEventsBlock) {
  vc::setOption(g_archiveList, "fromarchive", std::string("A"), 0);
  ASSERT_EQ(run("autoaction checkout=co\nblock co\necho [$(fromarchive)]\nend"), 0);
  EXPECT_EQ(vcArchiveEvent(5, "checkout", nullptr), 0);
  EXPECT_EQ(vcArchiveEvent(0, "checkout", nullptr), 0);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"[A]", "[]"}));
}

struct PreEventCase {
  const char* block;  // body of the precheckin block; null: no pair
  bool denied;
  int expected;
};
void PrintTo(const PreEventCase& c, std::ostream* os) {
  *os << (c.block ? c.block : "<no block>") << (c.denied ? " denied" : "");
}

const PreEventCase kPreEvents[] = {
    {"return 0", false, 82},       {"return 1", false, 0},  {"return 0 + 5", false, 0},
    {"echo plain", false, 0},      {nullptr, false, 0},     {"return 1", true, 241},
    {"else", false, 0},  // a script error in the block (28) lets the operation go on
};

class PreEventRule : public EventTest, public ::testing::WithParamInterface<PreEventCase> {};

TEST_P(PreEventRule, DecidesWhetherTheOperationGoesOn) {
  if (GetParam().block) {
    ASSERT_EQ(run(std::string("autoaction precheckin=pre\nblock pre\n") + GetParam().block + "\nend"), 0);
  }
  if (GetParam().denied) g_denied.insert("checkin");
  EXPECT_EQ(vc::runPreEvent(5, "checkin", "1.1"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Blocks, PreEventRule, ::testing::ValuesIn(kPreEvents));

TEST_F(EventTest, ProjectEventsRunAgainstTheGivenProject) {
  EXPECT_EQ(vcProjectEvent(1, "checkpoint"), vc::err::kBadProjectHandle);
  ASSERT_EQ(run("autoaction checkpoint=fromlocal\nblock fromlocal\necho local\nend"), 0);
  g_projectLists[1].setPair(vc::PairKind::AutoAction, "checkpoint", "fromproject");
  g_projectLists[1].blocks.push_back(vc::VcBlock{"fromproject", 256,
                                                 {"echo $(event) $(projectname) $(sandbox) [$(archive)]"}});
  EXPECT_EQ(vcProjectEvent(3, "checkpoint"), 0);
  EXPECT_EQ(texts(0), std::vector<std::string>{"checkpoint /proj/main.pj /work/main.sbx []"});
  EXPECT_EQ(optionsOf(inst()).local.find("projectname"), nullptr);
}

}  // namespace
