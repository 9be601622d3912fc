// Fuzzes following a redirector file: any bytes, written as a ".red" file,
// must end the walk with a result code (never a crash, never a read past a
// record), and a path that comes out must name a ".dat" file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "kel/kellib/redirector_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/orv-fuzz-redirector-" + std::to_string(::getpid()) + ".red";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  std::string database;
  if (kel::followRedirectors(path, database) == 0 && !kel::isExtension(kel::extensionOf(database), "dat"))
    __builtin_trap();
  return 0;
}
