#pragma once

#include "barstate.h"
#include "calendarstore.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QStringList>

class QPainter;

// What the bar shows of the user's calendars on one day of the strip.
struct DayCalendarMarks {
    QList<QColor> Colors; // the colours of the calendars with events that day, in list order
    QStringList Lines;    // the pop-up's lines, as DayEventLines gives them
};

// At most this many colours stand side by side under one day.
inline constexpr int MaxMarkColors = 3;

// One event as a pop-up line: "09:30–10:00 会議", an all-day one as
// "終日 会議", followed by " (name)" when calendarName is not empty.
QString DayEventLine(const DayEvent& event, const QString& calendarName);

// The pop-up lines of one day's events: those of hidden calendars left out,
// all-day events first, then by start; with each calendar's name when more
// than one calendar is shown.
QStringList DayEventLines(QList<DayEvent> events, const QList<CalendarStatus>& calendars);

// The marks of the days first .. first + count - 1, one entry a day. Asks the
// store once; without a store every day is empty.
QList<DayCalendarMarks> StripCalendarMarks(CalendarStore* store, QDate first, int count);

// The day's colours as a short line along the bottom of the day cell, above
// where its raised frame would run and below the number, split evenly
// between the colours.
void DrawCalendarMarks(QPainter& painter, const CellRec& dayCell, const QList<QColor>& colors);
