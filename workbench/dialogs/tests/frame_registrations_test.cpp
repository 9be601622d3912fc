// The frame's registration table fills every dialog flow and service the
// frame's commands and windows run, and each command of the command server
// a dialog or a program answers.
#include <gtest/gtest.h>

#include "platform/spawn/recording_spawner.h"
#include "platform/ui/testing/scripted_ui.h"
#include "workbench/dialogs/frame_registrations.h"
#include "workbench/testing/fake_windows.h"

namespace orv::workbench::dialogs {
namespace {

TEST(FrameRegistrations, FillEveryFlowAndServiceTheFrameRuns) {
  ui::testing::ScriptedUi ui;
  platform::RecordingSpawner spawner;
  external::ProgramStarts starts{ui, spawner, "", "/opt/orv/bin"};
  commands::FrameRegistry registry;
  testing::FakeRegistry windows(ui);
  commands::runRegistrations(frameRegistrations(), registry, {ui, starts, &windows});

  EXPECT_TRUE(registry.flows.checkInArchive);
  EXPECT_TRUE(registry.flows.promoteRevision);
  EXPECT_TRUE(registry.flows.promoteProject);
  EXPECT_TRUE(registry.flows.promoteMembers);
  EXPECT_TRUE(registry.opening.createArchive.dialog);
  EXPECT_TRUE(registry.items.viewOrEdit);
  EXPECT_TRUE(registry.items.archiveInformation);
  EXPECT_TRUE(registry.items.revisionInformation);
  EXPECT_TRUE(registry.memberDialogs.prepareCheckIn);
  EXPECT_TRUE(registry.memberDialogs.checkInDialog);
  EXPECT_TRUE(registry.memberDialogs.viewFile);
  // The project dialogs.
  EXPECT_TRUE(registry.opening.createProject);
  EXPECT_TRUE(registry.flows.createSandbox);
  EXPECT_TRUE(registry.flows.addMembers);
  EXPECT_TRUE(registry.flows.memberInformation);
  EXPECT_TRUE(registry.items.projectInformation);
  EXPECT_TRUE(registry.items.selectMembers);
  for (app::ExecuteVerb verb : {app::ExecuteVerb::checkIn, app::ExecuteVerb::convert, app::ExecuteVerb::diff,
                                app::ExecuteVerb::createProject})
    EXPECT_TRUE(registry.execute.count(verb)) << static_cast<int>(verb);
  // vardel32 starts beside the frame, which stays where it is.
  EXPECT_FALSE(registry.execute.at(app::ExecuteVerb::diff).bringForward);
  EXPECT_TRUE(registry.execute.at(app::ExecuteVerb::checkIn).bringForward);
}

}  // namespace
}  // namespace orv::workbench::dialogs
