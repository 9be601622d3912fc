// The constant data of the built-in catalogue.
#include "kel/kellib/builtin_catalogue.h"

namespace kel {
namespace {

constexpr std::uint32_t kOpenArchive = KEL_PERM_OPEN_ARCHIVE;
constexpr std::uint32_t kModifyArchive = KEL_PERM_MODIFY_ARCHIVE;
constexpr std::uint32_t kOpenProject = KEL_PERM_OPEN_PROJECT;
constexpr std::uint32_t kModifyProject = KEL_PERM_MODIFY_PROJECT;
constexpr std::uint32_t kOpenSandbox = KEL_PERM_OPEN_SANDBOX;
constexpr std::uint32_t kModifySandbox = KEL_PERM_MODIFY_SANDBOX;
constexpr std::uint32_t kLock = KEL_PERM_LOCK;
constexpr std::uint32_t kCheckIn = KEL_PERM_CHECK_IN;

constexpr std::uint32_t kArchiveUse = kOpenArchive | kModifyArchive;    // 0x3
constexpr std::uint32_t kProjectUse = kOpenProject | kModifyProject;    // 0xc

#define ROLE(category, key, type, text, needs) {"TY", "Role", category, key, type, text, needs}
#define POLICY(category, key, type, text) {"TY", "Policy", category, key, type, text, 0}

constexpr const char* kOnOff = "on/off";
constexpr const char* kValue = "value";
constexpr const char* kMulti = "multi-value";

const kelBuiltinPolicy kCatalogue[] = {
    ROLE("Archive", "OpenArchive", kOnOff, "Open archives", 0),
    ROLE("Archive", "ModifyArchive", kOnOff, "Modify archives", kOpenArchive),
    ROLE("Archive", "CreateArchive", kOnOff, "Create new archives", kArchiveUse),
    ROLE("Archive", "DeleteRevision", kOnOff, "Delete revisions", kArchiveUse),
    ROLE("Archive", "CheckIn", kOnOff, "Check in files", kArchiveUse),
    ROLE("Archive", "CheckOut", kOnOff, "Check out revisions", kOpenArchive),
    ROLE("Archive", "AddLabel", kOnOff, "Add labels", kArchiveUse),
    ROLE("Archive", "DeleteLabel", kOnOff, "Drop labels", kArchiveUse),
    ROLE("Archive", "Promote", kOnOff, "Promotion allowed", kArchiveUse),
    ROLE("Archive", "Demote", kOnOff, "Demotion allowed", kArchiveUse),
    ROLE("Archive", "EncryptArchive", kOnOff, "Allow archive encryption", kArchiveUse),
    ROLE("Archive", "Lock", kOnOff, "Lock revisions", kArchiveUse),
    ROLE("Archive", "BreakLocks", kOnOff, "Break other users' locks", kArchiveUse),
    ROLE("Archive", "LockStates", kValue, "User allowed to lock revision if it is one of these states", kArchiveUse),
    ROLE("Archive", "AllowedStates", kValue, "User allowed to change revision to one of these states", kArchiveUse),
    ROLE("Project", "OpenProject", kOnOff, "Open projects", 0),
    ROLE("Project", "ModifyProject", kOnOff, "Modify projects", kOpenProject),
    ROLE("Project", "CreateProject", kOnOff, "Create new projects", kProjectUse),
    ROLE("Project", "Checkpoint", kOnOff, "Checkpoint a project", kArchiveUse | kProjectUse | kLock | kCheckIn),
    ROLE("Project", "AddMember", kOnOff, "Add new members", kProjectUse),
    ROLE("Project", "RemoveMember", kOnOff, "Remove members", kProjectUse),
    ROLE("Project", "OpenSandbox", kOnOff, "Open sandboxes", kOpenProject),
    ROLE("Project", "ModifySandbox", kOnOff, "Modify sandboxes", kOpenProject | kOpenSandbox),
    ROLE("Project", "CreateSandbox", kOnOff, "Create new sandboxes", kOpenProject | kOpenSandbox | kModifySandbox),
    ROLE("Project", "FreezeProject", kOnOff, "Freeze projects and sandboxes", kProjectUse),
    ROLE("Project", "ThawProject", kOnOff, "Thaw projects and sandboxes", kProjectUse),
    ROLE("Project", "FreezeMember", kOnOff, "Freeze members at revision level", kProjectUse),
    ROLE("Project", "ThawMember", kOnOff, "Thaw members at revision level", kProjectUse),
    ROLE("Project", "Reports", kOnOff, "Use Reporter utility", kOpenArchive | kOpenProject),

    POLICY("Project", "ProjectReference", kOnOff, "Keep reference copies of project members"),
    POLICY("Project", "ProjectReferenceFlags", kValue, "Options for keeping reference copies"),
    POLICY("Project", "WorkMap", kMulti, "Rules that map working directories of a project"),
    POLICY("Project", "Sparse", kOnOff, "Sandboxes hold only the members that are checked out"),
    POLICY("Project", "Historical", kOnOff, "Keep the history of project revisions"),
    POLICY("Archive", "StrictLocks", kOnOff, "Use strict locking"),
    POLICY("Archive", "States", kValue, "States a revision may have"),
    POLICY("Archive", "WriteProtect", kOnOff, "Write-protect archives"),
    POLICY("Archive", "TextDiff", kOnOff, "Store text files as differences"),
    POLICY("Archive", "BinaryDiff", kOnOff, "Store binary files as differences"),
    POLICY("Archive", "CheckWrite", kOnOff, "Check for a writable working file before check-out"),
    POLICY("Archive", "Compress", kOnOff, "Compress archives"),
    POLICY("Archive", "Encrypt", kOnOff, "Encrypt archives"),
    POLICY("Archive", "WorkToArch", kMulti, "Rules that map working files to archive files"),
    POLICY("Archive", "RCSPATH", kValue, "Conversion rules to find archive file from working filename"),
    POLICY("Archive", "RCSWORK", kValue, "Conversion rules to find working file from archive filename"),
    POLICY("Archive", "VanillaRCS", kOnOff, "Write archives that plain RCS can read"),
    POLICY("Content", "AddCr", kOnOff, "End lines of checked-out files with carriage return and line feed"),
    POLICY("Content", "Century", kOnOff, "Show years with their century"),
    POLICY("Content", "KeywordExpand", kOnOff, "Expand keywords in checked-out files"),
    POLICY("Content", "SaveTimeStamp", kOnOff, "Keep the working file's time stamp at check-in"),
    POLICY("Content", "RestoreTimeStamp", kOnOff, "Give checked-out files the revision's time stamp"),
    POLICY("Build", "bcc_cfg", kValue, ""),
    POLICY("Build", "Build", kValue, "Command that builds a project"),
    POLICY("Build", "Include", kValue, "Directories searched for included files"),
    POLICY("Build", "Exclude", kValue, "Files left out of dependency scans"),
    POLICY("Build", "MakeFile", kValue, "Makefile that receives the dependencies"),
    POLICY("Build", "MakeTemplate", kValue, "Template for the dependency lines of a makefile"),
    POLICY("Build", "TargetExt", kValue, "Extensions of build targets"),
    POLICY("Miscellaneous", "AutoAction", kMulti, "Define actions for event triggers"),
    POLICY("Miscellaneous", "Editor", kValue, "Editor for working files"),
    POLICY("Miscellaneous", "Visual", kValue, "Program that compares and merges files visually"),
    POLICY("Miscellaneous", "LogFile", kValue, "File that records operations"),
    POLICY("Miscellaneous", "LogFormat", kValue, "Format of the lines of the operation log"),
    POLICY("Miscellaneous", "LogName", kValue, "User name written to the operation log"),
    POLICY("Miscellaneous", "PreserveFileCase", kOnOff, "Keep the letter case of file names"),
    POLICY("Macintosh", "CKIDResource", kOnOff, "Keep the CKID resource of Macintosh files"),
    POLICY("Macintosh", "FinderLock", kOnOff, "Set the Finder lock of read-only Macintosh files"),
    POLICY("Macintosh", "SaveResourceFork", kOnOff, "Store the resource fork of Macintosh files"),
};

#undef ROLE
#undef POLICY

const BasePermission kBasePermissions[] = {
    {"OpenArchive", KEL_PERM_OPEN_ARCHIVE},     {"ModifyArchive", KEL_PERM_MODIFY_ARCHIVE},
    {"OpenProject", KEL_PERM_OPEN_PROJECT},     {"ModifyProject", KEL_PERM_MODIFY_PROJECT},
    {"OpenSandbox", KEL_PERM_OPEN_SANDBOX},     {"ModifySandbox", KEL_PERM_MODIFY_SANDBOX},
    {"CreateArchive", KEL_PERM_CREATE_ARCHIVE}, {"Lock", KEL_PERM_LOCK},
    {"CheckIn", KEL_PERM_CHECK_IN},
};

static_assert(std::size(kCatalogue) == 68, "29 role rows and 39 policy rows");

}  // namespace

std::span<const kelBuiltinPolicy> builtinCatalogue() { return kCatalogue; }

std::span<const BasePermission> basePermissions() { return kBasePermissions; }


}  // namespace kel
