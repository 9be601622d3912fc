// The path layer over a library instance (see instance_path_environment.h).
#include "vc/paths/instance_path_environment.h"

#include "vc/archive/archive_handles.h"
#include "vc/config/option_lookup.h"
#include "vc/instance/seams.h"
#include "vc/paths/path_calls.h"
#include "vc/paths/path_name.h"
#include "fs/path_separators.h"

namespace vc {
namespace {

void appendPairs(const VcOptionList& list, std::vector<vc::WorkToArchPair>& out) {
  for (const VcPair& p : list.workToArch) out.push_back({p.name, p.value});
}

}  // namespace

InstancePathEnvironment::InstancePathEnvironment(VcInstance& inst)
    : inst_(inst), lists_(inst.currentLists()) {}

InstancePathEnvironment::InstancePathEnvironment(VcInstance& inst, const VcListSet& lists)
    : inst_(inst), lists_(lists) {}

std::optional<std::string> InstancePathEnvironment::currentDirectory() {
  std::string cwd;
  if (!seams().currentDirectory(cwd) || cwd.empty()) return std::nullopt;
  inst_.identity.currentDirectory = orv::fs::forward_slashes(cwd);
  return inst_.identity.currentDirectory;
}

std::optional<std::string> InstancePathEnvironment::optionValue(std::string_view name) {
  OptionHit hit = lookupOption(lists_, asciiLower(std::string(name)));
  if (!hit.option || !hit.option->value || hit.option->value->empty()) return std::nullopt;
  return *hit.option->value;
}

bool InstancePathEnvironment::optionFlag(std::string_view name, bool defaultValue) {
  OptionHit hit = lookupOption(lists_, asciiLower(std::string(name)));
  if (!hit.option) return defaultValue;
  return (hit.option->flags & kOptNo) == 0;
}

// Projects keep their pairs in their own option lists: a sandbox's first
// (it overrides the master project it follows), then the project file's,
// then those of the project's security policies.
std::vector<vc::WorkToArchPair> InstancePathEnvironment::projectWorktoarchPairs() {
  std::vector<vc::WorkToArchPair> out;
  for (int i : {2, 1, 0})
    if (const VcOptionList* list = lists_.project[i]) appendPairs(*list, out);
  return out;
}

std::vector<vc::WorkToArchPair> InstancePathEnvironment::instanceWorktoarchPairs() {
  std::vector<vc::WorkToArchPair> out;
  appendPairs(inst_.options.local, out);
  appendPairs(inst_.options.global, out);
  return out;
}

int InstancePathEnvironment::openArchive(const std::string& path, int* handle, int mode) {
  return vc::openArchive(inst_, path.c_str(), handle, mode);
}

int InstancePathEnvironment::commitArchive(int handle, int close) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst_, handle, a)) return fail(inst_, rc);
  return vc::commitArchive(inst_, *a, close != 0);
}

int InstancePathEnvironment::closeArchive(int handle) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst_, handle, a)) return fail(inst_, rc);
  vc::closeArchive(inst_, a);
  return 0;
}

void InstancePathEnvironment::setNeededLength(std::size_t length) {
  inst_.neededLength = static_cast<int>(length);
}

void InstancePathEnvironment::setExtraError(int error) { inst_.extraError = error; }

int absoluteLibraryName(VcInstance& inst, const std::string& name, std::string& out) {
  InstancePathEnvironment env(inst);
  return vc::absoluteName(env, name, out);
}

}  // namespace vc
