#pragma once

#include "barstate.h"

#include <QDate>
#include <QString>

// What assistive technology reads of the painted bar: the strip is a list of
// the days shown, the header holds the five buttons.
QString MonthName(QDate day);    // "2026年12月"
QString LongDateName(QDate day); // "2026年12月9日 水曜日"
// What the day's pop-up says, on one line: today, the day's name, the note,
// the calendar events.
QString DayDescription(const CellRec& dayCell, QDate today);
QString NavButtonName(int button); // "前年" to "翌年"

// Installs the interfaces of the bar's strip and header; before the bar shows.
void InstallBarAccessibility();
