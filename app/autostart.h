#pragma once

#include <QString>

// Starting the program at login, as the options dialog's "ログイン時に起動する"
// sets it: an entry in the user's XDG autostart folder that starts the
// launcher beside the program, or on Windows a shortcut in the user's Startup
// folder. The entry's presence is the setting; nothing else records it.
namespace Autostart {

// Where the entry is or would be.
QString EntryPath();

bool IsEnabled();

// Creates or removes the entry. dataDir is the folder the program started at
// login works in where the entry carries a working directory (the Windows
// shortcut); the XDG entry starts the launcher, which chooses the user's data
// folder itself. A failure raises AppError "%1 に書き込めません" with the
// entry's path and leaves the entry as it was.
void SetEnabled(bool enabled, const QString& dataDir);

} // namespace Autostart
