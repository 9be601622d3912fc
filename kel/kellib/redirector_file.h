// Redirector files (".red"): records that lead from many places to one
// shared database, possibly through further redirectors.
//
// Layout: the 32 characters "Orv Tessalyworkbench Redirectxxx" (no
// terminator), two zero bytes, then records of 4,096 bytes, each an absolute
// path with "/" separators and without extension, a NUL and blanks up to the
// end of the record. The first record whose target exists wins.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kel {

inline constexpr std::string_view kRedirectorMagic = "Orv Tessalyworkbench Redirectxxx";
inline constexpr std::size_t kRedirectorHeaderSize = 34;
inline constexpr std::size_t kRedirectorRecordSize = 4096;
// Longest database path a record holds (a NUL must follow it).
inline constexpr std::size_t kRedirectorPathMax = kRedirectorRecordSize - 1;
// Redirectors followed for one path before the walk gives up (a loop).
inline constexpr int kRedirectorHopLimit = 16;

// The 34-byte header every redirector starts with.
std::string redirectorHeader();

// The extension of the last component of path ("" when none), without the dot.
std::string_view extensionOf(std::string_view path);
bool isExtension(std::string_view ext, std::string_view wanted);  // without case

// Follows path to the database file it leads to (a path ending in ".dat"):
// a ".dat" path ends the walk; a path with another extension is a
// redirector; a path without extension is the redirector path.red when that
// exists, else the database path.dat. Redirectors are only ever read.
// Answers 0, 201 (a redirector cannot be opened; errno kept), 10 (bad
// header) or 204 (a redirector is short, has no record whose target exists,
// or the walk passed more than 16 redirectors).
int followRedirectors(std::string_view path, std::string& databaseFile);

// Appends a record naming database to the redirector (kelAppendRedirector).
int appendRedirector(std::string_view redirector, std::string_view database);

}  // namespace kel
