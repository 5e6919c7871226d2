// The notes' sync against a real Radicale on 127.0.0.1: what one sync does
// with the files and the server, that a second one then does nothing in one
// request, and how the bar's service gathers requests into runs.

#include "calendarrules.h"
#include "notesyncrun.h"
#include "notesyncservice.h"
#include "passwords.h"
#include "radicaleserver.h"
#include "schedulefiles.h"

#include <QSignalSpy>
#include <QTest>

#include <cstdio>

namespace {

const QString Line = QString::fromUtf16(NoteMergeLine);

// "YYYY-MM-DD=text" rows, sorted.
QStringList Rows(const QMap<QDate, QString>& notes)
{
    QStringList rows;
    for (auto it = notes.cbegin(); it != notes.cend(); ++it)
        rows << it.key().toString(Qt::ISODate) + u'=' + *it;
    return rows;
}

} // namespace

class TestNoteSyncRun : public QObject {
    Q_OBJECT

public:
    explicit TestNoteSyncRun(RadicaleServer& server) : m_server(server) {}

private:
    RadicaleServer& m_server;
    QNetworkAccessManager m_network;
    Passwords m_passwords;
    QTemporaryDir m_home;
    int m_calendars = 0;

    // A fresh calendar and data folder, listed with the calendar chosen.
    CalendarEntry NewCalendar(QString& dataDir)
    {
        const QString path = QStringLiteral("/alice/notes%1/").arg(++m_calendars);
        m_server.MakeCalendar(path, QStringLiteral("Notes"), QStringLiteral("#336699"));
        dataDir = m_home.filePath(QStringLiteral("data%1").arg(m_calendars));
        QDir().mkpath(dataDir);
        CalendarEntry entry;
        entry.Name = QStringLiteral("Notes");
        entry.Source = m_server.Url(path);
        entry.User = QStringLiteral("alice");
        entry.SyncNotes = true;
        QList<CalendarEntry> list{entry};
        WriteCalendarList(dataDir, list);
        return entry;
    }

    NoteSyncReport Sync(const QString& dataDir, const CalendarEntry& entry, bool confirmed = true)
    {
        NoteSyncRun run(dataDir, entry, &m_network, &m_passwords, confirmed);
        QSignalSpy spy(&run, &NoteSyncRun::Finished);
        run.Start();
        if (!spy.wait(30000))
            return {};
        return spy.first().first().value<NoteSyncReport>();
    }

    static QMap<QDate, QString> Files(const QString& dataDir)
    {
        QMap<QDate, QString> notes;
        for (const ScheduleListEntry& e : ReadScheduleList(dataDir))
            notes.insert(QDate::fromString(e.DateText, QStringLiteral("yyyy/MM/dd")), SplitScheduleText(e.Text).join(u'\n'));
        return notes;
    }

