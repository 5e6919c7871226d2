#include "monthmodel.h"

#include "calendarrules.h"
#include "holidayfiles.h"
#include "nationalholidays.h"
#include "schedulefiles.h"
#include "tinifile.h"

#include <algorithm>

void LoadMonthData(const QString& dataDir, MonthData& lists, QDate shownDate, bool nationalHolidays)
{
    const QString holidaySection = QString::fromUtf16(HolidaySection);

    // Every key of the day-off file counts, whatever its value.
    QStringList dayOffKeys;
    TIniFile(DayOffFilePath(dataDir)).ListKeys(holidaySection, dayOffKeys);
    lists.DayOffKeys.append(dayOffKeys);

    for (const TIniFile::KeyValue& kv : ReadEntries(HolidayFilePath(dataDir), holidaySection)) {
        lists.HolidayKeys.append(kv.first);
        lists.HolidayNames.append(kv.second);
    }

    // The shown month, the month before and the month after; the 28th plus
    // ten days always lands in the next month.
    const QDate shown(shownDate.year(), shownDate.month(), 1);
    const QDate months[] = {shown, PreviousMonthDate(shown), QDate(shown.year(), shown.month(), 28).addDays(10)};
    for (const QDate& month : months)
        ReadScheduleForBar(ScheduleFilePath(dataDir, month), lists.ScheduleKeys, lists.ScheduleTexts);

    if (!nationalHolidays)
        return;
    // The three months lie in at most two years; their "MMDD" keys never
    // collide, as with the schedule keys.
    const auto inMonths = [&](QDate d) {
        return std::any_of(std::begin(months), std::end(months), [&](const QDate& m) {
            return d.year() == m.year() && d.month() == m.month();
        });
    };
    int lastYear = 0;
    for (const QDate& month : {months[1], months[0], months[2]}) {
        if (month.year() == lastYear)
            continue;
        lastYear = month.year();
        for (const NationalHoliday& h : NationalHolidays(month.year())) {
            if (inMonths(h.Date)) {
                lists.NationalKeys.append(FormatMMDD(h.Date));
                lists.NationalNames.append(h.Name);
            }
        }
    }
}
