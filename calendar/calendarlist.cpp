#include "calendarlist.h"

// Placeholder until the calendar list lands.
QList<CalendarEntry> ReadCalendarList(const QString&)
{
    return {};
}

void WriteCalendarList(const QString&, QList<CalendarEntry>&) {}
