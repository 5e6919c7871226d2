#pragma once

#include <QDate>
#include <QDateTime>
#include <functional>

// The one source of "now" for the whole program, replaceable by tests.
namespace Clock {

QDateTime Now();
QDate Today();
// Now as an instant: the system's without a test's source, free of the
// doubled hour a local time has when summer time ends.
qint64 MSecsSinceEpoch();

// Tests fix the clock; an empty function restores the system clock.
void SetSourceForTesting(std::function<QDateTime()> source);

} // namespace Clock
