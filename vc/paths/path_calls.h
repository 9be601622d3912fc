// The path calls of the revision library, ready to be wrapped by the exported
// vc* functions (which look up the caller's instance, answer VC_E_BAD_CALLER
// without one, and pass the instance's PathEnvironment in).
//
// Conventions shared by all of them:
// - every name, root and template has "\" turned into "/" on entry; names the
//   caller gives are also lower-cased when preservefilecase is set off;
// - a null pointer argument (other than the optional ones named below)
//   answers VC_E_BAD_ARGUMENT;
// - a string result that does not fit the caller's buffer stores its first
//   length - 1 characters, records the needed length (with the NUL) through
//   PathEnvironment::set_needed_length and answers VC_E_BUFFER_TOO_SMALL;
// - names are made absolute against the instance's current directory, read
//   again each time (11 when it cannot be read).
#pragma once

#include <string>
#include <string_view>

#include "vc/paths/path_environment.h"

namespace vc {

// vcPathSame(a, b): 0 the same path (case-blind, "/" equal to "\"), 1
// different.
int pathSame(const char* a, const char* b);

// vcCheckDirPath(name): 0 the path exists, or its directory exists and is a
// directory; 2 the name has no directory part; 3 the directory does not
// exist; 5 it is not a directory.
int checkDirPath(PathEnvironment& env, const char* name);

// vcMakePath(name): creates the missing directories leading to `name` (its last
// component, after the final "/", is a file and is not created; end the name
// with "/" to create all of it). 0, or VC_E_CANNOT_CREATE_ARCHIVE_DIR with the
// system error number as extra error.
int makePath(PathEnvironment& env, const char* name);

// vcGetAbsName(name, buffer, length): the absolute, normalised name.
int getAbsName(PathEnvironment& env, const char* name, char* buffer, int length);

// vcWorkToArchName(root, name, template, buffer, length): the archive name
// that `archive_template` gives for the working file. A null root means the
// option rcswork (no option: no root). 13 when the name has no file part; 5
// when a non-empty root does not contain the file; 12 when the absolute name
// exceeds 2,048 characters.
int workToArchName(PathEnvironment& env, const char* root, const char* name,
                      const char* archiveTemplate, char* buffer, int length);

// vcMapName(name, template, buffer, length): work_to_arch_name with the
// rcswork root.
int mapName(PathEnvironment& env, const char* name, const char* archiveTemplate, char* buffer,
             int length);

// vcFindArchiveName(name, buffer, length, handle or null, flags): searches
// the archive of a working file (worktoarch pairs of the current project, then
// of the instance, then the rcspath templates below the rcswork root). The
// name found ends up in the buffer. An existing candidate is opened with the
// open mode `flags` (the handle kept when `handle` is given, else a check
// only) and the opener's answer is returned (0, 19 with a valid handle, or
// its failure). Nothing found: 14 with the preferred new name in the buffer
// (the first candidate whose directory exists, else the best fallback). Flag
// 4 searches with the create bit cleared and the write bit set, and on 14
// creates the archive at that name: with a handle place the new archive is
// handed out, without one it is committed at once; the creation's answer is
// returned. 85 when the archive name is the working file's own name (nothing
// is opened or created then). 4 when a candidate does not fit the buffer.
int findArchiveName(PathEnvironment& env, const char* name, char* buffer, int length,
                      int* handle, int flags);

// vcFindWorkName(archive, buffer, length): the working file of an archive by
// the reverse match of the worktoarch pairs' templates (project, then
// instance), then of the rcspath templates with the rcswork root. 12 when the
// absolute archive name exceeds 2,048 characters; 58 when no template
// describes it; 85 when the working name is the archive name itself.
int findWorkName(PathEnvironment& env, const char* archive, char* buffer, int length);

// Copies a string result into the caller's buffer by the rules above.
int copyResult(PathEnvironment& env, std::string_view text, char* buffer, int length);

// The absolute, normalised form of a caller's name (the current directory
// read through env). 0, 11 without a current directory, or, when
// `limit_to_internal_buffer` is set, 12 when it exceeds 2,048 characters.
int absoluteName(PathEnvironment& env, std::string_view name, std::string& out,
                  bool limitToInternalBuffer = true);

}  // namespace vc
