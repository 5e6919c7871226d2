#include "calendarstore.h"

// Placeholder until the store lands.
QString CalendarStatus::StateText() const
{
    return Error;
}
