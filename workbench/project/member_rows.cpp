// Member rows recomputed from the library, and the texts that follow the
// selection of the project window.
#include "workbench/project/member_rows.h"

#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs/file_identity.h"
#include "platform/fs/temp_file.h"
#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::project {

namespace {

constexpr int kRevisionSize = 80;
constexpr int kLockerSize = 40;
constexpr std::size_t kDetailLimit = 199;  // the detail text's bytes

// Member items.
enum : int {
  kMemberRevision = VC_MEMBER_ITEM_REVISION,
  kMemberRecordedSize = VC_MEMBER_ITEM_RECORDED_SIZE,
  kMemberRecordedTime = VC_MEMBER_ITEM_RECORDED_TIME,
  kMemberCurrentSize = VC_MEMBER_ITEM_SIZE,
  kMemberOtherRevision = VC_MEMBER_ITEM_RECORDED_REVISION,
  kMemberCurrentTime = VC_MEMBER_ITEM_TIME,
  kMemberFlags = VC_MEMBER_ITEM_STATUS,
  kMemberNewerRevision = VC_MEMBER_ITEM_NEWER_REVISION,
  kMemberLocker = VC_MEMBER_ITEM_LOCKER,
  kMemberFrozen = VC_MEMBER_ITEM_FROZEN,
};

std::size_t g_labelStart = 256;
std::unique_ptr<char[]> g_labels;
std::size_t g_labelSize = 0;

// Replaces a row's text only when it changed.
void assign(std::optional<std::string>& field, const char* value) {
  if (!value) {
    field.reset();
  } else if (!field || *field != value) {
    field = value;
  }
}

std::uint32_t memberNumber(int project, int item) {
  char buffer[4] = {};
  if (vcGetMember(project, item, buffer, sizeof buffer) != 0) return 0;
  std::uint32_t value = 0;
  std::memcpy(&value, buffer, sizeof value);
  return value;
}

std::string memberText(int project, int item) {
  std::vector<char> buffer(kRevisionSize * 8 + 1, '\0');
  if (vcGetMember(project, item, buffer.data(), static_cast<int>(buffer.size()) - 1) != 0) return "";
  return buffer.data();
}

bool memberByte(int project, int item) {
  char buffer[4] = {};
  return vcGetMember(project, item, buffer, sizeof buffer) == 0 && (buffer[0] & 1);
}

// A time as the detail text shows it, in local time (0: the start of 1970).
std::string localTime(std::uint32_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return "";
  char text[64];
  const std::string format(loadString(kStrDetailTimeFormat));
  const std::size_t n = std::strftime(text, sizeof text, format.c_str(), &tm);
  return std::string(text, n);
}

// The detail text being built, cut at its limit.
class Detail {
 public:
  void add(std::string_view piece) {
    if (text_.size() >= kDetailLimit) return;
    text_.append(piece.substr(0, kDetailLimit - text_.size()));
  }
  void add(int id) { add(loadString(id)); }
  bool empty() const { return text_.empty(); }
  bool endsWithNewLine() const { return !text_.empty() && text_.back() == '\n'; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

bool workFileLine(MemberDetailSource& source, const MemberRow& row, Detail& d) {
  const std::uint32_t f = row.changeFlags;
  if (f & kNoWorkFile) {
    d.add(kStrDetailNoWorkFile);
    return true;
  }
  if (f & kWorkInaccessible) {
    d.add(kStrDetailCannotAccessWork);
    d.add(" ");
    d.add(source.workFileName());
    d.add(" ");
    d.add(std::strerror(source.extraError()));
    return true;
  }
  if (!(f & (kWorkModified | kWorkSizeDiffers | kWorkDateDiffers))) return false;
  if (f & kWorkModified) {
    d.add(kStrDetailWorkModified);
    if (f & (kWorkSizeDiffers | kWorkDateDiffers)) d.add(", ");
  } else {
    d.add(kStrDetailWorkFile);
    d.add(" ");
  }
  if (f & kWorkSizeDiffers) {
    const std::uint32_t recorded = source.number(kMemberRecordedSize);
    const std::uint32_t current = source.number(kMemberCurrentSize);
    const bool longer = current > recorded;
    const long difference = static_cast<long>(longer ? current - recorded : recorded - current);
    d.add(formatString(longer ? kStrDetailBytesLonger : kStrDetailBytesShorter, difference));
    if (f & kWorkDateDiffers) d.add(", ");
  }
  if (f & kWorkDateDiffers) {
    const std::uint32_t recorded = source.number(kMemberRecordedTime);
    const std::uint32_t current = source.number(kMemberCurrentTime);
    d.add(current > recorded ? kStrDetailNewer : kStrDetailOlder);
    d.add(" ");
    d.add(localTime(current));
    d.add(" ");
    d.add(kStrDetailVersus);
    d.add(" ");
    d.add(localTime(recorded));
  }
  return true;
}

void archiveLine(MemberDetailSource& source, const MemberRow& row, Detail& d) {
  const std::uint32_t f = row.changeFlags;
  if (row.type == 'f' || !(f & kArchiveChanges)) return;
  if (f & kNoArchive) {
    d.add(kStrDetailNoArchive);
  } else if (f & kNoPermission) {
    d.add(kStrDetailNoPermission);
  } else if (f & kArchiveInUse) {
    d.add(kStrDetailArchiveInUse);
  } else if (f & kNoPassword) {
    d.add(kStrDetailNoPassword);
  } else if (f & kArchiveCorrupt) {
    d.add(kStrDetailArchiveCorrupt);
  } else if (f & kNotOnAccessList) {
    d.add(kStrDetailNotOnListUser);
    d.add(" ");
    d.add(source.userName());
    d.add(" ");
    d.add(kStrDetailNotOnList);
    d.add("  ");
  } else if (f & kMissingRevision) {
    d.add(kStrDetailMissingRevision);
    d.add(" ");
    d.add(source.text(kMemberRevision));
    d.add("  ");
  } else if (f & kNewerRevision) {
    d.add(kStrDetailNewRevision);
    d.add(" ");
    d.add(source.text(kMemberNewerRevision));
    d.add("  ");
  }
  if (f & kLocked) {
    d.add(kStrDetailLockedBy);
    d.add(" ");
    d.add(source.text(kMemberLocker));
  }
}

}  // namespace

void setRevisionLabelBufferStart(std::size_t bytes) {
  freeRevisionLabelBuffer();
  g_labelStart = bytes < 2 ? 2 : bytes;
}

void freeRevisionLabelBuffer() {
  g_labels.reset();
  g_labelSize = 0;
}

void collectRevisionLabels(OpenProject& project, MemberRow& row, int archive) {
  if (!archive) return;
  if (!g_labels) {
    g_labels.reset(new (std::nothrow) char[g_labelStart]);
    if (!g_labels) {
      rcsMessage(project.ui(), 0x10, std::string(loadString(kStrOutOfMemory)));
      return;
    }
    g_labelSize = g_labelStart;
  }
  const std::string revision = row.revision.value_or("");
  if (vcGetRevInfo(archive, VC_REVISION_ITEM_STATE, revision.c_str(), g_labels.get(), static_cast<int>(g_labelSize)) == 0) {
    assign(row.state, g_labels.get());
  }
  // Each entry is "label revision"; an entry naming the row's revision keeps
  // its label and blank, the next entry is written after them.
  std::size_t used = 0;
  for (;;) {
    char* p = g_labels.get() + used;
    const int rc = vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_NEXT_LABEL, p, static_cast<int>(g_labelSize - used));
    if (rc == VC_E_DONE) break;
    if (rc == VC_E_BUFFER_TOO_SMALL) {
      const std::size_t bigger = g_labelSize * 2;
      std::unique_ptr<char[]> grown(new (std::nothrow) char[bigger]);
      if (!grown) {
        rcsMessage(project.ui(), 0x10, std::string(loadString(kStrOutOfMemory)));
        return;
      }
      std::memcpy(grown.get(), g_labels.get(), used);
      g_labels = std::move(grown);
      g_labelSize = bigger;
      continue;  // the library's walk stays at the entry that did not fit
    }
    if (rc != 0) {
      project.status = rc;
      project.showError(0x30);
      return;
    }
    const char* blank = std::strchr(p, ' ');
    if (blank && revision == blank + 1) used = static_cast<std::size_t>(blank + 1 - g_labels.get());
  }
  g_labels[used] = '\0';
  assign(row.labels, used == 0 ? nullptr : g_labels.get());
}

namespace {

// A folder of this process's own for the comparisons' check-outs, made in
// the first temporary directory that takes it and removed with its file
// when the program ends. Each comparison writes its revision over the one
// file there, so no shared directory is read or changed per member, and no
// name is made or removed per member.
class ComparisonFolder {
 public:
  ComparisonFolder(const ComparisonFolder&) = delete;
  ComparisonFolder& operator=(const ComparisonFolder&) = delete;
  static ComparisonFolder& instance() {
    static ComparisonFolder folder;
    return folder;
  }
  ~ComparisonFolder() {
    // A child process leaves its parent's folder alone.
    if (path_.empty() || owner_ != ::getpid()) return;
    ::unlink(file().c_str());
    ::rmdir(path_.c_str());
  }
  std::string file() const { return path_ + "/revision"; }
  // The folder, or "" when no temporary directory takes one. A folder
  // removed behind the program is made again.
  const std::string& path() {
    if (!path_.empty() && ::access(path_.c_str(), W_OK | X_OK) != 0) {
      path_.clear();
      tried_ = false;
    }
    if (path_.empty() && !tried_) {
      tried_ = true;
      for (const std::string& dir : fs::temporaryDirectories()) {
        std::string name = dir + "/orvcmp" + std::to_string(::getpid()) + "_XXXXXX";
        if (::mkdtemp(name.data())) {
          path_ = std::move(name);
          owner_ = ::getpid();
          break;
        }
      }
    }
    return path_;
  }

