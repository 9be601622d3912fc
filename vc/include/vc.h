/* The revision library's C interface (librevlib32.so).
 *
 * Every call answers a VcError: 0 for success, otherwise the number of its
 * message (vcErrorStr). A calling process first creates its library instance
 * with vcAPIinit or vcAPIinitRegister and ends it with vcAPIcleanup; a call
 * from a process without an instance answers VC_E_BAD_CALLER. Callers own
 * every buffer: string results are copied into (buffer, length); when they
 * do not fit, the first length - 1 characters are stored, the needed length
 * is kept for vcBufferLenQ and the call answers VC_E_BUFFER_TOO_SMALL.
 *
 * Result codes, item numbers and flag bits have names here (VC_...), each
 * beside the calls that take it.
 *
 * All declarations of the library's exports live in this one header, grouped
 * by concern. */
#ifndef ORV_VC_H
#define ORV_VC_H

#ifdef __cplusplus
extern "C" {
#endif

#define VC_API __attribute__((visibility("default")))

typedef int VcError;

/* ---- Result codes ----
 * The answers of the calls; each is also the number of its message
 * (vcErrorStr). 1 to 104: the library's own conditions (1, 3 and 5 are
 * results, not failures); 201 to 234: file and system failures; 235: the
 * advice text; 236 to 277: refusals by the security database; 278: the text
 * of codes without a message. */
#define VC_E_SUCCESS                      0
#define VC_E_FILES_DIFFER                 1
#define VC_E_DIFF_FAILED                  2
#define VC_E_NO_DIFFERENCES               3
#define VC_E_BUFFER_TOO_SMALL             4
#define VC_E_DONE                         5
#define VC_E_NO_FILE_LOCKING              6
#define VC_E_BAD_ARCHIVE_HANDLE           7
#define VC_E_BAD_CALLER                   8
#define VC_E_NO_INSTANCE_SLOT             9
#define VC_E_TOO_MANY_FILES               10
#define VC_E_NO_CURRENT_DIRECTORY         11
#define VC_E_INTERNAL_BUFFER_EXCEEDED     12
#define VC_E_CANNOT_MAKE_ARCHIVE_NAME     13
#define VC_E_ARCHIVE_MISSING              14
#define VC_E_NOT_VERSION_FILE             15
#define VC_E_PVCS_ARCHIVE                 16
#define VC_E_SCCS_ARCHIVE                 17
#define VC_E_COMPRESSED_ARCHIVE           18
#define VC_E_ENCRYPTED_FILE               19
#define VC_E_COMPRESSED_ENCRYPTED_ARCHIVE 20
#define VC_E_INCORRECT_PASSWORD           21
#define VC_E_DECOMPRESS_ERROR             22
#define VC_E_COMPRESS_ERROR               23
#define VC_E_WRONG_FORMAT                 24
#define VC_E_CHECKOUT_NEEDS_READONLY      25
#define VC_E_NOT_OPEN_FOR_WRITE           26
#define VC_E_BAD_CONFIG_FILE_LINE         27
#define VC_E_BAD_OPTION_LINE              28
#define VC_E_OPTION_ENFORCED              29
#define VC_E_UNKNOWN_OPTION               30
#define VC_E_ARCHIVE_PARSE_ERROR          31
#define VC_E_ARCHIVE_HEADER_CORRUPT       32
#define VC_E_DELTA_CORRUPT                33
#define VC_E_REVISION_CORRUPT             34
#define VC_E_SYMBOL_EXISTS                35
#define VC_E_SYMBOL_MISSING               36
#define VC_E_SYMBOL_TOO_LONG              37
#define VC_E_ACCESS_NAME_EXISTS           38
#define VC_E_ACCESS_LIST_EMPTY            39
#define VC_E_ACCESS_NAME_MISSING          40
#define VC_E_NO_PERMISSION                41
#define VC_E_REVISION_NOT_LOCKED          42
#define VC_E_REVISION_ALREADY_LOCKED      43
#define VC_E_LOCKED_BY_OTHER              44
#define VC_E_OTHER_REVISION_LOCKED        45
#define VC_E_PROMOTED_REVISION_LOCK       46
#define VC_E_REVISION_EXISTS              47
#define VC_E_REVISION_MISSING             48
#define VC_E_BAD_INFO_REQUEST             49
#define VC_E_REVISION_OUT_OF_RANGE        50
#define VC_E_BAD_REVISION_NUMBER          51
#define VC_E_REVISION_HAS_BRANCHES        52
#define VC_E_NO_BRANCH                    53
#define VC_E_BAD_TOKEN                    54
#define VC_E_FILE_CHANGED                 55
#define VC_E_BAD_ARGUMENT                 56
#define VC_E_BAD_KEYWORD_EXPANSION        57
#define VC_E_NO_WORK_FILE_NAME            58
#define VC_E_NOT_PROJECT_FILE             59
#define VC_E_BAD_PROJECT_HANDLE           60
#define VC_E_NOT_MEMBER                   61
#define VC_E_ALREADY_MEMBER               62
#define VC_E_MEMBER_MISSING_REVISION      63
#define VC_E_PROJECT_REVISION_DIFFERS     64
#define VC_E_MEMBER_FROM_SUBPROJECT       65
#define VC_E_MEMBER_NAME_EXISTS           66
#define VC_E_NO_DEPENDENCIES              67
#define VC_E_NO_MASTER_PROJECT            68
#define VC_E_BAD_SANDBOX_HANDLE           69
#define VC_E_NOT_SANDBOX_FILE             70
#define VC_E_USER_FIXED                   71
#define VC_E_NO_SOURCE_LANGUAGE           72
#define VC_E_NOT_BORLAND_PROJECT          73
#define VC_E_OPTION_NOT_DEFINED           74
#define VC_E_FILES_ADDED                  75
#define VC_E_NOT_ON_ACCESS_LIST           76
#define VC_E_PROJECT_IN_OWN_JOURNAL       77
#define VC_E_GZIPPED_ARCHIVE              78
#define VC_E_GZIPPED_ENCRYPTED_ARCHIVE    79
#define VC_E_UNZIP_ERROR                  80
#define VC_E_ZIP_ERROR                    81
#define VC_E_EVENT_HALTED                 82
#define VC_E_BAD_PROMOTION                83
#define VC_E_BAD_PROMOTION_LIST           84
#define VC_E_WORK_EQUALS_ARCHIVE          85
#define VC_E_COMMIT_FAILED                88
#define VC_E_NO_LOCK_BREAKING             89
#define VC_E_RESOURCE_FORK_OPEN           90
#define VC_E_RESOURCE_FORK_READ           91
#define VC_E_RESOURCE_FORK_WRITE          92
#define VC_E_CANCELLED                    93
#define VC_E_PROJECT_DENIED               94
#define VC_E_NO_SECURITY_MODULES          95
#define VC_E_SECURITY_MODULE_PRESENT      96
#define VC_E_SECURITY_MODULE_MISSING      97
#define VC_E_SECURITY_DENIED              98
#define VC_E_PROJECT_FROZEN               99
#define VC_E_MEMBER_FROZEN                100
#define VC_E_BAD_FREEZE                   101
#define VC_E_ARCHIVE_CHANGED_BY_OTHER     102
#define VC_E_PROJECT_CHANGED_BY_OTHER     103
#define VC_E_NO_MEMORY                    201
#define VC_E_CANNOT_CREATE_ARCHIVE_DIR    202
#define VC_E_CANNOT_OPEN_ARCHIVE          203
#define VC_E_CANNOT_LOCK                  204
#define VC_E_CANNOT_OPEN_TEMP             205
#define VC_E_CANNOT_CREATE_TEMP           206
#define VC_E_CANNOT_OPEN_WORK_FILE        207
#define VC_E_CANNOT_OPEN_CONFIG           208
#define VC_E_RENAME_FAILED                209
#define VC_E_ARCHIVE_INACCESSIBLE         210
#define VC_E_ARCHIVE_SEEK                 211
#define VC_E_ARCHIVE_READ                 212
#define VC_E_ARCHIVE_WRITE                213
#define VC_E_TEMP_WRITE                   214
#define VC_E_TEMP_READ                    215
#define VC_E_WORK_READ                    216
#define VC_E_WORK_WRITE                   217
#define VC_E_UNEXPECTED_EOF               218
#define VC_E_PROJECT_WRITE                219
#define VC_E_CANNOT_OPEN_PROJECT          220
#define VC_E_UNKNOWN_ERROR                221
#define VC_E_NLM_ERROR                    222
#define VC_E_CHECKIN_FILE_INACCESSIBLE    223
#define VC_E_CANNOT_CREATE_OUTPUT         224
#define VC_E_CANNOT_OPEN_TURBOC_CFG       225
#define VC_E_PROJECT_LOG_WRITE            226
#define VC_E_USE_CACHE_WRITE              227
#define VC_E_CANNOT_OPEN_FILE             228
#define VC_E_REFERENCE_CACHE_APPEND       229
#define VC_E_COMMIT_TEMP_MISSING          230
#define VC_E_CANNOT_COPY                  231
#define VC_E_MASTER_PROJECT_INACCESSIBLE  232
#define VC_E_NO_REVISION_AT_DATE          233
#define VC_E_NO_MESSAGE                   234
#define VC_E_SECURITY_ADVICE              235
#define VC_E_DENY_ADD_LABEL               236
#define VC_E_DENY_DELETE_LABEL            237
#define VC_E_DENY_LOCK                    238
#define VC_E_DENY_BREAK_LOCK              239
#define VC_E_DENY_DELETE_REVISION         240
#define VC_E_DENY_CHECKIN                 241
#define VC_E_DENY_CHECKOUT                242
#define VC_E_DENY_MODIFY_ARCHIVE          243
#define VC_E_DENY_CREATE_ARCHIVE          244
#define VC_E_DENY_PROMOTE                 245
#define VC_E_DENY_DEMOTE                  246
#define VC_E_DENY_ADD_MEMBER              247
#define VC_E_DENY_REMOVE_MEMBER           248
#define VC_E_DENY_CREATE_PROJECT          249
#define VC_E_DENY_CREATE_SANDBOX          250
#define VC_E_DENY_OPEN_ARCHIVE            251
#define VC_E_DENY_OPEN_PROJECT            252
#define VC_E_DENY_OPEN_SANDBOX            253
#define VC_E_DENY_MODIFY_PROJECT          254
#define VC_E_DENY_MODIFY_SANDBOX          255
#define VC_E_DENY_FREEZE_PROJECT          256
#define VC_E_DENY_THAW_PROJECT            257
#define VC_E_DENY_FREEZE_MEMBER           258
#define VC_E_DENY_THAW_MEMBER             259
#define VC_E_DENY_ADD_ENCRYPTION          260
#define VC_E_DENY_REMOVE_ENCRYPTION       261
#define VC_E_NO_DEFAULT_DATABASE          262
#define VC_E_SECURITY_INIT_FAILED         263
#define VC_E_NO_ROLE_INFORMATION          268
#define VC_E_DENY_CHECKPOINT              269
#define VC_E_SECURITY_LOAD_FAILED         270
#define VC_E_REDIRECTOR_FAILED            271
#define VC_E_DATABASE_OPEN_FAILED         272
#define VC_E_DENY_LOCK_AT_STATE           273
#define VC_E_DENY_PROMOTE_TO_STATE        275
#define VC_E_DENY_DEMOTE_TO_STATE         276
#define VC_E_DENY_REPORTS                 277
#define VC_E_CATASTROPHE                  278

/* ---- Name lengths ----
 * The longest texts the callers' buffers are made for: a buffer of
 * VC_MAX_... + 1 bytes holds one with its terminator. A longer result
 * answers VC_E_BUFFER_TOO_SMALL, and vcBufferLenQ tells the length needed. */
#define VC_MAX_NAME     512 /* a path name */
#define VC_MAX_REVISION 63  /* a revision number */
#define VC_MAX_TOKEN    39  /* a user name, author, state or locker */
#define VC_MAX_PASSWORD 8   /* an archive's password: the characters that count */

/* ---- Callbacks the library calls back through ---- */

/* Echo, trace and script-error text, by kind. */
typedef int (*VcEchoTraceFn)(const char* text, const char* file, int line, int kind);
#define VC_ECHO_TEXT         0 /* an echo statement's text */
#define VC_ECHO_TRACE        1 /* a traced line */
#define VC_ECHO_SCRIPT_ERROR 2 /* a script error */
/* buffer holds the prompt on entry and the answer on return; nonzero = answered. */
typedef int (*VcQueryFn)(char* buffer, int length);
/* A project variable without value: nonzero when value was filled. */
typedef int (*VcProjectVariableFn)(int project, int number, const char* name,
                                   const char* defaultValue, char* value, int length);
/* Password of an encrypted archive: 0 = buffer holds it, nonzero = refused. */
typedef int (*VcPasswordFn)(int archive, const char* archiveName, char* buffer, int length);
/* Progress text of long operations: 0 go on, -1 stop. */
typedef int (*VcStatusFn)(const char* text);
/* Variable of a sandbox: 0 keep, -1 stop, other = the buffer holds the value. */
typedef int (*VcSandboxVariableFn)(const char* name, const char* current, char* value,
                                   const char* extra);
/* Where a new sandbox member is kept: -1 cancel, 0 leave, 1 copy to result. */
typedef int (*VcLocationFn)(const char* file, const char* directory, char* result, int reserved);
/* Yes/no while adding members: 1 yes, 0 no. */
typedef int (*VcYesNoFn)(int kind, const char* text);
/* Each used file of a member (vcEnumUses, vcAddUsedFiles). */
typedef int (*VcUsedFileFn)(const char* fileName);
/* vcGetCache: one character of a text; nonzero = go on. */
typedef int (*VcCacheGetFn)(int character);
/* vcPutCache: the next character of a text; 0 = the text has ended. */
typedef int (*VcCachePutFn)(void);

/* ---- Library instance (start-up and clean-up) ---- */

VC_API VcError vcAPIinit(void);
VC_API VcError vcAPIinitRegister(const char* name, VcEchoTraceFn echo, VcQueryFn query);
VC_API VcError vcAPIcleanup(void);
VC_API VcError vcSetCBHandle(unsigned int value, unsigned int* previous);
VC_API VcError vcGetCBHandle(unsigned int* value);
VC_API int vcBufferLenQ(void);
VC_API int vcExtraError(void);
VC_API int vcKELError(void);

/* ---- Messages ---- */

VC_API VcError vcErrorStr(VcError code, char* buffer, int length);

/* ---- Revision numbers ---- */

VC_API int vcRevFields(const char* revision);
VC_API int vcRevCmp(const char* a, const char* b);
VC_API int vcRevDerives(const char* a, const char* b);
VC_API int vcRevOrder(const char* a, const char* b);

/* ---- Files ---- */

VC_API VcError vcSetWorkPerms(int archive, int reserved, const char* workFile, int locked);
VC_API VcError vcFilesChanged(int project, long time);

/* ---- Configuration options ---- */

VC_API VcError vcReadConfig(const char* fileName);
VC_API VcError vcWriteConfig(const char* fileName);
VC_API VcError vcGetConfig(const char* name, char* qualifier, int qualifierLength, char* value,
                           int valueLength);
/* Flag bits of an option (vcGetConfigFlags, vcSetConfigFlags, the flags of
 * vcProjectOptionGet and vcSandboxOptionGet). A caller may set
 * VC_OPTION_NO, VC_OPTION_ENFORCED and VC_OPTION_TEMPORARY. */
#define VC_OPTION_NO        0x1   /* the option is false ("No" before its name) */
#define VC_OPTION_NOT_FOUND 0x2   /* answered for an option that is not defined */
#define VC_OPTION_ENFORCED  0x4   /* "Enforce": it cannot be overridden */
#define VC_OPTION_POLICY    0x10  /* set by a policy of the security database */
#define VC_OPTION_TEMPORARY 0x20  /* never written back */
#define VC_OPTION_SAVED     0x800 /* written by vcWriteConfig */
VC_API VcError vcGetConfigFlags(const char* name, unsigned int* flags);
VC_API VcError vcGetConfigList(int item, char* buffer, int length);
VC_API VcError vcSetConfig(const char* line, const char* value);
VC_API VcError vcSetConfigFlags(const char* name, unsigned int flags);
VC_API VcError vcDropConfig(const char* name);

/* ---- Scripts and events ---- */

VC_API VcError vcConfigRegisterEchoTrace(VcEchoTraceFn echo);
VC_API VcError vcConfigRegisterQuery(VcQueryFn query);
VC_API VcError vcRunBlock(const char* blockName, int all);
VC_API VcError vcArchiveEvent(int archive, const char* eventName, const char* revision);
VC_API VcError vcProjectEvent(int project, const char* eventName);
/* Evaluates an expression (parameters: "name=value" entries separated by ",",
 * names without case, before options); the integer value is the extra error.
 * 0; 5 with extra error 0 after a syntax or script error. */
VC_API VcError vcExpression(const char* expression, const char* parameters);

/* ---- Mail (CMC) ---- */

/* 0 ready; 1 mail unavailable (an earlier attempt failed); 2 the CMC library
 * cannot be loaded; 3 an entry point is missing; 4 CMC is not configured. */
VC_API int vx_init(void);
VC_API int vx_exit(void);
/* recipients separated by ","; 0 when sent, else vx_init's code or the CMC
 * result's low 16 bits (16 for a line break in recipients or subject). */
VC_API int vx_sendmail(const char* recipients, const char* subject, const char* text,
                       unsigned int window);

/* ---- Instance and archive information ---- */

/* Items of vcGetSysInfo. Texts, except: VC_SYSINFO_LIBRARY_LEVEL one byte
 * (answered with or without an instance), the two handles four bytes. */
#define VC_SYSINFO_CURRENT_DIR       40 /* the current directory */
#define VC_SYSINFO_USER              41 /* the current user name */
#define VC_SYSINFO_LIBRARY_LEVEL     51 /* the library's level: VC_LIBRARY_LEVEL */
#define VC_SYSINFO_LOGIN_NAME        61 /* the login name, the author of new revisions */
#define VC_SYSINFO_SECURITY_DATABASE 79 /* the security database's path */
#define VC_SYSINFO_START_USER        80 /* the user name found at start-up */
#define VC_SYSINFO_CURRENT_PROJECT   81 /* the current project's handle, 0 none */
#define VC_SYSINFO_CURRENT_ARCHIVE   82 /* the current archive's handle, 0 none */
#define VC_SYSINFO_USER_REGISTERED   83 /* "1" when the open security database's global
                                           module has a user named VC_SYSINFO_USER, else "0" */
#define VC_LIBRARY_LEVEL 38 /* this library's level */
VC_API VcError vcGetSysInfo(int item, char* buffer, int length);
/* Items of vcSetSysInfo; handles are given as decimal text, "0" clears. */
#define VC_SYSINFO_SET_CURRENT_DIR        42  /* value: the directory, as given */
#define VC_SYSINFO_SET_LOGNAME            43  /* the local option logname */
#define VC_SYSINFO_SET_RESERVED           50  /* accepted; changes nothing */
#define VC_SYSINFO_SET_CURRENT_PROJECT    52  /* value: a project handle */
#define VC_SYSINFO_SET_CURRENT_ARCHIVE    77  /* value: an archive handle */
#define VC_SYSINFO_SET_SECURITY           78  /* security checks on or off (first byte) */
#define VC_SYSINFO_SET_AUTHENTICATED_USER 99  /* 1 to 49 characters */
#define VC_SYSINFO_TAKE_INSTANCE          100 /* hands instance slot 0 to the caller */
VC_API VcError vcSetSysInfo(int item, const char* value);
VC_API VcError vcRegisterPasswdCallback(VcPasswordFn callback);
VC_API VcError vcProjectVariableRegister(VcProjectVariableFn callback);

/* ---- Security database bridge ---- */

/* 0 when granted, VC_PERM_DENIED when not. */
#define VC_PERM_DENIED 5
VC_API VcError vcGetPerm(const char* permission);
VC_API VcError vcGetPermValue(const char* permission, char* buffer, int length);
VC_API VcError vcKELCreateRedirector(const char* databasePath, const char* redirectorFile);

/* ---- NetWare server module (raw requests) ----
 * Each sends one request with an operand to the server module of path's
 * server and answers the module's result word; 3 for a path that is not on
 * a NetWare server (always, on a system without a NetWare client), 12 when
 * the operand does not fit, 104 when the module did not answer before, 222
 * when it does not answer now, 8 without instance. nwResults and
 * nwResultsIndex copy reply data (60 bytes from offset 6) of the last
 * exchange; 56 when the range leaves it. */
VC_API int nwSendString(const char* user, const char* path, const char* text, int code);
VC_API int nwSendV(const char* user, const char* path, const void* bytes, int count, int code);
VC_API int nwSendWordLong(const char* user, const char* path, unsigned int first, unsigned int second,
                          int code);
VC_API int nwResults(unsigned char* buffer, int count);
VC_API int nwResultsIndex(unsigned char* buffer, int offset, int count);

/* ---- Archives ---- */

/* Open modes of archives (vcOpenArchive, vcFindArchiveName,
 * vcMemberOpenArchive, vcMemberArchiveChanges): read, or write and/or
 * create, which take the archive's write lock. */
#define VC_ARCHIVE_OPEN_READ   1
#define VC_ARCHIVE_OPEN_WRITE  2
#define VC_ARCHIVE_OPEN_CREATE 4
VC_API VcError vcOpenArchive(const char* archiveName, int* archive, int mode);
VC_API VcError vcFindArchiveName(const char* workName, char* archiveName, int length, int* archive,
                                 int mode);
VC_API VcError vcCloseArchive(int archive);
VC_API VcError vcKeepClosed(int archive);
VC_API VcError vcWriteLock(int archive);
VC_API VcError vcDropWriteLock(int archive);
VC_API VcError vcReOpenArchive(int archive);
/* close: VC_COMMIT_CLOSE ends the handle after the commit, VC_COMMIT_KEEP_OPEN
 * keeps the archive open under its write lock. */
#define VC_COMMIT_KEEP_OPEN 0
#define VC_COMMIT_CLOSE     1
VC_API VcError vcCommitArchive(int archive, int close);
VC_API VcError vcSetPassword(int archive, const char* password);
/* Items of vcGetArchiveInfo. The list items (NEXT_...) give one entry a
 * call ("name revision" for locks and labels) and VC_E_DONE after the last;
 * flags and small numbers come as one byte, the counts as four, the file
 * mode as two. */
#define VC_ARCHIVE_ITEM_NEXT_ACCESS           1  /* an access-list name */
#define VC_ARCHIVE_ITEM_DESCRIPTION           2
#define VC_ARCHIVE_ITEM_STORAGE               3  /* VC_STORAGE_... */
#define VC_ARCHIVE_ITEM_COMMENT               4  /* the comment leader */
#define VC_ARCHIVE_ITEM_COMPRESSION           5  /* the compression bits */
#define VC_ARCHIVE_ITEM_DEFAULT_BRANCH        6
#define VC_ARCHIVE_ITEM_ENCRYPTED             7
#define VC_ARCHIVE_ITEM_HEAD                  8  /* the head revision */
#define VC_ARCHIVE_ITEM_NEXT_LOCK             9  /* user, blank, revision */
#define VC_ARCHIVE_ITEM_ON_ACCESS_LIST        10 /* the name in the buffer: 0 when listed */
#define VC_ARCHIVE_ITEM_NEXT_LABEL            11 /* label, blank, revision */
#define VC_ARCHIVE_ITEM_STRICT_LOCKING        12
#define VC_ARCHIVE_ITEM_MODIFIED              13 /* changed, not yet committed */
#define VC_ARCHIVE_ITEM_FILE_CHANGED          47 /* the file changed on disk since the open */
#define VC_ARCHIVE_ITEM_CREATED               48 /* created by this open, not yet committed */
#define VC_ARCHIVE_ITEM_FIRST_REVISION        51 /* the first in enumeration order */
#define VC_ARCHIVE_ITEM_FILE_NAME             62
#define VC_ARCHIVE_ITEM_FILE_MODE             64
#define VC_ARCHIVE_ITEM_REVISION_COUNT        66
#define VC_ARCHIVE_ITEM_BRANCH_COUNT          67
#define VC_ARCHIVE_ITEM_BRANCH_REVISION_COUNT 68
#define VC_ARCHIVE_ITEM_EXTENSION             70 /* the extension text */
#define VC_ARCHIVE_ITEM_NEXT_SECURITY_OBJECT  79
/* How an archive stores its revisions (VC_ARCHIVE_ITEM_STORAGE, the first
 * byte of VC_ARCHIVE_ITEM_SET_STORAGE's value). */
#define VC_STORAGE_TEXT     0
#define VC_STORAGE_BINARY   1
#define VC_STORAGE_UNSTATED 2 /* not stated: the first check-in decides */
VC_API VcError vcGetArchiveInfo(int archive, int item, char* buffer, int length);
/* Items of vcGetIdArchiveInfo, by their key. */
#define VC_ARCHIVE_ITEM_LABEL_REVISION 14 /* key a label: its revision */
#define VC_ARCHIVE_ITEM_USER_LOCK      15 /* key a user: the revision the user has locked */
#define VC_ARCHIVE_ITEM_LOCKER         16 /* key a revision: the user who holds its lock */
VC_API VcError vcGetIdArchiveInfo(int archive, int item, const char* key, char* buffer, int length);
/* Items of vcSetArchiveInfo (under the archive's write lock, except
 * VC_ARCHIVE_ITEM_SET_KEYWORD_PATH). Flags take the first byte of value. */
#define VC_ARCHIVE_ITEM_ADD_ACCESS           17
#define VC_ARCHIVE_ITEM_ADD_LABEL            19 /* value the label, second its revision */
#define VC_ARCHIVE_ITEM_SET_COMMENT          20
#define VC_ARCHIVE_ITEM_SET_DEFAULT_BRANCH   21 /* empty: none */
#define VC_ARCHIVE_ITEM_DROP_ACCESS          22
#define VC_ARCHIVE_ITEM_DROP_LABEL           24
#define VC_ARCHIVE_ITEM_SET_STORAGE          25 /* VC_STORAGE_... */
#define VC_ARCHIVE_ITEM_SET_STRICT_LOCKING   26
#define VC_ARCHIVE_ITEM_SET_COMPRESSION      45 /* as the option compress is read */
#define VC_ARCHIVE_ITEM_SET_MODIFIED         46
#define VC_ARCHIVE_ITEM_SET_DESCRIPTION      49
#define VC_ARCHIVE_ITEM_SET_KEYWORD_PATH     63 /* the path the Header and Source keywords show */
#define VC_ARCHIVE_ITEM_SET_EXTENSION        72
#define VC_ARCHIVE_ITEM_ADD_SECURITY_OBJECT  80
#define VC_ARCHIVE_ITEM_DROP_SECURITY_OBJECT 81
VC_API VcError vcSetArchiveInfo(int archive, int item, const char* value, const char* second);
/* Items of vcGetRevInfo: texts, except the count (four bytes) and
 * VC_REVISION_ITEM_EXISTS (no buffer; 0 or VC_E_REVISION_MISSING). A relation
 * that leads to no revision answers VC_E_REVISION_MISSING. */
#define VC_REVISION_ITEM_AUTHOR        27
#define VC_REVISION_ITEM_FIRST_BRANCH  28 /* the first revision of its first branch */
#define VC_REVISION_ITEM_NEXT_BRANCH   29 /* the first revision of the next branch */
#define VC_REVISION_ITEM_DATE          30 /* year/month/day hour:minute:second */
#define VC_REVISION_ITEM_LOG           31 /* the log message */
#define VC_REVISION_ITEM_STORED_TEXT   32 /* full text or edit script */
#define VC_REVISION_ITEM_NEXT          33 /* the next in enumeration order */
#define VC_REVISION_ITEM_STATE         34
#define VC_REVISION_ITEM_NUMBER        44 /* the number a name resolves to */
#define VC_REVISION_ITEM_PREVIOUS      59 /* the one before it on its line */
#define VC_REVISION_ITEM_CHANGE_COUNTS 60 /* "+added -deleted" */
#define VC_REVISION_ITEM_BRANCH_COUNT  65
#define VC_REVISION_ITEM_EXISTS        69
#define VC_REVISION_ITEM_NEWER         75 /* the next newer one on its line */
VC_API VcError vcGetRevInfo(int archive, int item, const char* revision, char* buffer, int length);
/* Items of vcSetRevInfo (under the archive's write lock). */
#define VC_REVISION_ITEM_LOCK       18 /* for the current user */
#define VC_REVISION_ITEM_UNLOCK     23 /* one's own lock */
#define VC_REVISION_ITEM_BREAK_LOCK 51 /* anyone's lock */
#define VC_REVISION_ITEM_RENUMBER   35 /* value: the new number */
#define VC_REVISION_ITEM_SET_STATE  36
#define VC_REVISION_ITEM_SET_AUTHOR 37
#define VC_REVISION_ITEM_SET_DATE   38
#define VC_REVISION_ITEM_SET_LOG    39
VC_API VcError vcSetRevInfo(int archive, int item, const char* revision, const char* value);
/* Token kinds of vcValidateToken: 0 valid, VC_E_BAD_TOKEN not. */
#define VC_TOKEN_USER        52
#define VC_TOKEN_REVISION    53
#define VC_TOKEN_STATE       54
#define VC_TOKEN_LABEL       55
#define VC_TOKEN_AUTHOR      56 /* checked as a user name */
#define VC_TOKEN_CONFIG_LINE 74
#define VC_TOKEN_NAME_FORMAT 76 /* every % followed by v, d or f */
VC_API VcError vcValidateToken(int archive, int item, const char* text);
VC_API VcError vcExpandRevision(int archive, const char* revision, char* buffer, int length);
/* A text character by character. vcGetCache: VC_ARCHIVE_ITEM_DESCRIPTION,
 * _COMMENT, _EXTENSION, VC_REVISION_ITEM_LOG, _STORED_TEXT; vcPutCache:
 * VC_ARCHIVE_ITEM_SET_DESCRIPTION, _SET_COMMENT, _SET_EXTENSION,
 * VC_REVISION_ITEM_SET_LOG. */
VC_API VcError vcGetCache(int archive, const char* revision, int item, VcCacheGetFn callback);
VC_API VcError vcPutCache(int archive, const char* revision, int item, VcCachePutFn callback);

/* Check-in. workFile NULL: only compute the new number; "": a duplicate of
 * the base. Flags: */
#define VC_CHECKIN_REFUSE_UNCHANGED  1  /* answer VC_E_NO_DIFFERENCES instead */
#define VC_CHECKIN_COLLAPSE_KEYWORDS 2
#define VC_CHECKIN_KEYWORD_VALUES    4  /* take the revision's fields from the file's keywords */
#define VC_CHECKIN_ALWAYS_DELTA      8
#define VC_CHECKIN_NEVER_DELTA       16 /* store the whole text */
VC_API VcError vcCiRevision(int archive, const char* baseRevision, const char* workFile, int flags,
                            char* revision, int length);
/* Check-out; workFile NULL or "-": standard output. Flags (0: keywords as
 * the option keywordexpand says): */
#define VC_CHECKOUT_COLLAPSE_KEYWORDS 2
#define VC_CHECKOUT_EXPAND_KEYWORDS   4 /* whatever the option says */
#define VC_CHECKOUT_NO_KEYWORDS       (VC_CHECKOUT_COLLAPSE_KEYWORDS | VC_CHECKOUT_EXPAND_KEYWORDS)
VC_API VcError vcCoRevision(int archive, const char* revision, const char* workFile);
VC_API VcError vcCheckOutRevision(int archive, const char* revision, const char* workFile, int flags);
VC_API VcError vcDeleteRevision(int archive, const char* revision);

/* ---- Differencers ---- */

/* The binary argument of vcFindFileDiff and vcCmpFiles. */
#define VC_COMPARE_TEXT   0
#define VC_COMPARE_BINARY 1
/* 0 same, 1 different, 2 trouble (message in errbuf, code in vcExtraError). */
VC_API VcError vcFindDiff(int archive, const char* options, const char* file1, const char* file2,
                          const char* output, char* errbuf, int errlen);
VC_API VcError vcFindFileDiff(int binary, const char* options, const char* file1, const char* file2,
                              const char* output, char* errbuf, int errlen);
/* 0 equal, 1 different, 207 a file cannot be opened (its name in errbuf). */
VC_API VcError vcCmpFiles(int binary, const char* file1, const char* file2, char* errbuf, int errlen);

/* ---- Borland IDE project files ---- */

VC_API VcError vcbccoption(const char* projectFile, int option, char* buffer, int length);
VC_API VcError vcbccdone(void);

/* ---- Projects ---- */

/* Splits a member's rules text in place at commas into at most maxCount
 * fields, each at its first "=" into names[i] and values[i] (NULL without
 * "="); double quotes group. The number of fields. */
VC_API int vcRuleSplit(char* text, char** names, char** values, int maxCount);

/* Open flags of projects. A null handle place only checks that the file
 * opens; nothing is kept and nothing written. keep is stored with the
 * record. A project or sandbox file that ends early (no "EndOptions", a
 * block without its end, a last line without its line feed) is refused
 * with 218 and left as it is. */
#define VC_PROJECT_OPEN_MODIFY   1 /* for modification: the modify permissions are checked */
#define VC_PROJECT_OPEN_WRITE    2 /* for modification and writing */
#define VC_PROJECT_OPEN_CREATE   4 /* create when missing (the caller's save writes it) */
#define VC_PROJECT_OPEN_REVISION 8 /* open a revision read-only */
VC_API VcError vcOpenProject(const char* projectFile, int flags, int* project, int keep);
VC_API VcError vcOpenRevProject(const char* projectFile, const char* revision, int flags,
                                int* project, int keep);
/* As vcOpenProject; the project is never written back. */
VC_API VcError vcTempProject(const char* projectFile, int flags, int* project, int keep);
VC_API VcError vcCloseProject(int project);
/* Writes what changed (through a temporary file, unnamed until it is
 * complete, renamed over the old one), then appends the pending entries to the ".trn" log. 55 when someone else
 * replaced the file since it was read. */
VC_API VcError vcSaveProject(int project);
/* Open flags of a sandbox file. */
#define VC_SANDBOX_OPEN_MODIFY 1 /* needs the permission modifysandbox */
#define VC_SANDBOX_OPEN_WRITE  2
#define VC_SANDBOX_OPEN_CREATE 4 /* create when missing */
VC_API VcError vcOpenSandbox(const char* sandboxFile, int flags, int* sandbox, int keep);
VC_API VcError vcSaveSandbox(int sandbox);
VC_API VcError vcCloseSandbox(int sandbox);
/* Locks of the project file; 55 when the file changed since it was read. */
VC_API VcError vcProjectWriteLock(int project);
VC_API VcError vcProjectSharedLock(int project);
VC_API VcError vcDropProjectWriteLock(int project);

/* Items of vcGetProject. The option walks (FIRST_/NEXT_) give one option,
 * or one worktoarch pair, a call, and VC_E_UNKNOWN_OPTION after the last:
 * the project's own list and then its list from the security database, or
 * the sandbox's (SANDBOX_), the own (OWN_) or the security database's
 * (SECURITY_) list alone. Flags are one byte, the member count four. */
#define VC_PROJECT_ITEM_FIRST_OPTION              120
#define VC_PROJECT_ITEM_NEXT_OPTION               121
#define VC_PROJECT_ITEM_FIRST_WORKTOARCH          122
#define VC_PROJECT_ITEM_NEXT_WORKTOARCH           123
#define VC_PROJECT_ITEM_SANDBOX_FIRST_OPTION      124
#define VC_PROJECT_ITEM_SANDBOX_NEXT_OPTION       125
#define VC_PROJECT_ITEM_SANDBOX_FIRST_WORKTOARCH  126
#define VC_PROJECT_ITEM_SANDBOX_NEXT_WORKTOARCH   127
#define VC_PROJECT_ITEM_OWN_FIRST_OPTION          128
#define VC_PROJECT_ITEM_OWN_NEXT_OPTION           129
#define VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH      130
#define VC_PROJECT_ITEM_OWN_NEXT_WORKTOARCH       131
#define VC_PROJECT_ITEM_SECURITY_FIRST_OPTION     132
#define VC_PROJECT_ITEM_SECURITY_NEXT_OPTION      133
#define VC_PROJECT_ITEM_SECURITY_FIRST_WORKTOARCH 134
#define VC_PROJECT_ITEM_SECURITY_NEXT_WORKTOARCH  135
#define VC_PROJECT_ITEM_FILE                      140 /* the project file (of a revision: its working copy) */
#define VC_PROJECT_ITEM_REVISION                  141 /* the revision the file records */
#define VC_PROJECT_ITEM_PROJECT_DIR               142
#define VC_PROJECT_ITEM_WORK_DIR                  143
#define VC_PROJECT_ITEM_NEW                       144 /* not yet written */
#define VC_PROJECT_ITEM_CHANGED                   145
#define VC_PROJECT_ITEM_SANDBOX                   146 /* the sandbox file; VC_E_DONE without one */
#define VC_PROJECT_ITEM_LOG_FILE                  147 /* the ".trn" log */
#define VC_PROJECT_ITEM_VARIANT                   149 /* opened through a variant sandbox */
#define VC_PROJECT_ITEM_THROUGH_SANDBOX           150 /* opened through a sandbox */
#define VC_PROJECT_ITEM_OPENED_NAME               151 /* the project file as opened */
#define VC_PROJECT_ITEM_USES_CHANGED              152
#define VC_PROJECT_ITEM_USES_CACHE                153 /* the ".use" file is kept */
#define VC_PROJECT_ITEM_LOG_ON                    154
#define VC_PROJECT_ITEM_SANDBOX_CHANGED           155
#define VC_PROJECT_ITEM_NO_VARIABLES              156 /* member paths without variables */
#define VC_PROJECT_ITEM_MEMBER_COUNT              157
#define VC_PROJECT_ITEM_FROZEN                    158
VC_API VcError vcGetProject(int project, int item, char* buffer, int length);
/* Items of vcSetProject; flags take the low bit of value's first byte, the
 * texts an empty value to clear; FREEZE and THAW take no value. */
#define VC_PROJECT_ITEM_SET_FILE            160
#define VC_PROJECT_ITEM_SET_REVISION        161
#define VC_PROJECT_ITEM_SET_PROJECT_DIR     162
#define VC_PROJECT_ITEM_SET_WORK_DIR        163
#define VC_PROJECT_ITEM_SET_NEW             164
#define VC_PROJECT_ITEM_SET_CHANGED         165
#define VC_PROJECT_ITEM_SET_USES_CHANGED    166
#define VC_PROJECT_ITEM_SET_USES_CACHE      167
#define VC_PROJECT_ITEM_SET_LOG_ON          168 /* off frees the pending log entries */
#define VC_PROJECT_ITEM_SET_SANDBOX_CHANGED 170
#define VC_PROJECT_ITEM_FREEZE              171
#define VC_PROJECT_ITEM_THAW                172
VC_API VcError vcSetProject(int project, int item, const char* value);

/* Options and blocks of an open project (of its sandbox, for a project
 * opened through a sandbox file) and of a sandbox. A change through a
 * project is logged at its next save. apply: */
#define VC_STATEMENT_CHECK 0 /* only check the statement */
#define VC_STATEMENT_APPLY 1
VC_API VcError vcProjectOptionSet(int project, const char* statement, int apply);
VC_API VcError vcProjectOptionGet(int project, const char* name, char* value, int length,
                                  unsigned int* flags);
VC_API VcError vcProjectOptionDrop(int project, const char* name);
VC_API VcError vcProjectBlockSet(int project, const char* name, const char* text);
/* A block line by line: (VC_WALK_BLOCK_HEAD|scope, scope word, "block",
 * "block NAME"), then (VC_WALK_BLOCK_LINE|scope, .., "continue-block", line)
 * per line, then (VC_WALK_BLOCK_END|scope, .., "end-block", "end"); scope
 * VC_SCOPE_PROJECT "project" or VC_SCOPE_SANDBOX "sandbox". A nonzero answer
 * ends the walk and is returned. */
typedef int (*VcBlockLineFn)(int flags, const char* scope, const char* keyword, const char* text);
/* Kind bits of the entries handed to a VcBlockLineFn (also vcEnumConfig). */
#define VC_WALK_BLOCK_HEAD 0x100
#define VC_WALK_BLOCK_LINE 0x200
#define VC_WALK_BLOCK_END  0x400
#define VC_WALK_WORKTOARCH 0x1000 /* a worktoarch pair */
#define VC_WALK_WORKMAP    0x2000 /* a workmap pair */
#define VC_WALK_AUTOACTION 0x4000 /* an autoaction pair */
#define VC_WALK_OPTION     0x8000
/* The scope bits beside them: the list an entry comes from. */
#define VC_SCOPE_INSTANCE_LOCAL  0    /* "instance - local" */
#define VC_SCOPE_INSTANCE_GLOBAL 0x8  /* "instance - global" */
#define VC_SCOPE_PROJECT         0x40 /* "project", "project - local" */
#define VC_SCOPE_PROJECT_KEL     0x48 /* "project - kel": from the security database */
#define VC_SCOPE_SANDBOX         0x80 /* "sandbox" */
VC_API VcError vcProjectBlockGet(int project, const char* name, VcBlockLineFn callback);
VC_API VcError vcProjectBlockDrop(int project, const char* name);
VC_API VcError vcSandboxOptionSet(int sandbox, const char* statement, int apply);
VC_API VcError vcSandboxOptionGet(int sandbox, const char* name, char* value, int length,
                                  unsigned int* flags);
/* The project's log: the whole ".trn" text becomes the log message of the
 * archive's revision, then the log restarts with a checkpoint entry. */
VC_API VcError vcAddProjectLog(int project, int archive, const char* revision);
VC_API VcError vcCheckpointLog(int project, const char* revision);
/* The saved log's text; cut after the last whole line that fits. */
VC_API VcError vcProjectGetLog(int project, char* buffer, int length);

/* ---- Project members ---- */

/* Items of vcGetMember. The walks (FIRST, NEXT) make the member they give
 * current and answer VC_E_NOT_MEMBER after the last; the others read the
 * current member. The stored name keeps the variable its directory starts
 * with. The kind and the frozen mark are one byte, the numbers four; the
 * RECORDED_ ones are the working file's state when last accepted, VC_E_DONE
 * for a member without that record. */
#define VC_MEMBER_ITEM_NAME              100 /* the full name */
#define VC_MEMBER_ITEM_REVISION          101
#define VC_MEMBER_ITEM_KIND              102 /* 'a', 's', 'i' or 'f' */
#define VC_MEMBER_ITEM_RECORDED_SIZE     103
#define VC_MEMBER_ITEM_RECORDED_SUM      104
#define VC_MEMBER_ITEM_RECORDED_TIME     105
#define VC_MEMBER_ITEM_SIZE              106 /* the working file's now */
#define VC_MEMBER_ITEM_SUM               107
#define VC_MEMBER_ITEM_RECORDED_REVISION 108
#define VC_MEMBER_ITEM_TIME              109
#define VC_MEMBER_ITEM_STATUS            110 /* VC_MEMBER_STATUS_... bits */
#define VC_MEMBER_ITEM_PROJECT           111 /* the file of the project it belongs to */
#define VC_MEMBER_ITEM_FIRST             112 /* by full name */
#define VC_MEMBER_ITEM_NEXT              113
#define VC_MEMBER_ITEM_FIRST_STORED      114 /* by stored name */
#define VC_MEMBER_ITEM_NEXT_STORED       115
#define VC_MEMBER_ITEM_STORED_NAME       116
#define VC_MEMBER_ITEM_NEWER_REVISION    117 /* see VC_MEMBER_STATUS_NEWER_REVISION */
#define VC_MEMBER_ITEM_LOCKER            118 /* see VC_MEMBER_STATUS_REVISION_LOCKED */
#define VC_MEMBER_ITEM_RULES             119
#define VC_MEMBER_ITEM_FROZEN            120
VC_API VcError vcGetMember(int project, int item, char* buffer, int length);
/* Items of vcSetMember on the current member; FREEZE and THAW take no
 * value. */
#define VC_MEMBER_ITEM_SET_KIND              125
#define VC_MEMBER_ITEM_SET_RULES             126
#define VC_MEMBER_ITEM_SET_REVISION          127
#define VC_MEMBER_ITEM_SET_RECORDED_REVISION 128 /* the dependency text, or null */
#define VC_MEMBER_ITEM_FREEZE                129
#define VC_MEMBER_ITEM_THAW                  130
VC_API VcError vcSetMember(int project, int item, const char* value);
VC_API VcError vcAddMember(int project, char kind, const char* name, const char* revision,
                           const char* rules);
/* As vcAddMember through a sandbox: a file outside the sandbox's and the
 * master's trees is placed where location says (-1 cancels: 93); yesNo is
 * asked before an existing file is overwritten. */
VC_API VcError vcAddMemberFromSandbox(int project, char kind, const char* name, const char* revision,
                                      const char* rules, VcLocationFn location, VcYesNoFn yesNo);
/* A null name means the current member; buffer (may be null) gets the new
 * full name. */
VC_API VcError vcRenameMember(int project, const char* oldName, const char* newName, char* buffer,
                              int length);
VC_API VcError vcDeleteMember(int project, const char* name);
/* Makes the named member (or the one at position, counted from 0 in member
 * order) the current member; the member walk stays where it stood. */
VC_API VcError vcInProject(int project, const char* name);
VC_API VcError vcMemberSetPosition(int project, int position);
/* The member's working file below workDir (null: the project's work
 * directory). */
VC_API VcError vcMemberWorkName(int project, const char* member, const char* workDir, char* buffer,
                                int length);
/* Opens the member's archive (its `archive` rule, else the archive search);
 * the archive's name goes to buffer. */
VC_API VcError vcMemberOpenArchive(int project, const char* member, char* buffer, int length,
                                   int* archive, int mode);

/* ---- Member status ----
 * Status bits of a member (VC_MEMBER_ITEM_STATUS). A null member means the
 * current member. */
#define VC_MEMBER_STATUS_SUM_DIFFERS        0x1     /* the working file's byte sum differs from the recorded */
#define VC_MEMBER_STATUS_SIZE_DIFFERS       0x2
#define VC_MEMBER_STATUS_TIME_DIFFERS       0x4
#define VC_MEMBER_STATUS_WORK_MISSING       0x8     /* no working file */
#define VC_MEMBER_STATUS_WORK_UNREADABLE    0x10
#define VC_MEMBER_STATUS_ARCHIVE_UNOPENED   0x20    /* the archive cannot be opened */
#define VC_MEMBER_STATUS_ARCHIVE_UNREADABLE 0x40    /* no archive, or it cannot be read */
#define VC_MEMBER_STATUS_REVISION_MISSING   0x80    /* the member revision is not in it */
#define VC_MEMBER_STATUS_NEWER_REVISION     0x100   /* on the member revision's line */
#define VC_MEMBER_STATUS_REVISION_LOCKED    0x200   /* the member revision is locked */
#define VC_MEMBER_STATUS_REVISION_DIFFERS   0x8000  /* from the recorded revision */
#define VC_MEMBER_STATUS_ENCRYPTED          0x10000 /* and no password */
#define VC_MEMBER_STATUS_INACCESSIBLE       0x20000
#define VC_MEMBER_STATUS_NOT_ON_ACCESS_LIST 0x40000
#define VC_MEMBER_STATUS_OPEN_REFUSED       0x80000 /* no permission to open it */
#define VC_MEMBER_STATUS_WORK_BITS          0x1F    /* those vcMemberWorkChanges sets */
#define VC_MEMBER_STATUS_ARCHIVE_BITS       0xF03E0 /* those the archive calls set */
#define VC_MEMBER_STATUS_ALL                0xF83FF /* every bit VC_MEMBER_ITEM_STATUS reports */
VC_API VcError vcMemberWorkChanges(int project, const char* member, const char* workDir);
/* Accepts the working file as seen; 5 when the member has no record. */
VC_API VcError vcMemberWorkUpdate(int project, const char* member);
VC_API VcError vcMemberNewRevision(int project, const char* member, const char* workDir,
                                   const char* revision);
VC_API VcError vcMemberRevChanges(int project, const char* member, const char* workDir);
VC_API VcError vcMemberRevUpdate(int project, const char* member);
/* Reads the member's archive and sets the archive bits; archive (may be
 * null) gets the open handle, which the caller closes. */
VC_API VcError vcMemberArchiveChanges(int project, const char* member, int* archive, int mode);
/* The archive bits of the current project's current member from an
 * archive already open. */
VC_API VcError vcMemberAnyArchiveChanges(int archive);

/* ---- Dependencies ----
 * The dependency graph of an open project, kept between opens in the
 * ".use" file beside the project (or its sandbox file). */
/* Prepares scanning from the options exclude, targetext and the include
 * path (bcc_cfg, bcc_prj or include). One scanning period at a time per
 * process, until vcDoneUses. */
VC_API VcError vcInitUses(int project);
/* Scans a member's source and the files it includes. 0, the status
 * callback's nonzero answer, or 72 for an unknown source language. flags: */
#define VC_USES_REPORT_FILES 1 /* report each scanned file through status */
#define VC_USES_READ_ALL     2 /* read every file whatever its time */
VC_API VcError vcFindUses(int project, const char* member, VcStatusFn status, int flags);
/* Offers each used file that is not a member to callback (0 declines, -1
 * stops, other adds it). 0 nothing added, 75 something added, 5 stopped;
 * 26 not open for write; 99 frozen. */
VC_API VcError vcAddUsedFiles(int project, const char* member, VcUsedFileFn callback);
/* Lists a member's used files depth first; the first nonzero answer ends
 * the list: it is returned when it came for one of the member's own
 * dependencies, 1 when it came for a file further down; 5 when there is
 * nothing to list. */
VC_API VcError vcEnumUses(int project, const char* member, VcUsedFileFn callback);
/* Forgets a member's dependencies; 5 when it has none. */
VC_API VcError vcDropUses(int project, const char* member);
/* Writes the ".use" file (227 when it cannot be written). */
VC_API VcError vcSaveUses(int project);
/* Frees the project's graph and the scan settings. */
VC_API VcError vcDoneUses(int project);
/* Writes make rules for the members: makefile (kept up to the generated-
 * dependencies marker line) or, with VC_DEPENDS_TEMPLATE, template (run
 * through the script language) into output (null: the makefile). Names in
 * rules are written as GNU make reads them (a backslash before a blank, a
 * tab, "#" and ":", "$" doubled); the template's lists write them as they
 * are. 0 or 5 (plain form: at least one rule) on success. flags: */
#define VC_DEPENDS_ALL_FILES 1 /* every used file, not only members */
#define VC_DEPENDS_TEMPLATE  2
VC_API VcError vcWriteDepends(int project, const char* makefile, const char* output,
                              const char* templateFile, int flags);

/* ---- Root project, option enumeration, comparing projects ---- */

/* The file named by the option `rootproject`: as given, else found walking
 * up from the current directory, else in "/"; 30 when the option is not
 * set, 14 when no such file is found. */
VC_API VcError vcRootProject(char* buffer, int length);
/* Hands every option, pair and block of a project's lists (its sandbox's,
 * its own, its list from the security database), or with project 0 of the
 * instance's (local, then global), to callback as (VC_WALK_... bits |
 * VC_SCOPE_..., scope word, keyword, text). A nonzero answer ends the walk
 * and is returned. */
VC_API VcError vcEnumConfig(int project, VcBlockLineFn callback);

/* One difference per vcProjectChanges call: "d<name>" (only in the first),
 * "a<name>" (only in the second), "m\"<name>\" " followed by "t<k1>;<k2>;",
 * "r<r1>;<r2>;", "u<u1>;<u2>;" where they differ ("null" for none); 5 when
 * there are no more. */
VC_API VcError vcProjectCompareInit(int first, int second, int* compare);
VC_API VcError vcProjectChanges(int compare, char* buffer, int length);
VC_API VcError vcProjectCompareDone(int compare);

/* ---- Project links, reference copies, sandbox variables ---- */

/* Records (or removes) the statement "project <project file>;" in the
 * archive's extension text; the caller's commit writes it. Nothing is done
 * while the option vanillarcs is on. */
VC_API VcError vcAddProjectLink(int project, int archive);
VC_API VcError vcDropProjectLink(int project, int archive);
/* Checks a revision out over the master's reference copy target with the
 * options of projectreferenceflags switched meanwhile; 30 without the option
 * projectreference. The copy is replaced only when the check-out succeeds. */
VC_API VcError vcCoProjectReference(int project, int archive, const char* revision, const char* target,
                                    int flags);
/* Appends the record of a reference copy (member, file, revision) to the
 * project's ".use" cache; the Done call closes the cache. */
VC_API VcError vcAppendReferenceWorkCache(int project, const char* member, const char* file,
                                          const char* revision);
VC_API VcError vcDoneAppendReferenceWorkCache(int project);
/* Offers each variable that a sandbox's member paths or archive rules need
 * and the sandbox lacks to callback; answers become sandbox options. 5 when
 * the callback answered -1. */
VC_API VcError vcSbxVariableReset(int project, VcSandboxVariableFn callback);
/* vcExpression with the member's rules as its parameters. */
VC_API VcError vcMemberBindExpression(int project, const char* member, const char* expression);

/* ---- Paths ---- */

VC_API VcError vcPathSame(const char* first, const char* second);
VC_API VcError vcCheckDirPath(const char* name);
VC_API VcError vcMakePath(const char* name);
VC_API VcError vcGetAbsName(const char* name, char* buffer, int length);
VC_API VcError vcWorkToArchName(const char* root, const char* workName, const char* archiveTemplate,
                                char* buffer, int length);
VC_API VcError vcMapName(const char* workName, const char* archiveTemplate, char* buffer,
                         int length);
VC_API VcError vcFindWorkName(const char* archiveName, char* buffer, int length);

#ifdef __cplusplus
}
#endif

#endif /* ORV_VC_H */
