/* The revision library's C interface (librevlib32.so).
 *
 * Every call answers a VcError: 0 for success, otherwise the number of its
 * message (vcErrorStr). A calling process first creates its library instance
 * with vcAPIinit or vcAPIinitRegister and ends it with vcAPIcleanup; a call
 * from a process without an instance answers 8. Callers own every buffer:
 * string results are copied into (buffer, length); when they do not fit, the
 * first length - 1 characters are stored, the needed length is kept for
 * vcBufferLenQ and the call answers 4.
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

/* ---- Callbacks the library calls back through ---- */

/* Echo, trace and script-error text: kind 0 echo, 1 trace line, 2 script error. */
typedef int (*VcEchoTraceFn)(const char* text, const char* file, int line, int kind);
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

VC_API VcError vcGetSysInfo(int item, char* buffer, int length);
VC_API VcError vcSetSysInfo(int item, const char* value);
VC_API VcError vcRegisterPasswdCallback(VcPasswordFn callback);
VC_API VcError vcProjectVariableRegister(VcProjectVariableFn callback);

/* ---- Security database bridge ---- */

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

VC_API VcError vcOpenArchive(const char* archiveName, int* archive, int mode);
VC_API VcError vcFindArchiveName(const char* workName, char* archiveName, int length, int* archive,
                                 int mode);
VC_API VcError vcCloseArchive(int archive);
VC_API VcError vcKeepClosed(int archive);
VC_API VcError vcWriteLock(int archive);
VC_API VcError vcDropWriteLock(int archive);
VC_API VcError vcReOpenArchive(int archive);
VC_API VcError vcCommitArchive(int archive, int close);
VC_API VcError vcSetPassword(int archive, const char* password);
VC_API VcError vcGetArchiveInfo(int archive, int item, char* buffer, int length);
VC_API VcError vcGetIdArchiveInfo(int archive, int item, const char* key, char* buffer, int length);
VC_API VcError vcSetArchiveInfo(int archive, int item, const char* value, const char* second);
VC_API VcError vcGetRevInfo(int archive, int item, const char* revision, char* buffer, int length);
VC_API VcError vcSetRevInfo(int archive, int item, const char* revision, const char* value);
VC_API VcError vcValidateToken(int archive, int item, const char* text);
VC_API VcError vcExpandRevision(int archive, const char* revision, char* buffer, int length);
VC_API VcError vcGetCache(int archive, const char* revision, int item, VcCacheGetFn callback);
VC_API VcError vcPutCache(int archive, const char* revision, int item, VcCachePutFn callback);

/* Check-in. workFile NULL: only compute the new number; "": a duplicate of
 * the base. Flags: 1 refuse an unchanged file (3), 2 collapse keywords,
 * 4 take values from the file's keywords, 8 always a delta, 16 never. */
VC_API VcError vcCiRevision(int archive, const char* baseRevision, const char* workFile, int flags,
                            char* revision, int length);
/* Check-out; workFile NULL or "-": standard output. Flags: 2 collapse
 * keywords, 4 expand them, 2|4 no keyword processing. */
VC_API VcError vcCoRevision(int archive, const char* revision, const char* workFile);
VC_API VcError vcCheckOutRevision(int archive, const char* revision, const char* workFile, int flags);
VC_API VcError vcDeleteRevision(int archive, const char* revision);

/* ---- Differencers ---- */

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

/* Open flags: 1 or 2 for modification (the modify permissions are checked),
 * 4 create when missing (the caller's save writes the new file), 8 open a
 * revision read-only. A null handle place only checks that the file opens;
 * nothing is kept and nothing written. keep is stored with the record. */
VC_API VcError vcOpenProject(const char* projectFile, int flags, int* project, int keep);
VC_API VcError vcOpenRevProject(const char* projectFile, const char* revision, int flags,
                                int* project, int keep);
/* As vcOpenProject; the project is never written back. */
VC_API VcError vcTempProject(const char* projectFile, int flags, int* project, int keep);
VC_API VcError vcCloseProject(int project);
/* Writes what changed (through a temporary file renamed over the old one),
 * then appends the pending entries to the ".trn" log. 55 when someone else
 * replaced the file since it was read. */
VC_API VcError vcSaveProject(int project);
VC_API VcError vcOpenSandbox(const char* sandboxFile, int flags, int* sandbox, int keep);
VC_API VcError vcSaveSandbox(int sandbox);
VC_API VcError vcCloseSandbox(int sandbox);
/* Locks of the project file; 55 when the file changed since it was read. */
VC_API VcError vcProjectWriteLock(int project);
VC_API VcError vcProjectSharedLock(int project);
VC_API VcError vcDropProjectWriteLock(int project);