 private:
  ComparisonFolder() = default;
  std::string path_;
  pid_t owner_ = 0;
  bool tried_ = false;
};

// Whether the working file work holds revision of archive byte for byte,
// with its keywords expanded or left as stored. Answers are kept per
// archive, revision and working file as they are on disk.
bool workFileHoldsRevision(int archive, const std::string& work, const std::string& revision) {
  struct Known {
    fs::FileIdentity archiveId, workId;
    bool equal = false;
  };
  static std::unordered_map<std::string, Known> known;
  char archiveName[1024] = {};
  if (vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_FILE_NAME, archiveName, sizeof archiveName - 1) != 0) return false;
  const fs::FileIdentity archiveId = fs::readIdentity(archiveName);
  const fs::FileIdentity workId = fs::readIdentity(work);
  if (!workId.valid) return false;
  std::string key = archiveName;
  key += '\0';
  key += revision;
  key += '\0';
  key += work;
  if (auto it = known.find(key); it != known.end() && it->second.archiveId == archiveId && it->second.workId == workId)
    return it->second.equal;
  std::string text;
  if (sys::readWholeFile(work, text) != 0) return false;
  bool equal = false;
  ComparisonFolder& folder = ComparisonFolder::instance();
  if (!folder.path().empty()) {
    // The last comparison's file is written over, as a check-out writes
    // over a writable working file.
    const std::string temp = folder.file();
    ::chmod(temp.c_str(), 0600);
    for (const int flags : {VC_CHECKOUT_EXPAND_KEYWORDS, VC_CHECKOUT_NO_KEYWORDS}) {
      std::string stored;
      if (!equal && vcCheckOutRevision(archive, revision.c_str(), temp.c_str(), flags) == 0 &&
          sys::readWholeFile(temp, stored) == 0)
        equal = stored == text;
    }
  }
  // A bound on what is kept: a project's members and some more.
  if (known.size() > (1u << 18)) known.clear();
  known[std::move(key)] = Known{archiveId, workId, equal};
  return equal;
}

// A member whose recorded revision is unknown (added at a revision, or its
// working file copied in) while its working file holds the member's
// revision is current: the row does not call its revision unknown.
void settleUnknownRecordedRevision(OpenProject& project, MemberRow& row, int archive) {
  const int p = project.project;
  if (row.type != 'a' || !row.hasRevision() || !(memberNumber(p, kMemberFlags) & kOtherRevision)) return;
  if (!memberText(p, kMemberOtherRevision).empty()) return;
  std::vector<char> work(1024, '\0');
  const char* workDir = project.workDirectory.empty() ? nullptr : project.workDirectory.c_str();
  if (vcMemberWorkName(p, nullptr, workDir, work.data(), 1023) != 0 || !work[0]) return;
  if (workFileHoldsRevision(archive, work.data(), *row.revision)) row.currentUnrecorded = true;
}

}  // namespace

