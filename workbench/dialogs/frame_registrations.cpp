#include "workbench/dialogs/frame_registrations.h"

#include "workbench/dialogs/add_members_flow.h"
#include "workbench/dialogs/archive_info_dialog.h"
#include "workbench/dialogs/build_dialog.h"
#include "workbench/dialogs/check_in_flows.h"
#include "workbench/dialogs/check_out_flows.h"
#include "workbench/dialogs/checkpoint_dialog.h"
#include "workbench/dialogs/config_sheet.h"
#include "workbench/dialogs/create_archive_flow.h"
#include "workbench/dialogs/create_project_flow.h"
#include "workbench/dialogs/label_members_dialog.h"
#include "workbench/dialogs/lock_mail_dialog.h"
#include "workbench/dialogs/member_dependencies_dialog.h"
#include "workbench/dialogs/member_info_dialog.h"
#include "workbench/dialogs/member_select.h"
#include "workbench/dialogs/project_info_dialog.h"
#include "workbench/dialogs/promote_dialog.h"
#include "workbench/dialogs/revision_info_dialog.h"
#include "workbench/dialogs/sandbox_dialog.h"
#include "workbench/dialogs/text_view_dialog.h"
#include "workbench/external/frame_services.h"

namespace orv::workbench::dialogs {

namespace {

constexpr commands::FrameRegistration kRegistrations[] = {
    // The programs outside.
    external::registerProgramServices,
    external::registerArchiveImport,
    // The operation dialogs.
    registerCreateArchive,
    registerCheckInFlows,
    registerCheckOutFlows,
    registerPromoteFlows,
    registerArchiveInformation,
    registerRevisionInformation,
    // The configuration sheet.
    registerConfigurationSheet,
    registerCheckpoint,
    registerMemberMaintenance,
    registerBuild,
    registerMemberDependencies,
    // The project dialogs.
    registerCreateProject,
    registerCreateSandbox,
    registerAddMembers,
    registerSelectMembers,
    registerProjectInformation,
    registerMemberInformation,
    // The check-out road.
    registerTextView,
    registerLockMail,
};

}  // namespace

std::span<const commands::FrameRegistration> frameRegistrations() { return kRegistrations; }

}  // namespace orv::workbench::dialogs
