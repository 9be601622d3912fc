// The archive an instance is working on (vcSetSysInfo 77, the last archive
// opened). The archive modules keep it in step when they open, choose and
// close archives; its option list is the instance's archive list
// (config/option_state.h). A part of the instance (archiveWorkOf).
#pragma once

namespace vc {

struct VcInstance;
struct VcArchive;  // an open archive (archive/archive_handles.h)

struct VcArchiveWork {
  VcArchive* archive = nullptr;
};

// The instance's current archive.
VcArchiveWork& archiveWorkOf(VcInstance& inst);

}  // namespace vc
