// The process command line.
#pragma once

#include "wintypes.h"

// The command line as a host would pass it: argv rebuilt, each token holding white space
// (or empty) enclosed in double quotes. Valid after SetCommandLineFromArgs.
LPCWSTR GetCommandLineW();
void SetCommandLineFromArgs(int argc, char** argv);
// Tests give the command line as a host would write it.
void SetCommandLineForTesting(LPCWSTR commandLine);
