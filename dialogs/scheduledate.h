#pragma once

#include <QString>

// The year, month and day texts of the day editor, in the forms the bar
// looks for: "YYYY", "MM" and "DD".
struct ScheduleDateTexts {
    QString Year;
    QString Month;
    QString Day;
};

// Checks the texts typed into the day editor before any file is touched.
// They must name a real day: ASCII digits only, a year of one to four digits,
// a month 1 to 12 and a day within that month. Shorter texts are zero-padded
// to their forms ("3" becomes "03"), so the entry lands in the file and under
// the key the bar reads. Anything else raises AppError
// "'%1' は日付ではありません" with the three texts joined by "/".
ScheduleDateTexts CheckScheduleDate(const QString& yearText, const QString& monthText,
                                    const QString& dayText);
