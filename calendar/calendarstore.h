#pragma once

#include "calendarevents.h"
#include "calendarlist.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

// A calendar of the store with where its last update left it.
struct CalendarStatus {
    CalendarEntry Entry;
    bool HasCopy = false;     // a good copy is cached and shown
    QDateTime LastSuccess;    // when the last good copy was fetched or found unchanged
    QString Error;            // why the last update failed ("接続できません", …); empty after a success
    bool Updating = false;
    // The state in words, as the options page shows it.
    QString StateText() const;
};

// What the bar and the dialogs see of the user's calendars: the calendars of
// Calendars.ini with their state, and the events of the shown ones by day.
// Fetching, caching and expanding happen behind it, never blocking the
// caller; Changed tells when there is more to show.
class CalendarStore : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QList<CalendarStatus> Calendars() const = 0;

    // The events of the shown calendars on from..to (inclusive), sorted with
    // DayEventBefore; the notes' calendar's notes (DayEvent::Note) are the
    // day notes' and left out. Cheap: called by every redraw. Days not yet expanded
    // give what is known now, and Changed follows once they are.
    virtual QList<DayEvent> EventsBetween(QDate from, QDate to) = 0;

    // Fetches every calendar now ("カレンダーを今すぐ更新").
    virtual void RefreshAll() = 0;

signals:
    // Events or states changed.
    void Changed();
    // RefreshAll was asked for.
    void RefreshRequested();
};
