#include "apperror.h"
#include "calendarrules.h"
#include "clock.h"

#include <QTest>

namespace {

struct Expect {
    QDate date;
    ColorRef label;
    ColorRef number;
    QString name;
    QString schedule;
};

constexpr ColorRef R = Colors::Red;
constexpr ColorRef K = Colors::Black;
constexpr ColorRef B = Colors::Blue;
constexpr ColorRef Y = Colors::Yellow;
constexpr ColorRef G = Colors::Grey;

QDate D(int y, int m, int d)
{
    return QDate(y, m, d);
}

// Marks a whole strip the way the bar does.
QList<DayMarks> MarkStrip(QDate shown, bool neighbouring, const MonthData& lists)
{
    const StripRangeResult range = StripRange(shown, neighbouring);
    QList<DayMarks> marks;
    bool pending = false;
    for (int i = 0; i < range.Count; ++i)
        marks.append(ClassifyDay(range.First.addDays(i), lists, shown, pending));
    return marks;
}

} // namespace

Q_DECLARE_METATYPE(QList<Expect>)

class TestCalendarRules : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void dateTexts();
    void parseDateText_data();
    void parseDateText();
    void weekdays_data();
    void weekdays();
    void daysInMonth_data();
    void daysInMonth();
    void stripRange_data();
    void stripRange();
    void monthMoves_data();
    void monthMoves();
    void annualMonthLength();
    void classifyDay_data();
    void classifyDay();
};

void TestCalendarRules::cleanup()
{
    Clock::SetSourceForTesting({});
}

void TestCalendarRules::dateTexts()
{
    const QDate d(1999, 3, 5);
    QCOMPARE(FormatYYYY(d), QStringLiteral("1999"));
    QCOMPARE(FormatMM(d), QStringLiteral("03"));
    QCOMPARE(FormatDD(d), QStringLiteral("05"));
    QCOMPARE(FormatMMDD(d), QStringLiteral("0305"));
    QCOMPARE(FormatYYYYMM(d), QStringLiteral("199903"));
    QCOMPARE(FormatYYYYMMDD(d), QStringLiteral("19990305"));
    QCOMPARE(FormatSlashDate(d), QStringLiteral("1999/03/05"));
    QCOMPARE(FormatYearMonth(d), QStringLiteral("1999/03"));
    QCOMPARE(FormatSlashDate(QDate(33, 12, 31)), QStringLiteral("0033/12/31"));
}

void TestCalendarRules::parseDateText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: the text is refused
    QTest::newRow("padded") << QStringLiteral("1999/03/05") << D(1999, 3, 5);
    QTest::newRow("one digit month and day") << QStringLiteral("1999/3/5") << D(1999, 3, 5);
    QTest::newRow("leap day") << QStringLiteral("2024/02/29") << D(2024, 2, 29);
    QTest::newRow("leap day of a common year") << QStringLiteral("2023/02/29") << QDate();
    QTest::newRow("key naming no day") << QStringLiteral("2024/02/30") << QDate();
    QTest::newRow("month 13") << QStringLiteral("2024/13/01") << QDate();
    QTest::newRow("day 0") << QStringLiteral("2024/01/00") << QDate();
    QTest::newRow("year from a foreign file name") << QStringLiteral("ab12/01/01") << QDate();
    QTest::newRow("dashes") << QStringLiteral("2024-01-01") << QDate();
    QTest::newRow("two fields") << QStringLiteral("2024/01") << QDate();
    QTest::newRow("three-digit month") << QStringLiteral("2024/001/01") << QDate();
    QTest::newRow("empty") << QString() << QDate();
}

void TestCalendarRules::parseDateText()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    if (date.isValid()) {
        QCOMPARE(ParseDateText(text), date);
        return;
    }
    try {
        ParseDateText(text);
        QFAIL("the text was accepted");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), QStringLiteral("'%1' は日付ではありません").arg(text));
    }
}

void TestCalendarRules::weekdays_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("label");
    QTest::newRow("sunday") << D(2015, 5, 3) << 1 << QStringLiteral("日");
    QTest::newRow("monday") << D(2015, 5, 4) << 2 << QStringLiteral("月");
    QTest::newRow("friday") << D(2015, 5, 8) << 6 << QStringLiteral("金");
    QTest::newRow("saturday") << D(2015, 5, 9) << 7 << QStringLiteral("土");
    QTest::newRow("1900-01-01 monday") << D(1900, 1, 1) << 2 << QStringLiteral("月");
}

