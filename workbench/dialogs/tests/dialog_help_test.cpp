// Every dialog description the workbench builds at run time, with the help
// contexts it carries (its own and its controls'), opens a page of the help:
// this catches contexts the source scan of the help test cannot see, such
// as those a description counts up while it is built. The configuration
// sheet's pages come from the sheet's own table, so a page added there is
// walked too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/app/database_locator.h"
#include "workbench/app/help_topics.h"
#include "workbench/archive/password_dialogs.h"
#include "workbench/dialogs/archive_info_dialog.h"
#include "workbench/dialogs/build_dialog.h"
#include "workbench/dialogs/check_in_dialog.h"
#include "workbench/dialogs/check_out_dialog.h"
#include "workbench/dialogs/checkpoint_dialog.h"
#include "workbench/dialogs/config_sheet.h"
#include "workbench/dialogs/create_archive_dialog.h"
#include "workbench/dialogs/create_project_dialog.h"
#include "workbench/dialogs/label_members_dialog.h"
#include "workbench/dialogs/lock_mail_dialog.h"
#include "workbench/dialogs/member_dependencies_dialog.h"
#include "workbench/dialogs/member_info_dialog.h"
#include "workbench/dialogs/member_select.h"
#include "workbench/dialogs/project_info_dialog.h"
#include "workbench/dialogs/promote_dialog.h"
#include "workbench/dialogs/revision_info_dialog.h"
#include "workbench/dialogs/sandbox_dialog.h"
#include "workbench/external/file_choices.h"
#include "workbench/external/variable_query.h"
#include "workbench/project/member_location.h"

namespace orv::workbench::dialogs {
namespace {

TEST(DialogHelp, EveryDescriptionsContextsOpenAPage) {
  std::vector<const ui::DialogDescription*> all = {
      &createArchiveDialogDescription(),
      &checkInDialogDescription(),
      &archiveInfoDialogDescription(),
      &revisionInfoDialogDescription(),
      &archive::passwordDialogDescription(),
      &archive::newPasswordDialogDescription(),
      &project::memberLocationDialogDescription(),
      &external::createDirectoryDescription(),
      &external::queryVariableDescription(true),
      &external::queryVariableDescription(false),
      &createProjectDialogDescription(),
      &sandboxDialogDescription(),
      &memberInfoDialogDescription(false),
      &memberInfoDialogDescription(true),
      &checkpointDialogDescription(),
      &labelMembersDialogDescription(),
      &buildDialogDescription(),
      &makeOutputDescription(),
      &memberSelectDialogDescription(),
      &memberDependenciesDescription(),
      &checkOutDialogDescription(),
      &lockMailDialogDescription(),
  };
  for (int dialog : {316, 329, 352, 353, 354, 355}) all.push_back(&projectInfoDialogDescription(dialog));
  for (PromoteSubject subject : {PromoteSubject::revision, PromoteSubject::member, PromoteSubject::project})
    for (bool promote : {true, false}) all.push_back(&promoteDialogDescription(subject, promote));
  for (const ConfigPageEntry& entry : configPageEntries()) all.push_back(&entry.description());
  const ui::DialogDescription locator = app::databaseLocatorDescription();
  all.push_back(&locator);

  for (const ui::DialogDescription* d : all) {
    EXPECT_TRUE(app::helpPageFor(d->helpContext)) << d->title << ": context " << d->helpContext;
    // A Help button opens the dialog's own page, not the general one.
    if (d->find(ui::kHelpButtonId)) {
      EXPECT_NE(d->helpContext, ui::kGenericHelpContext) << d->title << " has no help of its own";
    }
    for (const auto& [control, context] : d->helpPairs)
      EXPECT_TRUE(app::helpPageFor(context)) << d->title << ": control " << control << ", context " << context;
  }
}

}  // namespace
}  // namespace orv::workbench::dialogs
