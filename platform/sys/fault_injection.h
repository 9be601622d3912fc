// Fault injection through the system-call table, for tests.
//
// A ScopedFault makes one entry of orv::sys::calls() fail with a chosen errno
// for as long as it lives, and puts the entry back when it goes out of scope:
//
//   orv::sys::ScopedFault<&orv::sys::SystemCalls::fsync> fault(EIO);
//   orv::sys::ScopedFault<&orv::sys::SystemCalls::read> eio(EIO, {.after = 1});
//   orv::sys::ScopedFault<&orv::sys::SystemCalls::write> full(ENOSPC, {.pathContains = "work.c"});
//
// `after` lets that many matching calls through first; `pathContains` limits
// the fault to calls on a path holding that text: a path argument (either one
// of rename and link), or for a call on a descriptor the path it was opened
// by; `creating` limits a fault of open to the calls that create a file
// (O_CREAT, or an unnamed file with O_TMPFILE), as a directory without write
// permission would refuse them:
//
//   orv::sys::ScopedFault<&orv::sys::SystemCalls::open> ro(EACCES, {.pathContains = "work/", .creating = true});
//
// Calls that do not match go to the entry that was in place before.
// A failing call returns what the system would (-1, nullptr, or the error
// itself for the getpw*_r calls) with errno set. One fault per entry at a
// time; distinct entries may fail together.
#pragma once

#include "platform/sys/system_calls.h"

#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <type_traits>
#include <utility>
#include <unistd.h>

namespace orv::sys {

struct FaultOptions {
  int after = 0;             // matching calls let through before the first failure
  std::string pathContains;  // empty: every call matches
  bool creating = false;     // open only: just the calls that create a file match
};

namespace fault_detail {

// The path a call argument names, for matching: a string argument is itself,
// a descriptor is looked up in /proc (through the real calls, so a fault on
// readlink does not recurse), anything else names no path.
inline std::string describe(const char* s) { return s ? s : ""; }
inline std::string describeDescriptor(int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[PATH_MAX];
  const ssize_t n = realCalls().readlink(link, target, sizeof target);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}
inline std::string describe(DIR* d) { return d ? describeDescriptor(::dirfd(d)) : std::string(); }
template <class T>
std::string describe(const T&) {
  return {};
}

// Whether any path the call names holds the text: string arguments anywhere,
// a descriptor only as the first argument.
template <class First, class... Rest>
bool namesPath(const std::string& text, First first, Rest... rest) {
  std::string names;
  if constexpr (std::is_same_v<First, int>)
    names = describeDescriptor(first);
  else
    names = describe(first);
  if (names.find(text) != std::string::npos) return true;
  return ((describe(rest).find(text) != std::string::npos) || ...);
}
inline bool namesPath(const std::string&) { return false; }

// Whether a call creates a file: an open with O_CREAT or O_TMPFILE. The
// `creating` option filters open only; other calls all pass this test.
inline bool createsFile(const char*, int flags, mode_t) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}
template <class... A>
bool createsFile(A...) {
  return true;
}

template <class T>
void clearResult(T&) {}
inline void clearResult(struct passwd**& result) {
  if (result) *result = nullptr;
}

template <auto Entry, class Fn>
struct Trap;

template <auto Entry, class R, class... A>
struct Trap<Entry, R (*)(A...)> {
  using Fn = R (*)(A...);
  static inline Fn previous = nullptr;
  static inline int error = 0;
  static inline int remaining = 0;
  static inline std::string path;
  static inline bool creating = false;
  static inline int failures = 0;
  static inline int matching = 0;

  static R call(A... args) {
    const bool matches = (path.empty() || namesPath(path, args...)) && (!creating || createsFile(args...));
    if (!matches) return previous(args...);
    ++matching;
    if (remaining > 0) {
      --remaining;
      return previous(args...);
    }
    ++failures;
    errno = error;
    if constexpr ((std::is_same_v<A, struct passwd**> || ...)) {
      (clearResult(args), ...);
      return error;
    } else if constexpr (std::is_pointer_v<R>) {
      return nullptr;
    } else {
      return static_cast<R>(-1);
    }
  }
};

}  // namespace fault_detail

template <auto Entry>
class ScopedFault {
  using Fn = std::remove_reference_t<decltype(std::declval<SystemCalls&>().*Entry)>;
  using Trap = fault_detail::Trap<Entry, Fn>;

 public:
  explicit ScopedFault(int error, FaultOptions options = {}) {
    assert(Trap::previous == nullptr && "one fault per system call at a time");
    Trap::previous = calls().*Entry;
    Trap::error = error;
    Trap::remaining = options.after;
    Trap::path = std::move(options.pathContains);
    Trap::creating = options.creating;
    Trap::failures = 0;
    Trap::matching = 0;
    calls().*Entry = &Trap::call;
  }
  ~ScopedFault() {
    calls().*Entry = Trap::previous;
    Trap::previous = nullptr;
  }
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;

  // Calls made to the failed entry that matched the path, and of those how
  // many were failed.
  int matchingCalls() const { return Trap::matching; }
  int failures() const { return Trap::failures; }
};

}  // namespace orv::sys
