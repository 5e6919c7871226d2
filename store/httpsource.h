#pragma once

#include "calendarsource.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;

// Adds the CA certificates of the file SSL_CERT_FILE names to the system's
// trust store, once per process: OpenSSL's usual way to trust a private CA,
// which Qt's backend does not read itself. Call before the first request.
void TrustCertificateFileOfEnvironment();

// A calendar feed at an http(s) address. Asks conditionally (If-None-Match,
// If-Modified-Since) so that an unchanged feed costs one 304; follows at most
// five redirects and never one from https to http; verifies certificates;
// refuses a feed over 50 MB while it downloads; gives up on a server that
// stays silent.
class HttpSource : public CalendarSource {
    Q_OBJECT

public:
    static constexpr int SilenceTimeoutMs = 30 * 1000;
    static constexpr int WholeTimeoutMs = 10 * 60 * 1000;

    HttpSource(QUrl url, QNetworkAccessManager& network, QObject* parent = nullptr);
    ~HttpSource() override;

    void Fetch(const QByteArray& validators, const QByteArray& cachedText) override;
    void Abort() override;

private:
    void Received();
    void Done();
    QNetworkReply* Drop();

    QUrl m_url;
    QNetworkAccessManager& m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_wholeTimeout;
    QByteArray m_body;
    QByteArray m_validators;
    QString m_certificateError;
    bool m_tooLarge = false;
    bool m_timedOut = false;
};

// The state of a failed request: an HTTP status of 400 or more, else the
// network error (with the certificate's complaint for a failed handshake).
// Never holds the address, which can be private.
QString HttpFailureText(int status, QNetworkReply::NetworkError error, const QString& certificateError);
// Whether a later try of that request may succeed.
bool HttpFailureTransient(int status, QNetworkReply::NetworkError error);
