#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// One answer of a WebDAV server, or why none came.
struct DavAnswer {
    int Status = 0;        // HTTP status; 0 when no answer came
    QByteArray Body;
    QUrl Url;              // where the answer came from, after redirects
    QByteArray ETag;       // the ETag header, when the server sent one
    QString Error;         // Status 0: the reason as the state shows it
    bool Transient = false; // Status 0: a later try may succeed
};

// Whether a password may go to this address: over https, or plain http only
// to this machine's own loopback addresses.
bool MaySendPassword(const QUrl& url);

// The address as it may be shown: without a user part or password.
QString ShownAddress(const QUrl& url);

// Why a request failed, in words as the state shows them.
QString DavFailureText(const DavAnswer& answer);

// Sends WebDAV requests signed in with Basic authentication, one at a time,
// following redirects itself (at most 5, never from https to http, and the
// password never to an address it may not go to). Nothing of a request or an
// answer is logged.
class DavClient : public QObject {
    Q_OBJECT

public:
    DavClient(QNetworkAccessManager* network, QObject* parent = nullptr);
    ~DavClient() override;

    void SetCredentials(const QString& user, const QString& password);

    using Done = std::function<void(const DavAnswer&)>;
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    // depth < 0 sends no Depth header. A body is XML unless headers name
    // another Content-Type.
    void Send(const QByteArray& verb, const QUrl& url, int depth, const QByteArray& body, Done done,
              const Headers& headers = {});
    // Drops the request under way; its Done is not called.
    void Abort();

    // Requests sent since construction, redirects included.
    int RequestCount() const { return m_requests; }

private:
    void Start(const QUrl& url, int redirectsLeft);
    void OnFinished();

    QNetworkAccessManager* m_network;
    QString m_user;
    QString m_password;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_verb;
    QByteArray m_body;
    int m_depth = -1;
    Headers m_headers;
    int m_redirectsLeft = 0;
    Done m_done;
    int m_requests = 0;
};
