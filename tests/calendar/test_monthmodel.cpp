#include "holidayfiles.h"
#include "monthmodel.h"
#include "schedulefiles.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestMonthModel : public QObject {
    Q_OBJECT

private slots:
    void init();

    void noFilesGiveEmptyLists();
    void holidayLists();
    void threeScheduleMonths_data();
    void threeScheduleMonths();
    void longTextAndBadBytes();
    void redrawSeesNewData();

private:
    void WriteMonth(int year, int month, const QString& lines)
    {
        WriteBytes(ScheduleFilePath(m_dir->path(), QDate(year, month, 1)), Sjis(QStringLiteral("[予定]\r\n") + lines));
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMonthModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMonthModel::noFilesGiveEmptyLists()
{
    MonthData lists;
    LoadMonthData(m_dir->path(), lists, QDate(2024, 5, 10));
    QVERIFY(lists.HolidayKeys.isEmpty());
    QVERIFY(lists.HolidayNames.isEmpty());
    QVERIFY(lists.ScheduleKeys.isEmpty());
    QVERIFY(lists.DayOffKeys.isEmpty());
    QVERIFY(lists.ScheduleTexts.isEmpty());
}

void TestMonthModel::holidayLists()
{
    WriteBytes(HolidayFilePath(m_dir->path()),
               Sjis(QStringLiteral("[祝日]\r\n0505=こどもの日\r\n0101=元日\r\n0606= \r\n0503= 憲法記念日\r\n")));
    WriteBytes(DayOffFilePath(m_dir->path()), Sjis(QStringLiteral("[祝日]\r\n0503=\r\n0101=元日\r\n0707=x\r\n")));
    MonthData lists;
    LoadMonthData(m_dir->path(), lists, QDate(2024, 5, 1));
    QCOMPARE(lists.HolidayKeys, (QStringList{"0505", "0101", "0503"}));
    QCOMPARE(lists.HolidayNames, (QStringList{"こどもの日", "元日", "憲法記念日"}));
    QCOMPARE(lists.DayOffKeys, (QStringList{"0503", "0101", "0707"}));
}

void TestMonthModel::threeScheduleMonths_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("december") << QDate(2023, 12, 31) << QStringList{"1201", "1101", "0101"}
                              << QStringList{"2023-12", "2023-11", "2024-01"};
    QTest::newRow("january") << QDate(2024, 1, 1) << QStringList{"0101", "1201", "0201"}
                             << QStringList{"2024-01", "2023-12", "2024-02"};
    QTest::newRow("leap february") << QDate(2024, 2, 29) << QStringList{"0201", "0101", "0301"}
                                   << QStringList{"2024-02", "2024-01", "2024-03"};
}

void TestMonthModel::threeScheduleMonths()
{
    QFETCH(QDate, shown);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, texts);
    // One entry in each month from October 2023 to April 2024, plus the same
    // months a year off, which must never be read.
    for (QDate m(2023, 10, 1); m <= QDate(2024, 4, 1); m = m.addMonths(1)) {
        const QString line = m.toString(QStringLiteral("MMdd=yyyy-MM\r\n"));
        WriteMonth(m.year(), m.month(), line);
        WriteMonth(m.year() + 1, m.month(), QStringLiteral("0101=wrong year\r\n"));
    }
    MonthData lists;
    LoadMonthData(m_dir->path(), lists, shown);
    QCOMPARE(lists.ScheduleKeys, keys);
    QCOMPARE(lists.ScheduleTexts, texts);
}

void TestMonthModel::longTextAndBadBytes()
{
    const QString longText = QString(2000, QChar(u'予'));
    WriteBytes(ScheduleFilePath(m_dir->path(), QDate(2024, 6, 1)),
               Sjis(QStringLiteral("[予定]\r\n0601=") + longText) + "\r\n0602=\xFF\x82\r\n0603=\r\n");
    MonthData lists;
    LoadMonthData(m_dir->path(), lists, QDate(2024, 6, 15));
    QCOMPARE(lists.ScheduleKeys, (QStringList{"0601", "0602"}));
    QCOMPARE(lists.ScheduleTexts, (QStringList{longText, QStringLiteral("\uFFFD\uFFFD")}));
}

void TestMonthModel::redrawSeesNewData()
{
    MonthData before;
    LoadMonthData(m_dir->path(), before, QDate(2024, 6, 1));
    QVERIFY(before.ScheduleKeys.isEmpty());

    RegisterSchedule(m_dir->path(), QStringLiteral("2024"), QStringLiteral("06"), QStringLiteral("10"), {QStringLiteral("新規")});
    SaveHolidayEntries(m_dir->path(), {QStringLiteral("0610=記念日")}, {QStringLiteral("0610=記念日")});
    MonthData after;
    LoadMonthData(m_dir->path(), after, QDate(2024, 6, 1));
    QCOMPARE(after.ScheduleKeys, QStringList{"0610"});
    QCOMPARE(after.ScheduleTexts, QStringList{"新規"});
    QCOMPARE(after.HolidayKeys, QStringList{"0610"});
    QCOMPARE(after.DayOffKeys, QStringList{"0610"});
}

QTEST_GUILESS_MAIN(TestMonthModel)
#include "test_monthmodel.moc"
