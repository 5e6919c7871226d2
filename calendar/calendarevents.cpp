#include "calendarevents.h"

#include <algorithm>
#include <tuple>

namespace {
constexpr int MinutesPerDay = 24 * 60;

int MinuteOfDay(const QDateTime& local)
{
    return local.time().hour() * 60 + local.time().minute();
}
} // namespace

void AppendDayEvents(const EventInstance& instance, const QTimeZone& local, int calendar, QDate from, QDate to,
                     QList<DayEvent>& out)
{
    if (instance.AllDay) {
        const QDate last = instance.EndDate > instance.StartDate ? instance.EndDate.addDays(-1) : instance.StartDate;
        for (QDate day = std::max(instance.StartDate, from); day.isValid() && day <= std::min(last, to); day = day.addDays(1))
            out.append(DayEvent{day, -1, -1, instance.Summary, calendar, instance.IsNote()});
        return;
    }
    const QDateTime start = instance.Start.toTimeZone(local);
    const QDateTime end = std::max(instance.End, instance.Start).toTimeZone(local);
    // The last day is the day of the last moment before the end: an event
    // ending at midnight does not touch the day that begins then.
    QDate last = end.date();
    if (end > start && end.time() == QTime(0, 0))
        last = last.addDays(-1);
    for (QDate day = std::max(start.date(), from); day.isValid() && day <= std::min(last, to); day = day.addDays(1)) {
        const int startMinute = day == start.date() ? MinuteOfDay(start) : 0;
        const int endMinute = day == end.date() ? MinuteOfDay(end) : MinutesPerDay;
        out.append(DayEvent{day, startMinute, std::max(startMinute, endMinute), instance.Summary, calendar});
    }
}

bool DayEventBefore(const DayEvent& a, const DayEvent& b)
{
    // References, so that sorting a month's events copies no summary.
    const auto key = [](const DayEvent& e) {
        return std::forward_as_tuple(e.Date, e.StartMinute, e.EndMinute, e.Summary, e.Calendar);
    };
    return key(a) < key(b);
}

QString MinuteText(int minute)
{
    return QStringLiteral("%1:%2").arg(minute / 60, 2, 10, QLatin1Char('0')).arg(minute % 60, 2, 10, QLatin1Char('0'));
}
