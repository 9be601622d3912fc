// Support shared by the importers: the one-conversion-at-a-time guard, the
// message of the last conversion (errors formatted into 512 bytes, with the
// system's error text appended for system errors), the archive text writer
// that doubles '@', the comment leader chosen by a file's extension, the
// conversion of two-digit-year dates, and the archive file written under a
// temporary name and put in place only when whole.
#pragma once

#include <atomic>
#include <cstdarg>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/fs/replace_file.h"

namespace orv::import {

// Thrown by fail(): ends the conversion with its message.
struct ImportError {};

// The message of the last conversion, per importer.
class MessageBuffer {
 public:
  // Formats a message (at most 511 characters) and throws ImportError. With
  // systemError set, ": " and the text of errno (or ": error %d") follow.
  [[noreturn]] void fail(bool systemError, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void set(std::string text) { text_ = std::move(text); }
  const std::string& text() const { return text_; }
  // The copy-out rule of the importers' error calls (see sccsty32.h).
  int copyOut(char* buf, int len) const;

 private:
  std::string text_;
};

// Runs one conversion under an importer's busy guard: 2 with "DLL in use"
// when one is already running, 1 when it ends with a message (or runs out of
// memory), 0 when it succeeded.
template <class Convert>
int runConversion(std::atomic<bool>& busy, MessageBuffer& msgs, Convert&& convert) {
  if (busy.exchange(true)) {
    msgs.set("DLL in use");
    return 2;
  }
  int rc = 0;
  msgs.set("");
  try {
    convert();
  } catch (const ImportError&) {
    rc = 1;
  } catch (const std::bad_alloc&) {
    msgs.set("Insufficient memory for operation");
    rc = 1;
  } catch (...) {
    msgs.set("internal error");
    rc = 1;
  }
  busy.store(false);
  return rc;
}

// A name as the archive's lists and delta entries can hold it, by the
// revision library's rule for user names (a letter, digit or '_' first, then
// printable ASCII other than ';', ':', '@' and ','), and without '"', which the
// archive's reader takes for quoting. A name that keeps the rule comes back
// as it is; in any other each offending character becomes '_' (a UTF-8
// sequence counts as one character, any other byte of 0x80 and above as one).
std::string safeName(std::string_view name);

// The names an importer had to change, for a note in the archive's
// description.
class NameChanges {
 public:
  // The safe form of name, remembering the change.
  std::string safe(std::string_view name);
  bool empty() const { return changes_.empty(); }
  // "Names changed on import to suit the archive: "x" as "y", ..." and a line end.
  std::string note() const;

 private:
  std::vector<std::pair<std::string, std::string>> changes_;
};

// Archive texts: every '@' written twice.
void appendAtText(std::string& out, std::string_view text);

// The comment leader for a working file's name, by its extension.
std::string commentLeader(const std::string& fileName);

// "yy/mm/dd hh:mm:ss" (any non-digits) into the archive's date form: every
// run separator becomes "."; years 69-99 stay two digits, 00-68 become 20yy.
// False when the fields are not six numbers.
bool archiveDate(const std::string& date, const std::string& time, std::string& out);

// The archive file: refused when it exists, written whole under a temporary
// name and linked in place at the end (which fails if the name has appeared
// since). The importer's messages name `path`.
class ArchiveOutput {
 public:
  // `exists` is the message for an archive that is there already.
  ArchiveOutput(MessageBuffer& msgs, std::string path, bool readOnly,
                const char* exists = "file %s exists already");
  void write(std::string_view text);
  // Everything written so far.
  const std::string& written() const { return written_; }
  void commit();

 private:
  MessageBuffer& msgs_;
  std::string path_;
  orv::fs::AtomicFileWriter writer_;
  std::string pending_;
  std::string written_;
  const char* exists_;
};

}  // namespace orv::import
