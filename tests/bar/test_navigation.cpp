#include "clock.h"
#include "navigation.h"

#include <QTest>

namespace {
const QDateTime FixedNow(QDate(2024, 6, 12), QTime(9, 5, 30));
}

class TestNavigation : public QObject {
    Q_OBJECT

private slots:
    void init() { Clock::SetSourceForTesting([] { return FixedNow; }); }
    void cleanup() { Clock::SetSourceForTesting({}); }

    void buttonTexts_data();
    void buttonTexts();
    void targets_data();
    void targets();
    void previousMonthThenPreviousYearFromLeapMarch();
    void thisMonthIsNow();
};

void TestNavigation::buttonTexts_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "前年同月";
    QTest::newRow("2") << 2 << "前月";
    QTest::newRow("3") << 3 << "今月";
    QTest::newRow("4") << 4 << "来月";
    QTest::newRow("5") << 5 << "来年同月";
    QTest::newRow("none below") << 0 << "";
    QTest::newRow("none above") << 6 << "";
}

void TestNavigation::buttonTexts()
{
    QFETCH(int, button);
    QFETCH(QString, text);
    QCOMPARE(NavButtonText(button), text);
}

void TestNavigation::targets_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("previous year") << 1 << QDate(2024, 3, 15) << QDate(2023, 3, 15);
    QTest::newRow("previous year across a century") << 1 << QDate(2000, 1, 1) << QDate(1999, 1, 1);
    QTest::newRow("previous month of leap March") << 2 << QDate(2024, 3, 15) << QDate(2024, 2, 29);
    QTest::newRow("previous month of January") << 2 << QDate(2024, 1, 31) << QDate(2023, 12, 31);
    QTest::newRow("next month from 31 January") << 4 << QDate(2024, 1, 31) << QDate(2024, 2, 4);
    QTest::newRow("next month from 1 January") << 4 << QDate(2024, 1, 1) << QDate(2024, 2, 4);
    QTest::newRow("next month from 28-day February") << 4 << QDate(2023, 2, 1) << QDate(2023, 3, 7);
    QTest::newRow("next month from end of 28-day February") << 4 << QDate(2023, 2, 28) << QDate(2023, 3, 7);
    QTest::newRow("next month from leap February") << 4 << QDate(2024, 2, 29) << QDate(2024, 3, 6);
    QTest::newRow("next month from December") << 4 << QDate(2023, 12, 31) << QDate(2024, 1, 4);
    QTest::newRow("next year") << 5 << QDate(2023, 11, 30) << QDate(2024, 11, 30);
}

void TestNavigation::targets()
{
    QFETCH(int, button);
    QFETCH(QDate, shown);
    QFETCH(QDate, expected);
    QCOMPARE(NavButtonTarget(button, QDateTime(shown, QTime(13, 0))).date(), expected);
}

void TestNavigation::previousMonthThenPreviousYearFromLeapMarch()
{
    QDateTime shown(QDate(2024, 3, 15), QTime(8, 0));
    shown = NavButtonTarget(2, shown);
    QCOMPARE(shown.date(), QDate(2024, 2, 29));
    shown = NavButtonTarget(1, shown);
    QCOMPARE(shown.date().year(), 2023);
    QCOMPARE(shown.date().month(), 2);
    // And back up: February of a leap year again.
    shown = NavButtonTarget(5, shown);
    QCOMPARE(shown.date().year(), 2024);
    QCOMPARE(shown.date().month(), 2);
}

void TestNavigation::thisMonthIsNow()
{
    QCOMPARE(NavButtonTarget(3, QDateTime(QDate(1999, 1, 1), QTime(0, 0))), FixedNow);
    // Not a button: the date stays.
    const QDateTime shown(QDate(2024, 3, 15), QTime(8, 0));
    QCOMPARE(NavButtonTarget(0, shown), shown);
    QCOMPARE(NavButtonTarget(6, shown), shown);
}

QTEST_GUILESS_MAIN(TestNavigation)
#include "test_navigation.moc"
