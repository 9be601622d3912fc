// Fuzzes the dependency cache reader and the include recognition: any bytes
// are read as a ".use" file into the graph of a project with two members,
// the graph is written out and read back, and every line is also tried as
// an include statement of each language.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vc/project/project_uses.h"
#include "vc/depends/scan_settings.h"
#include "vc/instance/instance.h"
#include "vc/project/project_handles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  vc::VcInstance inst;
  inst.identity.currentDirectory = "/";
  vc::VcProject p;
  p.path = "/fuzz/p.prj";
  for (const char* name : {"a.c", "b.h"}) {
    vc::VcMember m;
    m.directory = "$(projectdir)/src";
    m.name = name;
    vc::insertMember(p.file, std::move(m));
  }
  vc::readUsesText(inst, p, input);
  const std::string written = vc::usesText(inst, p);
  vc::VcProject again;
  again.path = p.path;
  vc::readUsesText(inst, again, written);
  vc::forEachTextLine(input, [](std::string_view line) {
    for (int language = 0; language <= vc::kLanguageNone; ++language) (void)vc::includeToken(line, language);
    return true;
  });
  return 0;
}
