#include "caldavsource.h"

#include "davxml.h"
#include "feedsources.h"
#include "passwords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

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
    , m_user(entry.User)
    , m_passwords(passwords)
    , m_collection(network, QUrl(entry.Source))
{
}

void CalDavSource::Fetch(const QByteArray& validators, const QByteArray& cachedText)
{
    Abort();
    m_running = true;
    QMap<QString, DavCollection::Object>& items = m_collection.Objects;
    items.clear();

    const QJsonObject saved = QJsonDocument::fromJson(validators).object();
    m_collection.Token = saved.value(QLatin1String("token")).toString();
    m_collection.NoSync = saved.value(QLatin1String("nosync")).toBool();
    const QJsonArray savedItems = saved.value(QLatin1String("items")).toArray();
    const QList<qsizetype> starts = ObjectStarts(cachedText);
    // A first fetch always hands over a copy, even of an empty calendar.
    bool forceCopy = validators.isEmpty();
    if (validators.isEmpty() || savedItems.isEmpty()) {
        // An empty collection's copy is the empty calendar of Finish.
    } else if (savedItems.size() == starts.size()) {
        for (qsizetype i = 0; i < savedItems.size(); ++i) {
            const QJsonArray pair = savedItems[i].toArray();
            const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : cachedText.size();
            items.insert(pair[0].toString(), {pair[1].toString(), cachedText.mid(starts[i], end - starts[i])});
        }
    } else {
        // The cached copy does not match its validators: list everything again.
        m_collection.Token.clear();
        forceCopy = true;
    }

    const QUrl url = m_collection.Url();
    if (!MaySendPassword(url)) {
        Result result;
        result.Error = QStringLiteral("パスワードは https でしか送りません");
        QMetaObject::invokeMethod(this, [this, result] { Emit(result); }, Qt::QueuedConnection);
        return;
    }
    m_passwords->Read(Passwords::Key(m_user, url), this, [this, forceCopy](const PasswordLookup& lookup) {
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
        m_collection.Client().SetCredentials(m_user, lookup.Password);
        m_collection.Update([this, forceCopy](const DavAnswer* failure, bool changed) {
            if (failure)
                Fail(*failure);
            else
                Finish(changed || forceCopy);
        });
    });
}

void CalDavSource::Abort()
{
    m_running = false;
    m_collection.Abort();
}

void CalDavSource::Finish(bool changed)
{
    Result result;
    result.Outcome = changed ? Result::Kind::Changed : Result::Kind::Unchanged;
    result.Validators = Validators();
    if (changed) {
        for (const DavCollection::Object& item : std::as_const(m_collection.Objects))
            result.Text += item.Text;
        if (m_collection.Objects.isEmpty()) // still a calendar, one without events
            result.Text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Murvane//CalDAV//EN\r\nEND:VCALENDAR\r\n";
    }
    Emit(result);
}

void CalDavSource::Fail(const DavAnswer& answer)
{
    Result result;
    result.Transient = answer.Status == 0 ? answer.Transient : answer.Status >= 500;
    result.Error = DavFailureText(answer);
    result.AuthFailed = answer.Status == 401;
    Emit(result);
}

void CalDavSource::Emit(const Result& result)
{
    if (!m_running)
        return;
    m_running = false;
    m_collection.Objects.clear();
    emit Finished(result);
}

QByteArray CalDavSource::Validators() const
{
    QJsonArray items;
    for (auto it = m_collection.Objects.cbegin(); it != m_collection.Objects.cend(); ++it)
        items.append(QJsonArray{it.key(), it->ETag});
    QJsonObject saved{{QLatin1String("token"), m_collection.Token}, {QLatin1String("items"), items}};
    if (m_collection.NoSync)
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
