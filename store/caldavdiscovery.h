#pragma once

#include "calendaraccounts.h"
#include "davclient.h"

#include <QUrl>

class QNetworkAccessManager;
struct DavResource;

// Finds the event calendars of a CalDAV account: /.well-known/caldav
// (RFC 6764) when given a bare server, then the current user's principal, its
// calendar home, and a depth-1 PROPFIND of the home. A calendar's own
// address is taken as it is.
class CalDavDiscovery : public QObject {
    Q_OBJECT

public:
    explicit CalDavDiscovery(QNetworkAccessManager* network, QObject* parent = nullptr);

    // Finished follows once, later.
    void Run(const QString& server, const QString& user, const QString& password);

signals:
    void Finished(const AccountSearch& search);

private:
    enum class Step { WellKnown, Start, Principal, Home };

    void Ask(Step step, const QUrl& url);
    void OnAnswer(Step step, const DavAnswer& answer);
    void OnHome(const DavAnswer& answer);
    void Fail(const DavAnswer& answer);
    void Done(const AccountSearch& search);
    FoundCalendar Found(const QUrl& base, const DavResource& r) const;

    DavClient m_client;
    QUrl m_start;
    QUrl m_principal;
};
