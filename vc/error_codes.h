// Names for the library's result codes. Each code is also the number of its
// message in the catalogue (instance/message_catalogue.cpp); this header names
// every code the catalogue carries so that all modules use the same names.
// The values are the public ones of vc.h (VC_E_...), which callers use.
// The self-contained parts of the library (archive, keywords, paths, ...)
// reach it through the interface target vc_error_codes as "vc/error_codes.h".
#pragma once

#include "vc/include/vc.h"

namespace vc::err {

inline constexpr int kSuccess = VC_E_SUCCESS;
inline constexpr int kFilesDiffer = VC_E_FILES_DIFFER;
inline constexpr int kDiffFailed = VC_E_DIFF_FAILED;
inline constexpr int kNoDifferences = VC_E_NO_DIFFERENCES;
inline constexpr int kBufferTooSmall = VC_E_BUFFER_TOO_SMALL;
inline constexpr int kDone = VC_E_DONE;
inline constexpr int kNoFileLocking = VC_E_NO_FILE_LOCKING;
inline constexpr int kBadArchiveHandle = VC_E_BAD_ARCHIVE_HANDLE;
inline constexpr int kBadCaller = VC_E_BAD_CALLER;
inline constexpr int kNoInstanceSlot = VC_E_NO_INSTANCE_SLOT;
inline constexpr int kTooManyFiles = VC_E_TOO_MANY_FILES;
inline constexpr int kNoCurrentDirectory = VC_E_NO_CURRENT_DIRECTORY;
inline constexpr int kInternalBufferExceeded = VC_E_INTERNAL_BUFFER_EXCEEDED;
inline constexpr int kCannotMakeArchiveName = VC_E_CANNOT_MAKE_ARCHIVE_NAME;
inline constexpr int kArchiveMissing = VC_E_ARCHIVE_MISSING;
inline constexpr int kNotVersionFile = VC_E_NOT_VERSION_FILE;
inline constexpr int kPvcsArchive = VC_E_PVCS_ARCHIVE;
inline constexpr int kSccsArchive = VC_E_SCCS_ARCHIVE;
inline constexpr int kCompressedArchive = VC_E_COMPRESSED_ARCHIVE;
inline constexpr int kEncryptedFile = VC_E_ENCRYPTED_FILE;
inline constexpr int kCompressedEncryptedArchive = VC_E_COMPRESSED_ENCRYPTED_ARCHIVE;
inline constexpr int kIncorrectPassword = VC_E_INCORRECT_PASSWORD;
inline constexpr int kDecompressError = VC_E_DECOMPRESS_ERROR;
inline constexpr int kCompressError = VC_E_COMPRESS_ERROR;
inline constexpr int kWrongFormat = VC_E_WRONG_FORMAT;
inline constexpr int kCheckoutNeedsReadonly = VC_E_CHECKOUT_NEEDS_READONLY;
inline constexpr int kNotOpenForWrite = VC_E_NOT_OPEN_FOR_WRITE;
inline constexpr int kBadConfigFileLine = VC_E_BAD_CONFIG_FILE_LINE;
inline constexpr int kBadOptionLine = VC_E_BAD_OPTION_LINE;
inline constexpr int kOptionEnforced = VC_E_OPTION_ENFORCED;
inline constexpr int kUnknownOption = VC_E_UNKNOWN_OPTION;
inline constexpr int kArchiveParseError = VC_E_ARCHIVE_PARSE_ERROR;
inline constexpr int kArchiveHeaderCorrupt = VC_E_ARCHIVE_HEADER_CORRUPT;
inline constexpr int kDeltaCorrupt = VC_E_DELTA_CORRUPT;
inline constexpr int kRevisionCorrupt = VC_E_REVISION_CORRUPT;
inline constexpr int kSymbolExists = VC_E_SYMBOL_EXISTS;
inline constexpr int kSymbolMissing = VC_E_SYMBOL_MISSING;
inline constexpr int kSymbolTooLong = VC_E_SYMBOL_TOO_LONG;
inline constexpr int kAccessNameExists = VC_E_ACCESS_NAME_EXISTS;
inline constexpr int kAccessListEmpty = VC_E_ACCESS_LIST_EMPTY;
inline constexpr int kAccessNameMissing = VC_E_ACCESS_NAME_MISSING;
inline constexpr int kNoPermission = VC_E_NO_PERMISSION;
inline constexpr int kRevisionNotLocked = VC_E_REVISION_NOT_LOCKED;
inline constexpr int kRevisionAlreadyLocked = VC_E_REVISION_ALREADY_LOCKED;
inline constexpr int kLockedByOther = VC_E_LOCKED_BY_OTHER;
inline constexpr int kOtherRevisionLocked = VC_E_OTHER_REVISION_LOCKED;
inline constexpr int kPromotedRevisionLock = VC_E_PROMOTED_REVISION_LOCK;
inline constexpr int kRevisionExists = VC_E_REVISION_EXISTS;
inline constexpr int kRevisionMissing = VC_E_REVISION_MISSING;
inline constexpr int kBadInfoRequest = VC_E_BAD_INFO_REQUEST;
inline constexpr int kRevisionOutOfRange = VC_E_REVISION_OUT_OF_RANGE;
inline constexpr int kBadRevisionNumber = VC_E_BAD_REVISION_NUMBER;
inline constexpr int kRevisionHasBranches = VC_E_REVISION_HAS_BRANCHES;
inline constexpr int kNoBranch = VC_E_NO_BRANCH;
inline constexpr int kBadToken = VC_E_BAD_TOKEN;
inline constexpr int kFileChanged = VC_E_FILE_CHANGED;
inline constexpr int kBadArgument = VC_E_BAD_ARGUMENT;
inline constexpr int kBadKeywordExpansion = VC_E_BAD_KEYWORD_EXPANSION;
inline constexpr int kNoWorkFileName = VC_E_NO_WORK_FILE_NAME;
inline constexpr int kNotProjectFile = VC_E_NOT_PROJECT_FILE;
inline constexpr int kBadProjectHandle = VC_E_BAD_PROJECT_HANDLE;
inline constexpr int kNotMember = VC_E_NOT_MEMBER;
inline constexpr int kAlreadyMember = VC_E_ALREADY_MEMBER;
inline constexpr int kMemberMissingRevision = VC_E_MEMBER_MISSING_REVISION;
inline constexpr int kProjectRevisionDiffers = VC_E_PROJECT_REVISION_DIFFERS;
inline constexpr int kMemberFromSubproject = VC_E_MEMBER_FROM_SUBPROJECT;
inline constexpr int kMemberNameExists = VC_E_MEMBER_NAME_EXISTS;
inline constexpr int kNoDependencies = VC_E_NO_DEPENDENCIES;
inline constexpr int kNoMasterProject = VC_E_NO_MASTER_PROJECT;
inline constexpr int kBadSandboxHandle = VC_E_BAD_SANDBOX_HANDLE;
inline constexpr int kNotSandboxFile = VC_E_NOT_SANDBOX_FILE;
inline constexpr int kUserFixed = VC_E_USER_FIXED;
inline constexpr int kNoSourceLanguage = VC_E_NO_SOURCE_LANGUAGE;
inline constexpr int kNotBorlandProject = VC_E_NOT_BORLAND_PROJECT;
inline constexpr int kOptionNotDefined = VC_E_OPTION_NOT_DEFINED;
inline constexpr int kFilesAdded = VC_E_FILES_ADDED;
inline constexpr int kNotOnAccessList = VC_E_NOT_ON_ACCESS_LIST;
inline constexpr int kProjectInOwnJournal = VC_E_PROJECT_IN_OWN_JOURNAL;
inline constexpr int kGzippedArchive = VC_E_GZIPPED_ARCHIVE;
inline constexpr int kGzippedEncryptedArchive = VC_E_GZIPPED_ENCRYPTED_ARCHIVE;
inline constexpr int kUnzipError = VC_E_UNZIP_ERROR;
inline constexpr int kZipError = VC_E_ZIP_ERROR;
inline constexpr int kEventHalted = VC_E_EVENT_HALTED;
inline constexpr int kBadPromotion = VC_E_BAD_PROMOTION;
inline constexpr int kBadPromotionList = VC_E_BAD_PROMOTION_LIST;
inline constexpr int kWorkEqualsArchive = VC_E_WORK_EQUALS_ARCHIVE;
inline constexpr int kCommitFailed = VC_E_COMMIT_FAILED;
inline constexpr int kNoLockBreaking = VC_E_NO_LOCK_BREAKING;
inline constexpr int kResourceForkOpen = VC_E_RESOURCE_FORK_OPEN;
inline constexpr int kResourceForkRead = VC_E_RESOURCE_FORK_READ;
inline constexpr int kResourceForkWrite = VC_E_RESOURCE_FORK_WRITE;
inline constexpr int kCancelled = VC_E_CANCELLED;
inline constexpr int kProjectDenied = VC_E_PROJECT_DENIED;
inline constexpr int kNoSecurityModules = VC_E_NO_SECURITY_MODULES;
inline constexpr int kSecurityModulePresent = VC_E_SECURITY_MODULE_PRESENT;
inline constexpr int kSecurityModuleMissing = VC_E_SECURITY_MODULE_MISSING;
inline constexpr int kSecurityDenied = VC_E_SECURITY_DENIED;
inline constexpr int kProjectFrozen = VC_E_PROJECT_FROZEN;
inline constexpr int kMemberFrozen = VC_E_MEMBER_FROZEN;
inline constexpr int kBadFreeze = VC_E_BAD_FREEZE;
inline constexpr int kArchiveChangedByOther = VC_E_ARCHIVE_CHANGED_BY_OTHER;
inline constexpr int kProjectChangedByOther = VC_E_PROJECT_CHANGED_BY_OTHER;
inline constexpr int kNoMemory = VC_E_NO_MEMORY;
inline constexpr int kCannotCreateArchiveDir = VC_E_CANNOT_CREATE_ARCHIVE_DIR;
inline constexpr int kCannotOpenArchive = VC_E_CANNOT_OPEN_ARCHIVE;
inline constexpr int kCannotLock = VC_E_CANNOT_LOCK;
inline constexpr int kCannotOpenTemp = VC_E_CANNOT_OPEN_TEMP;
inline constexpr int kCannotCreateTemp = VC_E_CANNOT_CREATE_TEMP;
inline constexpr int kCannotOpenWorkFile = VC_E_CANNOT_OPEN_WORK_FILE;
inline constexpr int kCannotOpenConfig = VC_E_CANNOT_OPEN_CONFIG;
inline constexpr int kRenameFailed = VC_E_RENAME_FAILED;
inline constexpr int kArchiveInaccessible = VC_E_ARCHIVE_INACCESSIBLE;
inline constexpr int kArchiveSeek = VC_E_ARCHIVE_SEEK;
inline constexpr int kArchiveRead = VC_E_ARCHIVE_READ;
inline constexpr int kArchiveWrite = VC_E_ARCHIVE_WRITE;
inline constexpr int kTempWrite = VC_E_TEMP_WRITE;
inline constexpr int kTempRead = VC_E_TEMP_READ;
inline constexpr int kWorkRead = VC_E_WORK_READ;
inline constexpr int kWorkWrite = VC_E_WORK_WRITE;
inline constexpr int kUnexpectedEof = VC_E_UNEXPECTED_EOF;
inline constexpr int kProjectWrite = VC_E_PROJECT_WRITE;
inline constexpr int kCannotOpenProject = VC_E_CANNOT_OPEN_PROJECT;
inline constexpr int kUnknownError = VC_E_UNKNOWN_ERROR;
inline constexpr int kNlmError = VC_E_NLM_ERROR;
inline constexpr int kCheckinFileInaccessible = VC_E_CHECKIN_FILE_INACCESSIBLE;
inline constexpr int kCannotCreateOutput = VC_E_CANNOT_CREATE_OUTPUT;
inline constexpr int kCannotOpenTurbocCfg = VC_E_CANNOT_OPEN_TURBOC_CFG;
inline constexpr int kProjectLogWrite = VC_E_PROJECT_LOG_WRITE;
inline constexpr int kUseCacheWrite = VC_E_USE_CACHE_WRITE;
inline constexpr int kCannotOpenFile = VC_E_CANNOT_OPEN_FILE;
inline constexpr int kReferenceCacheAppend = VC_E_REFERENCE_CACHE_APPEND;
inline constexpr int kCommitTempMissing = VC_E_COMMIT_TEMP_MISSING;
inline constexpr int kCannotCopy = VC_E_CANNOT_COPY;
inline constexpr int kMasterProjectInaccessible = VC_E_MASTER_PROJECT_INACCESSIBLE;
inline constexpr int kNoRevisionAtDate = VC_E_NO_REVISION_AT_DATE;
inline constexpr int kNoMessage = VC_E_NO_MESSAGE;
inline constexpr int kSecurityAdvice = VC_E_SECURITY_ADVICE;
// Refusals by the security database: 236 to 277.
inline constexpr int kDenyAddLabel = VC_E_DENY_ADD_LABEL;
inline constexpr int kDenyDeleteLabel = VC_E_DENY_DELETE_LABEL;
inline constexpr int kDenyLock = VC_E_DENY_LOCK;
inline constexpr int kDenyBreakLock = VC_E_DENY_BREAK_LOCK;
inline constexpr int kDenyDeleteRevision = VC_E_DENY_DELETE_REVISION;
inline constexpr int kDenyCheckin = VC_E_DENY_CHECKIN;
inline constexpr int kDenyCheckout = VC_E_DENY_CHECKOUT;
inline constexpr int kDenyModifyArchive = VC_E_DENY_MODIFY_ARCHIVE;
inline constexpr int kDenyCreateArchive = VC_E_DENY_CREATE_ARCHIVE;
inline constexpr int kDenyPromote = VC_E_DENY_PROMOTE;
inline constexpr int kDenyDemote = VC_E_DENY_DEMOTE;
inline constexpr int kDenyAddMember = VC_E_DENY_ADD_MEMBER;
inline constexpr int kDenyRemoveMember = VC_E_DENY_REMOVE_MEMBER;
inline constexpr int kDenyCreateProject = VC_E_DENY_CREATE_PROJECT;
inline constexpr int kDenyCreateSandbox = VC_E_DENY_CREATE_SANDBOX;
inline constexpr int kDenyOpenArchive = VC_E_DENY_OPEN_ARCHIVE;
inline constexpr int kDenyOpenProject = VC_E_DENY_OPEN_PROJECT;
inline constexpr int kDenyOpenSandbox = VC_E_DENY_OPEN_SANDBOX;
inline constexpr int kDenyModifyProject = VC_E_DENY_MODIFY_PROJECT;
inline constexpr int kDenyModifySandbox = VC_E_DENY_MODIFY_SANDBOX;
inline constexpr int kDenyFreezeProject = VC_E_DENY_FREEZE_PROJECT;
inline constexpr int kDenyThawProject = VC_E_DENY_THAW_PROJECT;
inline constexpr int kDenyFreezeMember = VC_E_DENY_FREEZE_MEMBER;
inline constexpr int kDenyThawMember = VC_E_DENY_THAW_MEMBER;
inline constexpr int kDenyAddEncryption = VC_E_DENY_ADD_ENCRYPTION;
inline constexpr int kDenyRemoveEncryption = VC_E_DENY_REMOVE_ENCRYPTION;
inline constexpr int kNoDefaultDatabase = VC_E_NO_DEFAULT_DATABASE;
inline constexpr int kSecurityInitFailed = VC_E_SECURITY_INIT_FAILED;
inline constexpr int kNoRoleInformation = VC_E_NO_ROLE_INFORMATION;
inline constexpr int kDenyCheckpoint = VC_E_DENY_CHECKPOINT;
inline constexpr int kSecurityLoadFailed = VC_E_SECURITY_LOAD_FAILED;
inline constexpr int kRedirectorFailed = VC_E_REDIRECTOR_FAILED;
inline constexpr int kDatabaseOpenFailed = VC_E_DATABASE_OPEN_FAILED;
inline constexpr int kDenyLockAtState = VC_E_DENY_LOCK_AT_STATE;
inline constexpr int kDenyPromoteToState = VC_E_DENY_PROMOTE_TO_STATE;
inline constexpr int kDenyDemoteToState = VC_E_DENY_DEMOTE_TO_STATE;
inline constexpr int kDenyReports = VC_E_DENY_REPORTS;
inline constexpr int kCatastrophe = VC_E_CATASTROPHE;  // "Total catastrophe..", also the text of unknown codes

// Not a message: the script statement `done` inside the line processor.
inline constexpr int kScriptDone = 307;

// Further catalogue strings referred to by number.
inline constexpr int kMsgCompressBits = 637;
inline constexpr int kMsgCopyOverwrite = 5441;
inline constexpr int kMsgOverwriteInArchiveDir = 5347;

}  // namespace vc::err
