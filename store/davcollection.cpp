#include "davcollection.h"

#include "davxml.h"

#include <QSet>

namespace {

constexpr int MultigetBatch = 100;
constexpr int MaxSyncRounds = 50;

} // namespace

DavCollection::DavCollection(QNetworkAccessManager* network, const QUrl& url, QObject* parent)
    : QObject(parent)
    , m_url(url.adjusted(QUrl::RemoveUserInfo))
    , m_client(network)
{
}

void DavCollection::Update(Done done)
{
    Abort();
    m_done = std::move(done);
    m_pending.clear();
    m_changed = false;
    m_retriedToken = false;
    m_more = false;
    m_rounds = 0;
    if (NoSync)
        Listing();
    else
        SyncReport();
}

void DavCollection::Abort()
{
    m_done = nullptr;
    m_client.Abort();
}

void DavCollection::SyncReport()
{
    ++m_rounds;
    m_client.Send("REPORT", m_url, 0, SyncCollectionBody(Token),
                  [this](const DavAnswer& answer) { OnSync(answer); });
}

void DavCollection::OnSync(const DavAnswer& answer)
{
    const DavMultiStatus ms = answer.Status == 207 ? ParseMultiStatus(answer.Body) : DavMultiStatus{};
    if (!ms.Valid) {
        if (answer.Status == 0 || answer.Status == 401 || answer.Status >= 500) {
            Finish(&answer);
        } else if (!Token.isEmpty() && !m_retriedToken
                   && (NamesInvalidSyncToken(answer.Body) || answer.Status == 403 || answer.Status == 409)) {
            // The server forgot the token: start over from a full listing.
            m_retriedToken = true;
            Token.clear();
            SyncReport();
        } else {
            // No sync-collection here: compare ETags instead.
            NoSync = true;
            Token.clear();
            Listing();
        }
        return;
    }

    const bool full = Token.isEmpty();
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
        for (const QString& key : Objects.keys()) {
            if (!listed.contains(key))
                Forget(key);
        }
    }
    Token = ms.SyncToken;
    FetchNext();
}

void DavCollection::Listing()
{
    m_client.Send("PROPFIND", m_url, 1, EtagPropfindBody(), [this](const DavAnswer& answer) { OnListing(answer); });
}

void DavCollection::OnListing(const DavAnswer& answer)
{
    const DavMultiStatus ms = answer.Status == 207 ? ParseMultiStatus(answer.Body) : DavMultiStatus{};
    if (!ms.Valid) {
        Finish(&answer);
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
    for (const QString& key : Objects.keys()) {
        if (!listed.contains(key))
            Forget(key);
    }
    FetchNext();
}

void DavCollection::FetchNext()
{
    if (m_pending.isEmpty()) {
        if (m_more && m_rounds < MaxSyncRounds)
            SyncReport();
        else
            Finish(nullptr);
        return;
    }
    QStringList hrefs;
    for (const QString& key : m_pending.mid(0, MultigetBatch))
        hrefs << Address(key).path(QUrl::FullyEncoded);
    m_client.Send("REPORT", m_url, 1, MultigetBody(hrefs), [this](const DavAnswer& answer) { OnMultiget(answer); });
}

void DavCollection::OnMultiget(const DavAnswer& answer)
{
    const DavMultiStatus ms = answer.Status == 207 ? ParseMultiStatus(answer.Body) : DavMultiStatus{};
    if (!ms.Valid) {
        Finish(&answer);
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
            Objects.insert(key, {r.ETag, text});
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

void DavCollection::Finish(const DavAnswer* failure)
{
    m_pending.clear();
    if (Done done = std::exchange(m_done, nullptr))
        done(failure, m_changed);
}

QString DavCollection::Key(const QString& href) const
{
    return m_url.resolved(QUrl(href, QUrl::TolerantMode)).path(QUrl::FullyDecoded);
}

QUrl DavCollection::Address(const QString& key) const
{
    QUrl url = m_url;
    url.setPath(key, QUrl::DecodedMode);
    return url;
}

bool DavCollection::IsCollection(const QString& key) const
{
    auto bare = [](QString path) {
        while (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        return path;
    };
    return bare(key) == bare(m_url.path(QUrl::FullyDecoded));
}

void DavCollection::Want(const QString& key, const QString& etag)
{
    const auto it = Objects.constFind(key);
    if (it == Objects.cend() || etag.isEmpty() || it->ETag != etag) {
        if (!m_pending.contains(key))
            m_pending << key;
    }
}

void DavCollection::Forget(const QString& key)
{
    if (Objects.remove(key) > 0)
        m_changed = true;
    m_pending.removeAll(key);
}
