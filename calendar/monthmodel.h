#pragma once

#include "monthdata.h"

#include <QDate>
#include <QString>

// Fills the lists (handed in empty) from the holiday files and the schedule
// files of the shown month, the month before and the month after. Missing
// files add nothing; nothing is reported. With nationalHolidays, Japan's
// national holidays of the same three months are added as well.
void LoadMonthData(const QString& dataDir, MonthData& lists, QDate shownDate, bool nationalHolidays = false);
