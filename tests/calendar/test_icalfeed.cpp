#include "icalfeed.h"

#include <QTest>

#include <thread>

// What a feed's reading and expansion must survive; the expansions
// themselves are checked against an independent implementation
// (ical_compare.sh).
class TestICalFeed : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void window_data();
    void window();
    void edits_data();
    void edits();
    void twoThreads();
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
    QTest::newRow("CalDAV objects joined") << Calendar(Meeting) + Calendar(QByteArray(Meeting).replace("UID:u", "UID:v")) << 2;
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

// Instances at the window's edges, in UTC.
void TestICalFeed::window_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("instances");

    const QByteArray hour = Calendar(Event("DTSTART:20250301T090000Z\r\nDTEND:20250301T100000Z\r\n"));
    QTest::newRow("ends where the window starts") << hour << "2025-03-01T10:00Z" << "2025-03-02T00:00Z" << 0;
    QTest::newRow("starts where the window ends") << hour << "2025-03-01T00:00Z" << "2025-03-01T09:00Z" << 0;
    QTest::newRow("overlaps the start") << hour << "2025-03-01T09:59Z" << "2025-03-02T00:00Z" << 1;
    QTest::newRow("zero length at the start")
        << Calendar(Meeting) << "2025-03-01T09:00Z" << "2025-03-01T10:00Z" << 1;
    const QByteArray day = Calendar(Event("DTSTART;VALUE=DATE:20250301\r\nDTEND;VALUE=DATE:20250302\r\n"));
    QTest::newRow("all-day, window from its noon") << day << "2025-03-01T12:00Z" << "2025-03-05T00:00Z" << 1;
    QTest::newRow("all-day, window from its end") << day << "2025-03-02T00:00Z" << "2025-03-05T00:00Z" << 0;
    QTest::newRow("all-day, window to its start") << day << "2025-02-20T00:00Z" << "2025-03-01T00:00Z" << 0;
    QTest::newRow("night series: the evening before reaches in")
        << Calendar(Event("DTSTART:20250101T230000Z\r\nDTEND:20250102T010000Z\r\nRRULE:FREQ=DAILY\r\n"))
        << "2025-03-01T00:30Z" << "2025-03-02T00:00Z" << 2;
    const QByteArray weekly = Event("DTSTART:20250106T090000Z\r\nDTEND:20250106T100000Z\r\nRRULE:FREQ=WEEKLY\r\n");
    QTest::newRow("override moved out of the window")
        << Calendar(weekly + Event("RECURRENCE-ID:20250303T090000Z\r\nDTSTART:20250601T090000Z\r\n"))
        << "2025-03-01T00:00Z" << "2025-03-31T00:00Z" << 3;
    QTest::newRow("override moved into the window")
        << Calendar(weekly + Event("RECURRENCE-ID:20250505T090000Z\r\nDTSTART:20250305T090000Z\r\n"))
        << "2025-03-01T00:00Z" << "2025-03-31T00:00Z" << 5;
    QTest::newRow("override cancelled")
        << Calendar(weekly + Event("RECURRENCE-ID:20250303T090000Z\r\nDTSTART:20250303T090000Z\r\nSTATUS:CANCELLED\r\n"))
        << "2025-03-01T00:00Z" << "2025-03-31T00:00Z" << 3;
}

void TestICalFeed::window()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, instances);
    const auto feed = ICalFeed::Parse(text);
    QVERIFY(feed);
    const auto expanded = feed->Expand(QDateTime::fromString(from, Qt::ISODate), QDateTime::fromString(to, Qt::ISODate),
                                       QTimeZone::utc());
    QCOMPARE(int(expanded.size()), instances);
}

