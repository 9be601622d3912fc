#include "workbench/external/frame_services.h"

#include <string>
#include <vector>

#include "workbench/external/archive_import.h"
#include "workbench/external/program_starts.h"

namespace orv::workbench::external {

void registerProgramServices(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  ProgramStarts& starts = context.starts;
  registry.items.viewOrEdit = [&starts](const std::string& path) { viewOrEditFile(starts, path); };
  registry.memberDialogs.viewFile = [&starts](const std::string& path) { viewOrEditFile(starts, path); };
  registry.execute[app::ExecuteVerb::diff] = {false, [&starts](const std::vector<std::string>& args) {
                                                ddeDiff(starts, args.size() > 0 ? args[0].c_str() : nullptr,
                                                        args.size() > 1 ? args[1].c_str() : nullptr);
                                              }};
}

void registerArchiveImport(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  ui::Ui& ui = context.ui;
  registry.execute[app::ExecuteVerb::convert] = {true, [&ui](const std::vector<std::string>& names) {
                                                   ddeConvert(ui, libraryImporters(), names);
                                                 }};
}

}  // namespace orv::workbench::external
