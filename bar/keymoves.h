#pragma once

#include <QDate>
#include <Qt>
#include <optional>

// The moves of the focused day while the bar has the keyboard focus.
enum class DayMove {
    PreviousDay,   // ←
    NextDay,       // →
    PreviousWeek,  // ↑
    NextWeek,      // ↓
    FirstOfMonth,  // Home
    LastOfMonth,   // End
    PreviousMonth, // Page Up: same day, clamped to the month's last day
    NextMonth,     // Page Down
    PreviousYear,  // Shift+Page Up
    NextYear,      // Shift+Page Down
    Today,         // T
};

// The move a key press asks for; none for every other key.
std::optional<DayMove> DayMoveForKey(int key, Qt::KeyboardModifiers modifiers);

// Where the focus goes from day.
QDate MovedDay(DayMove move, QDate day, QDate today);
