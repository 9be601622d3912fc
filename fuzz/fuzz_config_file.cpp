// Fuzzes the configuration-file reader: any bytes, written as a file, are
// read through the line processor into an option list (as a shared source,
// so no program starts and the process is not ended; programs would go to a
// recording spawner anyway). When the list can be written, the written text
// must read back into a list with the same content: the same options (in any
// order, names are unique), the same pairs in the same order (the order
// decides which worktoarch root is tried first) and the same blocks; and
// written again it gives the same bytes, options and pairs oldest first.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

#include "vc/script/config_file.h"
#include "vc/instance/instance.h"
#include "platform/spawn/recording_spawner.h"
#include "vc/instance/seams.h"
#include "vc/config/option_state.h"

namespace {

bool writeFile(const std::string& path, const void* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// What the writer writes of a list, as text: option lines sorted, pairs and
// blocks in list order.
std::string content(const vc::VcOptionList& list) {
  std::vector<std::string> options;
  for (const vc::VcOption& o : list.options) {
    if (!(o.flags & vc::kOptSaved) || (o.flags & vc::kOptTemporary)) continue;
    if (o.value && o.value->empty()) continue;
    options.push_back(std::to_string(o.flags & (vc::kOptNo | vc::kOptEnforce)) + " " + o.name +
                      (o.value ? "=" + *o.value : std::string()));
  }
  std::sort(options.begin(), options.end());
  std::string out;
  for (const std::string& o : options) out += o + "\n";
  for (vc::PairKind kind : {vc::PairKind::WorkToArch, vc::PairKind::WorkMap, vc::PairKind::AutoAction})
    for (const vc::VcPair& p : list.pairs(kind))
      out += std::string(vc::pairKeyword(kind)) + " " + p.name + "=" + p.value + "\n";
  for (const vc::VcBlock& b : list.blocks) {
    out += "block " + b.name + "\n";
    for (const std::string& l : b.lines) out += "  " + l + "\n";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orv::platform::RecordingSpawner spawner;
  static const std::string base = "/tmp/orv-fuzz-config-" + std::to_string(::getpid());
  static const std::string first = base + "-1.rc", second = base + "-2.rc";
  spawner.starts.clear();
  vc::seams().spawner = &spawner;
  if (!writeFile(first, data, size)) return 0;

  vc::VcInstance inst;
  inst.identity.currentDirectory = "/";
  const int rc = vc::readConfigFile(inst, first, optionsOf(inst).local, 0, true);
  std::string text;
  if (rc != 0 || vc::configText(inst, optionsOf(inst).local, text) != 0) return 0;

  if (!writeFile(second, text.data(), text.size())) return 0;
  vc::VcInstance again;
  again.identity.currentDirectory = "/";
  if (vc::readConfigFile(again, second, optionsOf(again).local, 0, true) != 0) __builtin_trap();
  if (content(optionsOf(again).local) != content(optionsOf(inst).local)) {
    if (std::getenv("FUZZ_DEBUG"))
      std::fprintf(stderr, "FIRST:\n%s\nSECOND:\n%s\n", content(optionsOf(inst).local).c_str(),
                   content(optionsOf(again).local).c_str());
    __builtin_trap();
  }
  std::string textAgain;
  if (vc::configText(again, optionsOf(again).local, textAgain) != 0 || textAgain != text) __builtin_trap();
  return 0;
}
