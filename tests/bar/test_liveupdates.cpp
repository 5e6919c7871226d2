#include "barcontext.h"
#include "clock.h"
#include "datawatch.h"
#include "fakecalendars.h"
#include "liveupdates.h"
#include "messagebox.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

class RecordingBar : public BarContext {
public:
    struct Redraw {
        bool Mark = false;
        QDate Date;
    };
    QList<Redraw> Redraws;
    void ShowMonth(bool mark, const QDateTime& date) override
    {
        Redraws.append({mark, date.date()});
        if (Calendars) // as the real redraw asks the store
            Calendars->EventsBetween(date.date(), date.date());
    }
};

QDateTime At(int y, int m, int d, int hour = 12)
{
    return QDateTime(QDate(y, m, d), QTime(hour, 0));
}

void Save(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QVERIFY(file.commit());
}

void Append(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write(bytes);
}

} // namespace

class TestLiveUpdates : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Clock::SetSourceForTesting({}); }

    // A bar left on the month of the old today follows today; one the user
    // navigated elsewhere keeps its month (and the list's mark).
    void dayChange_data()
    {
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<QDate>("shown");
        QTest::addColumn<bool>("mark");
        QTest::addColumn<int>("redraws");
        QTest::addColumn<QDate>("shownAfter");
        QTest::addColumn<bool>("markAfter");

        QTest::newRow("same day") << At(2024, 1, 31, 0) << At(2024, 1, 31, 23) << QDate(2024, 1, 31) << false << 0
                                  << QDate() << false;
        QTest::newRow("midnight at a month's end, today's month shown")
            << At(2024, 1, 31, 23) << At(2024, 2, 1, 0) << QDate(2024, 1, 31) << false << 1 << QDate(2024, 2, 1)
            << false;
        QTest::newRow("a day entry chosen in today's month from the list")
            << At(2024, 1, 31) << At(2024, 2, 1) << QDate(2024, 1, 5) << true << 1 << QDate(2024, 2, 1) << false;
        QTest::newRow("navigated away") << At(2024, 1, 10) << At(2024, 1, 11) << QDate(2024, 3, 1) << false << 1
                                        << QDate(2024, 3, 1) << false;
        QTest::newRow("navigated away with the list's mark, a week asleep")
            << At(2024, 1, 31) << At(2024, 2, 7) << QDate(2023, 5, 20) << true << 1 << QDate(2023, 5, 20) << true;
        QTest::newRow("clock put back a year") << At(2024, 1, 10) << At(2023, 1, 10) << QDate(2024, 1, 10) << false
                                               << 1 << QDate(2023, 1, 10) << false;
    }
    void dayChange()
    {
        QFETCH(QDateTime, before);
        QFETCH(QDateTime, after);
        QFETCH(QDate, shown);
        QFETCH(bool, mark);
        QFETCH(int, redraws);
        QFETCH(QDate, shownAfter);
        QFETCH(bool, markAfter);

        QDateTime now = before;
        Clock::SetSourceForTesting([&now] { return now; });
        QTemporaryDir dir;
        RecordingBar bar;
        bar.DataDir = dir.path();
        int hidden = 0;
        LiveUpdates live(bar, [&hidden] { ++hidden; });
        bar.State.ShownDate = QDateTime(shown, QTime(0, 0));
        live.Showing(mark, bar.State.ShownDate);

        now = after;
        live.CheckDay();
        live.CheckDay(); // the same new day again: nothing more
        QCOMPARE(bar.Redraws.size(), redraws);
        QCOMPARE(hidden, redraws);
        if (redraws) {
            QCOMPARE(bar.Redraws[0].Date, shownAfter);
            QCOMPARE(bar.Redraws[0].Mark, markAfter);
            QCOMPARE(bar.State.ShownDate.date(), shownAfter);
        }
    }

    // However often the store says Changed, the bar redraws once a turn of
    // the event loop, pop-up hidden; a store that says it while being asked
    // for events makes no redraw loop.
    void calendarChanges_data()
    {
        QTest::addColumn<int>("changes");
        QTest::addColumn<bool>("echo"); // Changed from inside EventsBetween
        QTest::newRow("none: the first events only") << 0 << false;
        QTest::newRow("a burst of five") << 5 << false;
        QTest::newRow("a store that echoes") << 2 << true;
    }
    void calendarChanges()
    {
        QFETCH(int, changes);
        QFETCH(bool, echo);
        QTemporaryDir dir;
        RecordingBar bar;
        bar.DataDir = dir.path();
        bar.State.ShownDate = At(2024, 3, 1);
        FakeCalendars store;
        bar.Calendars = &store;
        if (echo)
            store.OnEventsBetween = [&store] { emit store.Changed(); };
        int hidden = 0;
        LiveUpdates live(bar, [&hidden] { ++hidden; });
        live.Showing(true, bar.State.ShownDate);
        live.FollowCalendars(&store);
        for (int i = 0; i < changes; ++i)
            emit store.Changed();
        QCOMPARE(bar.Redraws.size(), 0); // not inside the store's signal
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
        QCOMPARE(bar.Redraws.size(), 1);
        QCOMPARE(hidden, 1);
        QVERIFY(bar.Redraws.last().Mark); // the list's mark stays
    }

    // Reports of the platform about the shown files, however they come and
    // however many, become one call; other files never make one. Murvane.ini
    // has its own call, counted ten.
    void dataWatch_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("calls");

        QTest::newRow("shown month replaced by a rename") << "rename Yotei202401.Dat" << 1;
        QTest::newRow("previous month written in place") << "append Yotei202312.Dat" << 1;
        QTest::newRow("next month created") << "rename Yotei202402.Dat" << 1;
        QTest::newRow("holiday file removed") << "remove HorDay.ini" << 1;
        QTest::newRow("day-off file created in place") << "append HorDay2.ini" << 1;
        QTest::newRow("a burst of ten saves") << "burst Yotei202401.Dat" << 1;
        QTest::newRow("a month not shown") << "rename Yotei202405.Dat" << 0;
        QTest::newRow("the settings and a stranger") << "rename Murvane.ini,append notes.txt" << 10;
        QTest::newRow("the settings written in place") << "append Murvane.ini" << 10;
        QTest::newRow("the settings removed") << "remove Murvane.ini" << 10;
    }
    void dataWatch()
    {
        QFETCH(QString, action);
        QFETCH(int, calls);

        QTemporaryDir dir;
        const QString path = dir.path();
        for (const char* name : {"HorDay.ini", "Yotei202401.Dat", "Yotei202312.Dat", "Murvane.ini"})
            Save(path + "/" + name, "[x]\r\n");
        int count = 0;
        DataWatch watch(path, [&count] { ++count; }, 150);
        watch.OnSettingsChanged([&count] { count += 10; });
        watch.Follow(QDate(2024, 1, 20));

        for (const QString& step : action.split(',')) {
            const QString verb = step.section(' ', 0, 0);
            const QString file = path + "/" + step.section(' ', 1);
            if (verb == "rename")
                Save(file, "[予定]\r\n0105=a\r\n");
            else if (verb == "append")
                Append(file, "0106=b\r\n");
            else if (verb == "remove")
                QVERIFY(QFile::remove(file));
            else
                for (int i = 0; i < 10; ++i)
                    Save(file, QByteArray::number(i));
        }
        QTest::qWait(600);
        QCOMPARE(count, calls);

        // Watching goes on after a change, on the file that replaced the old one.
        if (calls) {
            Append(path + "/Yotei202401.Dat", "0107=c\r\n");
            QTRY_COMPARE_WITH_TIMEOUT(count, calls + 1, 2000);
        }
    }

    // Each sync tool's conflict copy, there at start or appearing later, is
    // told of once, by name; a user's own backup is not; none is touched.
    void conflictCopies()
    {
        QTemporaryDir dir;
        QStringList names{"HorDay.sync-conflict-20261209-101010-ABCDEFG.ini",
                          "Yotei202612 (conflicted copy 2026-12-09 101010).Dat", "HorDay.ini.backup"};
        for (const QString& name : names)
            Save(dir.filePath(name), "[祝日]\r\n");
        QString notices;
        MessageBoxes::SetHookForTesting([&notices](MessageBoxes::Kind, const QString& text) {
            notices += text;
            return true;
        });
        RecordingBar bar;
        bar.DataDir = dir.path();
        LiveUpdates live(bar, {});
        QVERIFY(notices.isEmpty()); // not while the bar starts
        names[2] = "HorDay (Taro's conflicted copy 2026-12-09).ini";
        QTRY_VERIFY(notices.contains(names[1]));
        Save(dir.filePath(names[2]), "x");
        QTRY_VERIFY(notices.contains(names[2]));
        QTest::qWait(400); // the folder's later reports
        MessageBoxes::SetHookForTesting({});
        for (const QString& name : names)
            QCOMPARE(notices.count(name), 1);
        QVERIFY(!notices.contains("backup"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestLiveUpdates)
#include "test_liveupdates.moc"
