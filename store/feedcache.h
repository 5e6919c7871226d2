#pragma once

#include "calendarlist.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// The last good copy of each calendar under the user's cache folder, private
// to the user (0600 files in a 0700 folder), each file replaced atomically.
// A calendar's files are named by a hash of its Source and User, so that no
// address shows in a file name. The copy is the calendar's text; a small
// file beside it holds its validators and when it was last found good. The
// copy is always written before its validators, so that a crash between the
// two can only cost one full download.
namespace FeedCache {

struct Meta {
    QDateTime LastSuccess;
    QByteArray Validators;
};

// The folder, made with its permissions when it is missing.
QString Folder();
QString Key(const CalendarEntry& entry);

std::optional<Meta> ReadMeta(const QString& key);
bool HasCopy(const QString& key);
QByteArray ReadCopy(const QString& key);

bool WriteCopy(const QString& key, const QByteArray& text);
bool WriteMeta(const QString& key, const Meta& meta);

} // namespace FeedCache
