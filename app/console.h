#pragma once

#include <QString>

#include <cstdio>

// What the command line prints. On Windows the program is a GUI program,
// which starts with no console: it takes its parent's, unless its output
// already goes to a pipe or a file.
namespace Console {

// Called once, before anything is printed.
void AttachToParent();

// Writes text to stdout or stderr: the console's own characters where that
// is a Windows console, otherwise UTF-8 bytes as they are (no CR before LF),
// so that a pipe receives the same bytes on every system. False when the
// text could not be written.
bool Write(std::FILE* stream, const QString& text);

} // namespace Console
