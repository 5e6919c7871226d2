#include "clock.h"
#include "idlewatch.h"
#include "navigation.h"
#include "pointerwatch.h"
#include "tform1.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDateTime FixedNow(QDate(2024, 6, 12), QTime(9, 5, 30));

const QRgb Marker = qRgb(255, 0, 255);

int MarkerPixels(const QImage& strip)
{
    int count = 0;
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            count += strip.pixel(x, y) == Marker;
    return count;
}

// The button presses as the header sees them, at each button's middle.
QPoint ButtonPoint(int button)
{
    return QPoint(10 * button + 5, 23);
}
} // namespace

class TestNavigation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        PointerWatch::SetFactoryForTesting([](PointerWatch::Callback) { return std::make_unique<IdleWatch>(); });
        m_oldDir = QDir::currentPath();
    }
    void cleanupTestCase() { PointerWatch::SetFactoryForTesting({}); }
    void init()
    {
        Clock::SetSourceForTesting([] { return FixedNow; });
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }
    void cleanup()
    {
        QDir::setCurrent(m_oldDir);
        Clock::SetSourceForTesting({});
    }

    void buttonTexts_data();
    void buttonTexts();
    void targets_data();
    void targets();
    void previousMonthThenPreviousYearFromLeapMarch();
    void thisMonthIsNow();

    void barFollowsTheButtons();
    void thisMonthPutsThePictureOnToday();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
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

void TestNavigation::barFollowsTheButtons()
{
    Clock::SetSourceForTesting([] { return QDateTime(QDate(2024, 3, 15), QTime(12, 0)); });
    TForm1 bar;
    QCOMPARE(bar.Cells.DayCount, 31);

    struct Step {
        int button;
        QDate shown;
        int days;
    };
    const Step steps[] = {
        {2, QDate(2024, 2, 29), 29}, // 前月 from leap March
        {1, QDate(2023, 2, 28), 28}, // 前年同月 from 29 February
        {4, QDate(2023, 3, 7), 31},  // 来月 from a 28-day February
        {5, QDate(2024, 3, 7), 31},
        {3, QDate(2024, 3, 15), 31}, // 今月
    };
    for (const Step& step : steps) {
        const QPoint at = ButtonPoint(step.button);
        bar.Image2MouseDown(at.x(), at.y());
        QCOMPARE(bar.State.ShownDate.date(), step.shown);
        QCOMPARE(bar.Cells.DayCount, step.days);
        QCOMPARE(bar.Cells.At(2, 1).Date, QDate(step.shown.year(), step.shown.month(), 1));
        QCOMPARE(bar.width(), 170 + 14 * step.days + 10);
    }
}

void TestNavigation::thisMonthPutsThePictureOnToday()
{
    TForm1 bar;
    QImage marker(20, 20, QImage::Format_ARGB32);
    marker.fill(Marker);
    bar.ImageList2 = marker;

    const QPoint next = ButtonPoint(4);
    bar.Image2MouseDown(next.x(), next.y());
    QCOMPARE(bar.State.ShownDate.date().month(), 7);
    QCOMPARE(MarkerPixels(bar.StripImage()), 0);

    const QPoint now = ButtonPoint(3);
    bar.Image2MouseDown(now.x(), now.y());
    QCOMPARE(bar.State.ShownDate, FixedNow);
    const CellRec& today = bar.Cells.At(2, 12);
    QCOMPARE(today.Date, FixedNow.date());
    QCOMPARE(bar.StripImage().pixel(today.Left + 5, today.Top + 5), Marker);
    QVERIFY(MarkerPixels(bar.StripImage()) > 0);
}

QTEST_MAIN(TestNavigation)
#include "test_navigation.moc"
