// Revision-level helpers shared by the check-in and check-out core, the
// lock command and the archive window: which revision an operation means by
// default, a revision without a working file, a check-out to a given file,
// and a working file's time stamp taken from its revision's date (UTC).
// Buffers are (pointer, size) pairs; results never exceed size - 1
// characters and are always terminated.
#pragma once

#include <string>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::archive {

// The revision user has locked; else the default branch; else the head.
void getArchiveTitle(int archive, const char* user, char* buffer, int size);
// As getArchiveTitle, but between the lock and the default branch the
// revision of project's member for workFile, when it has one.
void getMemberArchiveTitle(int archive, int project, const char* user, const char* workFile,
                           char* buffer, int size);
// The default branch resolved to its revision, else the head. 0 or the
// library's code.
int getRevisionTitle(int archive, char* buffer, int size);

// True when the archive uses strict locking (false when it cannot be read).
bool isStrictLocking(int archive);

// Checks revision out to target under a busy cursor; 0 without doing
// anything when revision is null or empty; else the library's result.
int checkOutToFile(ui::Ui& ui, int archive, const char* revision, const char* target);

// A new revision on top of base made without a working file and with an
// empty log, locked when lock is set; its number replaces base (size bytes;
// base and newRevision may be the same buffer). 0 or the first failing code.
int checkInNewRevision(int archive, char* base, char* newRevision, int size, int lock);

// Gives path the date of revision as its access and modification times.
// False when the date cannot be read or the times cannot be set.
bool setFileTimeFromRevision(int archive, const std::string& path, const char* revision);

// Copies text into buffer of size bytes, cut with its terminator.
void copyToBuffer(const std::string& text, char* buffer, int size);

// The busy cursor for the life of the object.
class BusyCursor {
 public:
  explicit BusyCursor(ui::Ui& ui) : ui_(ui) { ui_.pushBusyCursor(); }
  ~BusyCursor() { ui_.popCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  ui::Ui& ui_;
};

}  // namespace orv::workbench::archive
