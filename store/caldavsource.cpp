#include "caldavsource.h"

#include "davxml.h"
#include "feedsources.h"
#include "passwords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

constexpr int MultigetBatch = 100;
constexpr int MaxSyncRounds = 50;

// Where each VCALENDAR of a joined text starts.
QList<qsizetype> ObjectStarts(const QByteArray& text)
{
    QList<qsizetype> starts;
    const QByteArray begin = QByteArrayLiteral("BEGIN:VCALENDAR");
    for (qsizetype at = text.indexOf(begin); at >= 0; at = text.indexOf(begin, at + 1)) {
        if (at == 0 || text[at - 1] == '\n')
            starts << at;
    }
    return starts;
}

} // namespace

CalDavSource::CalDavSource(const CalendarEntry& entry, QNetworkAccessManager* network, Passwords* passwords,
                           QObject* parent)
    : CalendarSource(parent)
    , m_url(QUrl(entry.Source).adjusted(QUrl::RemoveUserInfo))
    , m_user(entry.User)
    , m_passwords(passwords)
    , m_client(network)
{
}

void CalDavSource::Fetch(const QByteArray& validators, const QByteArray& cachedText)
{
    Abort();
    m_running = true;
    m_items.clear();
    m_pending.clear();
    m_changed = false;
    m_retriedToken = false;
    m_more = false;
    m_rounds = 0;

    const QJsonObject saved = QJsonDocument::fromJson(validators).object();
    m_token = saved.value(QLatin1String("token")).toString();
    m_noSync = saved.value(QLatin1String("nosync")).toBool();
    const QJsonArray items = saved.value(QLatin1String("items")).toArray();
    const QList<qsizetype> starts = ObjectStarts(cachedText);
    if (validators.isEmpty()) {
        m_changed = true; // a first fetch always hands over a copy, even of an empty calendar
    } else if (items.isEmpty()) {
        // An empty collection's copy is the empty calendar below.
    } else if (items.size() == starts.size()) {
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QJsonArray pair = items[i].toArray();
            const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : cachedText.size();
            m_items.insert(pair[0].toString(), {pair[1].toString(), cachedText.mid(starts[i], end - starts[i])});
        }
    } else {
        // The cached copy does not match its validators: list everything again.
        m_token.clear();
        m_changed = true;
    }

    if (!MaySendPassword(m_url)) {
        Result result;
        result.Error = QStringLiteral("パスワードは https でしか送りません");
        QMetaObject::invokeMethod(this, [this, result] { Emit(result); }, Qt::QueuedConnection);
        return;
    }
    m_passwords->Read(Passwords::Key(m_user, m_url), this, [this](const PasswordLookup& lookup) {
        if (!m_running)
            return;
        if (!lookup.Found) {
            Result result;
            result.AuthFailed = true;
            result.Error = lookup.NoSecretStore ? QStringLiteral("パスワードが必要です (パスワードの保管場所が応答しません)")
                                                : QStringLiteral("パスワードが必要です");
            Emit(result);
            return;
        }
        Start(lookup.Password);
    });
}

void CalDavSource::Abort()
{
    m_running = false;
    m_client.Abort();
}

void CalDavSource::Start(const QString& password)
{
    m_client.SetCredentials(m_user, password);
    if (m_noSync)
        Listing();
    else
        SyncReport();
}

void CalDavSource::SyncReport()
{
    ++m_rounds;
    m_client.Send("REPORT", m_url, 0, SyncCollectionBody(m_token),
                  [this](const DavAnswer& answer) { OnSync(answer); });
}

void CalDavSource::OnSync(const DavAnswer& answer)
{
    const DavMultiStatus ms = answer.Status == 207 ? ParseMultiStatus(answer.Body) : DavMultiStatus{};
    if (!ms.Valid) {
        if (answer.Status == 0 || answer.Status == 401 || answer.Status >= 500) {
            Fail(answer);
        } else if (!m_token.isEmpty() && !m_retriedToken
                   && (NamesInvalidSyncToken(answer.Body) || answer.Status == 403 || answer.Status == 409)) {
            // The server forgot the token: start over from a full listing.
            m_retriedToken = true;
            m_token.clear();
            SyncReport();
        } else {
            // No sync-collection here: compare ETags instead.
            m_noSync = true;
            m_token.clear();
            Listing();
        }
        return;
    }

    const bool full = m_token.isEmpty();
    QSet<QString> listed;
    m_more = false;
    for (const DavResource& r : ms.Resources) {
        const QString key = Key(r.Href);
        if (IsCollection(key)) {
            m_more |= r.Status == 507; // the server cut the answer short: ask again with the new token
            continue;
        }
        if (r.Status == 404) {
            Forget(key);
        } else {
            listed.insert(key);
            Want(key, r.ETag);
        }
    }
    if (full) {
        for (const QString& key : m_items.keys()) {
            if (!listed.contains(key))
                Forget(key);
        }
    }
    m_token = ms.SyncToken;
    FetchNext();
}

void CalDavSource::Listing()
{
    m_client.Send("PROPFIND", m_url, 1, EtagPropfindBody(),
                  [this](const DavAnswer& answer) { OnListing(answer); });
}

