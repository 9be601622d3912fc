// Names for the library's result codes. Each code is also the number of its
// message in the catalogue (instance/message_catalogue.cpp); this header names
// every code the catalogue carries so that all modules use the same names.
// The self-contained parts of the library (archive, keywords, paths, ...)
// reach it through the interface target vc_error_codes as "vc/error_codes.h".
#pragma once

namespace vc::err {

inline constexpr int kSuccess = 0;
inline constexpr int kFilesDiffer = 1;
inline constexpr int kDiffFailed = 2;
inline constexpr int kNoDifferences = 3;
inline constexpr int kBufferTooSmall = 4;
inline constexpr int kDone = 5;
inline constexpr int kNoFileLocking = 6;
inline constexpr int kBadArchiveHandle = 7;
inline constexpr int kBadCaller = 8;
inline constexpr int kNoInstanceSlot = 9;
inline constexpr int kTooManyFiles = 10;
inline constexpr int kNoCurrentDirectory = 11;
inline constexpr int kInternalBufferExceeded = 12;
inline constexpr int kCannotMakeArchiveName = 13;
inline constexpr int kArchiveMissing = 14;
inline constexpr int kNotVersionFile = 15;
inline constexpr int kPvcsArchive = 16;
inline constexpr int kSccsArchive = 17;
inline constexpr int kCompressedArchive = 18;
inline constexpr int kEncryptedFile = 19;
inline constexpr int kCompressedEncryptedArchive = 20;
inline constexpr int kIncorrectPassword = 21;
inline constexpr int kDecompressError = 22;
inline constexpr int kCompressError = 23;
inline constexpr int kWrongFormat = 24;
inline constexpr int kCheckoutNeedsReadonly = 25;
inline constexpr int kNotOpenForWrite = 26;
inline constexpr int kBadConfigFileLine = 27;
inline constexpr int kBadOptionLine = 28;
inline constexpr int kOptionEnforced = 29;
inline constexpr int kUnknownOption = 30;
inline constexpr int kArchiveParseError = 31;
inline constexpr int kArchiveHeaderCorrupt = 32;
inline constexpr int kDeltaCorrupt = 33;
inline constexpr int kRevisionCorrupt = 34;
inline constexpr int kSymbolExists = 35;
inline constexpr int kSymbolMissing = 36;
inline constexpr int kSymbolTooLong = 37;
inline constexpr int kAccessNameExists = 38;
inline constexpr int kAccessListEmpty = 39;
inline constexpr int kAccessNameMissing = 40;
inline constexpr int kNoPermission = 41;
inline constexpr int kRevisionNotLocked = 42;
inline constexpr int kRevisionAlreadyLocked = 43;
inline constexpr int kLockedByOther = 44;
inline constexpr int kOtherRevisionLocked = 45;
inline constexpr int kPromotedRevisionLock = 46;
inline constexpr int kRevisionExists = 47;
inline constexpr int kRevisionMissing = 48;
inline constexpr int kBadInfoRequest = 49;
inline constexpr int kRevisionOutOfRange = 50;
inline constexpr int kBadRevisionNumber = 51;
inline constexpr int kRevisionHasBranches = 52;
inline constexpr int kNoBranch = 53;
inline constexpr int kBadToken = 54;
inline constexpr int kFileChanged = 55;
inline constexpr int kBadArgument = 56;
inline constexpr int kBadKeywordExpansion = 57;
inline constexpr int kNoWorkFileName = 58;
inline constexpr int kNotProjectFile = 59;
inline constexpr int kBadProjectHandle = 60;
inline constexpr int kNotMember = 61;
inline constexpr int kAlreadyMember = 62;
inline constexpr int kMemberMissingRevision = 63;
inline constexpr int kProjectRevisionDiffers = 64;
inline constexpr int kMemberFromSubproject = 65;
inline constexpr int kMemberNameExists = 66;
inline constexpr int kNoDependencies = 67;
inline constexpr int kNoMasterProject = 68;
inline constexpr int kBadSandboxHandle = 69;
inline constexpr int kNotSandboxFile = 70;
inline constexpr int kUserFixed = 71;
inline constexpr int kNoSourceLanguage = 72;
inline constexpr int kNotBorlandProject = 73;
inline constexpr int kOptionNotDefined = 74;
inline constexpr int kFilesAdded = 75;
inline constexpr int kNotOnAccessList = 76;
inline constexpr int kProjectInOwnJournal = 77;
inline constexpr int kGzippedArchive = 78;
inline constexpr int kGzippedEncryptedArchive = 79;
inline constexpr int kUnzipError = 80;
inline constexpr int kZipError = 81;
inline constexpr int kEventHalted = 82;
inline constexpr int kBadPromotion = 83;
inline constexpr int kBadPromotionList = 84;
inline constexpr int kWorkEqualsArchive = 85;
inline constexpr int kCommitFailed = 88;
inline constexpr int kNoLockBreaking = 89;
inline constexpr int kResourceForkOpen = 90;
inline constexpr int kResourceForkRead = 91;
inline constexpr int kResourceForkWrite = 92;
inline constexpr int kCancelled = 93;
inline constexpr int kProjectDenied = 94;
inline constexpr int kNoSecurityModules = 95;
inline constexpr int kSecurityModulePresent = 96;
inline constexpr int kSecurityModuleMissing = 97;
inline constexpr int kSecurityDenied = 98;
inline constexpr int kProjectFrozen = 99;
inline constexpr int kMemberFrozen = 100;
inline constexpr int kBadFreeze = 101;
inline constexpr int kArchiveChangedByOther = 102;
inline constexpr int kProjectChangedByOther = 103;
inline constexpr int kNoMemory = 201;
inline constexpr int kCannotCreateArchiveDir = 202;
inline constexpr int kCannotOpenArchive = 203;
inline constexpr int kCannotLock = 204;
inline constexpr int kCannotOpenTemp = 205;
inline constexpr int kCannotCreateTemp = 206;
inline constexpr int kCannotOpenWorkFile = 207;
inline constexpr int kCannotOpenConfig = 208;
inline constexpr int kRenameFailed = 209;
inline constexpr int kArchiveInaccessible = 210;
inline constexpr int kArchiveSeek = 211;
inline constexpr int kArchiveRead = 212;
inline constexpr int kArchiveWrite = 213;
inline constexpr int kTempWrite = 214;
inline constexpr int kTempRead = 215;
inline constexpr int kWorkRead = 216;
inline constexpr int kWorkWrite = 217;
inline constexpr int kUnexpectedEof = 218;
inline constexpr int kProjectWrite = 219;
inline constexpr int kCannotOpenProject = 220;
inline constexpr int kUnknownError = 221;
inline constexpr int kNlmError = 222;
inline constexpr int kCheckinFileInaccessible = 223;
inline constexpr int kCannotCreateOutput = 224;
inline constexpr int kCannotOpenTurbocCfg = 225;
inline constexpr int kProjectLogWrite = 226;
inline constexpr int kUseCacheWrite = 227;
inline constexpr int kCannotOpenFile = 228;
inline constexpr int kReferenceCacheAppend = 229;
inline constexpr int kCommitTempMissing = 230;
inline constexpr int kCannotCopy = 231;
inline constexpr int kMasterProjectInaccessible = 232;
inline constexpr int kNoRevisionAtDate = 233;
inline constexpr int kNoMessage = 234;
inline constexpr int kSecurityAdvice = 235;
// Refusals by the security database: 236 to 277.
inline constexpr int kDenyAddLabel = 236;
inline constexpr int kDenyDeleteLabel = 237;
inline constexpr int kDenyLock = 238;
inline constexpr int kDenyBreakLock = 239;
inline constexpr int kDenyDeleteRevision = 240;
inline constexpr int kDenyCheckin = 241;
inline constexpr int kDenyCheckout = 242;
inline constexpr int kDenyModifyArchive = 243;
inline constexpr int kDenyCreateArchive = 244;
inline constexpr int kDenyPromote = 245;
inline constexpr int kDenyDemote = 246;
inline constexpr int kDenyAddMember = 247;
inline constexpr int kDenyRemoveMember = 248;
inline constexpr int kDenyCreateProject = 249;
inline constexpr int kDenyCreateSandbox = 250;
inline constexpr int kDenyOpenArchive = 251;
inline constexpr int kDenyOpenProject = 252;
inline constexpr int kDenyOpenSandbox = 253;
inline constexpr int kDenyModifyProject = 254;
inline constexpr int kDenyModifySandbox = 255;
inline constexpr int kDenyFreezeProject = 256;
inline constexpr int kDenyThawProject = 257;
inline constexpr int kDenyFreezeMember = 258;
inline constexpr int kDenyThawMember = 259;
inline constexpr int kDenyAddEncryption = 260;
inline constexpr int kDenyRemoveEncryption = 261;
inline constexpr int kNoDefaultDatabase = 262;
inline constexpr int kSecurityInitFailed = 263;
inline constexpr int kNoRoleInformation = 268;
inline constexpr int kDenyCheckpoint = 269;
inline constexpr int kSecurityLoadFailed = 270;
inline constexpr int kRedirectorFailed = 271;
inline constexpr int kDatabaseOpenFailed = 272;
inline constexpr int kDenyLockAtState = 273;
inline constexpr int kDenyPromoteToState = 275;
inline constexpr int kDenyDemoteToState = 276;
inline constexpr int kDenyReports = 277;
inline constexpr int kCatastrophe = 278;  // "Total catastrophe..", also the text of unknown codes

// Not a message: the script statement `done` inside the line processor.
inline constexpr int kScriptDone = 307;

// Further catalogue strings referred to by number.
inline constexpr int kMsgCompressBits = 637;
inline constexpr int kMsgCopyOverwrite = 5441;
inline constexpr int kMsgOverwriteInArchiveDir = 5347;

}  // namespace vc::err

// The library's parts in namespace orv (orv::archive, orv::vc) write the same
// names as err::k... too.
namespace orv {
namespace err = ::vc::err;
}  // namespace orv
