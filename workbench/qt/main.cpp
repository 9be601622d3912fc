// orvty32: the workbench window program.
#include "workbench/qt/workbench_app.h"

int main(int argc, char** argv) { return orv::workbench::workbenchMain(argc, argv); }
