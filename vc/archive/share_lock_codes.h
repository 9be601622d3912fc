// The library's result codes for the platform's share-lock statuses, so
// that archive and project files report lock failures the same way.
#pragma once

#include "vc/error_codes.h"
#include "platform/fs/share_lock.h"

namespace vc {

// 0; 204 "Cannot lock file"; 6 "File locking is not available..."; 203 the
// lock file could not be opened; 10 out of descriptors.
inline int lockStatusCode(orv::fs::LockStatus status) {
  switch (status) {
    case orv::fs::LockStatus::Ok: return 0;
    case orv::fs::LockStatus::Conflict: return err::kCannotLock;
    case orv::fs::LockStatus::NoLocking: return err::kNoFileLocking;
    case orv::fs::LockStatus::TooManyFiles: return err::kTooManyFiles;
    default: return err::kCannotOpenArchive;
  }
}

}  // namespace vc
