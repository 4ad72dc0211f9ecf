#pragma once

#include "cli/Arguments.h"

// The commands of the command line, each returning its exit code.

// `show`: the server's settings, as text or one JSON object.
int RunShow(const Arguments& arguments);

// set-display, set-root and set-dir: the dialog's operations, with the dialog's checks of what
// is given, reported on the console.
int RunChange(const Arguments& arguments);
