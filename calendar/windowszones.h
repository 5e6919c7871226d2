#pragma once

#include <QByteArray>

// The IANA zone for a zone name as Windows, Outlook and Exchange write it
// ("Tokyo Standard Time" is Asia/Tokyo), or empty for a name Windows does not
// use. From CLDR's table, kept in the tree so every platform reads alike.
QByteArray IanaIdForWindowsZone(const QByteArray& windowsName);