void TestCalendarRules::weekdays()
{
    QFETCH(QDate, date);
    QFETCH(int, number);
    QFETCH(QString, label);
    QCOMPARE(WeekdayNumber(date), number);
    QCOMPARE(WeekdayLabel(number), label);
}

void TestCalendarRules::daysInMonth_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("days");
    QTest::newRow("1900-02") << D(1900, 2, 10) << 28;
    QTest::newRow("2000-02") << D(2000, 2, 1) << 29;
    QTest::newRow("2100-02") << D(2100, 2, 28) << 28;
    QTest::newRow("2024-02") << D(2024, 2, 29) << 29;
    QTest::newRow("2023-02") << D(2023, 2, 1) << 28;
    QTest::newRow("april") << D(2023, 4, 30) << 30;
    QTest::newRow("december") << D(2023, 12, 31) << 31;
}

void TestCalendarRules::daysInMonth()
{
    QFETCH(QDate, date);
    QFETCH(int, days);
    QCOMPARE(DaysInMonth(date), days);
}

void TestCalendarRules::stripRange_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<bool>("neighbouring");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<int>("firstWeekday");
    QTest::addColumn<int>("count");
    QTest::addColumn<QDate>("last");
    QTest::newRow("normal") << D(2023, 3, 17) << false << D(2023, 3, 1) << 4 << 31 << D(2023, 3, 31);
    QTest::newRow("february from sunday to saturday") << D(2015, 2, 14) << false << D(2015, 2, 1) << 1 << 28 << D(2015, 2, 28);
    QTest::newRow("leap february") << D(2024, 2, 1) << false << D(2024, 2, 1) << 5 << 29 << D(2024, 2, 29);
    QTest::newRow("neighbouring, common march") << D(2023, 3, 31) << true << D(2023, 2, 15) << 4 << 60 << D(2023, 4, 15);
    QTest::newRow("neighbouring, leap march") << D(2024, 3, 1) << true << D(2024, 2, 15) << 5 << 60 << D(2024, 4, 14);
    QTest::newRow("neighbouring, january") << D(2024, 1, 10) << true << D(2023, 12, 15) << 6 << 60 << D(2024, 2, 12);
}

void TestCalendarRules::stripRange()
{
    QFETCH(QDate, shown);
    QFETCH(bool, neighbouring);
    QFETCH(QDate, first);
    QFETCH(int, firstWeekday);
    QFETCH(int, count);
    QFETCH(QDate, last);
    const StripRangeResult r = StripRange(shown, neighbouring);
    QCOMPARE(r.First, first);
    QCOMPARE(r.FirstWeekday, firstWeekday);
    QCOMPARE(r.Count, count);
    QCOMPARE(r.First.addDays(r.Count - 1), last);
    if (neighbouring) {
        // Exactly the three months: the previous, the shown and the next.
        QCOMPARE(r.First.month(), PreviousMonthDate(shown).month());
        QCOMPARE(last.month(), shown.addMonths(1).month());
    }
}

void TestCalendarRules::monthMoves_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("previous");
    QTest::addColumn<QDate>("next");
    QTest::addColumn<QDate>("yearBefore");
    QTest::addColumn<QDate>("yearAfter");
    QTest::newRow("january") << D(2024, 1, 31) << D(2023, 12, 31) << D(2024, 2, 4) << D(2023, 1, 31) << D(2025, 1, 31);
    QTest::newRow("common february") << D(2023, 2, 1) << D(2023, 1, 31) << D(2023, 3, 7) << D(2022, 2, 1) << D(2024, 2, 1);
    QTest::newRow("leap february") << D(2024, 2, 10) << D(2024, 1, 31) << D(2024, 3, 6) << D(2023, 2, 10) << D(2025, 2, 10);
    QTest::newRow("leap day") << D(2024, 2, 29) << D(2024, 1, 31) << D(2024, 3, 6) << D(2023, 2, 28) << D(2025, 2, 28);
    QTest::newRow("leap march") << D(2024, 3, 15) << D(2024, 2, 29) << D(2024, 4, 4) << D(2023, 3, 15) << D(2025, 3, 15);
    QTest::newRow("thirty-day month") << D(2023, 4, 30) << D(2023, 3, 31) << D(2023, 5, 5) << D(2022, 4, 30) << D(2024, 4, 30);
    QTest::newRow("december") << D(2023, 12, 1) << D(2023, 11, 30) << D(2024, 1, 4) << D(2022, 12, 1) << D(2024, 12, 1);
}

