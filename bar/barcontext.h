#pragma once

#include "barstate.h"
#include "calendarstore.h"

#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// What the dialogs see of the bar: its state records and its one redraw.
// TForm1 is the real one; tests use their own.
class BarContext {
public:
    virtual ~BarContext() = default;

    QString DataDir;
    BarState State;
    BarSettings Settings;
    CellTable Cells;
    bool ListActive = false;
    // Entry 0 of ImageList2: the 20 x 20 picture that marks a day; empty when
    // a picture failed to load.
    std::optional<QImage> ImageList2;
    // The user's calendars; none when the program runs without them.
    CalendarStore* Calendars = nullptr;
    // The shortcut that hands the bar the keyboard from any window, and why
    // it could not be registered (empty when it was).
    QString ShortcutKeys;
    QString ShortcutProblem;

    // Loads and paints the month of date; mark puts the picture on date's
    // cell instead of today's. Drops its own errors.
    virtual void ShowMonth(bool mark, const QDateTime& date) = 0;

    // Murvane.ini changed under the running bar: Settings and ImageList2 as
    // a start would read them. The caller redraws.
    virtual void ReloadSettings() {}

    // Settings.Shortcut changed: the old keys are let go and the new ones
    // registered; ShortcutKeys and ShortcutProblem follow.
    virtual void RegisterShortcut() {}

    // Where the shown bar stands: its left edge and its screen's top edge, in
    // screen coordinates. Strip coordinates are placed on the screen from here.
    virtual QPoint BarTopLeft() const { return QPoint(); }

    // Data files changed under the running bar, which has redrawn by then;
    // the list window refreshes from it.
    void SubscribeDataChanged(std::function<void()> listener) { m_dataChanged.push_back(std::move(listener)); }
    void NotifyDataChanged() const
    {
        for (const auto& listener : m_dataChanged)
            listener();
    }

private:
    std::vector<std::function<void()>> m_dataChanged;
};
