#pragma once

#include "calendarevents.h"
#include "calendarstore.h"
#include "commandline.h"

#include <QDate>
#include <QList>
#include <QString>

// One line of `murvane --agenda`: a note, a named day, a day off, a national
// holiday or a calendar's event on one day.
struct AgendaItem {
    enum class Kind { Note, Holiday, DayOff, National, Event };
    QDate Date;
    int StartMinute = -1; // -1: no time
    int EndMinute = -1;
    Kind Type = Kind::Note;
    QString Calendar; // the calendar's name, events only
    QString Text;
};

// Everything of from..to (inclusive) in the data folder's files and among
// the events, sorted by date, then start (untimed first), then kind.
QList<AgendaItem> AgendaItems(const QString& dataDir, QDate from, QDate to, bool nationalHolidays,
                              const QList<CalendarStatus>& calendars, const QList<DayEvent>& events);

// Date, start, end, kind, calendar, text, tab-separated; line breaks in the
// text as "\n", tabs as spaces.
QString AgendaLine(const AgendaItem& item);

// The whole command: no window, no lock, no data file written. Prints the
// lines on standard output and returns 0, or one line on standard error and
// a non-zero status.
int RunAgenda(const CommandLine& line, int& argc, char** argv);