void CalDavSource::OnListing(const DavAnswer& answer)
{
    const DavMultiStatus ms = answer.Status == 207 ? ParseMultiStatus(answer.Body) : DavMultiStatus{};
    if (!ms.Valid) {
        Fail(answer);
        return;
    }
    QSet<QString> listed;
    for (const DavResource& r : ms.Resources) {
        const QString key = Key(r.Href);
        if (r.IsCollection || IsCollection(key) || r.Status != 200)
            continue;
        listed.insert(key);
        Want(key, r.ETag);
    }
    for (const QString& key : m_items.keys()) {
        if (!listed.contains(key))
            Forget(key);
    }
    FetchNext();
}

void CalDavSource::FetchNext()
{
    if (m_pending.isEmpty()) {
        if (m_more && m_rounds < MaxSyncRounds)
            SyncReport();
        else
            Finish();
        return;
    }
    QStringList hrefs;
    for (const QString& key : m_pending.mid(0, MultigetBatch)) {
        QUrl path;
        path.setPath(key, QUrl::DecodedMode);
        hrefs << path.path(QUrl::FullyEncoded);
    }
    m_client.Send("REPORT", m_url, 1, MultigetBody(hrefs),
                  [this](const DavAnswer& answer) { OnMultiget(answer); });
}

void CalDavSource::OnMultiget(const DavAnswer& answer)
{
    const DavMultiStatus ms = answer.Status == 207 ? ParseMultiStatus(answer.Body) : DavMultiStatus{};
    if (!ms.Valid) {
        Fail(answer);
        return;
    }
    const QStringList batch = m_pending.mid(0, MultigetBatch);
    m_pending = m_pending.mid(batch.size());
    QSet<QString> got;
    for (const DavResource& r : ms.Resources) {
        const QString key = Key(r.Href);
        if (r.Status == 200 && !r.CalendarData.isEmpty()) {
            QByteArray text = r.CalendarData;
            if (!text.endsWith('\n'))
                text += "\r\n";
            m_items.insert(key, {r.ETag, text});
            m_changed = true;
            got.insert(key);
        }
    }
    // Gone between the listing and the fetch.
    for (const QString& key : batch) {
        if (!got.contains(key))
            Forget(key);
    }
    FetchNext();
}

void CalDavSource::Finish()
{
    Result result;
    result.Outcome = m_changed ? Result::Kind::Changed : Result::Kind::Unchanged;
    result.Validators = Validators();
    if (m_changed) {
        for (const Item& item : std::as_const(m_items))
            result.Text += item.Text;
        if (m_items.isEmpty()) // still a calendar, one without events
            result.Text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Murvane//CalDAV//EN\r\nEND:VCALENDAR\r\n";
    }
    Emit(result);
}

void CalDavSource::Fail(const DavAnswer& answer)
{
    Result result;
    result.Transient = answer.Status == 0 ? answer.Transient : answer.Status >= 500;
    if (answer.Status == 0)
        result.Error = answer.Error;
    else if (answer.Status == 401)
        result.Error = QStringLiteral("認証に失敗しました");
    else if (answer.Status == 404)
        result.Error = QStringLiteral("見つかりません (404)");
    else if (answer.Status == 403)
        result.Error = QStringLiteral("アクセスが拒否されました (403)");
    else if (answer.Status >= 500)
        result.Error = QStringLiteral("サーバーのエラー (%1)").arg(answer.Status);
    else if (answer.Status == 207)
        result.Error = QStringLiteral("サーバーの答えが読めません");
    else
        result.Error = QStringLiteral("サーバーが受け付けません (%1)").arg(answer.Status);
    result.AuthFailed = answer.Status == 401;
    Emit(result);
}

void CalDavSource::Emit(const Result& result)
{
    if (!m_running)
        return;
    m_running = false;
    m_items.clear();
    m_pending.clear();
    emit Finished(result);
}

QString CalDavSource::Key(const QString& href) const
{
    return m_url.resolved(QUrl(href, QUrl::TolerantMode)).path(QUrl::FullyDecoded);
}

bool CalDavSource::IsCollection(const QString& key) const
{
    auto bare = [](QString path) {
        while (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        return path;
    };
    return bare(key) == bare(m_url.path(QUrl::FullyDecoded));
}

void CalDavSource::Want(const QString& key, const QString& etag)
{
    const auto it = m_items.constFind(key);
    if (it == m_items.cend() || etag.isEmpty() || it->ETag != etag) {
        if (!m_pending.contains(key))
            m_pending << key;
    }
}

void CalDavSource::Forget(const QString& key)
{
    if (m_items.remove(key) > 0)
        m_changed = true;
    m_pending.removeAll(key);
}

QByteArray CalDavSource::Validators() const
{
    QJsonArray items;
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it)
        items.append(QJsonArray{it.key(), it->ETag});
    QJsonObject saved{{QLatin1String("token"), m_token}, {QLatin1String("items"), items}};
    if (m_noSync)
        saved.insert(QLatin1String("nosync"), true);
    return QJsonDocument(saved).toJson(QJsonDocument::Compact);
}

std::unique_ptr<CalendarSource> MakeCalendarSource(const CalendarEntry& entry, QNetworkAccessManager& network,
                                                   Passwords& passwords)
{
    if (entry.User.isEmpty())
        return MakeFeedSource(entry, network);
    return std::make_unique<CalDavSource>(entry, &network, &passwords);
}
