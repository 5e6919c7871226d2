#pragma once

#include "commandline.h"

// `murvane --sync [--yes]`: keeps the day notes and the notes' calendar
// (SyncNotes in Calendars.ini) in step, once, without a window. 0, or one
// line on standard error and a non-zero status.
int RunSync(const CommandLine& line, int& argc, char** argv);