// Copies of one event, and overrides of a series' future: the first three
// weeks of March 2025 (UTC) as "day start-end summary".
void TestICalFeed::edits_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("shown");

    const auto copy = [](const QByteArray& summary, const QByteArray& more) {
        return Event(more + "DTSTART:20250303T090000Z\r\nDTEND:20250303T100000Z\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n")
            .replace("SUMMARY:s", "SUMMARY:" + summary);
    };
    const QStringList weeks{"03 09:00-10:00 new", "10 09:00-10:00 new", "17 09:00-10:00 new"};
    QTest::newRow("higher SEQUENCE") << Calendar(copy("new", "SEQUENCE:2\r\n") + copy("old", "SEQUENCE:1\r\n")) << weeks;
    QTest::newRow("later LAST-MODIFIED") << Calendar(copy("new", "LAST-MODIFIED:20250102T000000Z\r\n")
                                                     + copy("old", "LAST-MODIFIED:20250101T000000Z\r\n")) << weeks;
    QTest::newRow("later DTSTAMP") << Calendar(copy("old", "DTSTAMP:20250102T000000Z\r\n") + copy("new", "DTSTAMP:20250103T000000Z\r\n"))
                                   << weeks;
    QTest::newRow("alike: the later in the file") << Calendar(copy("old", {}) + copy("new", {})) << weeks;
    QTest::newRow("CalDAV objects, the override of the newer")
        << Calendar(copy("old", {})) + Calendar(copy("new", "SEQUENCE:1\r\n"))
               + Calendar(Event("RECURRENCE-ID:20250310T090000Z\r\nDTSTART:20250311T090000Z\r\n"))
        << QStringList{"03 09:00-10:00 new", "11 09:00-09:00 s", "17 09:00-10:00 new"};
    QTest::newRow("two copies of an override")
        << Calendar(copy("new", {}) + Event("RECURRENCE-ID:20250310T090000Z\r\nSEQUENCE:1\r\nDTSTART:20250312T090000Z\r\n")
                    + Event("RECURRENCE-ID:20250310T090000Z\r\nDTSTART:20250311T090000Z\r\n"))
        << QStringList{"03 09:00-10:00 new", "12 09:00-09:00 s", "17 09:00-10:00 new"};

    const QByteArray daily = Event("DTSTART:20250303T090000Z\r\nDTEND:20250303T100000Z\r\nRRULE:FREQ=DAILY;COUNT=4\r\n");
    const auto future = [](const QByteArray& rid, const QByteArray& more) {
        return Event("RECURRENCE-ID;RANGE=THISANDFUTURE:" + rid + "\r\n" + more).replace("SUMMARY:s", "SUMMARY:f");
    };
    QTest::newRow("this and future: later, longer")
        << Calendar(daily + future("20250304T090000Z", "DTSTART:20250304T133000Z\r\nDTEND:20250304T150000Z\r\n"))
        << QStringList{"03 09:00-10:00 s", "04 13:30-15:00 f", "05 13:30-15:00 f", "06 13:30-15:00 f"};
    QTest::newRow("this and future: earlier, then one override")
        << Calendar(daily + future("20250305T090000Z", "DTSTART:20250304T210000Z\r\n")
                    + Event("RECURRENCE-ID:20250306T090000Z\r\nDTSTART:20250306T070000Z\r\n"))
        << QStringList{"03 09:00-10:00 s", "04 09:00-10:00 s", "04 21:00-21:00 f", "06 07:00-07:00 s"};
    QTest::newRow("this and future: cancelled")
        << Calendar(daily + future("20250305T090000Z", "DTSTART:20250305T090000Z\r\nSTATUS:CANCELLED\r\n"))
        << QStringList{"03 09:00-10:00 s", "04 09:00-10:00 s"};
    QTest::newRow("this and future: all-day")
        << Calendar(Event("DTSTART;VALUE=DATE:20250301\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n")
                    + future("20250308", "DTSTART;VALUE=DATE:20250309\r\nDTEND;VALUE=DATE:20250311\r\n"))
        << QStringList{"01 all-day 1 s", "09 all-day 2 f", "16 all-day 2 f"};
    QTest::newRow("notes: one day on its own")
        << Calendar(Event("DTSTART;VALUE=DATE:20250302\r\n")
                    + Event("DTSTART;VALUE=DATE:20250303\r\nDURATION:P2D\r\n").replace("UID:u", "UID:b")
                    + Event("DTSTART;VALUE=DATE:20250306\r\nRDATE;VALUE=DATE:20250307\r\n").replace("UID:u", "UID:c"))
        << QStringList{"02 all-day 1 s note", "03 all-day 2 s", "06 all-day 1 s", "07 all-day 1 s"};
}

void TestICalFeed::edits()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, shown);
    const QDateTime from(QDate(2025, 3, 1), QTime(0, 0), Qt::UTC);
    QStringList got;
    for (const EventInstance& i : ICalFeed::Parse(text)->Expand(from, from.addDays(21), QTimeZone::utc()))
        got.append(i.AllDay ? i.StartDate.toString("dd") + " all-day " + QString::number(i.StartDate.daysTo(i.EndDate))
                                  + " " + i.Summary + (i.IsNote() ? " note" : "")
                            : i.Start.toUTC().toString("dd HH:mm-") + i.End.toUTC().toString("HH:mm ") + i.Summary);
    got.sort();
    QCOMPARE(got, shown);
}

// libical has global state: two feeds read and expanded at once give what
// they give one after the other.
void TestICalFeed::twoThreads()
{
    QByteArray zoned;
    for (int i = 0; i < 200; ++i)
        zoned += "BEGIN:VTIMEZONE\r\nTZID:Z" + QByteArray::number(i) + "\r\nBEGIN:STANDARD\r\nDTSTART:16010101T000000\r\n"
                 "TZOFFSETFROM:+0" + QByteArray::number(i % 10) + "00\r\nTZOFFSETTO:+0" + QByteArray::number(i % 10)
               + "00\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
               + Event("DTSTART;TZID=Z" + QByteArray::number(i) + ":20250301T090000\r\nRRULE:FREQ=DAILY\r\n");
    const QByteArray texts[] = {Calendar(zoned), Calendar(zoned.replace("DAILY", "WEEKLY"))};
    const QDateTime from(QDate(2025, 3, 1), QTime(0, 0), Qt::UTC);
    const auto count = [&](const QByteArray& text) {
        return ICalFeed::Parse(text)->Expand(from, from.addMonths(2), QTimeZone::utc()).size();
    };
    const size_t alone[] = {count(texts[0]), count(texts[1])};
    size_t together[2][5] = {};
    std::thread other([&] {
        for (size_t& n : together[1])
            n = count(texts[1]);
    });
    for (size_t& n : together[0])
        n = count(texts[0]);
    other.join();
    for (int t = 0; t < 2; ++t)
        for (size_t n : together[t])
            QCOMPARE(n, alone[t]);
}

QTEST_GUILESS_MAIN(TestICalFeed)
#include "test_icalfeed.moc"
