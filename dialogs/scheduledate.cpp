#include "scheduledate.h"

#include "apperror.h"

#include <QDate>

namespace {

// The number a text of 1 to maxDigits ASCII digits stands for, or -1.
int DigitsValue(const QString& text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return -1;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

ScheduleDateTexts CheckScheduleDate(const QString& yearText, const QString& monthText,
                                    const QString& dayText)
{
    const int year = DigitsValue(yearText, 4);
    const int month = DigitsValue(monthText, 2);
    const int day = DigitsValue(dayText, 2);
    // Year 0 does not exist in the calendar QDate follows, so it fails here too.
    if (year < 1 || !QDate::isValid(year, month, day))
        throw AppError(QStringLiteral("'%1' は日付ではありません")
                           .arg(yearText + u'/' + monthText + u'/' + dayText));
    return {QStringLiteral("%1").arg(year, 4, 10, QChar(u'0')),
            QStringLiteral("%1").arg(month, 2, 10, QChar(u'0')),
            QStringLiteral("%1").arg(day, 2, 10, QChar(u'0'))};
}
