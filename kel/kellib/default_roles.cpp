// The permission list of the default role "DefaultRegisteredUser" that a
// new database receives, in this order.
#include "kel/kellib/default_roles.h"

namespace kel {
namespace {

const char* const kRegisteredUserPermissions[] = {
    "AddLabel", "AddMember", "BreakLocks", "CheckIn", "CheckOut", "Checkpoint", "CreateArchive",
    "CreateProject", "CreateSandbox", "DeleteLabel", "DeleteRevision", "Demote", "EncryptArchive",
    "FreezeMember", "FreezeProject", "Lock", "ModifyArchive", "ModifyProject", "ModifySandbox", "OpenArchive",
    "OpenProject", "OpenSandbox", "Promote", "RemoveLabel", "RemoveMember", "Reports", "ThawMember",
    "ThawProject",
};

}  // namespace

std::span<const char* const> defaultRegisteredUserPermissions() { return kRegisteredUserPermissions; }

}  // namespace kel
