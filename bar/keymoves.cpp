#include "keymoves.h"

std::optional<DayMove> DayMoveForKey(int key, Qt::KeyboardModifiers modifiers)
{
    // The keypad's arrows carry KeypadModifier; Control and Alt keep the key
    // for others.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_Left: return DayMove::PreviousDay;
    case Qt::Key_Right: return DayMove::NextDay;
    case Qt::Key_Up: return DayMove::PreviousWeek;
    case Qt::Key_Down: return DayMove::NextWeek;
    case Qt::Key_Home: return DayMove::FirstOfMonth;
    case Qt::Key_End: return DayMove::LastOfMonth;
    case Qt::Key_PageUp: return shift ? DayMove::PreviousYear : DayMove::PreviousMonth;
    case Qt::Key_PageDown: return shift ? DayMove::NextYear : DayMove::NextMonth;
    case Qt::Key_T: return DayMove::Today;
    default: return std::nullopt;
    }
}

QDate MovedDay(DayMove move, QDate day, QDate today)
{
    // QDate's month and year steps already clamp to the target month's end.
    switch (move) {
    case DayMove::PreviousDay: return day.addDays(-1);
    case DayMove::NextDay: return day.addDays(1);
    case DayMove::PreviousWeek: return day.addDays(-7);
    case DayMove::NextWeek: return day.addDays(7);
    case DayMove::FirstOfMonth: return QDate(day.year(), day.month(), 1);
    case DayMove::LastOfMonth: return QDate(day.year(), day.month(), day.daysInMonth());
    case DayMove::PreviousMonth: return day.addMonths(-1);
    case DayMove::NextMonth: return day.addMonths(1);
    case DayMove::PreviousYear: return day.addYears(-1);
    case DayMove::NextYear: return day.addYears(1);
    case DayMove::Today: return today;
    }
    return day;
}
