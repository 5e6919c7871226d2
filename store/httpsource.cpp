#include "httpsource.h"

#include "feedlocation.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <mutex>

namespace {

// Validators as the cache keeps them: one "Name: value" line each.
QByteArray Validator(const QByteArray& validators, const QByteArray& name)
{
    for (const QByteArray& line : validators.split('\n')) {
        if (line.startsWith(name + ": "))
            return line.mid(name.size() + 2);
    }
    return QByteArray();
}

QByteArray MakeValidators(const QByteArray& etag, const QByteArray& lastModified)
{
    QByteArray validators;
    if (!etag.isEmpty())
        validators += "ETag: " + etag + "\n";
    if (!lastModified.isEmpty())
        validators += "Last-Modified: " + lastModified + "\n";
    return validators;
}

} // namespace

void TrustCertificateFileOfEnvironment()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QString file = qEnvironmentVariable("SSL_CERT_FILE");
        const QList<QSslCertificate> added = file.isEmpty() ? QList<QSslCertificate>() : QSslCertificate::fromPath(file);
        if (added.isEmpty())
            return;
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setCaCertificates(QSslConfiguration::systemCaCertificates() + added);
        QSslConfiguration::setDefaultConfiguration(config);
    });
}

QString HttpFailureText(int status, QNetworkReply::NetworkError error, const QString& certificateError)
{
    if (status == 404 || status == 410)
        return QStringLiteral("見つかりません (%1)").arg(status);
    if (status == 401 || status == 403)
        return QStringLiteral("許可されていません (%1)").arg(status);
    if (status >= 500)
        return QStringLiteral("サーバーのエラーです (%1)").arg(status);
    if (status >= 400)
        return QStringLiteral("サーバーが受け付けません (%1)").arg(status);
    switch (error) {
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("接続が切れました");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("応答がありません");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("証明書を確認できません: %1")
            .arg(certificateError.isEmpty() ? QStringLiteral("安全な接続ができません") : certificateError);
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("https から http への転送は受け付けません");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("転送が多すぎます");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("この場所は読めません");
    default:
        return QStringLiteral("接続できません");
    }
}

bool HttpFailureTransient(int status, QNetworkReply::NetworkError error)
{
    if (status >= 400)
        return status >= 500 || status == 408 || status == 429;
    switch (error) {
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::InsecureRedirectError:
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::ProtocolUnknownError:
        return false;
    default:
        return true;
    }
}

HttpSource::HttpSource(QUrl url, QNetworkAccessManager& network, QObject* parent)
    : CalendarSource(parent), m_url(std::move(url)), m_network(network)
{
    m_wholeTimeout.setSingleShot(true);
    m_wholeTimeout.setInterval(WholeTimeoutMs);
    connect(&m_wholeTimeout, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        if (m_reply)
            m_reply->abort();
    });
}

HttpSource::~HttpSource()
{
    Abort();
}

void HttpSource::Fetch(const QByteArray& validators, const QByteArray& cachedText)
{
    Abort();
    m_body.clear();
    m_certificateError.clear();
    m_tooLarge = false;
    m_timedOut = false;
    // Without the copy an unchanged answer would leave nothing to show.
    m_validators = cachedText.isEmpty() ? QByteArray() : validators;

    TrustCertificateFileOfEnvironment();
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(SilenceTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Murvane/1.0"));
    request.setRawHeader("Accept", "text/calendar, */*;q=0.5");
    const QByteArray etag = Validator(m_validators, "ETag");
    const QByteArray lastModified = Validator(m_validators, "Last-Modified");
    if (!etag.isEmpty())
        request.setRawHeader("If-None-Match", etag);
    if (!lastModified.isEmpty())
        request.setRawHeader("If-Modified-Since", lastModified);

    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > MaxFeedBytes) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpSource::Received);
    connect(m_reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        if (!errors.isEmpty() && m_certificateError.isEmpty())
            m_certificateError = errors.first().errorString();
    });
    connect(m_reply, &QNetworkReply::finished, this, &HttpSource::Done);
    m_wholeTimeout.start();
}

void HttpSource::Abort()
{
    if (QNetworkReply* reply = Drop())
        reply->abort();
}

QNetworkReply* HttpSource::Drop()
{
    m_wholeTimeout.stop();
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (reply) {
        disconnect(reply, nullptr, this, nullptr);
        reply->deleteLater();
    }
    return reply;
}

void HttpSource::Received()
{
    if (!m_reply || m_tooLarge)
        return;
    m_body += m_reply->readAll();
    if (m_body.size() > MaxFeedBytes) {
        m_tooLarge = true;
        m_body.clear();
        m_reply->abort();
    }
}

void HttpSource::Done()
{
    if (!m_reply)
        return;
    Received();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = m_reply->error();
    const QByteArray etag = m_reply->rawHeader("ETag");
    const QByteArray lastModified = m_reply->rawHeader("Last-Modified");
    Drop();

    Result result;
    if (m_tooLarge) {
        result.Error = TooLargeText();
    } else if (m_timedOut) {
        result.Error = HttpFailureText(0, QNetworkReply::TimeoutError, QString());
        result.Transient = true;
    } else if (status == 304 && !m_validators.isEmpty()) {
        result.Outcome = Result::Kind::Unchanged;
        result.Validators = etag.isEmpty() && lastModified.isEmpty() ? m_validators : MakeValidators(etag, lastModified);
    } else if (error == QNetworkReply::NoError && status >= 200 && status < 300) {
        result.Outcome = Result::Kind::Changed;
        result.Text = std::move(m_body);
        result.Validators = MakeValidators(etag, lastModified);
    } else {
        // A redirect that failed further on (a certificate, a step down to
        // http) says why, not the redirect's own status.
        const bool networkError = error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
        const int failedStatus = status >= 300 && !networkError ? status : 0;
        result.Error = failedStatus >= 300 && failedStatus < 400
                           ? QStringLiteral("サーバーが受け付けません (%1)").arg(failedStatus)
                           : HttpFailureText(failedStatus, error, m_certificateError);
        result.Transient = HttpFailureTransient(failedStatus, error);
        result.AuthFailed = status == 401;
    }
    m_body.clear();
    emit Finished(result);
}
