#pragma once

#include <QStringList>

// The lists one redraw consults, filled by LoadMonthData. Keys are "MMDD".
struct MonthData {
    QStringList HolidayKeys;   // named days with a non-blank name, file order
    QStringList HolidayNames;  // the name of each HolidayKeys entry, as read
    QStringList ScheduleKeys;  // shown month, then previous, then next month
    QStringList DayOffKeys;    // every key of the day-off file
    QStringList ScheduleTexts; // the text of each ScheduleKeys entry, as read
    // Japan's national holidays of the three months, when the option is on;
    // each is a day off, and the rules already made its substitutes.
    QStringList NationalKeys;
    QStringList NationalNames;
};
