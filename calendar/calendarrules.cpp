#include "calendarrules.h"

#include "apperror.h"
#include "clock.h"
#include "textutil.h"

#include <QStringList>

namespace {

QString Padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// A run of 1 to maxDigits ASCII digits.
bool ReadDigits(QStringView text, int maxDigits, int* value)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    int v = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c.unicode() - u'0');
    }
    *value = v;
    return true;
}

} // namespace

QString FormatYYYY(QDate d) { return Padded(d.year(), 4); }
QString FormatMM(QDate d) { return Padded(d.month(), 2); }
QString FormatDD(QDate d) { return Padded(d.day(), 2); }
QString FormatMMDD(QDate d) { return FormatMM(d) + FormatDD(d); }
QString FormatYYYYMM(QDate d) { return FormatYYYY(d) + FormatMM(d); }
QString FormatYYYYMMDD(QDate d) { return FormatYYYY(d) + FormatMMDD(d); }
QString FormatSlashDate(QDate d) { return FormatYYYY(d) + u'/' + FormatMM(d) + u'/' + FormatDD(d); }
QString FormatYearMonth(QDate d) { return FormatYYYY(d) + u'/' + FormatMM(d); }

QDate ParseDateText(const QString& text)
{
    const QString trimmed = TrimBlanks(text);
    const QList<QStringView> parts = QStringView(trimmed).split(u'/');
    int year = 0;
    int month = 0;
    int day = 0;
    if (parts.size() == 3 && ReadDigits(parts[0], 4, &year) && ReadDigits(parts[1], 2, &month)
        && ReadDigits(parts[2], 2, &day) && year >= 1 && QDate::isValid(year, month, day))
        return QDate(year, month, day);
    throw AppError(QStringLiteral("'%1' は日付ではありません").arg(text));
}

int WeekdayNumber(QDate d)
{
    // Qt counts Monday 1 to Sunday 7.
    return d.dayOfWeek() % 7 + 1;
}

QString WeekdayLabel(int weekdayNumber)
{
    static const char16_t* const labels[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
    if (weekdayNumber < 1 || weekdayNumber > 7)
        return QString();
    return QString::fromUtf16(labels[weekdayNumber - 1]);
}

int DaysInMonth(QDate d)
{
    return QDate(d.year(), d.month(), 1).addMonths(1).addDays(-1).day();
}

StripRangeResult StripRange(QDate d, bool neighbouringMonths)
{
    StripRangeResult r;
    if (neighbouringMonths) {
        const QDate previous = PreviousMonthDate(d);
        r.First = QDate(previous.year(), previous.month(), 15);
        r.Count = 60;
    } else {
        r.First = QDate(d.year(), d.month(), 1);
        r.Count = DaysInMonth(d);
    }
    r.FirstWeekday = WeekdayNumber(r.First);
    return r;
}

QDate PreviousMonthDate(QDate d)
{
    return QDate(d.year(), d.month(), 1).addDays(-1);
}

QDate NextMonthDate(QDate d)
{
    return QDate(d.year(), d.month(), 20).addDays(15);
}

QDate SameMonthOtherYear(QDate d, int step)
{
    const int year = d.year() + step;
    int day = d.day();
    if (!QDate::isValid(year, d.month(), day))
        day = QDate(year, d.month(), 1).daysInMonth();
    return QDate(year, d.month(), day);
}

int AnnualMonthLength(int month)
{
    static const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return lengths[month - 1];
}

DayMarks ClassifyDay(QDate day, const MonthData& lists, QDate shownDate, bool& substitutePending)
{
    DayMarks m;
    m.Date = day;
    m.Weekday = WeekdayNumber(day);
    m.WeekdayLabel = WeekdayLabel(m.Weekday);

    ColorRef color = m.Weekday == 1 ? Colors::Red : m.Weekday == 7 ? Colors::Blue : Colors::Black;

    // A day off on a Sunday is owed to the next day that is not a Sunday.
    if (substitutePending && color != Colors::Red) {
        color = Colors::Red;
        m.HolidayName = QStringLiteral("振替休日");
        substitutePending = false;
    }
    m.WeekdayColor = color;

    const QString mmdd = FormatMMDD(day);
    const qsizetype named = lists.HolidayKeys.indexOf(mmdd);
    // A national holiday's substitutes come from the law alone: it neither
    // owes one nor passes one on, even where the user also names the day.
    const qsizetype national = lists.NationalKeys.indexOf(mmdd);
    if (named >= 0) {
        if (lists.DayOffKeys.contains(mmdd)) {
            if (color == Colors::Red && national < 0)
                substitutePending = true;
            color = Colors::Red;
        }
        m.HolidayName = lists.HolidayNames.value(named);
        m.NamedDay = true;
    }
    if (national >= 0) {
        color = Colors::Red;
        if (named < 0)
            m.HolidayName = lists.NationalNames.value(national);
        m.NamedDay = true;
    }

    const qsizetype scheduled = lists.ScheduleKeys.indexOf(mmdd);
    if (scheduled >= 0)
        m.Schedule = lists.ScheduleTexts.value(scheduled);

    if (day == Clock::Today()) {
        color = Colors::Yellow;
        m.Today = true;
    } else if (day.month() != shownDate.month()) {
        color = Colors::Grey;
    }
    m.DayColor = color;
    return m;
}
