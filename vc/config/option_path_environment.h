// The path layer's view of a library instance through its options: options
// and worktoarch pairs from the instance's lists, and the current directory
// through its seam. It opens no archives (every handle is unknown); the
// archive module's InstancePathEnvironment (archive/instance_path_environment.h)
// adds the archive calls, and every vc* call that takes a file name uses that.
#pragma once

#include "vc/config/option_state.h"
#include "vc/instance/instance.h"
#include "vc/paths/path_environment.h"

#include <string>

namespace vc {

class OptionPathEnvironment : public vc::PathEnvironment {
 public:
  // Reads options from the instance's current lists.
  explicit OptionPathEnvironment(VcInstance& inst);
  // Reads options from the given lists (a running script's).
  OptionPathEnvironment(VcInstance& inst, const VcListSet& lists);

  // Reads the system's current directory again; on success the instance's
  // record of it is brought up to date too.
  std::optional<std::string> currentDirectory() override;
  std::optional<std::string> optionValue(std::string_view name) override;
  bool optionFlag(std::string_view name, bool defaultValue) override;
  std::vector<vc::WorkToArchPair> projectWorktoarchPairs() override;
  std::vector<vc::WorkToArchPair> instanceWorktoarchPairs() override;
  int openArchive(const std::string& path, int* handle, int mode) override;
  int commitArchive(int handle, int close) override;
  int closeArchive(int handle) override;
  void setNeededLength(std::size_t length) override;
  void setExtraError(int error) override;

 protected:
  VcInstance& inst_;
  VcListSet lists_;
};

}  // namespace vc