void TestCalendarRules::monthMoves()
{
    QFETCH(QDate, date);
    QFETCH(QDate, previous);
    QFETCH(QDate, next);
    QFETCH(QDate, yearBefore);
    QFETCH(QDate, yearAfter);
    QCOMPARE(PreviousMonthDate(date), previous);
    QCOMPARE(NextMonthDate(date), next);
    QCOMPARE(SameMonthOtherYear(date, -1), yearBefore);
    QCOMPARE(SameMonthOtherYear(date, +1), yearAfter);
}

void TestCalendarRules::annualMonthLength()
{
    const QList<int> expected{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month)
        QCOMPARE(AnnualMonthLength(month), expected[month - 1]);
    QCOMPARE(AnnualMonthLength(0), 0);
    QCOMPARE(AnnualMonthLength(13), 0);
}

void TestCalendarRules::classifyDay_data()
{
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<bool>("neighbouring");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("named"); // "MMDD=name"
    QTest::addColumn<QStringList>("daysOff");
    QTest::addColumn<QStringList>("schedules"); // "MMDD=text"
    QTest::addColumn<QList<Expect>>("expect");

    const QDate may(2015, 5, 1); // 3 May 2015 is a Sunday, 31 May too
    const QDate farAway(2000, 1, 1);
    const QString sub = QStringLiteral("振替休日");
    const QStringList goldenWeek{"0503=憲法記念日", "0504=みどりの日", "0505=こどもの日"};

    QTest::newRow("sunday to tuesday off") << may << false << farAway << goldenWeek << QStringList{"0503", "0504", "0505"}
        << QStringList{}
        << QList<Expect>{{D(2015, 5, 3), R, R, "憲法記念日", {}}, {D(2015, 5, 4), R, R, "みどりの日", {}},
                         {D(2015, 5, 5), R, R, "こどもの日", {}}, {D(2015, 5, 6), R, R, sub, {}},
                         {D(2015, 5, 7), K, K, {}, {}}};
    QTest::newRow("sunday off, monday ordinary") << may << false << farAway << QStringList{"0503=憲法記念日"}
        << QStringList{"0503"} << QStringList{}
        << QList<Expect>{{D(2015, 5, 4), R, R, sub, {}}, {D(2015, 5, 5), K, K, {}, {}}};
    QTest::newRow("sunday to friday off")
        << may << false << farAway << QStringList{"0503=a", "0504=b", "0505=c", "0506=d", "0507=e", "0508=f"}
        << QStringList{"0503", "0504", "0505", "0506", "0507", "0508"} << QStringList{}
        << QList<Expect>{{D(2015, 5, 8), R, R, "f", {}}, {D(2015, 5, 9), R, R, sub, {}},
                         {D(2015, 5, 10), R, R, {}, {}}, {D(2015, 5, 11), K, K, {}, {}}};
    QTest::newRow("saturday off owes nothing") << may << false << farAway << QStringList{"0502=土曜の休み"}
        << QStringList{"0502"} << QStringList{}
        << QList<Expect>{{D(2015, 5, 2), B, R, "土曜の休み", {}}, {D(2015, 5, 3), R, R, {}, {}},
                         {D(2015, 5, 4), K, K, {}, {}}};
    QTest::newRow("monday off") << may << false << farAway << QStringList{"0504=みどりの日"} << QStringList{"0504"}
        << QStringList{} << QList<Expect>{{D(2015, 5, 4), K, R, "みどりの日", {}}, {D(2015, 5, 5), K, K, {}, {}}};
    QTest::newRow("named day that is no day off") << may << false << farAway << QStringList{"0505=記念日"}
        << QStringList{} << QStringList{} << QList<Expect>{{D(2015, 5, 5), K, K, "記念日", {}}};
    QTest::newRow("day-off key without a name has no effect") << may << false << farAway << QStringList{}
        << QStringList{"0503", "0504"} << QStringList{}
        << QList<Expect>{{D(2015, 5, 3), R, R, {}, {}}, {D(2015, 5, 4), K, K, {}, {}}};
    QTest::newRow("substitute owed to a named day keeps its name")
        << may << false << farAway << QStringList{"0503=憲法記念日", "0504=記念日"} << QStringList{"0503"}
        << QStringList{} << QList<Expect>{{D(2015, 5, 4), R, R, "記念日", {}}, {D(2015, 5, 5), K, K, {}, {}}};
    QTest::newRow("today on a sunday") << may << false << D(2015, 5, 10) << QStringList{} << QStringList{}
        << QStringList{} << QList<Expect>{{D(2015, 5, 10), R, Y, {}, {}}, {D(2015, 5, 11), K, K, {}, {}}};
    QTest::newRow("today on a monday off") << may << false << D(2015, 5, 4) << QStringList{"0504=みどりの日"}
        << QStringList{"0504"} << QStringList{} << QList<Expect>{{D(2015, 5, 4), K, Y, "みどりの日", {}}};
    QTest::newRow("neighbouring months are grey") << may << true << farAway << QStringList{} << QStringList{}
        << QStringList{}
        << QList<Expect>{{D(2015, 4, 15), K, G, {}, {}}, {D(2015, 4, 19), R, G, {}, {}},
                         {D(2015, 5, 1), K, K, {}, {}}, {D(2015, 6, 7), R, G, {}, {}},
                         {D(2015, 6, 13), B, G, {}, {}}};
    QTest::newRow("today in a neighbouring month") << may << true << D(2015, 6, 7) << QStringList{} << QStringList{}
        << QStringList{} << QList<Expect>{{D(2015, 6, 7), R, Y, {}, {}}};
    QTest::newRow("day off on the strip's last sunday")
        << may << false << farAway << QStringList{"0531=終わり"} << QStringList{"0531"} << QStringList{}
        << QList<Expect>{{D(2015, 5, 31), R, R, "終わり", {}}};
    QTest::newRow("next month never learns of it")
        << QDate(2015, 6, 1) << false << farAway << QStringList{"0531=終わり"} << QStringList{"0531"}
        << QStringList{} << QList<Expect>{{D(2015, 6, 1), K, K, {}, {}}};
    QTest::newRow("substitute reaches into the next month when shown")
        << may << true << farAway << QStringList{"0531=終わり"} << QStringList{"0531"} << QStringList{}
        << QList<Expect>{{D(2015, 6, 1), R, G, sub, {}}};
    QTest::newRow("first of duplicate keys counts") << may << false << farAway << QStringList{"0505=一", "0505=二"}
        << QStringList{} << QStringList{"0505=予定一", "0505=予定二"}
        << QList<Expect>{{D(2015, 5, 5), K, K, "一", "予定一"}};
    QTest::newRow("schedules of every shown month") << may << true << farAway << QStringList{} << QStringList{}
        << QStringList{"0501=五月", "0430=四月末", "0601=六月"}
        << QList<Expect>{{D(2015, 5, 1), K, K, {}, "五月"}, {D(2015, 4, 30), K, G, {}, "四月末"},
                         {D(2015, 6, 1), K, G, {}, "六月"}, {D(2015, 5, 2), B, B, {}, {}}};
}

