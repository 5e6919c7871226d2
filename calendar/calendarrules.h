#pragma once

#include "colorref.h"
#include "monthdata.h"

#include <QDate>
#include <QString>

// Fixed, zero-padded date texts, independent of regional settings.
QString FormatYYYY(QDate d);      // 1999
QString FormatMM(QDate d);        // 03
QString FormatDD(QDate d);        // 05
QString FormatMMDD(QDate d);      // 0305
QString FormatYYYYMM(QDate d);    // 199903
QString FormatYYYYMMDD(QDate d);  // 19990305
QString FormatSlashDate(QDate d); // 1999/03/05
QString FormatYearMonth(QDate d); // 1999/03

// Reads "Y/M/D" (month and day of one or two digits). A text that names no
// real day raises AppError "'%1' は日付ではありません" with the text.
QDate ParseDateText(const QString& text);

// 1 Sunday ... 7 Saturday.
int WeekdayNumber(QDate d);
// "日" ... "土" for 1 ... 7.
QString WeekdayLabel(int weekdayNumber);

int DaysInMonth(QDate d);

struct StripRangeResult {
    QDate First;
    int FirstWeekday = 1;
    int Count = 0;
};
StripRangeResult StripRange(QDate d, bool neighbouringMonths);

QDate PreviousMonthDate(QDate d); // last day of the previous month
QDate NextMonthDate(QDate d);     // the 20th of the month plus 15 days
// Same month and day in the year before (step -1) or after (+1); 29 February
// into a common year lands on 28 February.
QDate SameMonthOtherYear(QDate d, int step);
// The day bound of a year-less date: 29 for February; 0 for a month outside
// 1 to 12 (no bound).
int AnnualMonthLength(int month);

// What the marking of one day yields.
struct DayMarks {
    QDate Date;
    int Weekday = 1;
    QString WeekdayLabel;
    ColorRef WeekdayColor = Colors::Black;
    ColorRef DayColor = Colors::Black;
    QString HolidayName; // empty, a name from the holiday file or of a national holiday, or "振替休日"
    QString Schedule;    // empty or the stored text
    bool NamedDay = false;
    bool Today = false;
};

// Marks one day of a strip. Called for each day in order from the strip's
// first day; substitutePending is cleared by the caller when a strip begins.
// Today comes from Clock::Today(), read afresh for every day.
DayMarks ClassifyDay(QDate day, const MonthData& lists, QDate shownDate, bool& substitutePending);
