/*
 * kel.h: the C interface of the security database (libkel32.so).
 *
 * Every call returns a kelResult: 0 for success, otherwise a code whose text
 * kelErrorStr gives. Blocks handed to callers come from kelMalloc and are
 * freed with kelFree. One database is open per process at a time.
 */
#ifndef KEL_H
#define KEL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define KEL_API __attribute__((visibility("default")))
#else
#define KEL_API
#endif

typedef int kelResult;

/* Result codes. */
enum {
  KEL_SUCCESS = 0,
  KEL_DONE = 1,
  KEL_TEAM_NOT_FOUND = 2,
  KEL_ILLEGAL_HANDLE_POINTER = 3,
  KEL_ILLEGAL_HANDLE = 4,
  KEL_INVALID_ARGUMENT = 5,
  KEL_OUT_OF_MEMORY = 8,
  KEL_BAD_FORMAT = 9,
  KEL_BAD_MAGIC_COOKIE = 10,
  KEL_SERVER_LISTS_REORDERED = 14,
  KEL_NOT_AVAILABLE = 15,
  KEL_TOO_MANY_RETARGETS = 16,
  KEL_STRINGS_TOO_LONG = 17,
  KEL_NOT_INITIALIZED = 18,
  KEL_NO_DATABASE = 19,
  KEL_INCORRECT_PASSWORD = 20,
  KEL_OBJECT_EXISTS = 21,
  KEL_NOT_FOUND = 22,
  KEL_NOT_DELETED = 23,
  KEL_NOT_ADDED = 24,
  KEL_NO_ABSOLUTE_PATH = 25,
  KEL_READ_ONLY = 26,
  KEL_DATABASE_AT_REDIRECTOR = 27,
  KEL_NOTHING = 28,
  KEL_ERRNO_USED = 200,
  KEL_CANNOT_OPEN = 201,
  KEL_CANNOT_READ = 202,
  KEL_CANNOT_WRITE = 203,
  KEL_CANNOT_ACCESS = 204,
  KEL_BUFFER_TOO_SMALL = 205,
  KEL_NETWARE_ERROR = 206,
  KEL_NT_ERROR = 207,
  KEL_ALREADY_OPEN = 209,
  KEL_NOT_OPEN = 210,
  KEL_BLANK_PASSWORD = 219,
  KEL_IMPOSSIBLE = 220
};

/* Kinds of objects (kelObjectType). Policy lines and permissions are
 * entries in the lists of a policy statement or a role, not records. */
typedef enum kelObjectType {
  KEL_GLOBAL_MODULE = 1,
  KEL_PROJECT = 2,
  KEL_USER = 3,
  KEL_GROUP = 4,
  KEL_POLICY_STATEMENT = 5,
  KEL_ROLE = 6,
  KEL_GROUP_MEMBER = 7,
  KEL_PRODUCT = 8,
  KEL_SECURITY_OBJECT = 9,
  KEL_POLICY_LINE = 10,
  KEL_FRAGMENT = 11,
  KEL_PERMISSION = 12
} kelObjectType;

/* One object of the database: a 148-byte fixed part followed by VarData,
 * lists of NUL-terminated texts, each list ended by an empty text, and one
 * more 0 byte after the last list. A whole record is at most 4,096 bytes. */
typedef struct kelObjectRecord {
  int32_t ObjectID;   /* serial, assigned when added, never reused */
  int32_t ObjectType; /* kelObjectType */
  int32_t ParentID;   /* ObjectID of the containing object, 0 at the top */
  char Name[56];      /* at most 55 characters */
  char Text[64];      /* group name of a member, password hash, ... */
  int32_t Attrib1;    /* 1 for the global module */
  int32_t Attrib2;
  int32_t Attrib3;
  int32_t Attrib4;
  /* VarData follows at KEL_VARDATA_OFFSET. */
} kelObjectRecord;

#define KEL_VARDATA_OFFSET 148
#define KEL_MAX_RECORD 4096
#define KEL_VARDATA(rec) ((char*)(rec) + KEL_VARDATA_OFFSET)

/* Start and stop; the name is the program or database path. */
KEL_API kelResult kelInit(const char* name);
KEL_API kelResult kelExit(void);

