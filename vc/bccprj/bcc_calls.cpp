// vcbccoption and vcbccdone: options of a Borland IDE project file, read
// through the library's one project-file reader (bccprj/).
#include "vc/bccprj/bcc_project_reader.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"

#include <string>

using namespace vc;

extern "C" {

VC_API VcError vcbccoption(const char* projectFile, int option, char* buffer, int length) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!projectFile || !buffer || length < 1) return fail(*inst, err::kBadArgument);
    auto& reader = vc::libraryBccProjectReader();
    const int rc = reader.option(projectFile, option, buffer, static_cast<std::size_t>(length));
    if (rc == err::kBufferTooSmall) inst->neededLength = static_cast<int>(reader.neededLength());
    if (rc == err::kCannotOpenFile) return fail(*inst, rc, reader.systemError());
    return rc ? fail(*inst, rc) : 0;
  });
}

VC_API VcError vcbccdone(void) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return vc::libraryBccProjectReader().done();
  });
}

}  // extern "C"
