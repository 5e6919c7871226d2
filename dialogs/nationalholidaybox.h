#pragma once

class QCheckBox;
class QListWidget;
class QWidget;

// The options dialog's switch for Japan's national holidays on the bar: a
// check box on the holiday page below the list, which gives up the room at
// its bottom; every control keeps its place.
QCheckBox* MakeNationalHolidayBox(QWidget* page, QListWidget& list);
