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

#ifdef __cplusplus
}
#endif

#endif /* KEL_H */
