// Entry point of the program, exported so the thin executable can call it.
#pragma once

#include "platform/qz_export.h"

QZ_EXTERN_C_BEGIN
// Runs the program with its command line; returns the process exit code.
QZ_EXPORT int Qz_ProgramMain(int argc, char** argv);
QZ_EXTERN_C_END
