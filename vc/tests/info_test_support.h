// Fixture of the information-item tests: the archive fixture plus archives
// written from text, an event source that knows the open archives, a
// recording echo callback, and a permission bridge that refuses on demand.
#pragma once

#include "vc/tests/archive_test_support.h"
#include "vc/archive/event_sources.h"
#include "vc/paths/name_parts.h"
#include "vc/security/permissions.h"

#include <set>

namespace info_test {

using archive_test::readFile;
using archive_test::writeFile;

// branches.v with two revisions of its own and more lists: nested branches,
// labels, locks, an access list of three names and strict locking.
inline const char* kTree =
    "head 1.3;\n"
    "branch ;\n"
    "access alice Bob carol;\n"
    "symbols rel2:1.2 fix:1.2.1.1 rel1:1.1;\n"
    "locks bob:1.2.1.2 alice:1.3; strict;\n"
    "comment @# @;\n"
    "\n\n"
    "1.3\ndate 95.03.02.10.00.00; author bob; state Exp;\nbranches ;\nnext 1.2;\n\n"
    "1.2\ndate 95.03.01.10.00.00; author bob; state Rel;\nbranches 1.2.1.1 1.2.2.1;\nnext 1.1;\n\n"
    "1.1\ndate 95.02.28.09.30.00; author alice; state Exp;\nbranches ;\nnext ;\n\n"
    "1.2.1.1\ndate 95.03.05.11.00.00; author carol; state Exp;\nbranches 1.2.1.1.1.1;\nnext 1.2.1.2;\n\n"
    "1.2.1.2\ndate 95.03.06.11.00.00; author carol; state ;\nbranches ;\nnext ;\n\n"
    "1.2.1.1.1.1\ndate 2001.01.01.00.00.01; author dave; state Exp;\nbranches ;\nnext ;\n\n"
    "1.2.2.1\ndate 2001.02.03.04.05.06; author erin; state Exp;\nbranches ;\nnext ;\n"
    "\n\ndesc\n@A tree with @@ signs.\n@\n"
    "\n\n1.3\nlog\n@third\n@\ntext\n@line one\nline two\nline three\n@\n"
    "\n\n1.2\nlog\n@second@@\n@\ntext\n@d3 1\n@\n"
    "\n\n1.2.2.1\nlog\n@other branch\n@\ntext\n@a2 1\nerin's line\n@\n"
    "\n\n1.2.1.1\nlog\n@first fix\n@\ntext\n@d1 1\na2 2\nfix a\nfix b\n@\n"
    "\n\n1.2.1.1.1.1\nlog\n@deep\n@\ntext\n@a1 1\ndeep\n@\n"
    "\n\n1.2.1.2\nlog\n@second fix\n@\ntext\n@d3 1\n@\n"
    "\n\n1.1\nlog\n@first\n@\ntext\n@a2 1\nline two\n@\n";

inline std::set<std::string>& deniedPermissions() {
  static std::set<std::string> denied;
  return denied;
}
inline std::string& allowedStates() {
  static std::string value;
  return value;
}

inline std::vector<std::string>& echoed() {
  static std::vector<std::string> lines;
  return lines;
}
inline int recordEcho(const char* text, const char*, int, int kind) {
  if (kind == 0) echoed().push_back(text ? text : "");
  return 0;
}

inline bool bridgeGrants(vc::VcInstance&, const char* p) { return !deniedPermissions().count(p); }
inline std::string bridgeValue(vc::VcInstance&, const char* p) {
  return std::string(p) == "allowedstates" ? allowedStates() : "";
}
inline bool hookGrants(vc::VcInstance&, const char* p, vc::VcArchive*) {
  return !deniedPermissions().count(p);
}

inline int knownArchive(vc::VcInstance& inst, int handle, vc::EventArchive& out) {
  vc::VcArchive* a = nullptr;
  if (int rc = vc::lookupArchive(inst, handle, a)) return rc;
  out.name = vc::namePart(a->path);
  return 0;
}

struct InfoTest : archive_test::ArchiveTest {
  void SetUp() override {
    ArchiveTest::SetUp();
    deniedPermissions().clear();
    allowedStates().clear();
    echoed().clear();
    vc::permissionBridge() = vc::PermissionBridge{bridgeGrants, bridgeValue};
    vc::archiveHooks().holdsPermission = hookGrants;
    vc::eventSources().archive = knownArchive;
    ASSERT_EQ(vcConfigRegisterEchoTrace(recordEcho), 0);
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vc::resetEventSources();
    ArchiveTest::TearDown();
  }

  // Writes an archive from text and opens it (mode 2: under the write lock).
  int openText(const std::string& text, const std::string& name = "tree.v", int mode = 2) {
    writeFile(path(name), text);
    int h = 0;
    EXPECT_EQ(vcOpenArchive(path(name).c_str(), &h, mode), 0);
    return h;
  }
  // Reads configuration text (events, options).
  int config(const std::string& text) {
    writeFile(path("cfg.rc"), text);
    return vcReadConfig(path("cfg.rc").c_str());
  }
  static std::string str(int h, int item) {
    char buf[512] = {};
    int rc = vcGetArchiveInfo(h, item, buf, sizeof buf);
    return rc == 0 ? std::string(buf) : "<" + std::to_string(rc) + ">";
  }
  static int byte(int h, int item) {
    char buf[8] = {};
    int rc = vcGetArchiveInfo(h, item, buf, sizeof buf);
    return rc == 0 ? buf[0] : -rc;
  }
  static std::string rev(int h, int item, const char* revision) {
    char buf[512] = {};
    int rc = vcGetRevInfo(h, item, revision, buf, sizeof buf);
    return rc == 0 ? std::string(buf) : "<" + std::to_string(rc) + ">";
  }
  // Commits, closes and opens again for reading.
  int reopen(int h, const std::string& name = "tree.v") {
    EXPECT_EQ(vcCommitArchive(h, 1), 0);
    int again = 0;
    EXPECT_EQ(vcOpenArchive(path(name).c_str(), &again, 2), 0);
    return again;
  }
};

}  // namespace info_test
