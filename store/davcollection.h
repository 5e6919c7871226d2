#pragma once

#include "davclient.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;

// The objects of a calendar collection on a CalDAV server as last fetched,
// brought up to date by asking what changed since the last time
// (sync-collection, RFC 6578, or else the ETags of a depth-1 PROPFIND) and
// fetching only the changed objects, many to a calendar-multiget.
class DavCollection : public QObject {
    Q_OBJECT

public:
    struct Object {
        QString ETag;
        QByteArray Text;
    };

    DavCollection(QNetworkAccessManager* network, const QUrl& url, QObject* parent = nullptr);

    DavClient& Client() { return m_client; }
    const DavClient& Client() const { return m_client; }
    const QUrl& Url() const { return m_url; }

    // What the last update left; set them from a saved copy before one.
    QMap<QString, Object> Objects; // by decoded path
    QString Token;
    bool NoSync = false;            // the server has no sync-collection

    // Brings Objects up to date. done gets the answer that failed it (then
    // Objects may be half updated), or nullptr and whether anything changed.
    using Done = std::function<void(const DavAnswer* failure, bool changed)>;
    void Update(Done done);
    void Abort();

    // An href of an answer as a key of Objects.
    QString Key(const QString& href) const;
    // A key as an address to send a request to.
    QUrl Address(const QString& key) const;

private:
    void SyncReport();
    void OnSync(const DavAnswer& answer);
    void Listing();
    void OnListing(const DavAnswer& answer);
    void FetchNext();
    void OnMultiget(const DavAnswer& answer);
    void Finish(const DavAnswer* failure);
    bool IsCollection(const QString& key) const;
    void Want(const QString& key, const QString& etag);
    void Forget(const QString& key);

    QUrl m_url;
    DavClient m_client;
    Done m_done;
    bool m_retriedToken = false;
    bool m_more = false;
    int m_rounds = 0;
    bool m_changed = false;
    QStringList m_pending;
};
