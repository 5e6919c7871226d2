#pragma once

#include <QDate>
#include <QDateTime>
#include <functional>

// The one source of "now" for the whole program, replaceable by tests.
namespace Clock {

QDateTime Now();
QDate Today();

// Tests fix the clock; an empty function restores the system clock.
void SetSourceForTesting(std::function<QDateTime()> source);

} // namespace Clock
