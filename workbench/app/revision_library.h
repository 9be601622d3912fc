// The revision library itself behind the start-up's table of calls (the
// program links it; the start-up's tests use a fake table instead).
#pragma once

#include "shell/library_startup.h"

namespace orv::shell {

const LibraryEntryPoints& revisionLibrary();

}  // namespace orv::shell
