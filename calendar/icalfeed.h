#pragma once

#include "calendarevents.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <memory>
#include <vector>

// A parsed iCalendar (RFC 5545) feed: its events, ready to be expanded into
// any window of time. Parse and Expand may run on any thread; two feeds may
// be used on two threads at once.
class ICalFeed {
public:
    // The text may hold one VCALENDAR or several one after another (the
    // objects of a CalDAV collection, joined). nullptr, with a reason in
    // error, when the text is no iCalendar.
    static std::shared_ptr<const ICalFeed> Parse(const QByteArray& text, QString* error = nullptr);

    ~ICalFeed();
    ICalFeed(const ICalFeed&) = delete;
    ICalFeed& operator=(const ICalFeed&) = delete;

    // Every instance that overlaps [from, to): recurrences expanded (RRULE,
    // RDATE, EXDATE, RECURRENCE-ID overrides), cancelled ones left out, at
    // most 1,000 per series. Floating times are read in the feed's
    // X-WR-TIMEZONE, or else in local.
    std::vector<EventInstance> Expand(const QDateTime& from, const QDateTime& to,
                                      const QTimeZone& local = QTimeZone::systemTimeZone()) const;

    // The feed's VEVENT components, overrides included.
    qsizetype EventCount() const;

    struct Data;

private:
    explicit ICalFeed(std::unique_ptr<Data> data);
    std::unique_ptr<Data> d;
};
