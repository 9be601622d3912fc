// Fuzzes the PVCS importer: any bytes are read as a PVCS archive and, when
// they read, written as an archive into a scratch directory. Bad input must
// end in the importer's own message, never a crash.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "import/pvcs/pvcs_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv::import;
  static const std::string dir = [] {
    char name[] = "/tmp/orv-fuzz-pvcs-XXXXXX";
    return std::string(::mkdtemp(name) ? name : "/tmp");
  }();
  MessageBuffer msgs;
  try {
    PvcsArchive archive;
    readPvcsArchive(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz", true, msgs, archive);
    const std::string path = dir + "/out";
    ::unlink(path.c_str());
    ArchiveOutput out(msgs, path, false);
    writePvcsArchive(archive, "fuzz", msgs, out);
  } catch (const ImportError&) {
  }
  return 0;
}