/* Opens the database at path (a base path, a ".dat" file or a redirector).
 * An update open that another process prevents opens read-only and answers
 * KEL_READ_ONLY. */
KEL_API kelResult kelOpenDB(const char* path, int readOnly);
KEL_API kelResult kelCloseDB(void);
/* Creates a new database with its default contents; never overwrites one. */
KEL_API kelResult kelCreateDB(const char* path, const char* adminPassword);

/* Text of a result code; KEL_BUFFER_TOO_SMALL leaves the buffer unchanged. */
KEL_API kelResult kelErrorStr(kelResult code, char* buffer, int length);
/* The last engine, system or network code that a failing call recorded. */
KEL_API int kelExtraError(void);

KEL_API void* kelMalloc(long size);
KEL_API void* kelRealloc(void* block, long size);
KEL_API void kelFree(void* block);
KEL_API char* kelStrdup(const char* text);

/* ---- Objects ---------------------------------------------------------- */

/* Called by kelEnumInfo once per object: kind, name and a copy of its
 * record that stays valid until the callback returns (the callback must not
 * free it). Answer 1 to go on; any other answer stops the walk and is
 * returned by kelEnumInfo. The callback may call the library. */
typedef int (*kelEnumCallback)(int kind, const char* name, const kelObjectRecord* record);

/* Fetches the top-level object (kind, name), or with childKind != 0 the child
 * (childKind, childName) under it; products (8) and security objects (9) are
 * always taken from the top level, security objects by their full path.
 * With record != NULL a kelMalloc copy of the whole record is returned. */
KEL_API kelResult kelGetObject(int kind, const char* name, int childKind, const char* childName,
                               kelObjectRecord** record);
/* Adds objects (or entries) of kind under the parent (parentKind,
 * parentName) of the scope (scopeKind 1 global module, 2 project). names is
 * one name, or with several != 0 a list of NUL-terminated names ended by an
 * empty name. Roles given to a user or group, policy lines (10) and
 * permissions (12) are entries of the parent's first list; policy lines and
 * permissions replace an entry with the same key. */
KEL_API kelResult kelAddObject(int scopeKind, const char* scopeName, int parentKind, const char* parentName,
                               int kind, const char* names, int several);
/* Deletes objects (with everything under them) or entries; arguments as
 * for kelAddObject. A user (3) under a group is its member record. */
KEL_API kelResult kelDeleteObject(int scopeKind, const char* scopeName, int parentKind, const char* parentName,
                                  int kind, const char* names, int several);
/* Lists the objects of kind (1-9) under the scope in key order; each group is
 * followed by its member records. Projects, products and security objects
 * are listed from the top level. */
KEL_API kelResult kelEnumInfo(int scopeKind, const char* scopeName, int kind, kelEnumCallback callback);

/* ---- Roles and permissions -------------------------------------------- */

/* Flags of an entry found by kelGetOption and the resolvers. */
#define KEL_FLAG_NO 1        /* the entry is prefixed "No": off, refused */
#define KEL_FLAG_NOT_FOUND 2 /* no entry matched */
#define KEL_FLAG_ENFORCE 4   /* the entry is prefixed "Enforce" */

/* The roles of a user (objectKind 3) or the entries of a role (6) in the
 * scope, as a kelMalloc block of NUL-terminated names ended by an empty
 * name. A user's list takes the roles of the scope's groups it is a member
 * of unless noGroups != 0. */
KEL_API kelResult kelGetRoles(int scopeKind, const char* scopeName, int objectKind, const char* objectName,
                              char** list, int noGroups);
/* Whether user holds permission: the global roles first, then (scopeKind 2)
 * the project's. 0 means granted; *value receives a kelMalloc copy of the
 * entry's value (or NULL) and *flags its flags. An entry prefixed "No"
 * refuses: the answer is KEL_NOT_FOUND with KEL_FLAG_NO in the flags. */
KEL_API kelResult kelResolvePermission(int scopeKind, const char* scopeName, const char* user,
                                       const char* permission, char** value, int* flags);
/* The project step alone: scopeKind must be 2, scopeName the project that a
 * security object lists. */
