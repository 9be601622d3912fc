// The message protocol of the report calls: progress as plain text, errors
// after "@", questions after "!", all through the caller's callback.
#pragma once

#include <string>

#include "reporter/report_state.h"

namespace orv::report {

// The texts of the exporter's messages and its one question.
namespace text {
inline constexpr const char* kInitializing = "Initializing";
inline constexpr const char* kPermission = "Checking permission to generate reports";
inline constexpr const char* kLevel = "Incorrect REVLIB.DLL level: Need level %d, using level %d.";
inline constexpr const char* kNoMemory = "Initializing: cannot allocate sufficient memory";
inline constexpr const char* kBadArguments = "Validating arguments";
inline constexpr const char* kBadBasePath = "%s ";
inline constexpr const char* kCannotOpenTable = "Cannot open data file %s";
inline constexpr const char* kOpeningProject = "%s: opening project";
inline constexpr const char* kOpeningArchive = "%s: opening archive";
inline constexpr const char* kArchiveName = "Obtaining archive name";
inline constexpr const char* kReadingHeader = "%s: Reading archive header information";
inline constexpr const char* kReadingAccess = "%s: Reading archive access information";
inline constexpr const char* kReadingRevisions = "%s: Reading revision information";
inline constexpr const char* kReadingSymbols = "%s: Reading symbol information";
inline constexpr const char* kOpeningMemberArchive = "Opening member archive %s";
inline constexpr const char* kOpeningSubproject = "Opening member sub-project %s";
inline constexpr const char* kGettingMembers = "Getting members for project %s";
inline constexpr const char* kProjectRevision = "Obtaining project revision for %s";
inline constexpr const char* kAddingMember = "Adding member %s";
inline constexpr const char* kWriting = "Writing to file %s";
inline constexpr const char* kIncomplete = "Data will be incomplete.";
}  // namespace text

// The detail that follows an error message: kSystemError adds the system's
// text for the error number given, kNoDetail nothing, a library code the
// library's text for it (and, from 201 on, the system's text for the
// library's extra error).
inline constexpr int kSystemError = -1;
inline constexpr int kNoDetail = 0;

// The whole error text as the callback receives it: "@", the message, the
// detail; cut to 255 characters.
std::string errorText(const std::string& message, int code, int systemError);

// Formats printf-style into a string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Reports an error through the callback (dropped without one).
void reportError(rptMessageCallback messages, const std::string& message, int code, int systemError = 0);
inline void reportError(const rptReport& r, const std::string& message, int code, int systemError = 0) {
  reportError(r.messages, message, code, systemError);
}

// Passes progress text; the callback's answer, 0 without a callback.
int progress(const rptReport& r, const std::string& text);

// Asks a question; true when the caller answers to go on (0). Without a
// callback the question counts as a stop.
bool goOn(const rptReport& r, const char* question);

}  // namespace orv::report
