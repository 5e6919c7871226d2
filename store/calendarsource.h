#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Where a calendar's iCalendar text comes from: a file, a feed address, a
// CalDAV collection. The store asks, the source answers once with the text
// and what the next asking starts from; the store keeps both as the cached
// copy.
class CalendarSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    struct Result {
        enum class Kind { Changed, Unchanged, Failed };
        Kind Outcome = Kind::Failed;
        QByteArray Text;       // Changed: the calendar (one or more VCALENDAR objects)
        QByteArray Validators; // Changed or Unchanged: ETag, Last-Modified, sync token, …
        QString Error;         // Failed: the reason as the state shows it
        bool Transient = false; // Failed: a later try may succeed (network, 5xx, time-out)
        bool AuthFailed = false; // Failed: the server refused the user name or password
    };

    // Starts one fetch from the cached copy's validators and text (both empty
    // when there is none); Finished follows exactly once, later.
    virtual void Fetch(const QByteArray& validators, const QByteArray& cachedText) = 0;
    // Drops a fetch under way; no Finished follows.
    virtual void Abort() = 0;

signals:
    void Finished(const CalendarSource::Result& result);
};