KEL_API kelResult kelResolvePermissionInSO(int scopeKind, const char* scopeName, const char* user,
                                           const char* permission, char** value, int* flags);

/* ---- Options, policies, attributes, fragments, security objects -------- */

/* The entry key of a policy statement (objectKind 5) or role (6). */
KEL_API kelResult kelGetOption(int scopeKind, const char* scopeName, int objectKind, const char* objectName,
                               const char* key, char** value, int* flags);
/* Adds entry (joined as entry "=" value when value != NULL), replacing an
 * entry with the same key. */
KEL_API kelResult kelSetOption(int scopeKind, const char* scopeName, int objectKind, const char* objectName,
                               const char* entry, const char* value);
/* A kelMalloc copy of the object's VarData lists. */
KEL_API kelResult kelGetPolicy(int scopeKind, const char* scopeName, int objectKind, const char* objectName,
                               char** lists);
/* Attribute 0 is Text (64 bytes), 1-4 Attrib1-Attrib4 (4 bytes each).
 * objectKind 0 names the scope object itself, 8 a product (no scope). */
KEL_API kelResult kelGetAttribute(int scopeKind, const char* scopeName, int objectKind, const char* objectName,
                                  int attribute, void* buffer, int length);
/* Copies length bytes (cut to the field's size) over the start of the field. */
KEL_API kelResult kelSetAttribute(int scopeKind, const char* scopeName, int objectKind, const char* objectName,
                                  int attribute, const void* value, int length);
/* Appends text as one line to the fragment of the policy statement (cleared
 * first when replace != 0), creating it and listing it in the statement. */
KEL_API kelResult kelAddFrag(int scopeKind, const char* scopeName, const char* statement, const char* fragment,
                             const char* text, int replace);
KEL_API kelResult kelGetFrag(int scopeKind, const char* scopeName, const char* statement, const char* fragment,
                             kelObjectRecord** record);
KEL_API kelResult kelDeleteFrag(int scopeKind, const char* scopeName, const char* statement, const char* fragment);
/* Puts each line (NUL-terminated lines ended by an empty one) into the
 * "Default Policy Statement", replacing a line with the same key. */
KEL_API kelResult kelAddDefaultPolicy(const char* lines);
/* Ties the absolute form of path (a security object) to project, or
 * (add == 0) unties it. */
KEL_API kelResult kelRegisterProject(const char* path, const char* project, int add);

/* ---- Passwords -------------------------------------------------------- */

#define KEL_PASSWORD_SIZE 24

/* Asked for the password of a scope (kind 1 with name "" for the global
 * module): writes it into buffer (length bytes; the last byte is set to 0
 * afterwards) and answers 1, anything else declines. prompt is "" on the
 * first try and "retry" after a wrong password. */
typedef int (*kelPasswdCallback)(int kind, const char* name, char* buffer, int length, const char* prompt);

KEL_API kelResult kelRegisterPasswdCB(kelPasswdCallback callback);
/* 0 when password (NULL or "" for none) is the scope's, else 20. */
KEL_API kelResult kelCheckPasswd(int scopeKind, const char* scopeName, const char* password);
/* Sets (NULL or "": clears) the scope's password; needs the scope's check. */
KEL_API kelResult kelSetPasswd(int scopeKind, const char* scopeName, const char* password);
/* The administrator password guards kelCreateDB; at most 16 characters,
 * compared with case. Before one is set, any non-blank password passes. */
KEL_API kelResult kelVerifyAdminPassword(const char* password);
KEL_API kelResult kelSetAdminPassword(const char* oldPassword, const char* newPassword);

/* ---- Built-in catalogue and products ---------------------------------- */

/* Base permissions: the bits of a catalogue row's Needed mask. */
enum {
  KEL_PERM_OPEN_ARCHIVE = 1,
  KEL_PERM_MODIFY_ARCHIVE = 2,
  KEL_PERM_OPEN_PROJECT = 4,
  KEL_PERM_MODIFY_PROJECT = 8,
  KEL_PERM_OPEN_SANDBOX = 16,
  KEL_PERM_MODIFY_SANDBOX = 32,
  KEL_PERM_CREATE_ARCHIVE = 64,
  KEL_PERM_LOCK = 128,
  KEL_PERM_CHECK_IN = 256
};