void updateMemberStatus(OpenProject& project, MemberRow& row, int archive) {
  const int p = project.project;
  int archiveResult = 0;
  if (!(project.walkOptions & kWalkKeepFileStatus)) {
    const char* workDir = project.workDirectory.empty() ? nullptr : project.workDirectory.c_str();
    vcMemberWorkChanges(p, nullptr, workDir);
    vcMemberRevChanges(p, nullptr, workDir);
    if (project.walkOptions & (kWalkUpdateWorkRecord | kWalkUpdateRevisionRecord)) vcMemberWorkUpdate(p, nullptr);
    if (project.walkOptions & kWalkUpdateRevisionRecord) vcMemberRevUpdate(p, nullptr);
    if (row.type != 'f') {
      int handle = archive;
      const bool opened = archive == 0;
      if (opened) {
        archiveResult = vcMemberArchiveChanges(p, nullptr, &handle, VC_ARCHIVE_OPEN_READ);
      } else {
        archiveResult = vcMemberAnyArchiveChanges(archive);
      }
      if (archiveResult == 0 && handle) collectRevisionLabels(project, row, handle);
      if (handle && row.hasRevision()) {
        char locker[kLockerSize + 1] = {};
        const int rc = vcGetIdArchiveInfo(handle, VC_ARCHIVE_ITEM_LOCKER, row.revision->c_str(), locker, kLockerSize);
        if (rc == VC_E_REVISION_NOT_LOCKED) {
          row.locker.reset();
        } else if (rc == 0) {
          assign(row.locker, locker);
        }
      }
      row.currentUnrecorded = false;
      if (handle && archiveResult == 0) settleUnknownRecordedRevision(project, row, handle);
      if (opened && handle) vcCloseArchive(handle);
    }
  }
  row.changeFlags = memberNumber(p, kMemberFlags);
  if (row.currentUnrecorded) row.changeFlags &= ~static_cast<std::uint32_t>(kOtherRevision);
  if (archiveResult == VC_E_MEMBER_MISSING_REVISION || (row.type == 'a' && !row.hasRevision())) {
    row.changeFlags |= kMissingRevision;
  }
  row.changeMark = (row.changeFlags & kReportedChanges) ? 1 : 0;
  row.frozen = row.type != 'f' && (project.frozen || memberByte(p, kMemberFrozen));
}

