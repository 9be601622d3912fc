// The policy lines of the "Default Policy Statement" that a new database
// receives, in this order. Working files end their lines with LF here, so
// the first line turns carriage returns off ("NoAddCr").
#include "kel/kellib/default_policy.h"

namespace kel {
namespace {

const char* const kLines[] = {
    "NoAddCr", "AddMember", "AutoAction", "BinaryDiff", "BreakLocks", "Build=", "Century", "CheckIn",
    "CheckOut", "CKIDResource", "CreateArchive", "CreateProject", "CreateSandbox", "DefaultArchiveSO = ",
    "DefaultProjectSO = ", "Demote", "DemoteFrom = ", "DemoteTo = ", "Editor=edit", "Exclude=", "FinderLock",
    "Include=", "KeywordExpand", "Label", "Lock", "LockLabel", "LockStates = ", "LogName=unknown",
    "MakeFile=", "MinLogMsgLines = 0", "ModifyArchive", "ModifyProject", "NoCheckWrite", "NoCompress",
    "NoEncrypt", "NoHistorical", "NoProjectReference", "NoRcsCompat", "NoSparse", "NoVanillaRCS",
    "OpenArchive", "OpenProject", "OpenSandbox", "PreserveFileCase", "ProjectReferenceFlags=", "Promote",
    "PromoteTo = ", "PromoteFrom = ", "Promotion", "RCSPath=%v%d//rcs//%f", "RemoveMember", "Reports",
    "RestoreTimeStamp", "SaveResourceFork", "SaveTimeStamp", "SetInfo", "StateLocked", "StrictLocks",
    "TargetExt=", "TextDiff", "UnlockLabel", "Visual=edit", "WorkMap=", "WorkToArch=", "WriteProtect",
};

}  // namespace

std::span<const char* const> defaultPolicyLines() { return kLines; }

}  // namespace kel
