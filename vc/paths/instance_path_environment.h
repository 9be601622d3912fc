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

 private:
  VcInstance& inst_;
  VcListSet lists_;
};

// The absolute, normalised form of a caller's name against the instance's
// current directory: 0, 11 when the directory cannot be read, 12 when the
// result exceeds the library's 2,048-byte names.
int absoluteLibraryName(VcInstance& inst, const std::string& name, std::string& out);

}  // namespace vc
