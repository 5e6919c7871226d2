#pragma once

#include <QString>

// The name of the data file whose sync-tool conflict copy fileName is, or
// empty when it is none. Our data files are Murvane.ini, HorDay.ini,
// HorDay2.ini, Calendars.ini and the schedule files ("yotei*.dat"), in any
// letter case. Recognised: Syncthing
// "HorDay.sync-conflict-20261209-101010-ABCDEFG.ini", Nextcloud and ownCloud
// "Yotei202612 (conflicted copy 2026-12-09 101010).Dat", Dropbox
// "HorDay (Taro's conflicted copy 2026-12-09).ini"; a copy of a copy counts
// too. The name alone decides: nothing is read.
QString ConflictCopyOriginal(const QString& fileName);
