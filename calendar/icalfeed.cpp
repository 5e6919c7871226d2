#include "icalfeed.h"

// Placeholder until the libical reader lands: knows a VCALENDAR, expands nothing.
struct ICalFeed::Data {};

ICalFeed::ICalFeed(std::unique_ptr<Data> data) : d(std::move(data)) {}
ICalFeed::~ICalFeed() = default;

std::shared_ptr<const ICalFeed> ICalFeed::Parse(const QByteArray& text, QString* error)
{
    if (!text.contains("BEGIN:VCALENDAR")) {
        if (error)
            *error = QStringLiteral("iCalendar として読めません");
        return nullptr;
    }
    return std::shared_ptr<const ICalFeed>(new ICalFeed(std::make_unique<Data>()));
}

std::vector<EventInstance> ICalFeed::Expand(const QDateTime&, const QDateTime&, const QTimeZone&) const
{
    return {};
}

qsizetype ICalFeed::EventCount() const
{
    return 0;
}
