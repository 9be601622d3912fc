// The walks of the report calls (report_walk.h).
//
// A project is written once: its .txp row, then each member's .txm row after
// the member's archive or sub-project has been written. An archive is
// written once (.txa and .txx rows, then its revisions and .txs rows as the
// report kind says); in a one-revision report each further member revision
// of a known archive adds its own .txr row once.
#include "reporter/report_walk.h"

#include <climits>
#include <cstring>
#include <vector>

#include "reporter/report_messages.h"
#include "reporter/report_rows.h"
#include "vc/include/vc.h"

namespace orv::report {

namespace {

// Archive names as reported: every backslash a slash.
std::string withSlashes(std::string name) {
  for (char& c : name)
    if (c == '\\') c = '/';
  return name;
}

// One report call's walk over a project and its sub-projects.
class ProjectWalk {
 public:
  ProjectWalk(rptReport& r, unsigned historical) : r_(r), historical_(historical) {}
  int walk(const std::string& name, int project, bool subproject, int& id);

 private:
  int member(int project, const std::string& projectName, const std::string& member, int projectId, bool& done);
  int nextMember(int project, bool first, std::string& name);

  rptReport& r_;
  unsigned historical_;
};

// Archive rows of one open archive; the archive's id goes to id.
int writeArchive(rptReport& r, int archive, int& id, const std::string& memberRevision);

// Looks a key up, reporting a failure to keep it. The lookup's answer (new
// id, 0 known) or -1.
int lookupId(rptReport& r, const std::string& key, const std::string& shown, int& id) {
  try {
    return r.ids.lookup(key, id);
  } catch (const std::bad_alloc&) {
    reportError(r, format(text::kAddingMember, shown.c_str()), VC_E_NO_MEMORY);
    return -1;
  }
}

// The current revision of an archive: the tip of its default branch when it
// has one that the library resolves, else its head.
int currentRevision(int archive, std::string& revision) {
  std::string branch;
  auto readBranch = [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_DEFAULT_BRANCH, b, n); };
  auto resolveBranch = [&](char* b, int n) {
    return vcGetRevInfo(archive, VC_REVISION_ITEM_NUMBER, branch.c_str(), b, n);
  };
  if (libraryText(branch, readBranch) == 0 && !branch.empty() && libraryText(revision, resolveBranch) == 0) return 0;
  return libraryText(revision, [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_HEAD, b, n); });
}

// The revisions of an archive, by the report kind, and then its symbols.
// For an archive written before (a further member revision in a
// one-revision report) only the revision is added: its symbols are there.
int writeRevisions(rptReport& r, int archive, const std::string& name, int id,
                   const std::string& memberRevision, bool knownArchive) {
  if (r.flags & kHeadersOnly) return 1;
  int rc = 0;
  if (r.flags & kOneRevision) {
    std::string revision = memberRevision;
    if (revision.empty()) rc = currentRevision(archive, revision);
    if (rc == 0) {
      int pair = 0;
      if (!knownArchive && lookupId(r, IdTable::revisionKey(name, revision), name, pair) < 0) return 0;
      rc = writeRevisionRow(r, archive, revision, id);
    }
  } else {
    std::string revision;
    rc = libraryText(revision,
                     [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_FIRST_REVISION, b, n); });
    while (rc == 0) {
      if ((rc = writeRevisionRow(r, archive, revision, id)) != 0) break;
      const std::string previous = revision;
      rc = libraryText(revision, [&](char* b, int n) {
        return vcGetRevInfo(archive, VC_REVISION_ITEM_NEXT, previous.c_str(), b, n);
      });
    }
  }
  if (rc == 0 || rc == VC_E_REVISION_MISSING) {
    if (knownArchive) return 1;
    rc = writeSymbolRows(r, archive, id);
    if (rc == 0) return 1;
    if (rc != kWriteFailed) reportError(r, format(text::kReadingSymbols, name.c_str()), rc);
    return 0;
  }
  if (rc == kWriteFailed) return 0;
  reportError(r, format(text::kReadingRevisions, name.c_str()), rc);
  return goOn(r, text::kIncomplete) ? 1 : 0;
}

