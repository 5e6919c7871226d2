// CalDAV against a real Radicale on 127.0.0.1: discovery, the cheap refresh,
// and what failures leave.

#include "caldavaccounts.h"
#include "caldavsource.h"
#include "passwords.h"
#include "radicaleserver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

using Kind = CalendarSource::Result::Kind;

class TestCalDav : public QObject {
    Q_OBJECT

public:
    explicit TestCalDav(RadicaleServer& server) : m_server(server) {}

private:
    RadicaleServer& m_server;
    QNetworkAccessManager m_network;
    Passwords m_passwords;

    CalendarEntry Work(const QString& user = QStringLiteral("alice")) const
    {
        CalendarEntry entry;
        entry.Source = m_server.Url(QStringLiteral("/alice/work/"));
        entry.User = user;
        return entry;
    }

    static CalendarSource::Result Fetch(CalDavSource& source, const QByteArray& validators, const QByteArray& text)
    {
        QSignalSpy spy(&source, &CalendarSource::Finished);
        source.Fetch(validators, text);
        if (!spy.wait(20000))
            return {};
        return spy.first().first().value<CalendarSource::Result>();
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<CalendarSource::Result>();
        QCOMPARE(m_server.MakeCalendar(QStringLiteral("/alice/work/"), QStringLiteral("Work"), QStringLiteral("#FF0000FF")), 201);
        QCOMPARE(m_server.MakeCalendar(QStringLiteral("/alice/home/"), QStringLiteral("Home"), QStringLiteral("#00ff00")), 201);
        QCOMPARE(m_server.MakeCalendar(QStringLiteral("/bob/private/"), QStringLiteral("Bob"), QStringLiteral("#0000ff"),
                                       QStringLiteral("bob"), QStringLiteral("other")), 201);
        QCOMPARE(m_server.Request("PUT", QStringLiteral("/alice/work/a.ics"), RadicaleServer::Event("a", "Alpha")), 201);
        const QUrl server(m_server.Url());
        m_passwords.KeepForSession(Passwords::Key(QStringLiteral("alice"), server), QStringLiteral("secret"));
        m_passwords.KeepForSession(Passwords::Key(QStringLiteral("mallory"), server), QStringLiteral("guess"));
    }

