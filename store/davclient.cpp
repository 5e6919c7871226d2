#include "davclient.h"

#include "httpsource.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

constexpr int MaxRedirects = 5;
// Silence this long ends a request; a first listing of a large calendar can
// keep a small server busy for tens of seconds before it answers.
constexpr int TimeoutMs = 120000;

bool IsLoopback(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

bool MaySendPassword(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || (scheme == QLatin1String("http") && IsLoopback(url.host()));
}

QString ShownAddress(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveUserInfo).toDisplayString();
}

QString DavFailureText(const DavAnswer& answer)
{
    if (answer.Status == 0)
        return answer.Error;
    if (answer.Status == 401)
        return QStringLiteral("認証に失敗しました");
    if (answer.Status == 404)
        return QStringLiteral("見つかりません (404)");
    if (answer.Status == 403)
        return QStringLiteral("アクセスが拒否されました (403)");
    if (answer.Status >= 500)
        return QStringLiteral("サーバーのエラー (%1)").arg(answer.Status);
    if (answer.Status == 207)
        return QStringLiteral("サーバーの答えが読めません");
    return QStringLiteral("サーバーが受け付けません (%1)").arg(answer.Status);
}

DavClient::DavClient(QNetworkAccessManager* network, QObject* parent)
    : QObject(parent)
    , m_network(network)
{
}

DavClient::~DavClient()
{
    Abort();
}

void DavClient::SetCredentials(const QString& user, const QString& password)
{
    m_user = user;
    m_password = password;
}

void DavClient::Send(const QByteArray& verb, const QUrl& url, int depth, const QByteArray& body, Done done,
                     const Headers& headers)
{
    Abort();
    m_verb = verb;
    m_body = body;
    m_depth = depth;
    m_headers = headers;
    m_done = std::move(done);
    Start(url, MaxRedirects);
}

void DavClient::Abort()
{
    m_done = nullptr;
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void DavClient::Start(const QUrl& url, int redirectsLeft)
{
    m_redirectsLeft = redirectsLeft;
    if (!m_password.isEmpty() && !MaySendPassword(url)) {
        DavAnswer answer;
        answer.Url = url;
        answer.Error = QStringLiteral("パスワードは https でしか送りません");
        QMetaObject::invokeMethod(this, [this, answer] {
            if (Done done = std::exchange(m_done, nullptr))
                done(answer);
        }, Qt::QueuedConnection);
        return;
    }
    TrustCertificateFileOfEnvironment();
    QNetworkRequest request(url.adjusted(QUrl::RemoveUserInfo));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setTransferTimeout(TimeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/xml; charset=utf-8"));
    if (m_depth >= 0)
        request.setRawHeader("Depth", QByteArray::number(m_depth));
    for (const auto& [name, value] : m_headers)
        request.setRawHeader(name, value);
    if (!m_user.isEmpty() || !m_password.isEmpty())
        request.setRawHeader("Authorization",
                             "Basic " + (m_user + QLatin1Char(':') + m_password).toUtf8().toBase64());
    ++m_requests;
    m_reply = m_network->sendCustomRequest(request, m_verb, m_body);
    connect(m_reply, &QNetworkReply::finished, this, &DavClient::OnFinished);
}

void DavClient::OnFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();

    const QUrl url = reply->url();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl location = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (status >= 300 && status < 400 && status != 304 && location.isValid()) {
        const QUrl target = url.resolved(location);
        if (m_redirectsLeft == 0 || (url.scheme() == QLatin1String("https") && target.scheme() != QLatin1String("https"))) {
            DavAnswer answer;
            answer.Url = url;
            answer.Error = m_redirectsLeft == 0 ? QStringLiteral("転送が多すぎます")
                                                : QStringLiteral("https から http への転送は拒否しました");
            if (Done done = std::exchange(m_done, nullptr))
                done(answer);
            return;
        }
        Start(target, m_redirectsLeft - 1);
        return;
    }

    DavAnswer answer;
    answer.Url = url;
    answer.Status = status;
    const QNetworkReply::NetworkError error = reply->error();
    if (status == 0 || (error != QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError)) {
        answer.Status = 0;
        // No HTTP answer: refused, dropped, timed out, or the certificate failed.
        const bool tls = error == QNetworkReply::SslHandshakeFailedError;
        answer.Error = tls ? QStringLiteral("証明書を確認できません") : QStringLiteral("接続できません");
        answer.Transient = !tls;
    } else {
        answer.Body = reply->readAll();
        answer.ETag = reply->rawHeader("ETag");
    }
    if (Done done = std::exchange(m_done, nullptr))
        done(answer);
}
