#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

// What the bar does once the local date has moved on since it last looked.
struct DayChange {
    bool Changed = false;     // today is another day: redraw
    bool MoveToToday = false; // the bar showed the old today's month: follow today
};

// A bar the user navigated away from stays on its month; one that showed the
// month of the old today moves to the month of the new one.
DayChange DecideDayChange(QDate lastToday, QDate today, QDate shown);

// Milliseconds from now to a little after the next local midnight.
qint64 MsecsToNextMidnight(const QDateTime& now);

// Notices a change of the local date: at the next local midnight through one
// single-shot timer, and whenever Check runs. The bar runs Check at every
// pointer test and slide-in, which covers what the timer cannot see: a
// suspend, a changed clock or time zone. Nothing runs in between.
class DayWatch : public QObject {
public:
    // shown gives the date the bar shows; changed runs once for every new day.
    DayWatch(std::function<QDate()> shown, std::function<void(DayChange)> changed);

    void Check(); // cheap while the day is the same: one date compared

private:
    void Arm();

    std::function<QDate()> m_shown;
    std::function<void(DayChange)> m_changed;
    QDate m_today;
    QTimer m_midnight;
};
