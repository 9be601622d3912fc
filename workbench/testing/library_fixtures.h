// The revision library's client fixtures (vc/tests/archive_test_support.h)
// as the workbench's tests use them: the archive passwords the workbench
// remembers are forgotten around each test, and prompts go to a scripted
// Ui.
#pragma once

#include "platform/ui/testing/scripted_ui.h"
#include "vc/tests/archive_test_support.h"
#include "workbench/archive/password_cache.h"

namespace orv::workbench::testing {

using archive_test::KelDouble;

class ArchiveTest : public archive_test::ClientArchiveTest {
 protected:
  void forgetClientState() override { archive::forgetAllArchivePasswords(); }

  ui::testing::ScriptedUi ui;
};

class ProjectTest : public archive_test::ClientProjectTest<ArchiveTest> {};

}  // namespace orv::workbench::testing
