#include "workbench/dialogs/frame_registrations.h"

#include "workbench/dialogs/archive_info_dialog.h"
#include "workbench/dialogs/check_in_flows.h"
#include "workbench/dialogs/config_sheet.h"
#include "workbench/dialogs/create_archive_flow.h"
#include "workbench/dialogs/promote_dialog.h"
#include "workbench/dialogs/revision_info_dialog.h"
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
    registerPromoteFlows,
    registerArchiveInformation,
    registerRevisionInformation,
    // The configuration sheet.
    registerConfigurationSheet,
};

}  // namespace

std::span<const commands::FrameRegistration> frameRegistrations() { return kRegistrations; }

}  // namespace orv::workbench::dialogs
