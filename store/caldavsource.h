#pragma once

#include "calendarlist.h"
#include "calendarsource.h"
#include "davclient.h"

#include <QMap>
#include <QStringList>
#include <QUrl>

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
    int RequestCount() const { return m_client.RequestCount(); }

private:
    struct Item {
        QString ETag;
        QByteArray Text;
    };

    void Start(const QString& password);
    void SyncReport();
    void OnSync(const DavAnswer& answer);
    void Listing();
    void OnListing(const DavAnswer& answer);
    void FetchNext();
    void OnMultiget(const DavAnswer& answer);
    void Finish();
    void Fail(const DavAnswer& answer);
    void Emit(const Result& result);

    QString Key(const QString& href) const;
    bool IsCollection(const QString& key) const;
    void Want(const QString& key, const QString& etag);
    void Forget(const QString& key);
    QByteArray Validators() const;

    QUrl m_url;
    QString m_user;
    Passwords* m_passwords;
    DavClient m_client;

    // One fetch's state.
    bool m_running = false;
    QMap<QString, Item> m_items; // by decoded path
    QString m_token;
    bool m_noSync = false;
    bool m_retriedToken = false;
    bool m_more = false;
    int m_rounds = 0;
    bool m_changed = false;
    QStringList m_pending;
};

// Who fetches a calendar of the list: a CalDAV collection for an entry that
// names a user, else a file or a feed as the store reads them.
std::unique_ptr<CalendarSource> MakeCalendarSource(const CalendarEntry& entry, QNetworkAccessManager& network,
                                                   Passwords& passwords);