    void discover_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("found");
        QTest::newRow("bare server") << "" << "secret" << "Home #00ff00,Work #ff0000";
        QTest::newRow("principal") << "/alice/" << "secret" << "Home #00ff00,Work #ff0000";
        QTest::newRow("collection") << "/alice/work/" << "secret" << "Work #ff0000";
        QTest::newRow("wrong password") << "" << "wrong" << "認証に失敗しました (401)";
    }
    void discover()
    {
        QFETCH(QString, path);
        QFETCH(QString, password);
        QFETCH(QString, found);
        CalDavAccounts accounts(&m_network, &m_passwords);
        AccountSearch search;
        bool done = false;
        accounts.Discover(m_server.Url(path), QStringLiteral("alice"), password, this, [&](const AccountSearch& s) {
            search = s;
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QStringList names;
        for (const FoundCalendar& c : search.Calendars) {
            names << c.Name + QLatin1Char(' ') + c.Color;
            QVERIFY(QUrl(c.Address).path().startsWith(QLatin1String("/alice/")));
        }
        names.sort();
        if (!search.Error.isEmpty())
            names << search.Error + (search.AuthFailed ? QStringLiteral(" (401)") : QString());
        QCOMPARE(names.join(QLatin1Char(',')), found);
    }

    // Changed, added and deleted objects show after a refresh; an unchanged
    // calendar costs one request; a token the server no longer knows means
    // a full listing. The same with ETags alone, as for a server without
    // sync-collection.
    void refresh_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("validators");
        QTest::newRow("sync-collection") << "/alice/synced/" << QByteArray();
        QTest::newRow("etag listing") << "/alice/listed/" << QByteArray(R"({"nosync":true})");
    }
    void refresh()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, validators);
        QCOMPARE(m_server.MakeCalendar(path, path, QStringLiteral("#123456")), 201);
        for (const QString summary : {"Alpha", "Bravo", "Charlie"})
            QCOMPARE(m_server.Request("PUT", path + summary[0].toLower() + QStringLiteral(".ics"),
                                      RadicaleServer::Event(summary[0].toLower(), summary)), 201);
        CalendarEntry entry = Work();
        entry.Source = m_server.Url(path);
        CalDavSource source(entry, &m_network, &m_passwords);
        CalendarSource::Result first = Fetch(source, validators, {});
        QCOMPARE(first.Outcome, Kind::Changed);
        QCOMPARE(first.Text.count("BEGIN:VEVENT"), 3);

        int before = source.RequestCount();
        const CalendarSource::Result same = Fetch(source, first.Validators, first.Text);
        QCOMPARE(same.Outcome, Kind::Unchanged);
        QCOMPARE(source.RequestCount() - before, 1);

        QCOMPARE(m_server.Request("PUT", path + QStringLiteral("b.ics"), RadicaleServer::Event("b", "Echo")), 201);
        QCOMPARE(m_server.Request("PUT", path + QStringLiteral("d.ics"), RadicaleServer::Event("d", "Delta")), 201);
        QCOMPARE(m_server.Request("DELETE", path + QStringLiteral("c.ics")), 200);
        before = source.RequestCount();
        const CalendarSource::Result next = Fetch(source, same.Validators, first.Text);
        QCOMPARE(next.Outcome, Kind::Changed);
        QCOMPARE(source.RequestCount() - before, 2);
        for (const char* summary : {"Alpha", "Echo", "Delta"})
            QVERIFY2(next.Text.contains(summary), summary);
        QVERIFY(!next.Text.contains("Bravo"));
        QVERIFY(!next.Text.contains("Charlie"));

        QJsonObject stale = QJsonDocument::fromJson(next.Validators).object();
        stale[QStringLiteral("token")] = QStringLiteral("http://radicale.org/ns/sync/0000");
        const CalendarSource::Result relisted = Fetch(source, QJsonDocument(stale).toJson(), next.Text);
        QCOMPARE(relisted.Outcome, Kind::Unchanged);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("authFailed");
        QTest::newRow("wrong password") << "mallory" << "" << "認証に失敗しました" << true;
        QTest::newRow("no password") << "carol" << "" << "パスワードが必要です" << true;
        QTest::newRow("plain http elsewhere") << "alice" << "http://192.0.2.1/alice/work/"
                                              << "パスワードは https でしか送りません" << false;
    }
    void failures()
    {
        QFETCH(QString, user);
        QFETCH(QString, source);
        QFETCH(QString, error);
        QFETCH(bool, authFailed);
        CalendarEntry entry = Work(user);
        if (!source.isEmpty())
            entry.Source = source;
        CalDavSource calendar(entry, &m_network, &m_passwords);
        const CalendarSource::Result result = Fetch(calendar, {}, {});
        QCOMPARE(result.Outcome, Kind::Failed);
        QVERIFY2(result.Error.startsWith(error), qPrintable(result.Error)); // with or without a secret store
        QCOMPARE(result.AuthFailed, authFailed);
        QVERIFY(!result.Transient);
    }

    // Last: stops the server.
    void serverGone()
    {
        CalDavSource source(Work(), &m_network, &m_passwords);
        const CalendarSource::Result first = Fetch(source, {}, {});
        QCOMPARE(first.Outcome, Kind::Changed);
        m_server.Stop();
        const CalendarSource::Result gone = Fetch(source, first.Validators, first.Text);
        QCOMPARE(gone.Outcome, Kind::Failed);
        QVERIFY(gone.Transient);
        QCOMPARE(gone.Error, QStringLiteral("接続できません"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RadicaleServer server;
    const QString why = server.Start();
    if (!why.isEmpty()) {
        std::fprintf(stderr, "SKIP: %s\n", qPrintable(why));
        return 77;
    }
    TestCalDav test(server);
    return QTest::qExec(&test, argc, argv);
}

#include "test_caldav.moc"