int writeArchive(rptReport& r, int archive, int& id, const std::string& memberRevision) {
  std::string name;
  if (int rc = libraryText(
          name, [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_FILE_NAME, b, n); })) {
    reportError(r, text::kArchiveName, rc);
    return 0;
  }
  name = withSlashes(name);
  const int found = lookupId(r, IdTable::archiveKey(name), name, id);
  if (found < 0) return 0;
  if (found > 0) {
    if (int rc = writeHeaderRow(r, archive, name, id)) {
      if (rc == kWriteFailed) return 0;
      reportError(r, format(text::kReadingHeader, name.c_str()), rc);
      // An archive without its .txa row has no id to join: its members get
      // 0, and a later member tries the archive again.
      r.ids.forget(IdTable::archiveKey(name));
      id = 0;
      return goOn(r, text::kIncomplete) ? 1 : 0;
    }
    if (int rc = writeAccessRows(r, archive, id)) {
      if (rc != kWriteFailed) reportError(r, format(text::kReadingAccess, name.c_str()), rc);
      return 0;
    }
    return writeRevisions(r, archive, name, id, memberRevision, false);
  }
  // A known archive: only another member revision in a one-revision report
  // adds a row.
  if (!(r.flags & kOneRevision) || memberRevision.empty()) return 1;
  int pair = 0;
  const int known = lookupId(r, IdTable::revisionKey(name, memberRevision), name, pair);
  if (known < 0) return 0;
  if (known == 0) return 1;
  return writeRevisions(r, archive, name, id, memberRevision, true);
}

int ProjectWalk::nextMember(int project, bool first, std::string& name) {
  std::vector<char> buffer(PATH_MAX + 1);
  const int rc = vcGetMember(project, first ? VC_MEMBER_ITEM_FIRST : VC_MEMBER_ITEM_NEXT, buffer.data(),
                             static_cast<int>(buffer.size()));
  if (rc == VC_E_BUFFER_TOO_SMALL)  // the walk moved on: read the whole name of the member it made current
    return libraryText(name, [&](char* b, int n) { return vcGetMember(project, VC_MEMBER_ITEM_NAME, b, n); });
  name = buffer.data();
  return rc;
}

int ProjectWalk::walk(const std::string& name, int project, bool subproject, int& id) {
  const int found = lookupId(r_, IdTable::projectKey(name), name, id);
  if (found < 0) return 0;
  if (found == 0) return 1;  // met before: neither written nor walked again
  if (writeProjectRow(r_, project, name, id) != 0) return 0;
  if (subproject && !(r_.flags & kWithSubprojects)) return 1;

  std::string memberName;
  int rc = nextMember(project, true, memberName);
  while (rc == 0) {
    bool done = false;
    const int result = member(project, name, memberName, id, done);
    if (done) return result;
    rc = nextMember(project, false, memberName);
  }
  if (rc == VC_E_NOT_MEMBER) return 1;
  reportError(r_, format(text::kGettingMembers, name.c_str()), rc);
  return 0;
}

