// The start-up's table of the revision library's real calls.
#include "shell/revision_library.h"

namespace orv::shell {

const LibraryEntryPoints& revisionLibrary() {
  static const LibraryEntryPoints kLibrary = {
      vcAPIinitRegister, vcProjectVariableRegister, vcGetSysInfo, vcErrorStr,
      vcReadConfig,      vcRunBlock,                vcAPIcleanup,
  };
  return kLibrary;
}

}  // namespace orv::shell
