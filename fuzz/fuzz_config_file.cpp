// Fuzzes the configuration-file reader: any bytes, written as a file, are
// read through the line processor into an option list (as a shared source,
// so no program starts and the process is not ended; programs would go to a
// recording spawner anyway). When the list can be written, the written text
// must read back into a list that writes the same text again: the writer
// only writes what the reader reads back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "config_file.h"
#include "instance.h"
#include "platform/spawn/recording_spawner.h"
#include "seams.h"

namespace {

bool writeFile(const std::string& path, const void* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
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
  inst.currentDirectory = "/";
  const int rc = vc::readConfigFile(inst, first, inst.localOptions, 0, true);
  std::string text;
  if (rc != 0 || vc::configText(inst, inst.localOptions, text) != 0) return 0;

  if (!writeFile(second, text.data(), text.size())) return 0;
  vc::VcInstance again;
  again.currentDirectory = "/";
  if (vc::readConfigFile(again, second, again.localOptions, 0, true) != 0) __builtin_trap();
  std::string text2;
  if (vc::configText(again, again.localOptions, text2) != 0 || text2 != text) __builtin_trap();
  return 0;
}
