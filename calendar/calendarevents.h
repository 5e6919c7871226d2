#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>

// One occurrence of an event of an iCalendar feed, as the reader expands it.
struct EventInstance {
    bool AllDay = false;
    // All-day: the dates it covers, EndDate exclusive (a one-day event has
    // EndDate = StartDate + 1). No time zone ever moves these.
    QDate StartDate;
    QDate EndDate;
    // Timed: the instants it runs from and to (End >= Start), in any zone.
    QDateTime Start;
    QDateTime End;
    QString Summary;
    QString Uid;
    bool Recurring = false; // of a series (RRULE, RDATE) or one of its overrides (RECURRENCE-ID)

    // What the day notes' sync takes for a note: one whole day, on its own.
    bool IsNote() const { return AllDay && !Recurring && EndDate <= StartDate.addDays(1); }
};

// An event's part on one local day: what the bar, its pop-ups and the agenda
// show.
struct DayEvent {
    QDate Date;
    // Minutes from the day's local midnight, 0 to 1440: the event's start and
    // end clipped to this day (a meeting from 22:00 to 01:00 is 1320–1440 on
    // its first day and 0–60 on the next). Both -1 for an all-day event.
    int StartMinute = -1;
    int EndMinute = -1;
    QString Summary;
    int Calendar = 0; // index into CalendarStore::Calendars()
    bool Note = false; // of an instance that IsNote()

    bool AllDay() const { return StartMinute < 0; }
};

// The days of instance that fall on from..to (inclusive), in local time, with
// calendar set. A timed instance touches every local day from its start's to
// the day of the last moment before its end (an empty one: its start's day);
// an all-day one every date from StartDate to EndDate - 1.
void AppendDayEvents(const EventInstance& instance, const QTimeZone& local, int calendar, QDate from, QDate to,
                     QList<DayEvent>& out);

// The order of one day's list: by date, all-day events first, then by start,
// then by end, then by summary.
bool DayEventBefore(const DayEvent& a, const DayEvent& b);

// "HH:MM" for a minute of the day; 1440 is "24:00".
QString MinuteText(int minute);