/* One row of the built-in catalogue: a permission ("Role") or a policy.
 * Copy it with sizeof(kelBuiltinPolicy); the texts are constant. */
typedef struct kelBuiltinPolicy {
  const char* Product;     /* "TY" */
  const char* Kind;        /* "Role" or "Policy" */
  const char* Category;    /* "Archive", "Project", "Content", "Build", ... */
  const char* Key;         /* the permission or policy name */
  const char* ValueType;   /* "on/off", "value" or "multi-value" */
  const char* Description;
  uint32_t Needed;         /* base permissions it needs (KEL_PERM_*) */
} kelBuiltinPolicy;

/* Called per matching row; a nonzero answer stops the walk and is returned. */
typedef int (*kelBuiltinPolicyCallback)(const kelBuiltinPolicy* row);
/* Called per product; a nonzero answer stops the walk and is returned. */
typedef int (*kelProductCallback)(const char* name, const char* abbreviation);

/* Filters that are NULL or empty match every row; the others compare
 * without case. */
KEL_API kelResult kelEnumBuiltinPolicy(const char* product, const char* kind, const char* category,
                                       kelBuiltinPolicyCallback callback);
/* Copies the first matching row with that key (22 when none). */
KEL_API kelResult kelGetBuiltinPolicy(const char* product, const char* kind, const char* category,
                                      const char* key, kelBuiltinPolicy* row);
/* The base permissions a permission needs, as names separated by ",":
 * 0 when it needs none, 1 when it needs some, 22 when it is no permission. */
KEL_API kelResult kelGetNeededPermission(const char* key, char* names, int length, int* count);
/* The names of the base permissions in mask, separated by ","; a name that
 * does not fit is counted but left out. */
KEL_API kelResult kelGetDependentName(uint32_t mask, char* names, int length, int* count);
/* The permissions that need a base permission: 1 when there are some,
 * 0 when none, 22 when the name is no base permission. */
KEL_API kelResult kelGetDependentPermission(const char* basePermission, char* names, int length, int* count);
KEL_API kelResult kelEnumProducts(kelProductCallback callback);
/* Recognises a product's name or abbreviation, with or without a leading
 * "Orv "; copies the abbreviation (205 when it does not fit). */
KEL_API kelResult kelIsProductName(const char* name, char* abbreviation, int length);

/* ---- Redirector files and the default database path ------------------ */

/* Appends a record naming database to the redirector file (".red" is
 * given to the redirector's name); creates the file when missing. */
KEL_API kelResult kelAppendRedirector(const char* redirector, const char* database);
/* Follows path through redirectors to a database, proves that it opens and
 * copies the database file's path into out (205 when it does not fit). */
KEL_API kelResult kelCheckDatabasePath(const char* path, char* out, int length);
/* The default database for a program: <parent of the program's directory>/
 * orvkel/orvkel. A NULL or empty program means this library's own file. */
KEL_API kelResult kelGetDefaultDatabase(const char* program, const char* currentDirectory, char* out,
                                        int length);

/* ---- Importing users and groups ---------------------------------------- */

/* Called with the name of each user or group that an import added. */
typedef void (*kelImportCallback)(const char* name);

/* Without a server the system's account database is read; a server names a
 * directory holding "passwd" and "group" files. Ordinary accounts only.
 * Objects that exist already count as success. */
KEL_API kelResult kelImportUsersNT(int scopeKind, const char* scopeName, kelImportCallback callback,
                                   const char* server);
KEL_API kelResult kelImportGroupsNT(int scopeKind, const char* scopeName, kelImportCallback callback,
                                    const char* server, int withMembers);
/* There is no NetWare client on this system: both answer 15. */
KEL_API kelResult kelImportUsersNetWare(int scopeKind, const char* scopeName, kelImportCallback callback,
                                        const char* server);
KEL_API kelResult kelImportGroupsNetWare(int scopeKind, const char* scopeName, kelImportCallback callback,
                                         const char* server, int withMembers);

#ifdef __cplusplus
}
#endif

#endif /* KEL_H */
