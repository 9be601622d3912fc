// The path layer over an instance's options (see option_path_environment.h).
#include "vc/config/option_path_environment.h"

#include "vc/config/option_lookup.h"
#include "vc/error_codes.h"
#include "vc/instance/seams.h"
#include "vc/paths/path_name.h"
#include "vc/config/option_state.h"
#include "platform/fs/path_separators.h"

namespace vc {
namespace {

void appendPairs(const VcOptionList& list, std::vector<vc::WorkToArchPair>& out) {
  for (const VcPair& p : list.workToArch) out.push_back({p.name, p.value});
}

}  // namespace

OptionPathEnvironment::OptionPathEnvironment(VcInstance& inst)
    : inst_(inst), lists_(currentLists(inst)) {}

OptionPathEnvironment::OptionPathEnvironment(VcInstance& inst, const VcListSet& lists)
    : inst_(inst), lists_(lists) {}

std::optional<std::string> OptionPathEnvironment::currentDirectory() {
  std::string cwd;
  if (!seams().currentDirectory(cwd) || cwd.empty()) return std::nullopt;
  inst_.identity.currentDirectory = orv::fs::forward_slashes(cwd);
  return inst_.identity.currentDirectory;
}

std::optional<std::string> OptionPathEnvironment::optionValue(std::string_view name) {
  OptionHit hit = lookupOption(lists_, asciiLower(std::string(name)));
  if (!hit.option || !hit.option->value || hit.option->value->empty()) return std::nullopt;
  return *hit.option->value;
}

bool OptionPathEnvironment::optionFlag(std::string_view name, bool defaultValue) {
  OptionHit hit = lookupOption(lists_, asciiLower(std::string(name)));
  if (!hit.option) return defaultValue;
  return (hit.option->flags & kOptNo) == 0;
}

// Projects keep their pairs in their own option lists: a sandbox's first
// (it overrides the master project it follows), then the project file's,
// then those of the project's security policies.
std::vector<vc::WorkToArchPair> OptionPathEnvironment::projectWorktoarchPairs() {
  std::vector<vc::WorkToArchPair> out;
  for (int i : {2, 1, 0})
    if (const VcOptionList* list = lists_.project[i]) appendPairs(*list, out);
  return out;
}

std::vector<vc::WorkToArchPair> OptionPathEnvironment::instanceWorktoarchPairs() {
  std::vector<vc::WorkToArchPair> out;
  appendPairs(optionsOf(inst_).local, out);
  appendPairs(optionsOf(inst_).global, out);
  return out;
}

// Without the archive module no archive opens: every handle is unknown.
int OptionPathEnvironment::openArchive(const std::string&, int*, int) {
  return err::kBadArchiveHandle;
}
int OptionPathEnvironment::commitArchive(int, int) { return err::kBadArchiveHandle; }
int OptionPathEnvironment::closeArchive(int) { return err::kBadArchiveHandle; }

void OptionPathEnvironment::setNeededLength(std::size_t length) {
  inst_.neededLength = static_cast<int>(length);
}

void OptionPathEnvironment::setExtraError(int error) { inst_.extraError = error; }

}  // namespace vc
