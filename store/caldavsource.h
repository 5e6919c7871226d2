#pragma once

#include "calendarlist.h"
#include "calendarsource.h"
#include "davcollection.h"


#include <memory>

class Passwords;
class QNetworkAccessManager;

// A calendar collection on a CalDAV server (RFC 4791), read-only. A refresh
// asks what changed since the last one (sync-collection, RFC 6578, or else
// the ETags of a depth-1 PROPFIND) and fetches only the changed objects, many
// to a calendar-multiget. The sync token and each object's address and ETag
// are the validators; the text is the objects joined in address order, so the
// cached copy is split back into objects with them.
class CalDavSource : public CalendarSource {
    Q_OBJECT

public:
    CalDavSource(const CalendarEntry& entry, QNetworkAccessManager* network, Passwords* passwords,
                 QObject* parent = nullptr);

    void Fetch(const QByteArray& validators, const QByteArray& cachedText) override;
    void Abort() override;

    // Requests sent since construction.
    int RequestCount() const { return m_collection.Client().RequestCount(); }

private:
    void Finish(bool changed);
    void Fail(const DavAnswer& answer);
    void Emit(const Result& result);
    QByteArray Validators() const;

    QString m_user;
    Passwords* m_passwords;
    DavCollection m_collection;
    bool m_running = false;
};

// Who fetches a calendar of the list: a CalDAV collection for an entry that
// names a user, else a file or a feed as the store reads them.
std::unique_ptr<CalendarSource> MakeCalendarSource(const CalendarEntry& entry, QNetworkAccessManager& network,
                                                   Passwords& passwords);
