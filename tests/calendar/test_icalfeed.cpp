#include "icalfeed.h"

#include <QTest>

// What a feed's reading and expansion must survive; the expansions
// themselves are checked against an independent implementation
// (ical_compare.sh).
class TestICalFeed : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
};

namespace {
QByteArray Calendar(const QByteArray& events)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + events + "END:VCALENDAR\r\n";
}

QByteArray Event(const QByteArray& properties)
{
    return "BEGIN:VEVENT\r\nUID:u\r\nSUMMARY:s\r\n" + properties + "END:VEVENT\r\n";
}

const QByteArray Meeting = Event("DTSTART:20250301T090000Z\r\n");
} // namespace

void TestICalFeed::read_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("instances"); // in 2025 (UTC); -1: not read as a calendar

    QTest::newRow("html error page") << QByteArray("<html><body>Not found</body></html>") << -1;
    QTest::newRow("binary") << Calendar(Meeting).replace("SUMMARY", QByteArray("SUM\0ARY", 7)) << -1;
    QTest::newRow("cut off download") << Calendar(Meeting).chopped(16) << -1;
    QTest::newRow("empty calendar") << Calendar({}) << 0;
    QTest::newRow("CalDAV objects joined") << Calendar(Meeting) + Calendar(Meeting) << 2;
    QTest::newRow("LF line ends, lower case") << Calendar(Meeting).replace("\r\n", "\n").replace("BEGIN", "begin") << 1;
    QTest::newRow("no DTSTART") << Calendar(Event("DTEND:20250301T090000Z\r\n")) << 0;
    QTest::newRow("deep nesting in an event")
        << Calendar(Event("DTSTART:20250301T090000Z\r\n" + QByteArray("BEGIN:X\r\n").repeated(5000)
                          + QByteArray("END:X\r\n").repeated(5000)))
        << 1;
    QTest::newRow("TZID naming a file") << Calendar(Event("DTSTART;TZID=../../../etc/passwd:20250301T090000\r\n")) << 1;
    QTest::newRow("rule without end from 1970")
        << Calendar(Event("DTSTART:19700101T090000Z\r\nRRULE:FREQ=DAILY\r\n")) << 365;
    QTest::newRow("fortnightly from 1999")
        << Calendar(Event("DTSTART:19990105T090000Z\r\nRRULE:FREQ=WEEKLY;INTERVAL=2\r\n")) << 26;
    QTest::newRow("1,000 a series at most")
        << Calendar(Event("DTSTART:20250101T000000Z\r\nRRULE:FREQ=MINUTELY\r\n")) << 1000;
    QTest::newRow("COUNT ending in the year")
        << Calendar(Event("DTSTART:20200101T000000Z\r\nRRULE:FREQ=DAILY;COUNT=2000\r\n")) << 173;
    QTest::newRow("impossible rule")
        << Calendar(Event("DTSTART:20250101T000000Z\r\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30\r\n")) << 1;
}

void TestICalFeed::read()
{
    QFETCH(QByteArray, text);
    QFETCH(int, instances);
    QString error;
    const auto feed = ICalFeed::Parse(text, &error);
    QCOMPARE(feed == nullptr, instances < 0);
    QCOMPARE(error, instances < 0 ? QStringLiteral("iCalendar として読めません") : QString());
    if (!feed)
        return;
    const QDateTime from(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);
    QCOMPARE(int(feed->Expand(from, from.addYears(1), QTimeZone::utc()).size()), instances);
}

QTEST_GUILESS_MAIN(TestICalFeed)
#include "test_icalfeed.moc"
