#pragma once

#include "calendarstore.h"

#include <algorithm>
#include <functional>

// A store that hands out the events it is given, as the real one would.
class FakeCalendars : public CalendarStore {
public:
    QList<CalendarStatus> List;
    QList<DayEvent> Events;
    int Refreshes = 0;
    std::function<void()> OnEventsBetween; // runs inside every EventsBetween

    // A calendar named name, shown or not, in colour ("#rrggbb").
    void Add(const QString& name, const QString& color, bool shown = true)
    {
        CalendarStatus status;
        status.Entry.Section = QStringLiteral("Calendar%1").arg(List.size() + 1);
        status.Entry.Name = name;
        status.Entry.Color = color;
        status.Entry.Shown = shown;
        List.append(status);
    }

    QList<CalendarStatus> Calendars() const override { return List; }

    QList<DayEvent> EventsBetween(QDate from, QDate to) override
    {
        if (OnEventsBetween)
            OnEventsBetween();
        QList<DayEvent> events;
        for (const DayEvent& e : Events)
            if (e.Date >= from && e.Date <= to)
                events.append(e);
        std::sort(events.begin(), events.end(), DayEventBefore);
        return events;
    }

    void RefreshAll() override { ++Refreshes; }
};