/* Project information by item number: names, directories, state flags,
* option-list walks (120-135), member count (157, four bytes), frozen. */
VC_API VcError vcGetProject(int project, int item, char* buffer, int length);
/* Sets a project's name, revision, directories or flags, or freezes (171)
* and thaws (172) it; value is not used for 171 and 172. */
VC_API VcError vcSetProject(int project, int item, const char* value);

/* Options and blocks of an open project (of its sandbox, for a project
 * opened through a sandbox file) and of a sandbox. apply 0 only checks the
 * statement. A change through a project is logged at its next save. */
VC_API VcError vcProjectOptionSet(int project, const char* statement, int apply);
VC_API VcError vcProjectOptionGet(int project, const char* name, char* value, int length,
                                  unsigned int* flags);
VC_API VcError vcProjectOptionDrop(int project, const char* name);
VC_API VcError vcProjectBlockSet(int project, const char* name, const char* text);
/* A block line by line: (0x100|scope, scope word, "block", "block NAME"), then
 * (0x200|scope, .., "continue-block", line) per line, then (0x400|scope, ..,
 * "end-block", "end"); scope 0x40 "project" or 0x80 "sandbox". A nonzero
 * answer ends the walk and is returned. */
typedef int (*VcBlockLineFn)(int flags, const char* scope, const char* keyword, const char* text);
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

/* Member fields by item number on the current member (100-120); 112/113
 * walk the members by full name, 114/115 by their stored names. */
VC_API VcError vcGetMember(int project, int item, char* buffer, int length);
/* Kind (125), rules (126), revision (127), dependency text (128), freeze
 * (129) and thaw (130) of the current member. */
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
 * Status bits of a member (item 110 of vcGetMember): 0x1 the working file's
 * byte sum, 0x2 its size, 0x4 its time differ from those recorded; 0x8 no
 * working file; 0x10 it cannot be read; 0x20 the archive cannot be opened;
 * 0x40 it is no archive or cannot be read; 0x80 the member revision is not
 * in it; 0x100 a newer revision is on the member revision's line (item
 * 117); 0x200 the member revision is locked (item 118); 0x8000 the member
 * revision differs from the recorded one; 0x10000 encrypted and no
 * password; 0x20000 inaccessible; 0x40000 not on the access list; 0x80000
 * no permission to open it. A null member means the current member. */
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
/* Scans a member's source and the files it includes. flags: 1 report each
 * scanned file through status, 2 read every file whatever its time. 0, the
 * status callback's nonzero answer, or 72 for an unknown source language. */
VC_API VcError vcFindUses(int project, const char* member, VcStatusFn status, int flags);
/* Offers each used file that is not a member to callback (0 declines, -1
 * stops, other adds it). 0 nothing added, 75 something added, 5 stopped;
 * 26 not open for write; 99 frozen. */
VC_API VcError vcAddUsedFiles(int project, const char* member, VcUsedFileFn callback);
/* Lists a member's used files depth first; the first nonzero answer ends
 * the list and is returned; 5 when there is nothing to list. */
VC_API VcError vcEnumUses(int project, const char* member, VcUsedFileFn callback);
/* Forgets a member's dependencies; 5 when it has none. */
VC_API VcError vcDropUses(int project, const char* member);
/* Writes the ".use" file (227 when it cannot be written). */
VC_API VcError vcSaveUses(int project);
/* Frees the project's graph and the scan settings. */
VC_API VcError vcDoneUses(int project);
/* Writes make rules for the members: makefile (kept up to the generated-
 * dependencies marker line) or, with flag 2, template (run through the
 * script language) into output (null: the makefile). Flag 1 lists every
 * used file, not only members. Names are written as they are, blanks
 * included. 0 or 5 (plain form: at least one rule) on success. */
VC_API VcError vcWriteDepends(int project, const char* makefile, const char* output,
                              const char* templateFile, int flags);

/* ---- Root project, option enumeration, comparing projects ---- */

/* The file named by the option `rootproject`: as given, else found walking
 * up from the current directory, else in "/"; 30 when the option is not
 * set, 14 when no such file is found. */
VC_API VcError vcRootProject(char* buffer, int length);
/* Hands every option, pair and block of a project's lists (sandbox 128,
 * "project - local" 64, "project - kel" 72), or with project 0 of the
 * instance's ("instance - local" 0, "instance - global" 8), to callback as
 * (kind bits | scope, scope word, keyword, text); kind bits 0x8000 option,
 * 0x1000/0x2000/0x4000 worktoarch/workmap/autoaction pair, 0x100/0x200/0x400
 * block head, line and end. A nonzero answer ends the walk and is returned. */
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
