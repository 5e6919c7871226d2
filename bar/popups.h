#pragma once

#include "barstate.h"

#include <QColor>
#include <QPoint>
#include <QString>
#include <functional>

struct BarSettings;
class QFont;

// Hit tests over the last rendering, bounds inclusive, first match in
// ascending order. A hit replaces hitPoint by (item number, 2).
bool HitDayCell(const CellTable& cells, IntPair& hitPoint);
bool HitWeekdayCell(const CellTable& cells, IntPair& hitPoint);
bool HitNavButton(const BarState& state, IntPair& hitPoint);

struct PopupLines {
    QString Text;       // every "#~" replaced by line feed + carriage return
    int LineCount = 1;  // separators plus one
    int LongestLine = 0; // in bytes of the CP932 form, separators not counted
};
PopupLines SplitPopupLines(const QString& text);

// Texts of the pop-ups for one column's day cell; the day pop-up lists the
// day's calendar events after its schedule.
QString DayPopupText(const CellRec& dayCell);
QString WeekdayPopupText(const CellRec& dayCell); // empty when the day has no name

// Drives the single pop-up window from pointer moves over the strip and the
// header, with the hide-and-show bookkeeping of BarState.
//
// The pop-up window is state.HintWindow, which the bar creates and destroys;
// it is read afresh at every call, and without one only the bookkeeping runs.
class BarPopups {
public:
    // activate runs the bar's slide-in when a move arrives over a hidden bar;
    // barTopLeft gives the bar window's screen position, from which strip and
    // header coordinates are placed on the screen (the screen's corner when
    // not given).
    BarPopups(BarState& state, const BarSettings& settings, const CellTable& cells,
              std::function<void()> activate, std::function<QPoint()> barTopLeft = {});

    void Image1MouseMove(int x, int y); // strip coordinates
    void Image2MouseMove(int x, int y); // header coordinates
    void Hide(); // releases the pop-up's system window; LastHintItem stays

private:
    // Records the pointer; false when the bar was hidden and only slides in.
    bool BeginMove(int x, int y);
    void ChangeItem(int item);
    void ShowAt(int left, int top, int right, int bottom, const QString& text, const QColor& background);
    void HideAndForget();
    QPoint BarTopLeft() const;

    BarState& m_state;
    const BarSettings& m_settings;
    const CellTable& m_cells;
    std::function<void()> m_activate;
    std::function<QPoint()> m_barTopLeft;
};
