#include "agenda.h"
#include "commandline.h"
#include "holidayfiles.h"
#include "schedulefiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestAgenda : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void lines_data();
    void lines();

private:
    QTemporaryDir m_dir;
};

void TestAgenda::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SaveHolidayEntries(m_dir.path(), {"0229=閏日", "1210=記念日", "1211=休み"}, {"1211=休み"});
    RegisterSchedule(m_dir.path(), "2026", "12", "10", {"一行目", "二行目\tタブ"});
    RegisterSchedule(m_dir.path(), "2027", "01", "01", {"初詣"});
    RegisterSchedule(m_dir.path(), "2028", "02", "29", {"閏のメモ"});
}

void TestAgenda::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("parsed"); // mode from to refresh data, or the error
    QTest::newRow("no agenda: the bar, Qt's options untouched") << QStringList{"-platform", "xcb"} << "bar ";
    QTest::newRow("the bar in a named folder") << QStringList{"-platform", "xcb", "--data", "C:\\d"} << "bar C:\\d";
    QTest::newRow("the bar without a folder") << QStringList{"--data"} << "--data needs a folder";
    QTest::newRow("defaults") << QStringList{"--agenda"} << "agenda 2026-12-09 2026-12-15 0 ";
    QTest::newRow("from") << QStringList{"--agenda", "2027-02-27", "--refresh"} << "agenda 2027-02-27 2027-03-05 1 ";
    QTest::newRow("from to data") << QStringList{"--data", "/d", "--agenda", "2026-12-01", "2026-12-31"}
                                  << "agenda 2026-12-01 2026-12-31 0 /d";
    QTest::newRow("bad date") << QStringList{"--agenda", "2026-02-30"} << "not a date (YYYY-MM-DD): 2026-02-30";
    QTest::newRow("short date") << QStringList{"--agenda", "2026-2-3"} << "not a date (YYYY-MM-DD): 2026-2-3";
    QTest::newRow("end before start") << QStringList{"--agenda", "2026-12-02", "2026-12-01"}
                                      << "the end date is before the start date";
    QTest::newRow("three dates") << QStringList{"--agenda", "2026-12-01", "2026-12-02", "2026-12-03"}
                                 << "too many dates: 2026-12-03";
    QTest::newRow("unknown option") << QStringList{"--agenda", "--now"} << "unknown option: --now";
    QTest::newRow("data without folder") << QStringList{"--agenda", "--data"} << "--data needs a folder";
    QTest::newRow("focus the bar of this folder") << QStringList{"--focus"} << "focus ";
    QTest::newRow("focus the bar of a folder") << QStringList{"--data", "/d", "--focus"} << "focus /d";
    QTest::newRow("focus takes nothing else") << QStringList{"--focus", "-platform", "xcb"} << "unexpected argument: -platform";
    QTest::newRow("focus without folder") << QStringList{"--focus", "--data"} << "--data needs a folder";
}

void TestAgenda::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, parsed);
    const CommandLine line = ParseCommandLine(args, QDate(2026, 12, 9));
    QString got;
    if (line.Run == CommandLine::Mode::Bar)
        got = QStringLiteral("bar ") + line.DataDir;
    else if (line.Run == CommandLine::Mode::Error)
        got = line.Error;
    else if (line.Run == CommandLine::Mode::Focus)
        got = QStringLiteral("focus ") + line.DataDir;
    else
        got = QStringLiteral("agenda %1 %2 %3 %4")
                  .arg(line.From.toString(Qt::ISODate), line.To.toString(Qt::ISODate))
                  .arg(int(line.Refresh))
                  .arg(line.DataDir);
    QCOMPARE(got, parsed);
}

void TestAgenda::lines_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<bool>("national");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("a week: notes, named days, day off, events in order")
        << QDate(2026, 12, 9) << QDate(2026, 12, 15) << false
        << QStringList{"2026-12-10\t\t\tnote\t\t一行目\\n二行目 タブ",
                       "2026-12-10\t\t\tholiday\t\t記念日",
                       "2026-12-10\t\t\tevent\t仕事\t終日",
                       "2026-12-10\t09:30\t10:00\tevent\t家\t会議\\n2行",
                       "2026-12-10\t22:00\t24:00\tevent\t仕事\t夜勤",
                       "2026-12-11\t\t\tdayoff\t\t休み",
                       "2026-12-11\t00:00\t06:00\tevent\t仕事\t夜勤"};
    QTest::newRow("new year with national holidays")
        << QDate(2026, 12, 31) << QDate(2027, 1, 1) << true
        << QStringList{"2027-01-01\t\t\tnote\t\t初詣", "2027-01-01\t\t\tnational\t\t元日"};
    QTest::newRow("no 29 February in a common year") << QDate(2027, 2, 28) << QDate(2027, 3, 1) << false
                                                     << QStringList{};
    QTest::newRow("29 February in a leap year")
        << QDate(2028, 2, 28) << QDate(2028, 2, 29) << false
        << QStringList{"2028-02-29\t\t\tnote\t\t閏のメモ", "2028-02-29\t\t\tholiday\t\t閏日"};
    QTest::newRow("one empty day") << QDate(2026, 12, 12) << QDate(2026, 12, 12) << true << QStringList{};
}

void TestAgenda::lines()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(bool, national);
    QFETCH(QStringList, expected);
    QList<CalendarStatus> calendars(2);
    calendars[0].Entry.Name = QStringLiteral("仕事");
    calendars[1].Entry.Name = QStringLiteral("家");
    // As the store gives them: sorted, one per day touched.
    const QList<DayEvent> events{{QDate(2026, 12, 10), -1, -1, "終日", 0},
                                 {QDate(2026, 12, 10), 570, 600, "会議\n2行", 1},
                                 {QDate(2026, 12, 10), 1320, 1440, "夜勤", 0},
                                 {QDate(2026, 12, 11), 0, 360, "夜勤", 0},
                                 {QDate(2026, 12, 20), 0, 360, "範囲外", 0}};
    QStringList got;
    for (const AgendaItem& item : AgendaItems(m_dir.path(), from, to, national, calendars, events))
        got.append(AgendaLine(item));
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(TestAgenda)
#include "test_agenda.moc"
