#include "navigation.h"

#include "calendarrules.h"
#include "clock.h"

QString NavButtonText(int button)
{
    switch (button) {
    case 1: return QStringLiteral("前年同月");
    case 2: return QStringLiteral("前月");
    case 3: return QStringLiteral("今月");
    case 4: return QStringLiteral("来月");
    case 5: return QStringLiteral("来年同月");
    default: return {};
    }
}

QDateTime NavButtonTarget(int button, const QDateTime& shownDate)
{
    const QDate day = shownDate.date();
    QDate target;
    switch (button) {
    case 1: target = SameMonthOtherYear(day, -1); break;
    case 2: target = PreviousMonthDate(day); break;
    case 3: return Clock::Now();
    case 4: target = NextMonthDate(day); break;
    case 5: target = SameMonthOtherYear(day, +1); break;
    default: return shownDate;
    }
    // The rules work on calendar days; the moved date starts at midnight.
    return QDateTime(target, QTime(0, 0));
}
