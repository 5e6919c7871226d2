#pragma once

#include "barcontext.h"
#include "conflictwatch.h"
#include "datawatch.h"
#include "daychange.h"

#include <QTimer>
#include <functional>

// Keeps a bar that runs for weeks current without the user's doing: today
// follows the clock, data files changed by other programs and the calendars'
// new events show at once, and sync tools' conflict copies in the folder are
// told of.
// The bar tells it of every redraw (Showing) and of every pointer test and
// slide-in (CheckDay); it redraws the bar through ShowMonth.
class LiveUpdates {
public:
    // hidePopup drops a pop-up whose text may have gone stale.
    LiveUpdates(BarContext& bar, std::function<void()> hidePopup);

    // ShowMonth calls this first, before it reads any file.
    void Showing(bool mark, const QDateTime& date);
    // Cheap while the day is the same.
    void CheckDay() { m_day.Check(); }
    // Redraws once per turn of the event loop however often the store says
    // it changed, and once now for the store's first events.
    void FollowCalendars(CalendarStore* store);

private:
    void DayChanged(DayChange change);
    void FilesChanged();
    void SettingsChanged();
    void CalendarsChanged();

    BarContext& m_bar;
    std::function<void()> m_hidePopup;
    bool m_mark = false;
    DayWatch m_day;
    ConflictWatch m_conflicts;
    DataWatch m_files;
    QTimer m_calendarRedraw;
    QMetaObject::Connection m_calendarConnection;
    bool m_redrawingCalendars = false;
};
