// Japan's national holidays on the bar, switched on and off.
#include "barrenderer.h"
#include "clock.h"
#include "stripink.h"
#include "tinifile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRgb Red = 0xFFFF0000;

} // namespace

class TestNationalHolidayBar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::SetSourceForTesting([] { return QDateTime(QDate(2000, 6, 15), QTime(9, 0)); });
    }
    void cleanupTestCase() { Clock::SetSourceForTesting({}); }

    void strip_data()
    {
        // userDaysOff: "MMDD=name" entries of both holiday files. day/name:
        // the day checked and the name it shows; substitutes: how many cells
        // of the strip show "振替休日".
        QTest::addColumn<QDate>("shown");
        QTest::addColumn<bool>("national");
        QTest::addColumn<int>("showFRDate");
        QTest::addColumn<QStringList>("userDaysOff");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("substitutes");

        const QDate feb24(2024, 2, 1);
        QTest::newRow("Sunday holiday, red Monday")
            << feb24 << true << 0 << QStringList() << QDate(2024, 2, 12) << u"振替休日"_s << 1;
        QTest::newRow("the holiday itself")
            << feb24 << true << 0 << QStringList() << QDate(2024, 2, 11) << u"建国記念の日"_s << 1;
        QTest::newRow("user's name comes first")
            << feb24 << true << 0 << QStringList{u"0211=建国の日"_s} << QDate(2024, 2, 11) << u"建国の日"_s << 1;
        QTest::newRow("option off: nothing")
            << feb24 << false << 0 << QStringList() << QDate(2024, 2, 11) << QString() << 0;
        QTest::newRow("option off: user's rule as before")
            << feb24 << false << 0 << QStringList{u"0211=建国の日"_s} << QDate(2024, 2, 12) << u"振替休日"_s << 1;
        // Before 2007 a run of holidays from a Sunday owed only the Monday:
        // the user's own days off must not add 6 May.
        QTest::newRow("user's run, law before 2007")
            << QDate(1998, 5, 1) << true << 0 << QStringList{u"0503=憲法"_s, u"0504=休み"_s, u"0505=こども"_s}
            << QDate(1998, 5, 6) << QString() << 0;
        QTest::newRow("no substitute before 1973")
            << QDate(1970, 5, 1) << true << 0 << QStringList{u"0503=憲法"_s} << QDate(1970, 5, 4) << QString() << 0;
        QTest::newRow("user's own day off keeps its substitute")
            << QDate(2024, 6, 1) << true << 0 << QStringList{u"0602=創立記念日"_s} << QDate(2024, 6, 3)
            << u"振替休日"_s << 1;
        // A substitute the user's Sunday owes to a national holiday is spent
        // there, as on a named day that is no day off.
        QTest::newRow("user's substitute meets a holiday")
            << QDate(2024, 1, 1) << true << 0 << QStringList{u"0107=社休"_s} << QDate(2024, 1, 8) << u"成人の日"_s << 0;
        QTest::newRow("three months, previous year")
            << QDate(2019, 1, 1) << true << 1 << QStringList() << QDate(2018, 12, 24) << u"振替休日"_s << 1;
        QTest::newRow("three months, next month")
            << QDate(2025, 1, 1) << true << 1 << QStringList() << QDate(2025, 2, 11) << u"建国記念の日"_s << 0;
        QTest::newRow("three months, next year")
            << QDate(2024, 12, 1) << true << 1 << QStringList() << QDate(2025, 1, 13) << u"成人の日"_s << 0;
    }

    void strip()
    {
        QFETCH(QDate, shown);
        QFETCH(bool, national);
        QFETCH(int, showFRDate);
        QFETCH(QStringList, userDaysOff);
        QFETCH(QDate, day);
        QFETCH(QString, name);
        QFETCH(int, substitutes);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString& entry : userDaysOff)
            for (const char* file : {"HorDay.ini", "HorDay2.ini"})
                TIniFile(dir.filePath(QString::fromLatin1(file)))
                    .WriteText(u"祝日"_s, entry.section(u'=', 0, 0), entry.section(u'=', 1));

        BarSettings settings;
        settings.NationalHolidays = national;
        settings.ShowFRDate = showFRDate;
        BarState state;
        FillNavButtons(state);
        CellTable cells;
        BarLayers layers;
        const std::optional<QImage> picture;
        RenderMonth(MonthRender{dir.path(), settings, picture, false, shown}, state, cells, layers);

        int substituteCells = 0;
        const CellRec* cell = nullptr;
        for (int k = 1; k <= cells.DayCount; ++k) {
            substituteCells += cells.At(2, k).HolidayName == u"振替休日";
            if (cells.At(2, k).Date == day)
                cell = &cells.At(2, k);
        }
        QVERIFY(cell);
        QCOMPARE(cell->HolidayName, name);
        QCOMPARE(substituteCells, substitutes);
        // A holiday of the shown month has a red number.
        if (!name.isEmpty() && day.month() == shown.month())
            QCOMPARE(InkInside(layers.Strip, *cell), QSet<QRgb>{Red});
    }
};

QTEST_MAIN(TestNationalHolidayBar)
#include "test_nationalholidaybar.moc"
