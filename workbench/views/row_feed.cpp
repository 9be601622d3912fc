#include "workbench/views/row_feed.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/name_sizes.h"
#include "workbench/views/member_list.h"

namespace orv::workbench::views {

namespace {

// A walk that came back to a revision already listed would never end.
constexpr std::size_t kMaxSteps = 1000000;

bool fileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

}  // namespace

RevisionRowFeed::RevisionRowFeed(archive::OpenArchive& archive, bool workFileRow)
    : archive_(archive), labels_(readRevisionLabels(archive.handle())) {
  archive_.revisionCount = 0;
  archive_.lockedCount = 0;
  workRow_ = workFileRow && fileExists(archive_.workFileName());
  status_ = vcGetArchiveInfo(archive_.handle(), VC_ARCHIVE_ITEM_FIRST_REVISION, revision_, sizeof revision_);
}

std::vector<RevisionRecord> RevisionRowFeed::next(std::size_t max) {
  std::vector<RevisionRecord> rows;
  rows.reserve(std::min<std::size_t>(max, 1024));
  next(max, rows);
  return rows;
}

std::size_t RevisionRowFeed::next(std::size_t max, std::vector<RevisionRecord>& rows) {
  const std::size_t before = rows.size();
  if (done_) return 0;
  if (workRow_ && max) {
    workRow_ = false;
    rows.push_back(*buildRevisionRow(archive_, nullptr));
  }
  while (rows.size() - before < max && status_ == 0 && steps_++ < kMaxSteps) {
    // Made in its place: a long history moves no row on the way in.
    if (!fillRevisionRow(archive_, revision_, &labels_, rows.emplace_back())) rows.pop_back();
    status_ = vcGetRevInfo(archive_.handle(), VC_REVISION_ITEM_NEXT, revision_, revision_, sizeof revision_);
  }
  if (status_ == 0 && steps_ < kMaxSteps) return rows.size() - before;
  done_ = true;
  archive_.setStatus(status_);
  if (status_ != VC_E_REVISION_MISSING) {
    archive_.showError(app::kStyleError);
    complete_ = false;
  } else {
    archive_.setStatus(0);
  }
  return rows.size() - before;
}

MemberRowFeed::MemberRowFeed(project::OpenProject& project) : project_(project) {
  project_.memberCount = 0;
  project_.lockedCount = 0;
  std::uint32_t count = 0;
  if (project_.project &&
      vcGetProject(project_.project, VC_PROJECT_ITEM_MEMBER_COUNT, reinterpret_cast<char*>(&count), sizeof count) == 0)
    total_ = count;
  done_ = total_ == 0;
}

int MemberRowFeed::resume() {
  char member[app::kNameBufferSize + 1] = {};
  if (read_ == 0) return vcGetMember(project_.project, VC_MEMBER_ITEM_FIRST, member, app::kNameBufferSize);
  // The walk goes on from the last member read, unless another walk moved
  // it in between: then it is walked again up to where this one stopped.
  char expected[app::kNameBufferSize + 1] = {};
  if (vcMemberSetPosition(project_.project, static_cast<int>(read_)) != 0 ||
      vcGetMember(project_.project, VC_MEMBER_ITEM_NAME, expected, app::kNameBufferSize) != 0)
    return -1;
  int rc = vcGetMember(project_.project, VC_MEMBER_ITEM_NEXT, member, app::kNameBufferSize);
  if (rc == 0 && std::strcmp(member, expected) == 0) return 0;
  rc = vcGetMember(project_.project, VC_MEMBER_ITEM_FIRST, member, app::kNameBufferSize);
  for (std::size_t i = 0; rc == 0 && i < read_; ++i)
    rc = vcGetMember(project_.project, VC_MEMBER_ITEM_NEXT, member, app::kNameBufferSize);
  return rc;
}

std::vector<project::MemberRow> MemberRowFeed::next(std::size_t max) {
  std::vector<project::MemberRow> rows;
  if (done_ || max == 0) return rows;
  char member[app::kNameBufferSize + 1] = {};
  int rc = resume();
  while (rc == 0 && rows.size() < max) {
    project::MemberRow row;
    row.position = static_cast<std::uint32_t>(read_);
    readMemberRow(project_, row);
    ++read_;
    ++project_.memberCount;
    if (memberLocked(row)) ++project_.lockedCount;
    rows.push_back(std::move(row));
    if (rows.size() < max) rc = vcGetMember(project_.project, VC_MEMBER_ITEM_NEXT, member, app::kNameBufferSize);
  }
  if (rc != 0 || read_ >= total_) done_ = true;
  return rows;
}

}  // namespace orv::workbench::views
