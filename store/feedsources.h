#pragma once

#include "calendarlist.h"
#include "calendarsource.h"

#include <memory>

class QNetworkAccessManager;

// The store's own sources: a file or a feed address as the entry's Source
// names it; nullptr for a source it cannot read.
std::unique_ptr<CalendarSource> MakeFeedSource(const CalendarEntry& entry, QNetworkAccessManager& network);
