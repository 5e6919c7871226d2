#pragma once

#include <QString>
#include <QStringList>

// A save writes a complete copy beside the data file and renames it over the
// file; a process killed in between leaves the copy, named after the data
// file plus "." and six random letters (Yotei202401.Dat.aBcDeF).
//
// Only such names of our own data files count, and of those only ones that
// look random: six letters in one case throughout or a capitalised word
// ("HorDay.ini.backup", "HorDay.ini.Backup") may be a copy the user made.
bool IsLeftoverSaveName(const QString& name);

// Removes the leftovers (regular files only) from the data folder; returns
// the names removed. Only for the holder of the folder's lock: another bar's
// save in progress would look the same.
QStringList RemoveLeftoverSaves(const QString& dataDir);
