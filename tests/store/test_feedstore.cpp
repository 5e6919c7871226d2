#include "clock.h"
#include "feedcache.h"
#include "feedlocation.h"
#include "feedstore.h"
#include "icalfeed.h"
#include "refreshrules.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>

// The store against a feed server of the test's own on 127.0.0.1.
class TestFeedStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void locations_data();
    void locations();
    void delays_data();
    void delays();
    void fetching_data();
    void fetching();
    void fileCalendarFollowsTheList();
    void networkBackAndResume();

private:
    void SetMode(const QString& mode);
    QStringList Log() const;
    static bool Settle(FeedStore& store);

    QTemporaryDir m_ownDir;
    QDir m_serverDir;
    QProcess m_server;
    int m_port = 0;
};

void TestFeedStore::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // Under Wine the server is started outside (tests/windows/feedserver-run),
    // which names its port and folder: Wine starts no Linux programs.
    const QByteArray givenPort = qgetenv("MURVANE_FEED_SERVER_PORT");
    m_serverDir.setPath(givenPort.isEmpty() ? m_ownDir.path() : qEnvironmentVariable("MURVANE_FEED_SERVER_DIR"));
    SetMode(QStringLiteral("ok"));
    if (!givenPort.isEmpty()) {
        m_port = givenPort.toInt();
    } else {
        const QString python = QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
        m_server.start(python, {QStringLiteral(MURVANE_FEED_SERVER), m_serverDir.path()});
        if (m_server.waitForStarted(10000) && m_server.waitForReadyRead(10000))
            m_port = m_server.readLine().trimmed().toInt();
    }
    if (m_port <= 0) {
        std::fprintf(stderr, "SKIP: the feed server (python3 http.server, openssl) could not start\n");
        std::exit(77);
    }
    // Its CA, trusted as OpenSSL users trust one, before the first request.
    qputenv("SSL_CERT_FILE", QFile::encodeName(m_serverDir.filePath("ca.pem")));
}

void TestFeedStore::cleanupTestCase()
{
    m_server.kill();
    m_server.waitForFinished();
}

