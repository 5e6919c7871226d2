#pragma once

#include "barstate.h"

#include <QImage>
#include <QString>
#include <optional>

// Murvane.ini: sections "表示色" (six colours) and "その他" (ShowFRDate,
// Image1, Image_X, Image_Y, NationalHolidays, Shortcut).

QString SettingsFilePath(const QString& dataDir);

// Fills the settings from the file; a listed "Image1" with a non-empty path
// replaces picture by the file's bitmap. A picture that cannot be loaded
// leaves picture empty, the rest of the file is still read, and the picture's
// error is raised (AppError) at the end.
void LoadSettings(const QString& dataDir, BarSettings& settings, std::optional<QImage>& picture);

// Writes all eleven keys in one atomic replacement of the file, changing
// existing keys where they stand.
void SaveSettings(const QString& dataDir, const BarSettings& settings);

// Writes, in one atomic replacement, the keys whose values differ between
// what was shown for editing and the edited settings, and the keys the file
// lacks (Shortcut only when it differs). Every other key keeps what the file
// holds now: another program may have changed it meanwhile.
void SaveSettingsEdits(const QString& dataDir, const BarSettings& shown, const BarSettings& edited);

// Raises the error SaveSettings would raise for a text the file cannot hold
// (the picture path), writing nothing.
void CheckSettingsWritable(const QString& dataDir, const BarSettings& settings);
