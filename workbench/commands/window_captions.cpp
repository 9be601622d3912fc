// Captions and class names of the document windows.
#include "workbench/commands/window_captions.h"

#include "workbench/app/message_styles.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::commands {

std::string archiveCaption(std::string_view archiveName, std::optional<std::string_view> projectFile) {
  const std::string name(archiveName);
  if (!projectFile) return formatString(kStrArchiveCaption, name.c_str());
  const std::size_t slash = projectFile->rfind('/');
  const std::string project(slash == std::string_view::npos ? *projectFile : projectFile->substr(slash + 1));
  return formatString(kStrMemberArchiveCaption, name.c_str(), project.c_str());
}

std::string projectCaption(std::string_view name, unsigned kind, bool frozen, bool historical) {
  const bool sandbox = kind & kProjectKindSandbox;
  int format;
  if (kind & kProjectKindVariant)
    format = kStrVariantSandboxCaption;
  else if (frozen)
    format = sandbox ? kStrFrozenSandboxCaption : kStrFrozenProjectCaption;
  else if (!historical)
    format = sandbox ? kStrSandboxCaption : kStrProjectCaption;
  else
    format = sandbox ? kStrHistoricalSandboxCaption : kStrHistoricalProjectCaption;
  return formatString(format, std::string(name).c_str());
}

std::string_view archiveWindowClass() { return loadString(kStrArchiveWindowClass); }

std::string_view projectWindowClass(unsigned kind) {
  return loadString(kind & kProjectKindSandbox ? kStrSandboxWindowClass : kStrProjectWindowClass);
}

}  // namespace orv::workbench::commands