std::string memberStatusLine(const OpenProject& project) {
  return formatString(kStrMembersLine, static_cast<int>(project.memberCount),
                      static_cast<int>(project.lockedCount), static_cast<int>(project.selectedCount));
}

void LibraryMemberDetails::moveTo(MemberRow& row, bool recompute) {
  if (!project_.project) return;
  vcMemberSetPosition(project_.project, static_cast<int>(row.position));
  if (recompute) updateMemberStatus(project_, row, 0);
}

std::uint32_t LibraryMemberDetails::number(int item) { return memberNumber(project_.project, item); }

std::string LibraryMemberDetails::text(int item) { return memberText(project_.project, item); }

std::string LibraryMemberDetails::workFileName() {
  std::vector<char> buffer(1024, '\0');
  const char* dir = project_.workDirectory.empty() ? nullptr : project_.workDirectory.c_str();
  if (vcMemberWorkName(project_.project, nullptr, dir, buffer.data(), 1023) != 0) return "";
  return buffer.data();
}

int LibraryMemberDetails::extraError() { return vcExtraError(); }

std::string LibraryMemberDetails::userName() {
  char user[64] = {};
  vcGetSysInfo(VC_SYSINFO_USER, user, sizeof user - 1);
  return user;
}

std::string memberDetailText(MemberDetailSource& source, MemberRow* row, bool treeForm) {
  if (!row) return "";
  if (row->changeMark == 2) {
    source.moveTo(*row, true);
  } else if (row->changeMark == 1 || (row->changeFlags & (kLocked | kWorkDateDiffers))) {
    source.moveTo(*row, false);
  }
  if (row->changeMark == 0 && !row->frozen && !(treeForm && (row->changeFlags & (kLocked | kWorkDateDiffers)))) {
    return "";
  }
  Detail d;
  bool lines = workFileLine(source, *row, d);
  if (lines && !d.endsWithNewLine()) d.add("\r\n");
  if (row->frozen) {
    d.add(kStrDetailFrozen);
    d.add(" ");
  }
  if (row->changeFlags & kOtherRevision) {
    const std::string other = source.text(kMemberOtherRevision);
    if (other.empty()) {
      d.add(kStrDetailUnknownRevision);
    } else {
      d.add(kStrDetailCorrespondsTo);
      d.add(" ");
      d.add(other);
    }
    d.add(lines ? "  " : "\r\n");
    lines = true;
  }
  archiveLine(source, *row, d);
  return d.text();
}

}  // namespace orv::workbench::project
