#include "daychange.h"

#include "clock.h"

#include <algorithm>

namespace {
// Past midnight by this much, so that a timer on time finds the new date.
constexpr qint64 MidnightMarginMs = 50;
// Never longer than a day and a bit: a timer set before a clock change is
// corrected by the next one at the latest.
constexpr qint64 LongestWaitMs = 25LL * 60 * 60 * 1000;
} // namespace

DayChange DecideDayChange(QDate lastToday, QDate today, QDate shown)
{
    DayChange change;
    if (today == lastToday)
        return change;
    change.Changed = true;
    change.MoveToToday = shown.year() == lastToday.year() && shown.month() == lastToday.month();
    return change;
}

qint64 MsecsToNextMidnight(const QDateTime& now)
{
    const QDate tomorrow = now.date().addDays(1);
    QDateTime next(tomorrow, QTime(0, 0));
    // Where the clocks skip midnight, the day begins at the first hour that exists.
    for (int hour = 1; !next.isValid() && hour < 24; ++hour)
        next = QDateTime(tomorrow, QTime(hour, 0));
    const qint64 wait = next.isValid() ? now.msecsTo(next) : LongestWaitMs;
    return std::clamp(wait, qint64(0), LongestWaitMs) + MidnightMarginMs;
}

DayWatch::DayWatch(std::function<QDate()> shown, std::function<void(DayChange)> changed)
    : m_shown(std::move(shown)), m_changed(std::move(changed)), m_today(Clock::Today())
{
    m_midnight.setSingleShot(true);
    // A coarse timer may fire hours early on a day-long interval.
    m_midnight.setTimerType(Qt::PreciseTimer);
    connect(&m_midnight, &QTimer::timeout, this, [this] {
        Check();
        Arm();
    });
    Arm();
}

void DayWatch::Check()
{
    const QDate today = Clock::Today();
    if (today == m_today)
        return;
    const DayChange change = DecideDayChange(m_today, today, m_shown());
    m_today = today;
    Arm();
    m_changed(change);
}

void DayWatch::Arm()
{
    m_midnight.start(std::chrono::milliseconds(MsecsToNextMidnight(Clock::Now())));
}
