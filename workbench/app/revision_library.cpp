// The start-up's table of the revision library's real calls.
#include "workbench/app/revision_library.h"

namespace orv::workbench::app {

const LibraryEntryPoints& revisionLibrary() {
  static const LibraryEntryPoints kLibrary = {
      vcAPIinitRegister, vcProjectVariableRegister, vcGetSysInfo, vcErrorStr,
      vcReadConfig,      vcRunBlock,                vcAPIcleanup,  vcKELCreateRedirector,
  };
  return kLibrary;
}

}  // namespace orv::workbench::app
