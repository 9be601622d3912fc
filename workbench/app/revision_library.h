// The revision library itself behind the start-up's table of calls (the
// program links it; the start-up's tests use a fake table instead).
#pragma once

#include "workbench/app/library_startup.h"
#include "workbench/layers.h"

namespace orv::workbench::app {

const LibraryEntryPoints& revisionLibrary();

}  // namespace orv::workbench::app