    // The server's note objects, one row each.
    QStringList Server(const CalendarEntry& entry)
    {
        DavCollection collection(&m_network, QUrl(entry.Source));
        collection.Client().SetCredentials(entry.User, QStringLiteral("secret"));
        bool done = false;
        collection.Update([&](const DavAnswer*, bool) { done = true; });
        if (!QTest::qWaitFor([&] { return done; }, 20000))
            return {QStringLiteral("no listing")};
        QStringList rows;
        for (const DavCollection::Object& object : std::as_const(collection.Objects)) {
            const NoteObject note = ReadNoteObject(object.Text);
            rows << (note.IsNote ? note.Date.toString(Qt::ISODate) + u'=' + note.Text : QStringLiteral("event"));
        }
        rows.sort();
        return rows;
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<NoteSyncReport>();
        qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("share")).toUtf8());
        m_passwords.KeepForSession(Passwords::Key(QStringLiteral("alice"), QUrl(m_server.Url())),
                                   QStringLiteral("secret"));
    }

    void sync_data()
    {
        QTest::addColumn<QStringList>("files");  // YYYY-MM-DD=text
        QTest::addColumn<QStringList>("phone");  // uid, then the raw VEVENT's lines after UID
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QStringList>("filesAfter");
        QTest::addColumn<QStringList>("serverAfter");
        QTest::addColumn<QList<int>>("counts"); // sent, received, merged; -1: it asks

        const QString lunch = "p1\nDTSTART;VALUE=DATE:20261203\nSUMMARY:Lunch";
        QTest::newRow("files to an empty calendar")
            << QStringList{"2026-12-01=A", "2026-12-02=B\nC"} << QStringList{} << false
            << QStringList{"2026-12-01=A", "2026-12-02=B\nC"} << QStringList{"2026-12-01=A", "2026-12-02=B\nC"}
            << QList<int>{2, 0, 0};
        QTest::newRow("a phone's item to the files")
            << QStringList{} << QStringList{lunch} << false << QStringList{"2026-12-03=Lunch"}
            << QStringList{"2026-12-03=Lunch"} << QList<int>{0, 1, 0};
        QTest::newRow("two objects of a day become one")
            << QStringList{}
            << QStringList{"b\nDTSTART;VALUE=DATE:20261204\nSUMMARY:x", "a\nDTSTART;VALUE=DATE:20261204\nSUMMARY:y"}
            << false << QStringList{"2026-12-04=y\n" + Line + "\nx"} << QStringList{"2026-12-04=y\n" + Line + "\nx"}
            << QList<int>{0, 1, 0};
        QTest::newRow("first sync of two sides asks")
            << QStringList{"2026-12-03=A"} << QStringList{lunch} << false << QStringList{"2026-12-03=A"}
            << QStringList{"2026-12-03=Lunch"} << QList<int>{-1};
        QTest::newRow("first sync, confirmed, merges")
            << QStringList{"2026-12-03=A"} << QStringList{lunch} << true
            << QStringList{"2026-12-03=A\n" + Line + "\nLunch"} << QStringList{"2026-12-03=A\n" + Line + "\nLunch"}
            << QList<int>{0, 0, 1};
        QTest::newRow("timed and long items stay events")
            << QStringList{} << QStringList{"t\nDTSTART:20261205T090000Z\nSUMMARY:Meeting",
                                            "l\nDTSTART;VALUE=DATE:20261205\nDTEND;VALUE=DATE:20261207\nSUMMARY:Trip"}
            << false << QStringList{} << QStringList{"event", "event"} << QList<int>{0, 0, 0};
    }

    void sync()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, phone);
        QFETCH(bool, confirmed);
        QFETCH(QList<int>, counts);
        QString dataDir;
        const CalendarEntry entry = NewCalendar(dataDir);
        for (const QString& row : files) {
            const QDate day = QDate::fromString(row.section(u'=', 0, 0), Qt::ISODate);
            RegisterSchedule(dataDir, FormatYYYY(day), FormatMM(day), FormatDD(day), row.section(u'=', 1).split(u'\n'));
        }
        for (const QString& item : phone) {
            const QString uid = item.section(u'\n', 0, 0);
            const QByteArray event = ("BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20261201T000000Z\r\n"
                                      + item.section(u'\n', 1).replace(u'\n', QLatin1String("\r\n")) + "\r\nEND:VEVENT\r\n")
                                         .toUtf8();
            QCOMPARE(m_server.Request("PUT", QUrl(entry.Source).path() + uid + ".ics", RadicaleServer::Calendar(event)),
                     201);
        }

        const NoteSyncReport report = Sync(dataDir, entry, confirmed);
        QVERIFY2(report.Error.isEmpty(), qPrintable(report.Error));
        QCOMPARE(report.Question.isEmpty(), counts != QList<int>{-1});
        if (report.Question.isEmpty())
            QCOMPARE((QList<int>{report.Sent, report.Received, report.Merged}), counts);
        QTEST(Rows(Files(dataDir)), "filesAfter");
        QTEST(Server(entry), "serverAfter");

        // Asked and not answered, it asks again; else nothing is left to do.
        const NoteSyncReport again = Sync(dataDir, entry, false);
        QCOMPARE(again.Question, report.Question);
        if (report.Question.isEmpty()) {
            QCOMPARE(again.Sent + again.Received + again.Merged + again.Failed, 0);
            QCOMPARE(again.Requests, 1);
        }
    }

    // One note changed in a file reaches the server in at most three requests.
    void oneChangedNote()
    {
        QString dataDir;
        const CalendarEntry entry = NewCalendar(dataDir);
        for (int day = 1; day <= 20; ++day)
            RegisterSchedule(dataDir, "2026", "11", QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')), {"note"});
        QCOMPARE(Sync(dataDir, entry).Sent, 20);
        RegisterSchedule(dataDir, "2026", "11", "07", {"changed"});
        const NoteSyncReport report = Sync(dataDir, entry);
        QCOMPARE(report.Sent, 1);
        QVERIFY2(report.Requests <= 3, qPrintable(QString::number(report.Requests)));
        QVERIFY(Server(entry).contains("2026-11-07=changed"));
    }

    // Requests close together make one run; one during a run makes one more.
    void serviceGathersRequests()
    {
        QString dataDir;
        NewCalendar(dataDir);
        NoteSyncService service(dataDir, &m_network, &m_passwords);
        QSignalSpy finished(&service, &NoteSyncer::Finished);
        service.SyncSoon();
        service.SyncSoon();
        QVERIFY(finished.wait(20000));
        service.SyncSoon();
        QTest::qWait(NoteSyncService::GatherMs + 50); // running now
        service.SyncSoon();
        service.SyncSoon();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 3, 20000);
        QTest::qWait(2 * NoteSyncService::GatherMs);
        QCOMPARE(finished.size(), 3);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    RadicaleServer server;
    const QString why = server.Start();
    if (!why.isEmpty()) {
        std::fprintf(stderr, "SKIP: %s\n", qPrintable(why));
        return 77;
    }
    TestNoteSyncRun test(server);
    return QTest::qExec(&test, argc, argv);
}

#include "test_notesyncrun.moc"
