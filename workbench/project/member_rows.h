// What the project window keeps in each member row and how a row is
// recomputed from the revision library; the status-bar line with the
// member, lock and selection counts; and the detail text that explains the
// state of one selected member.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "vc/include/vc.h"
#include "workbench/layers.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::project {

// Change flags of a member (member item 110, plus kMissingRevision set by
// the workbench).
enum MemberChange : std::uint32_t {
  kWorkModified = 0x1,
  kWorkSizeDiffers = 0x2,
  kWorkDateDiffers = 0x4,
  kNoWorkFile = 0x8,
  kWorkInaccessible = 0x10,
  kNoArchive = 0x20,
  kArchiveCorrupt = 0x40,
  kMissingRevision = 0x80,
  kNewerRevision = 0x100,
  kLocked = 0x200,
  kOtherRevision = 0x8000,
  kNoPassword = 0x10000,
  kArchiveInUse = 0x20000,
  kNotOnAccessList = 0x40000,
  kNoPermission = 0x80000,
};
// Flags that are worth reporting (the locked flag alone is no change).
constexpr std::uint32_t kReportedChanges = 0xF81FF;
// Flags of the archive line of the detail text.
constexpr std::uint32_t kArchiveChanges = VC_MEMBER_STATUS_ARCHIVE_BITS;

// The record behind one row.
struct MemberRow {
  std::string name;
  std::optional<std::string> revision;
  std::optional<std::string> state;
  std::optional<std::string> labels;  // each label followed by a blank
  std::optional<std::string> locker;
  char type = 'f';                    // a, f, i or s
  std::uint8_t changeMark = 0;        // 0 none, 1 to report, 2 recompute first
  std::uint32_t changeFlags = 0;
  std::uint32_t position = 0;
  bool frozen = false;
  // The recorded revision is unknown, but the working file holds the
  // member's revision: the row reads as current.
  bool currentUnrecorded = false;

  bool hasRevision() const { return revision && !revision->empty(); }
};

// Recomputes row, the library's current member, from the library: the
// working-file and revision records (updated as project.walkOptions says),
// the archive's changes (through archive when not 0, else the member's own
// archive, opened and closed here), state, labels and locker, the change
// flags and marks, and whether it shows as frozen.
void updateMemberStatus(OpenProject& project, MemberRow& row, int archive);

// The state and labels of row's revision in archive. Labels are gathered in
// one buffer that all rows share and that grows as needed.
void collectRevisionLabels(OpenProject& project, MemberRow& row, int archive);
// Frees the shared label buffer (at the end of the program).
void freeRevisionLabelBuffer();
// The size the shared buffer starts at (tests make it small).
void setRevisionLabelBufferStart(std::size_t bytes);

// "%d members:  %d locked;  %d selected" over the project's counters.
std::string memberStatusLine(const OpenProject& project);

// What the detail text needs of the library for the row it explains.
class MemberDetailSource {
 public:
  virtual ~MemberDetailSource() = default;
  // Makes the row the library's current member; with recompute, also
  // recomputes the row first.
  virtual void moveTo(MemberRow& row, bool recompute) = 0;
  // Four-byte member items (sizes 103 and 106, times 105 and 109).
  virtual std::uint32_t number(int item) = 0;
  // Text member items (101, 108, 117, 118).
  virtual std::string text(int item) = 0;
  virtual std::string workFileName() = 0;
  virtual int extraError() = 0;
  virtual std::string userName() = 0;
};

// The source over the revision library and an open project.
class LibraryMemberDetails : public MemberDetailSource {
 public:
  explicit LibraryMemberDetails(OpenProject& project) : project_(project) {}
  void moveTo(MemberRow& row, bool recompute) override;
  std::uint32_t number(int item) override;
  std::string text(int item) override;
  std::string workFileName() override;
  int extraError() override;
  std::string userName() override;

 private:
  OpenProject& project_;
};

// The detail text of row (at most 199 bytes); "" for no row. The tree form
// also explains a locked row.
std::string memberDetailText(MemberDetailSource& source, MemberRow* row, bool treeForm);

}  // namespace orv::workbench::project
