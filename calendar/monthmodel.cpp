#include "monthmodel.h"

#include "calendarrules.h"
#include "holidayfiles.h"
#include "schedulefiles.h"
#include "tinifile.h"

void LoadMonthData(const QString& dataDir, MonthData& lists, QDate shownDate)
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
}
