#include "caldavdiscovery.h"

#include "davxml.h"

namespace {

bool HoldsEvents(const DavResource& r)
{
    return r.IsCalendar && (r.Components.isEmpty() || r.Components.contains(QLatin1String("VEVENT")));
}

QUrl ServerUrl(const QString& text)
{
    QString t = text.trimmed();
    if (!t.contains(QLatin1String("://")))
        t.prepend(QLatin1String("https://"));
    return QUrl(t, QUrl::StrictMode).adjusted(QUrl::RemoveUserInfo);
}

} // namespace

CalDavDiscovery::CalDavDiscovery(QNetworkAccessManager* network, QObject* parent)
    : QObject(parent)
    , m_client(network)
{
}

void CalDavDiscovery::Run(const QString& server, const QString& user, const QString& password)
{
    m_start = ServerUrl(server);
    AccountSearch search;
    const QString scheme = m_start.scheme().toLower();
    if (!m_start.isValid() || m_start.host().isEmpty()
        || (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        search.Error = QStringLiteral("アドレスが正しくありません");
    else if (!MaySendPassword(m_start))
        search.Error = QStringLiteral("パスワードは https でしか送りません");
    if (!search.Error.isEmpty()) {
        QMetaObject::invokeMethod(this, [this, search] { Done(search); }, Qt::QueuedConnection);
        return;
    }
    m_client.SetCredentials(user, password);
    const QString path = m_start.path();
    if (path.isEmpty() || path == QLatin1String("/"))
        Ask(Step::WellKnown, m_start.resolved(QUrl(QStringLiteral("/.well-known/caldav"))));
    else
        Ask(Step::Start, m_start);
}

void CalDavDiscovery::Ask(Step step, const QUrl& url)
{
    const int depth = step == Step::Home ? 1 : 0;
    m_client.Send("PROPFIND", url, depth, DiscoveryPropfindBody(), [this, step](const DavAnswer& answer) {
        if (step == Step::Home)
            OnHome(answer);
        else
            OnAnswer(step, answer);
    });
}

void CalDavDiscovery::OnAnswer(Step step, const DavAnswer& answer)
{
    const DavMultiStatus ms = answer.Status == 207 ? ParseMultiStatus(answer.Body) : DavMultiStatus{};
    const DavResource r = ms.Valid && !ms.Resources.isEmpty() ? ms.Resources.first() : DavResource{};
    if (answer.Status == 401 || answer.Status == 0) {
        Fail(answer);
        return;
    }
    if (!ms.Valid) {
        if (step == Step::WellKnown)
            Ask(Step::Start, m_start); // no well-known address: ask the server's own
        else
            Fail(answer);
        return;
    }
    if (step == Step::Start && HoldsEvents(r)) {
        Done({{Found(answer.Url, r)}, {}, false});
    } else if (!r.HomeSetHref.isEmpty()) {
        Ask(Step::Home, answer.Url.resolved(QUrl(r.HomeSetHref)));
    } else if (step != Step::Principal && !r.PrincipalHref.isEmpty()
               && answer.Url.resolved(QUrl(r.PrincipalHref)) != m_principal) {
        m_principal = answer.Url.resolved(QUrl(r.PrincipalHref));
        Ask(Step::Principal, m_principal);
    } else if (step == Step::Start) {
        Ask(Step::Home, answer.Url); // perhaps a calendar home itself
    } else if (step == Step::WellKnown) {
        Ask(Step::Start, m_start);
    } else {
        Done({{}, QStringLiteral("カレンダーが見つかりません"), false});
    }
}

void CalDavDiscovery::OnHome(const DavAnswer& answer)
{
    const DavMultiStatus ms = answer.Status == 207 ? ParseMultiStatus(answer.Body) : DavMultiStatus{};
    if (!ms.Valid) {
        Fail(answer);
        return;
    }
    AccountSearch search;
    for (const DavResource& r : ms.Resources) {
        if (HoldsEvents(r))
            search.Calendars << Found(answer.Url, r);
    }
    if (search.Calendars.isEmpty())
        search.Error = QStringLiteral("カレンダーが見つかりません");
    Done(search);
}

void CalDavDiscovery::Fail(const DavAnswer& answer)
{
    AccountSearch search;
    search.AuthFailed = answer.Status == 401;
    if (answer.Status == 0)
        search.Error = answer.Error;
    else if (answer.Status == 401)
        search.Error = QStringLiteral("認証に失敗しました");
    else if (answer.Status == 404)
        search.Error = QStringLiteral("見つかりません (404)");
    else
        search.Error = QStringLiteral("CalDAV サーバーとして読めません (%1)").arg(answer.Status);
    Done(search);
}

void CalDavDiscovery::Done(const AccountSearch& search)
{
    emit Finished(search);
}

FoundCalendar CalDavDiscovery::Found(const QUrl& base, const DavResource& r) const
{
    const QUrl address = base.resolved(QUrl(r.Href)).adjusted(QUrl::RemoveUserInfo);
    QString name = r.DisplayName;
    if (name.isEmpty())
        name = address.adjusted(QUrl::StripTrailingSlash).fileName();
    return {address.toString(), name, r.Color};
}
