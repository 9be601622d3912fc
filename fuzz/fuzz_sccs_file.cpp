// Fuzzes the SCCS importer's reading: any bytes are read as an SCCS file,
// numbered, checked, and every revision's text or script is made from the
// weave, and its whole text by the SCCS rule. Bad
// input must end in the importer's own message, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "import/sccs/sccs_model.h"
#include "import/sccs/sccs_weave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv::import;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  MessageBuffer msgs;
  try {
    SccsFile file;
    readSccsFile(input, "fuzz", msgs, file);
    assignNumbers(file, "fuzz", msgs);
    const SccsGet get(file, "fuzz", msgs);
    for (std::size_t i = 0; i < file.deltas.size(); ++i) get.text(i);
    WeaveReader weave(file, "fuzz", msgs);
    for (const SccsDelta& d : file.deltas) {
      std::string out;
      if (isTrunk(d.newNumber)) {
        weave.headText(d, out);
        weave.trunkScript(d, out);
      } else {
        weave.branchScript(d, out);
      }
    }
  } catch (const ImportError&) {
  }
  return 0;
}
