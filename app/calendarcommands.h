#pragma once

#include "commandline.h"

// `murvane --add-calendar ADDRESS [--name NAME] [--user USER] [--color
// #rrggbb]`: adds a feed to Calendars.ini or, with a user, signs in with the
// password read as one line from standard input, keeps that password in the
// system's secret store and adds every calendar found.
// `murvane --calendars`: each calendar with its state, one a line.
// `murvane --sync-notes NAME`: the CalDAV calendar named NAME becomes the one
// the day notes are kept in step with ("" for none).
// No window; 0, or one line on standard error and a non-zero status.
int RunAddCalendar(const CommandLine& line, int& argc, char** argv);
int RunListCalendars(const CommandLine& line, int& argc, char** argv);
int RunSetNotesCalendar(const CommandLine& line, int& argc, char** argv);

// `murvane --sync [--yes]`: keeps the day notes and the notes' calendar
// (SyncNotes in Calendars.ini) in step, once. It prints one line (sent,
// received, merged, failed); a sync that needs confirming ends with 3 and
// its question, writing nothing, unless --yes answers it.
int RunSync(const CommandLine& line, int& argc, char** argv);