// One member: its archive or sub-project, then its .txm row. done is set
// when the walk ends here, with the result to return.
int ProjectWalk::member(int project, const std::string& projectName, const std::string& memberName, int projectId,
                        bool& done) {
  done = true;
  int memberId = 0;
  if (progress(r_, memberName) == -1) return 0;

  char type = 0;
  int rc = vcGetMember(project, VC_MEMBER_ITEM_KIND, &type, 1);
  std::string revision;
  if (rc == 0)
    rc = libraryText(revision, [&](char* b, int n) { return vcGetMember(project, VC_MEMBER_ITEM_REVISION, b, n); });
  if (rc) {
    if (rc == VC_E_NOT_MEMBER) return 1;
    reportError(r_, format(text::kGettingMembers, projectName.c_str()), rc);
    return 0;
  }

  if (type == 'a') {
    if (!(r_.flags & kNoArchives)) {
      std::vector<char> archiveName(PATH_MAX + 1);
      int archive = 0;
      rc = vcMemberOpenArchive(project, nullptr, archiveName.data(), static_cast<int>(archiveName.size()), &archive,
                               VC_ARCHIVE_OPEN_READ);
      if (rc) {
        if (archive) vcCloseArchive(archive);
        reportError(r_, format(text::kOpeningMemberArchive, memberName.c_str()), rc);
        if (!goOn(r_, text::kIncomplete)) return 0;
      } else {
        const int result = writeArchive(r_, archive, memberId, revision);
        vcCloseArchive(archive);
        if (result == 0) return 0;
      }
    }
  } else if (type == 'i' || type == 's') {
    int sub = 0;
    // Read-only: a report needs no right to modify the projects it reads.
    if ((historical_ & VC_OPTION_NOT_FOUND) || revision.empty())
      rc = vcOpenProject(memberName.c_str(), 0, &sub, 0);
    else
      rc = vcOpenRevProject(memberName.c_str(), revision.c_str(), 0, &sub, 0);
    if (rc) {
      reportError(r_, format(text::kOpeningSubproject, memberName.c_str()), rc);
      return 0;
    }
    const int result = walk(memberName, sub, true, memberId);
    vcCloseProject(sub);
    if (result == 0) return 0;
  } else if (type == 'f') {
    revision.clear();
  }
  if (writeMemberRow(r_, projectId, memberName, type, revision, memberId) != 0) return 0;
  done = false;
  return 1;
}

}  // namespace

int projectReport(rptReport& r, const std::string& projectName, int project) {
  int opened = 0;
  if (project == 0) {
    if (int rc = vcOpenProject(projectName.c_str(), 0, &opened, 0)) {
      reportError(r, format(text::kOpeningProject, projectName.c_str()), rc);
      return 0;
    }
    project = opened;
  }
  if (r.password) vcRegisterPasswdCallback(r.password);
  unsigned historical = VC_OPTION_NOT_FOUND;
  vcGetConfigFlags("historical", &historical);
  int id = 0;
  const int result = ProjectWalk(r, historical).walk(projectName, project, false, id);
  if (opened) vcCloseProject(opened);
  return result;
}

int archiveReport(rptReport& r, const std::string& archiveName, int archive) {
  std::string name;
  int opened = 0;
  if (archive) {
    if (int rc = libraryText(
            name, [&](char* b, int n) { return vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_FILE_NAME, b, n); })) {
      reportError(r, text::kArchiveName, rc);
      return 0;
    }
  } else {
    name = archiveName;
    int rc = vcOpenArchive(name.c_str(), &opened, VC_ARCHIVE_OPEN_READ);
    if (rc == VC_E_NOT_VERSION_FILE || rc == VC_E_CANNOT_OPEN_ARCHIVE) {
      // Not an archive: the name of a working file, whose archive is found.
      if (opened) vcCloseArchive(opened);
      opened = 0;
      std::vector<char> found(PATH_MAX + 1);
      rc = vcFindArchiveName(archiveName.c_str(), found.data(), static_cast<int>(found.size()), &opened,
                             VC_ARCHIVE_OPEN_READ);
      if (rc == 0 || rc == VC_E_ENCRYPTED_FILE) name = found.data();
    }
    if (rc == VC_E_ENCRYPTED_FILE && opened && r.password) {
      // Cleared before the question, so a cancelled one cannot leave a
      // password behind to be tried, and wiped after use.
      char password[VC_MAX_PASSWORD + 1];
      ::explicit_bzero(password, sizeof password);
      if (r.password(opened, name.c_str(), password, static_cast<int>(sizeof password)) == 0) {
        password[sizeof password - 1] = '\0';
        rc = vcSetPassword(opened, password);
      }
      ::explicit_bzero(password, sizeof password);
    }
    if (rc) {
      reportError(r, format(text::kOpeningArchive, archiveName.c_str()), rc);
      if (opened) vcCloseArchive(opened);
      return 0;
    }
    archive = opened;
  }
  int result = 0;
  if (progress(r, withSlashes(name)) != -1) {
    int id = 0;
    result = writeArchive(r, archive, id, std::string());
  }
  if (opened) vcCloseArchive(opened);
  return result;
}

}  // namespace orv::report