void TestFeedStore::SetMode(const QString& mode)
{
    QFile file(m_serverDir.filePath("mode"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(mode.toUtf8());
}

QStringList TestFeedStore::Log() const
{
    QFile file(m_serverDir.filePath("log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

namespace {
// Whether the feed reader expands events (a placeholder may stand in for it).
bool ReaderExpands()
{
    const auto feed = ICalFeed::Parse("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:x\r\nDTSTART;VALUE=DATE:20260101\r\n"
                                      "SUMMARY:x\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    return feed && feed->EventCount() > 0;
}
} // namespace

bool TestFeedStore::Settle(FeedStore& store)
{
    QTest::qWait(50);
    return QTest::qWaitFor([&] { return !store.Busy(); }, 20000);
}

void TestFeedStore::locations_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("where");
    QTest::newRow("webcal") << "webcal://h.example/a b.ics" << int(FeedLocation::Kind::Web) << "https://h.example/a%20b.ics";
    QTest::newRow("webcals") << "WEBCALS://h.example/c" << int(FeedLocation::Kind::Web) << "https://h.example/c";
    QTest::newRow("http") << " http://h.example:8080/c " << int(FeedLocation::Kind::Web) << "http://h.example:8080/c";
    QTest::newRow("file url") << "file:///tmp/a.ics" << int(FeedLocation::Kind::File) << "/tmp/a.ics";
    QTest::newRow("relative") << "cal/a.ics" << int(FeedLocation::Kind::File) << QDir::current().absoluteFilePath("cal/a.ics");
    QTest::newRow("other scheme") << "ftp://h/a.ics" << int(FeedLocation::Kind::Unknown) << "";
    QTest::newRow("no host") << "https:///a.ics" << int(FeedLocation::Kind::Unknown) << "";
}

void TestFeedStore::locations()
{
    QFETCH(QString, source);
    QFETCH(int, kind);
    QFETCH(QString, where);
    const FeedLocation location = LocateFeed(source);
    QCOMPARE(int(location.Type), kind);
    if (location.Type == FeedLocation::Kind::Web)
        QCOMPARE(location.Url.toString(QUrl::FullyEncoded), where);
    if (location.Type == FeedLocation::Kind::File)
        QCOMPARE(location.Path, where);
}

void TestFeedStore::delays_data()
{
    QTest::addColumn<int>("sinceSuccessMinutes"); // -1: never
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("transient");
    QTest::addColumn<int>("delayMinutes");
    QTest::newRow("never fetched") << -1 << 0 << false << 0;
    QTest::newRow("due later") << 10 << 0 << false << 20;
    QTest::newRow("overdue") << 45 << 0 << false << 0;
    QTest::newRow("clock set back") << -3000 << 0 << false << 30;
    QTest::newRow("first network failure") << 10 << 1 << true << 1;
    QTest::newRow("fourth network failure") << 10 << 4 << true << 8;
    QTest::newRow("lasting failure") << 10 << 2 << false << 60;
    QTest::newRow("capped at six hours") << 10 << 40 << true << 360;
}

void TestFeedStore::delays()
{
    QFETCH(int, sinceSuccessMinutes);
    QFETCH(int, failures);
    QFETCH(bool, transient);
    QFETCH(int, delayMinutes);
    const QDateTime now(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
    const QDateTime last = sinceSuccessMinutes == -1 ? QDateTime() : now.addSecs(-60LL * sinceSuccessMinutes);
    QCOMPARE(NextFetchDelayMs(last, 30, failures, transient, now), qint64(delayMinutes) * 60 * 1000);
}

// A calendar fetched once in mode "ok", then again in the row's mode.
void TestFeedStore::fetching_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("answer"); // the server's last answer and the If-None-Match it got
    QTest::addColumn<int>("parses");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QByteArray>("copy"); // the summary in the cached copy afterwards
    QTest::newRow("unchanged: one 304, no parse") << "ok" << "304 \"v1\"" << 0 << "" << QByteArray("one");
    QTest::newRow("changed") << "new" << "200 \"v1\"" << 1 << "" << QByteArray("two");
    QTest::newRow("redirect") << "redirect" << "200 \"v1\"" << 1 << "" << QByteArray("three");
    QTest::newRow("404") << "404" << "404 \"v1\"" << 0 << "見つかりません (404)" << QByteArray("one");
    QTest::newRow("503") << "503" << "503 \"v1\"" << 0 << "サーバーのエラーです (503)" << QByteArray("one");
    QTest::newRow("dropped connection") << "drop" << "200 -" << 0 << "接続が切れました" << QByteArray("one");
    QTest::newRow("no iCalendar") << "garbage" << "200 \"v1\"" << 1 << "iCalendar として読めません" << QByteArray("one");
    QTest::newRow("https, the CA of SSL_CERT_FILE") << "tls-ca" << "200 \"v1\"" << 1 << "" << QByteArray("two");
    QTest::newRow("https, self-signed") << "tls-self" << "302 \"v1\"" << 0
                                        << "証明書を確認できません: The certificate is self-signed, and untrusted" << QByteArray("one");
    QTest::newRow("https to http") << "downgrade" << "302 \"v1\"" << 0 << "https から http への転送は受け付けません"
                                   << QByteArray("one");
}

void TestFeedStore::fetching()
{
    QFETCH(QString, mode);
    QFETCH(QString, answer);
    QFETCH(int, parses);
    QFETCH(QString, error);
    QFETCH(QByteArray, copy);
    if ((mode.startsWith(u"tls") || mode == u"downgrade") && qEnvironmentVariableIsSet("MURVANE_FEED_SERVER_PORT"))
        QSKIP("https runs on Windows' own TLS there, against a CA not made for it");

    QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).removeRecursively();
    QFile::remove(m_serverDir.filePath("log"));
    SetMode(QStringLiteral("ok"));
    QTemporaryDir data;
    QFile list(data.filePath("Calendars.ini"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(QStringLiteral("[Calendar1]\nName=c\nSource=http://127.0.0.1:%1/feed\n").arg(m_port).toUtf8());
    list.close();

    FeedStore store(data.path());
    store.Start();
    QVERIFY(Settle(store));
    QCOMPARE(store.Calendars().value(0).Error, QString());
    QVERIFY(store.Calendars().value(0).HasCopy);
    const QString key = FeedCache::Key(store.Calendars().value(0).Entry);
    QVERIFY(FeedCache::ReadCopy(key).contains("SUMMARY:one"));
#ifndef Q_OS_WIN // there the user's profile folder keeps it private
    QCOMPARE(QFile::permissions(FeedCache::Folder() + "/" + key + ".ics"),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
#endif
    const QDate day(2026, 12, 10);
    const qsizetype eventsBefore = store.EventsBetween(day, day).size();
    QCOMPARE(eventsBefore, ReaderExpands() ? 1 : 0);

    SetMode(mode);
    const int parsesBefore = store.ParseCount();
    QSignalSpy changed(&store, &CalendarStore::Changed);
    store.RefreshAll();
    QVERIFY(Settle(store));
    QVERIFY(!changed.isEmpty());

    const CalendarStatus status = store.Calendars().value(0);
    if (mode != u"drop")
        QCOMPARE(Log().last(), answer);
    QCOMPARE(store.ParseCount() - parsesBefore, parses);
    QCOMPARE(status.Error, error);
    QCOMPARE(status.StateText().startsWith(u"更新しました"), error.isEmpty());
    QVERIFY(status.HasCopy);
    QVERIFY(FeedCache::ReadCopy(key).contains("SUMMARY:" + copy));
    if (!error.isEmpty())
        QCOMPARE(store.EventsBetween(day, day).size(), eventsBefore);
}

namespace {
void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}
} // namespace

// A local file calendar: read once, unchanged on the next fetch, indexed on
// demand with one Changed, moved by a change of the system's zone, kept with
// its copy when Calendars.ini changes, and read as it is by the command line.
void TestFeedStore::fileCalendarFollowsTheList()
{
    const QByteArray tz = qgetenv("TZ");
    qputenv("TZ", "UTC");
    QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).removeRecursively();
    QTemporaryDir data;
    const QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART:20300105T093000Z\r\n"
                            "DTEND:20300105T100000Z\r\nSUMMARY:a\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    WriteFile(data.filePath("a.ics"), text);
    WriteFile(data.filePath("Calendars.ini"), "[Calendar1]\nName=a\nSource=" + data.filePath("a.ics").toUtf8() + "\n");
    const QDate day(2030, 1, 5);
    QCOMPARE(FeedStore(data.path()).EventsFromCache(day, day).size(), 1); // never cached
    FeedStore store(data.path());
    store.Start();
    QVERIFY(Settle(store));
    QVERIFY(store.Calendars().value(0).HasCopy);
    int parses = store.ParseCount();
    store.RefreshAll();
    QVERIFY(Settle(store));
    QCOMPARE(store.ParseCount(), parses);
    QVERIFY(store.Calendars().value(0).StateText().startsWith(u"更新しました"));

    // A month far from today: what is known now, then one Changed.
    QSignalSpy changed(&store, &CalendarStore::Changed);
    store.EventsBetween(day, day);
    store.EventsBetween(day, day);
    QVERIFY(Settle(store));
    QTest::qWait(100);
    QCOMPARE(changed.size(), 1);
    const QList<DayEvent> events = store.EventsBetween(day, day);
    QTest::qWait(100);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(events.size(), ReaderExpands() ? 1 : 0);
    QCOMPARE(store.EventsFromCache(day, day).size(), events.size());
#ifndef Q_OS_WIN // Windows takes its zone from its settings, never from TZ
    qputenv("TZ", "Pacific/Honolulu"); // 23:30 the day before
    store.EventsBetween(day, day);
    QVERIFY(Settle(store));
    QCOMPARE(store.EventsBetween(day.addDays(-1), day).value(0).Date, day.addDays(-1));
#endif

    // An edit of the list shows within a second; the first calendar keeps its copy.
    WriteFile(data.filePath("Calendars.ini"), "[Calendar1]\nName=renamed\nSource=" + data.filePath("a.ics").toUtf8()
                                                  + "\n[Calendar2]\nName=b\nSource=" + data.filePath("b.ics").toUtf8() + "\n");
    QVERIFY(QTest::qWaitFor([&] { return store.Calendars().size() == 2; }, 1000));
    parses = store.ParseCount();
    QVERIFY(Settle(store));
    QCOMPARE(store.ParseCount(), parses);
    QCOMPARE(store.Calendars()[0].Entry.Name, QStringLiteral("renamed"));
    QVERIFY(store.Calendars()[0].HasCopy);
    QCOMPARE(store.Calendars()[1].Error, QStringLiteral("ファイルが見つかりません"));
    qputenv("TZ", "UTC");
    WriteFile(data.filePath("a.ics"), QByteArray(text).replace("SUMMARY:a", "SUMMARY:b"));
    QCOMPARE(FeedStore(data.path()).EventsFromCache(day, day).value(0).Summary, QStringLiteral("b"));

    // A one-day item of the notes' calendar is a day note, not an event.
    const QByteArray note = "BEGIN:VEVENT\r\nUID:n\r\nDTSTART;VALUE=DATE:20300105\r\nEND:VEVENT\r\nEND:VCALENDAR";
    WriteFile(data.filePath("a.ics"), QByteArray(text).replace("END:VCALENDAR", note));
    WriteFile(data.filePath("Calendars.ini"), "[Calendar1]\nUser=u\nSyncNotes=1\nSource=" + data.filePath("a.ics").toUtf8());
    QCOMPARE(FeedStore(data.path()).EventsFromCache(day, day).size(), events.size());
    QVERIFY(QTest::qWaitFor([&] { return store.Calendars().size() == 1 && store.Calendars()[0].HasCopy; }, 5000));
    store.EventsBetween(day, day); // indexed in UTC again
    QVERIFY(Settle(store));
    QCOMPARE(store.EventsBetween(day, day).size(), events.size());
    tz.isNull() ? qunsetenv("TZ") : qputenv("TZ", tz);
}

// A failing calendar waits a minute or more for its retry; the network's
// return, and a resume (the wall clock hours ahead, the steady one not),
// fetch it at once. An idle look at the clock fetches nothing.
void TestFeedStore::networkBackAndResume()
{
    QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).removeRecursively();
    QTemporaryDir data;
    WriteFile(data.filePath("Calendars.ini"),
              QStringLiteral("[Calendar1]\nName=c\nSource=http://127.0.0.1:%1/feed\n").arg(m_port).toUtf8());
    qint64 aheadMs = 0;
    Clock::SetSourceForTesting([&] { return QDateTime::currentDateTime().addMSecs(aheadMs); });
    const auto restore = qScopeGuard([] { Clock::SetSourceForTesting({}); });
    SetMode(QStringLiteral("503"));
    FeedStore store(data.path());
    store.Start();
    store.ReachabilityChanged(QNetworkInformation::Reachability::Disconnected);
    for (const bool resume : {false, true}) {
        if (resume) {
            SetMode(QStringLiteral("503"));
            store.RefreshAll();
        }
        QVERIFY(Settle(store));
        QCOMPARE(store.Calendars().value(0).Error, QStringLiteral("サーバーのエラーです (503)"));
        SetMode(QStringLiteral("ok"));
        const qsizetype requests = Log().size();
        store.CheckClock();
        QTest::qWait(300);
        QCOMPARE(Log().size(), requests);
        if (resume) {
            aheadMs = 3LL * 60 * 60 * 1000;
            store.CheckClock();
        } else {
            store.ReachabilityChanged(QNetworkInformation::Reachability::Online);
        }
        QVERIFY(Settle(store));
        QCOMPARE(Log().size(), requests + 1);
        QCOMPARE(store.Calendars().value(0).Error, QString());
    }
}

QTEST_GUILESS_MAIN(TestFeedStore)
#include "test_feedstore.moc"
