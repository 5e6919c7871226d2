#include "nationalholidays.h"

#include <QFile>
#include <QMap>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The Cabinet Office's list: date -> name.
QMap<QDate, QString> PublishedList()
{
    QMap<QDate, QString> list;
    QFile file(QStringLiteral(MURVANE_HOLIDAY_CSV));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return list;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const QDate date = QDate::fromString(line.section(u',', 0, 0), Qt::ISODate);
        if (date.isValid())
            list.insert(date, line.section(u',', 1));
    }
    return list;
}

// Where the list says "休日", the day must be what the named rule makes it:
// a substitute follows a run of listed days that holds a Sunday, a day
// between two holidays has listed days on both sides.
bool RuleFits(const QMap<QDate, QString>& list, const NationalHoliday& h)
{
    if (h.Rule == NationalHoliday::Between)
        return list.contains(h.Date.addDays(-1)) && list.contains(h.Date.addDays(1));
    if (h.Rule == NationalHoliday::Substitute) {
        for (QDate d = h.Date.addDays(-1); list.contains(d); d = d.addDays(-1))
            if (d.dayOfWeek() == Qt::Sunday)
                return true;
    }
    return false;
}

} // namespace

class TestNationalHolidays : public QObject {
    Q_OBJECT

    QMap<QDate, QString> m_list;

private slots:
    void initTestCase()
    {
        m_list = PublishedList();
        QVERIFY2(m_list.size() > 1000, MURVANE_HOLIDAY_CSV);
    }

    // Both ways, year by year: every listed day is computed with its name,
    // and every computed day is listed.
    void publishedList_data()
    {
        QTest::addColumn<int>("year");
        for (int y = m_list.firstKey().year(); y <= m_list.lastKey().year(); ++y)
            QTest::addRow("%d", y) << y;
    }

    void publishedList()
    {
        QFETCH(int, year);
        QMap<QDate, QString> listed;
        for (auto it = m_list.lowerBound(QDate(year, 1, 1)); it != m_list.end() && it.key().year() == year; ++it)
            listed.insert(it.key(), it.value());

        QMap<QDate, QString> computed;
        for (const NationalHoliday& h : NationalHolidays(year)) {
            QVERIFY2(!computed.contains(h.Date), qPrintable(h.Date.toString(Qt::ISODate)));
            computed.insert(h.Date, h.Name);
            const QString want = listed.value(h.Date, u"<not listed>"_s);
            const QString why = h.Date.toString(Qt::ISODate) + u' ' + h.Name + u" / "_s + want;
            if (want == u"休日" && h.Name != want) {
                QVERIFY2(h.Name == (h.Rule == NationalHoliday::Substitute ? u"振替休日"_s : u"国民の休日"_s),
                         qPrintable(why));
                QVERIFY2(RuleFits(m_list, h), qPrintable(why));
            } else {
                QVERIFY2(h.Name == want, qPrintable(why));
            }
        }
        for (auto it = listed.cbegin(); it != listed.cend(); ++it)
            QVERIFY2(computed.contains(it.key()), qPrintable(it.key().toString(Qt::ISODate) + u" missing"_s));
    }

    // Days that are easy to get wrong; an empty name is no holiday. A year
    // given in substitutes is checked for that number of 振替休日.
    void trickyDays_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("substitutes");
        QTest::newRow("law starts 20 July 1948") << QDate(1948, 5, 5) << QString() << -1;
        QTest::newRow("first autumn equinox day") << QDate(1948, 9, 23) << u"秋分の日"_s << -1;
        QTest::newRow("Sunday holiday before 1973") << QDate(1970, 5, 4) << QString() << -1;
        QTest::newRow("first substitute") << QDate(1973, 4, 30) << u"振替休日"_s << -1;
        QTest::newRow("substitute wins over between") << QDate(1987, 5, 4) << u"振替休日"_s << -1;
        QTest::newRow("first day between holidays") << QDate(1988, 5, 4) << u"国民の休日"_s << -1;
        QTest::newRow("Sunday between stays Sunday") << QDate(1997, 5, 4) << QString() << -1;
        QTest::newRow("2007 rule: past the run") << QDate(2008, 5, 6) << u"振替休日"_s << -1;
        QTest::newRow("silver week 2009") << QDate(2009, 9, 22) << u"国民の休日"_s << -1;
        QTest::newRow("silver week 2026") << QDate(2026, 9, 22) << u"国民の休日"_s << -1;
        QTest::newRow("2019-04-30") << QDate(2019, 4, 30) << u"休日"_s << -1;
        QTest::newRow("2019-05-01") << QDate(2019, 5, 1) << u"休日（祝日扱い）"_s << -1;
        QTest::newRow("2019-05-02") << QDate(2019, 5, 2) << u"休日"_s << -1;
        QTest::newRow("no birthday in 2019") << QDate(2019, 12, 23) << QString() << -1;
        QTest::newRow("Olympics 2020") << QDate(2020, 7, 24) << u"スポーツの日"_s << -1;
        QTest::newRow("October 2020 empty") << QDate(2020, 10, 12) << QString() << -1;
        QTest::newRow("Olympics 2021 substitute") << QDate(2021, 8, 9) << u"振替休日"_s << -1;
        QTest::newRow("year without substitute") << QDate(2022, 3, 21) << u"春分の日"_s << 0;
        QTest::newRow("later year, same rules") << QDate(2099, 9, 23) << u"秋分の日"_s << -1;
        QTest::newRow("after 2099") << QDate(2101, 1, 10) << u"成人の日"_s << -1;
    }

    void trickyDays()
    {
        QFETCH(QDate, date);
        QFETCH(QString, name);
        QFETCH(int, substitutes);
        const QList<NationalHoliday> year = NationalHolidays(date.year());
        QString found;
        int substituteCount = 0;
        for (const NationalHoliday& h : year) {
            if (h.Date == date)
                found = h.Name;
            substituteCount += h.Rule == NationalHoliday::Substitute;
        }
        QCOMPARE(found, name);
        if (substitutes >= 0)
            QCOMPARE(substituteCount, substitutes);
    }
};

QTEST_GUILESS_MAIN(TestNationalHolidays)
#include "test_nationalholidays.moc"
