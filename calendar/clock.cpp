#include "clock.h"

namespace {

std::function<QDateTime()>& Source()
{
    static std::function<QDateTime()> source;
    return source;
}

} // namespace

namespace Clock {

QDateTime Now()
{
    const auto& source = Source();
    return source ? source() : QDateTime::currentDateTime();
}

QDate Today()
{
    return Now().date();
}

qint64 MSecsSinceEpoch()
{
    const auto& source = Source();
    return source ? source().toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
}

void SetSourceForTesting(std::function<QDateTime()> source)
{
    Source() = std::move(source);
}

} // namespace Clock
