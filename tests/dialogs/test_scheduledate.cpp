#include "apperror.h"
#include "scheduledate.h"

#include <QTest>

class TestScheduleDate : public QObject {
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
};

void TestScheduleDate::accepted_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("expected"); // YYYY/MM/DD as written

    QTest::newRow("as the opener fills it") << "1999" << "03" << "05" << "1999/03/05";
    QTest::newRow("one-digit month and day") << "1999" << "3" << "5" << "1999/03/05";
    QTest::newRow("short year padded") << "99" << "12" << "31" << "0099/12/31";
    QTest::newRow("year one") << "1" << "1" << "1" << "0001/01/01";
    QTest::newRow("leap day") << "2024" << "02" << "29" << "2024/02/29";
    QTest::newRow("last of April") << "2023" << "4" << "30" << "2023/04/30";
    QTest::newRow("leading zeros") << "0999" << "01" << "09" << "0999/01/09";
}

void TestScheduleDate::accepted()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, expected);
    const ScheduleDateTexts t = CheckScheduleDate(year, month, day);
    QCOMPARE(t.Year + u'/' + t.Month + u'/' + t.Day, expected);
}

void TestScheduleDate::refused_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");

    QTest::newRow("31 April") << "2023" << "04" << "31";
    QTest::newRow("29 February of a common year") << "2023" << "02" << "29";
    QTest::newRow("path in the year") << "../x" << "03" << "05";
    QTest::newRow("letters") << "19a9" << "03" << "05";
    QTest::newRow("five-digit year") << "12345" << "03" << "05";
    QTest::newRow("year zero") << "0" << "01" << "01";
    QTest::newRow("month 13") << "1999" << "13" << "01";
    QTest::newRow("month 0") << "1999" << "0" << "01";
    QTest::newRow("month 00") << "1999" << "00" << "01";
    QTest::newRow("three-digit month") << "1999" << "003" << "05";
    QTest::newRow("day 0") << "1999" << "03" << "0";
    QTest::newRow("day 32") << "1999" << "03" << "32";
    QTest::newRow("empty year") << "" << "03" << "05";
    QTest::newRow("empty month") << "1999" << "" << "05";
    QTest::newRow("empty day") << "1999" << "03" << "";
    QTest::newRow("space") << "1999" << " 3" << "05";
    QTest::newRow("sign") << "1999" << "+3" << "05";
    QTest::newRow("minus") << "1999" << "-1" << "05";
    QTest::newRow("full-width digits") << "１９９９" << "03" << "05";
}

void TestScheduleDate::refused()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    try {
        CheckScheduleDate(year, month, day);
        QFAIL("accepted");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), QStringLiteral("'%1/%2/%3' は日付ではありません").arg(year, month, day));
    }
}

QTEST_APPLESS_MAIN(TestScheduleDate)
#include "test_scheduledate.moc"
