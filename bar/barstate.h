#pragma once

#include "colorref.h"

#include <QDate>
#include <QDateTime>
#include <QKeyCombination>
#include <QString>
#include <QStringList>
#include <array>

class THintWindow;

// Two signed integers: a point (X, Y) or a hit item (number, kind).
struct IntPair {
    int X = 0;
    int Y = 0;
    bool operator==(const IntPair&) const = default;
};

// Inclusive rectangle, as the hit tests read it.
struct IntRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Contains(int x, int y) const { return Left <= x && x <= Right && Top <= y && y <= Bottom; }
};

// The bar's state for the whole run.
struct BarState {
    QDateTime ShownDate;
    IntPair MousePos;
    IntPair HitPoint;
    THintWindow* HintWindow = nullptr;
    bool HintChanged = false;
    IntPair LastHintItem{-1, -1};
    bool SubstitutePending = false;
    bool Shown = false;
    bool AutoHide = true;
    std::array<IntRect, 6> NavButtons{}; // 1 to 5; entry 0 unused
};

// Button n covers Left 10n, Top 18, Right 10n + 10, Bottom 29.
void FillNavButtons(BarState& state);

struct BarSettings {
    ColorRef DayPopColor = Colors::Yellow;
    ColorRef DayPopFontColor = Colors::Black;
    ColorRef YoubiPopColor = Colors::Yellow;
    ColorRef YoubiPopFontColor = Colors::Black;
    ColorRef YoteiBackColor = Colors::Yellow;
    ColorRef YoteiBackFontColor = Colors::Black;
    int ShowFRDate = 0;
    QString PicturePath;
    int Image_X = 0;
    int Image_Y = 0;
    bool NationalHolidays = false; // Japan's national holidays on the bar
    // Gives the bar the keyboard from any window.
    QKeyCombination Shortcut{Qt::ControlModifier | Qt::AltModifier, Qt::Key_M};
};

// One drawn cell: row 1 the weekday labels, row 2 the day numbers.
struct CellRec {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    QDate Date; // null in the weekday row
    QString Text;
    QString HolidayName;
    QString Schedule;
    QStringList Events; // the day's calendar events as the pop-up lists them
    bool Contains(int x, int y) const { return Left <= x && x <= Right && Top <= y && y <= Bottom; }
};

// Rows 1 and 2, columns 1 to 100; only columns 1 to DayCount belong to the
// last rendering.
struct CellTable {
    static constexpr int MaxColumns = 100;
    int DayCount = 0;
    CellRec& At(int row, int column) { return m_cells[row - 1][column]; }
    const CellRec& At(int row, int column) const { return m_cells[row - 1][column]; }

private:
    std::array<std::array<CellRec, MaxColumns + 1>, 2> m_cells{};
};
