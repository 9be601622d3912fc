// Feeds arbitrary text, line by line, through the script language's line
// processor. The text is treated as a shared source, so `exec` and `exit`
// are refused and nothing leaves the process; programs would go to a
// recording spawner anyway.
#include "vc/error_codes.h"
#include "vc/script/script_context.h"
#include "vc/instance/seams.h"
#include "platform/spawn/recording_spawner.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static orv::platform::RecordingSpawner spawner;
  spawner.starts.clear();
  vc::seams().spawner = &spawner;
  vc::VcInstance inst;
  inst.identity.currentDirectory = "/";
  vc::VcScriptContext ctx;
  ctx.instance = &inst;
  ctx.sourceName = "fuzz";
  ctx.target = &inst.options.local;
  ctx.lists = inst.currentLists();
  ctx.sharedSource = true;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    try {
      if (vc::processLine(ctx, line) == vc::err::kScriptDone) break;
    } catch (const vc::ScriptError&) {
      break;
    } catch (const vc::ScriptReturn&) {
      break;
    }
    ++ctx.lineNumber;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  vc::attachDefinedBlocks(ctx);
  return 0;
}