void TestCalendarRules::classifyDay()
{
    QFETCH(QDate, shown);
    QFETCH(bool, neighbouring);
    QFETCH(QDate, today);
    QFETCH(QStringList, named);
    QFETCH(QStringList, daysOff);
    QFETCH(QStringList, schedules);
    QFETCH(QList<Expect>, expect);

    Clock::SetSourceForTesting([today] { return QDateTime(today, QTime(23, 59)); });
    MonthData lists;
    for (const QString& entry : named) {
        lists.HolidayKeys.append(entry.section(u'=', 0, 0));
        lists.HolidayNames.append(entry.section(u'=', 1));
    }
    lists.DayOffKeys = daysOff;
    for (const QString& entry : schedules) {
        lists.ScheduleKeys.append(entry.section(u'=', 0, 0));
        lists.ScheduleTexts.append(entry.section(u'=', 1));
    }

    const QList<DayMarks> marks = MarkStrip(shown, neighbouring, lists);
    const StripRangeResult range = StripRange(shown, neighbouring);
    for (const Expect& e : expect) {
        const qint64 index = range.First.daysTo(e.date);
        QVERIFY2(index >= 0 && index < marks.size(), qPrintable(e.date.toString()));
        const DayMarks& m = marks[index];
        const QByteArray where = e.date.toString(Qt::ISODate).toLatin1();
        QCOMPARE(m.Date, e.date);
        QVERIFY2(m.WeekdayColor == e.label, where + " label " + QByteArray::number(m.WeekdayColor, 16));
        QVERIFY2(m.DayColor == e.number, where + " number " + QByteArray::number(m.DayColor, 16));
        QCOMPARE(m.HolidayName, e.name);
        QCOMPARE(m.Schedule, e.schedule);
        QCOMPARE(m.Today, e.date == today);
        QCOMPARE(m.NamedDay, !e.name.isEmpty() && e.name != QStringLiteral("振替休日"));
        QCOMPARE(m.WeekdayLabel, WeekdayLabel(WeekdayNumber(e.date)));
    }
}

QTEST_GUILESS_MAIN(TestCalendarRules)
#include "test_calendarrules.moc"
