// The archive and project an instance is working on, and the option lists
// they carry. The archive and project modules keep these in step when they
// open, choose and close archives and projects.
#pragma once

#include "vc/config/option_list.h"

#include <vector>

namespace vc {

struct VcArchive;  // an open archive (archive/archive_handles.h)
struct VcProject;  // an open project or sandbox (project modules)

struct VcCurrentWork {
  VcArchive* archive = nullptr;
  VcOptionList* archiveOptions = nullptr;
  VcProject* project = nullptr;
  VcOptionList* projectOptions[3] = {nullptr, nullptr, nullptr};
  std::vector<VcProject*> projects;
  std::vector<VcProject*> sandboxes;
  std::vector<void*> comparisons;
};

}  // namespace vc
