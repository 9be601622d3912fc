// The path layer's view of a library instance: options and worktoarch pairs
// from the instance's lists, the current directory through its seam, and the
// archive calls of this library. Every vc* call that takes a file name makes
// it absolute through here, so one rule serves the whole library.
#pragma once

#include "vc/instance/instance.h"
#include "vc/paths/path_environment.h"

#include <string>

namespace vc {

class InstancePathEnvironment final : public vc::PathEnvironment {
 public:
  // Reads options from the instance's current lists.
  explicit InstancePathEnvironment(VcInstance& inst);
  // Reads options from the given lists (a running script's).
  InstancePathEnvironment(VcInstance& inst, const VcListSet& lists);

  // Reads the system's current directory again; on success the instance's
  // record of it is brought up to date too.
  std::optional<std::string> current_directory() override;
  std::optional<std::string> option_value(std::string_view name) override;
  bool option_flag(std::string_view name, bool default_value) override;
  std::vector<vc::WorkToArchPair> project_worktoarch_pairs() override;
  std::vector<vc::WorkToArchPair> instance_worktoarch_pairs() override;
  int open_archive(const std::string& path, int* handle, int mode) override;
  int commit_archive(int handle, int close) override;
  int close_archive(int handle) override;
  void set_needed_length(std::size_t length) override;
  void set_extra_error(int error) override;

 private:
  VcInstance& inst_;
  VcListSet lists_;
};

// The absolute, normalised form of a caller's name against the instance's
// current directory: 0, 11 when the directory cannot be read, 12 when the
// result exceeds the library's 2,048-byte names.
int absoluteLibraryName(VcInstance& inst, const std::string& name, std::string& out);

}  // namespace vc
