// The path layer's view of a library instance: its options and current
// directory (config/option_path_environment.h) and the archive calls of this
// library. Every vc* call that takes a file name makes it absolute through
// here, so one rule serves the whole library.
#pragma once

#include "vc/config/option_path_environment.h"

#include <string>

namespace vc {

class InstancePathEnvironment final : public OptionPathEnvironment {
 public:
  using OptionPathEnvironment::OptionPathEnvironment;

  int openArchive(const std::string& path, int* handle, int mode) override;
  int commitArchive(int handle, int close) override;
  int closeArchive(int handle) override;
};

// The absolute, normalised form of a caller's name against the instance's
// current directory: 0, 11 when the directory cannot be read, 12 when the
// result exceeds the library's 2,048-byte names.
int absoluteLibraryName(VcInstance& inst, const std::string& name, std::string& out);

}  // namespace vc
