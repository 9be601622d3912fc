// The layers of the workbench's core and the names each uses unqualified:
// the application's texts, messages and settings (app) at the bottom; the
// archive operations (archive) over them; the project core (project) over
// archives; the programs and files outside the workbench (external) over
// both; the command model and handlers (commands) over everything. A layer
// names anything above it with its namespace (app::, commands::, ...).
#pragma once

namespace orv::workbench::app {}

namespace orv::workbench::archive {
using namespace app;
}  // namespace orv::workbench::archive

namespace orv::workbench::project {
using namespace app;
using namespace archive;
}  // namespace orv::workbench::project

namespace orv::workbench::external {
using namespace app;
using namespace archive;
using namespace project;
}  // namespace orv::workbench::external

namespace orv::workbench::commands {
using namespace app;
using namespace archive;
using namespace project;
using namespace external;
}  // namespace orv::workbench::commands
