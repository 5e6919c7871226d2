#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

// Three calendars of a busy person, cached as the store keeps them: in all
// about 1,000 instances in `month` (single meetings, weekly series, all-day
// and multi-day events, a few in other zones). The data folder gets their
// Calendars.ini; the cache is the process's cache location, so set
// XDG_CACHE_HOME (and the application's name) first.
void WriteCachedCalendars(const QString& dataDir, QDate month);

// One calendar's feed.
QByteArray MakeBenchFeed(int calendar, QDate month);
