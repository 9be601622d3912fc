// Checking a revision out: resolving the revision, choosing the target,
// the lock, the pre-event and event, and the commit of a locked check-out.
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "platform/sys/system_calls.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/check_in_out.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "vc/error_codes.h"
#include "vc/include/vc.h"

namespace orv::workbench::archive {

namespace {

// Keyword handling of vcCheckOutRevision: expanded whatever the options
// say, or written as stored. The options themselves are left alone.
constexpr int kExpandKeywords = 4;
constexpr int kKeywordsAsStored = 2 | 4;

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

enum class Target { none, readOnly, writable };

}  // namespace

bool preEventGoesOn(int rc) {
  if (rc == vc::err::kDone) return vcExtraError() != 0;
  return rc < vc::err::kNoMessage;
}

int showPreEventRefusal(OpenArchive& archive, int rc, int textId, int refusedId,
                        const char* revision, unsigned style) {
  if (rc < vc::err::kNoMessage)
    return rcsMessage(archive.ui(), style,
                      formatString(textId, revision, archive.archiveName().c_str()));
  return rcsErrorMessage(archive.ui(), style, rc,
                         formatString(refusedId, revision, archive.archiveName().c_str()));
}

int checkOutRevision(OpenArchive& archive, int project, TCoTransferStruct& record, int& answer) {
  ui::Ui& ui = archive.ui();
  const unsigned style = errorStyleFor(record.allFiles);
  BusyCursor busy(ui);
  const int handle = archive.handle();
  std::string target = archive.workFileName();
  char revision[kRevisionBufferSize] = {};
  bool resolved = false;
  bool changed = false;  // the archive holds a change of ours in memory
  mode_t restoreMode = 0;  // a read-only target made writable for the check-out
  int result = 0;

  [&] {
    // The revision.
    char request[kRevisionBufferSize] = {};
    if (record.defaultRev) {
      // nothing requested
    } else if (record.memberRev && project) {
      vcGetMember(project, 101, request, sizeof request);
    } else if (record.revision || record.label) {
      setField(request, fieldText(record.choice));
    }
    if (request[0] == '\0') {
      result = getRevisionTitle(handle, revision, sizeof revision);
    } else {
      char expanded[kRevisionBufferSize] = {};
      result = vcExpandRevision(handle, request, expanded, sizeof expanded);
      if (result == 0) result = vcGetRevInfo(handle, 44, expanded, revision, sizeof revision);
    }
    if (result != 0) return;
    resolved = true;

    // The target.
    struct stat st {};
    if (!record.locked) {
      if (!archive.reopenReadOnly()) {
        result = kReported;
        return;
      }
      const std::string wanted = record.workFile[0] ? fieldText(record.workFile) : target;
      if (sys::calls().stat(wanted.c_str(), &st) != 0) {
        if (vcMakePath(wanted.c_str()) != 0) {
          result = vc::err::kCannotOpenWorkFile;
          return;
        }
        target = wanted;
      } else if (S_ISDIR(st.st_mode)) {
        target = wanted + (wanted.back() == '/' ? "" : "/") + baseName(archive.workFileName());
      } else if (S_ISREG(st.st_mode)) {
        target = wanted;
      } else {
        result = vc::err::kNotVersionFile;
        return;
      }
    } else {
      if (record.lockStateCheck) {
        char state[40] = {};
        vcGetRevInfo(handle, 34, revision, state, sizeof state);
        if (!isLockableState(state)) {
          answer = rcsMessage(ui, style,
                              formatString(kStrLockStateRefused, revision,
                                           archive.archiveName().c_str(), state));
          result = kReported;
          return;
        }
      }
      if (!archive.writeLock()) {
        result = kReported;
        return;
      }
    }

    // A writable target is overwritten only when the user agrees.
    Target kind = Target::none;
    if (sys::calls().stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      if (st.st_mode & 0222) {
        if (record.writableAnswer == kAnswerNoToAll) {
          result = kReported;
          return;
        }
        if (record.writableAnswer != kAnswerYesToAll) {
          const std::string question = formatString(kStrOverwriteWritable, target.c_str());
          const int a = record.allFiles == 1 ? customMessageBox(ui, 0, question)
                                             : rcsMessage(ui, kStyleQuestion, question);
          record.writableAnswer = static_cast<std::uint8_t>(a);
          answer = a;
          if (a != ui::kAnswerYes && a != kAnswerYesToAll) {
            result = kReported;
            return;
          }
        }
        kind = Target::writable;
      } else {
        kind = Target::readOnly;
      }
    }

    setWorkFileVariable(archive.workFileName());
    const int event = vcArchiveEvent(handle, "precheckout", revision);
    if (!preEventGoesOn(event)) {
      answer = showPreEventRefusal(archive, event, kStrPreCheckoutFailed, kStrCannotCheckOut,
                                   revision, style);
      result = event == vc::err::kDone ? vc::err::kDone : kReported;
      return;
    }

    // The check-out replaces the target in one step, so a writable target
    // stays whole until then; a read-only one is made writable so that the
    // new file does not inherit its mode.
    if (kind == Target::readOnly) {
      restoreMode = st.st_mode & 07777;
      sys::calls().chmod(target.c_str(), restoreMode | S_IWUSR);
    }

    if (record.locked) {
      char variant = 0;
      char head[kRevisionBufferSize] = {};
      if (project && vcGetProject(project, 149, &variant, 1) == 0 && variant &&
          vcGetArchiveInfo(handle, 8, head, sizeof head) == 0 && std::strcmp(head, revision) == 0) {
        changed = true;
        result = checkInNewRevision(handle, revision, revision, sizeof revision, 0);
        if (result != 0) return;
      }
      changed = true;
      result = vcSetRevInfo(handle, 18, revision, nullptr);
      if (result != 0) return;
    }

    result = vcCheckOutRevision(handle, revision, target.c_str(),
                                record.expandKeywords ? kExpandKeywords : kKeywordsAsStored);
    if (result != 0) return;
    restoreMode = 0;

    vcArchiveEvent(handle, "checkout", revision);
    if (record.restoreTimestamp) setFileTimeFromRevision(handle, target, revision);
    if (!record.locked && isStrictLocking(handle)) sys::calls().chmod(target.c_str(), 0444);
    if (record.locked) result = vcCommitArchive(handle, 0);
  }();

  if (restoreMode) sys::calls().chmod(target.c_str(), restoreMode);
  archive.setStatus(result);
  if (result != 0 && result != vc::err::kDone && result != kReported)
    answer = archive.showError(style);
  // A lock, or a revision made for it, must not wait in memory for a later
  // commit through this handle.
  if (changed && result != 0) archive.reopen();
  if (archive.handle()) vcKeepClosed(archive.handle());
  if (resolved) setField(record.checkedOutRevision, revision);
  return result;
}

}  // namespace orv::workbench::archive
