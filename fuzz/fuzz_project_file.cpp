// Fuzzes the project and sandbox readers and writers: any bytes are read as
// a project or a sandbox file (as the recognition says); when the result can
// be written, the written text must read back without error and write again
// to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/project/project_file.h"
#include "platform/spawn/recording_spawner.h"

namespace {

template <class File, class Read, class Write>
void roundTrip(std::string_view input, Read read, Write write) {
  vc::VcInstance inst;
  inst.identity.currentDirectory = "/";
  File first;
  std::string text;
  if (read(inst, input, first) != 0 || write(first, text) != 0) return;
  vc::VcInstance again;
  again.identity.currentDirectory = "/";
  File second;
  std::string textAgain;
  if (read(again, text, second) != 0) __builtin_trap();
  if (write(second, textAgain) != 0 || textAgain != text) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orv::platform::RecordingSpawner spawner;
  spawner.starts.clear();
  vc::seams().spawner = &spawner;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (vc::recognizeProjectText(input, nullptr) == vc::kRecognisedSandbox) {
    roundTrip<vc::VcSandboxFile>(
        input,
        [](vc::VcInstance& inst, std::string_view t, vc::VcSandboxFile& f) {
          return vc::readSandboxText(inst, "fuzz.sbx", t, f);
        },
        [](const vc::VcSandboxFile& f, std::string& out) { return vc::sandboxText(f, out); });
  } else {
    roundTrip<vc::VcProjectFile>(
        input,
        [](vc::VcInstance& inst, std::string_view t, vc::VcProjectFile& f) {
          return vc::readProjectText(inst, "fuzz.prj", t, f);
        },
        [](const vc::VcProjectFile& f, std::string& out) { return vc::projectText(f, out); });
  }
  return 0;
}
