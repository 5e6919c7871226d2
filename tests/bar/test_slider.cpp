#include "slider.h"

#include <QTest>
#include <vector>

Q_DECLARE_METATYPE(PointerAction)

namespace {

class FakeTimer : public SlideTimer {
public:
    void Start(int intervalMs) override
    {
        Running = true;
        Interval = intervalMs;
    }
    void Stop() override { Running = false; }
    bool Running = false;
    int Interval = 0;
};

// A bar whose Top the slider moves, recording every value set.
struct FakeBar {
    int Top = 0;
    std::vector<int> Set;
    FakeTimer Timer;
    BarSlider Slider{[this] { return Top; },
                     [this](int t) {
                         Top = t;
                         Set.push_back(t);
                     },
                     Timer};

    // Ticks until the timer stops; returns the ticks taken.
    int Run(int limit = 1000)
    {
        int ticks = 0;
        while (Timer.Running && ticks < limit) {
            Slider.Tick();
            ++ticks;
        }
        return ticks;
    }
};

std::vector<int> Range(int from, int to)
{
    std::vector<int> v;
    for (int t = from; from <= to ? t <= to : t >= to; t += from <= to ? 1 : -1)
        v.push_back(t);
    return v;
}

} // namespace

class TestSlider : public QObject {
    Q_OBJECT

private slots:
    void pointerTest_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("autoHide");
        QTest::addColumn<int>("top");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<PointerAction>("action");
        // A shown bar 600 wide and 37 high at the corner.
        QTest::newRow("over the shown bar") << true << true << 0 << QPoint(300, 20) << PointerAction::SlideIn;
        QTest::newRow("shown, x = Width") << true << true << 0 << QPoint(600, 10) << PointerAction::SlideIn;
        QTest::newRow("shown, y = Height") << true << true << 0 << QPoint(10, 37) << PointerAction::SlideIn;
        QTest::newRow("shown, corner Width, Height") << true << true << 0 << QPoint(600, 37) << PointerAction::SlideIn;
        QTest::newRow("shown, x = Width + 1") << true << true << 0 << QPoint(601, 10) << PointerAction::SlideOut;
        QTest::newRow("shown, y = Height + 1") << true << true << 0 << QPoint(10, 38) << PointerAction::SlideOut;
        QTest::newRow("shown, left of the screen") << true << true << 0 << QPoint(-1, 10) << PointerAction::SlideOut;
        QTest::newRow("shown, below, no AutoHide") << true << false << 0 << QPoint(10, 200) << PointerAction::None;
        QTest::newRow("shown, right, no AutoHide") << true << false << 0 << QPoint(900, 10) << PointerAction::None;
        QTest::newRow("shown while sliding in, at y 0") << true << true << -20 << QPoint(5, 0) << PointerAction::SlideIn;
        QTest::newRow("hidden, top row") << false << true << -36 << QPoint(5, 0) << PointerAction::SlideIn;
        QTest::newRow("hidden, top row at x = Width") << false << true << -36 << QPoint(600, 0) << PointerAction::SlideIn;
        QTest::newRow("hidden, top row, no AutoHide") << false << false << -36 << QPoint(5, 0) << PointerAction::SlideIn;
        QTest::newRow("hidden, y = 1") << false << true << -36 << QPoint(5, 1) << PointerAction::SlideOut;
        QTest::newRow("hidden, top row right of the bar") << false << true << -36 << QPoint(601, 0) << PointerAction::SlideOut;
        QTest::newRow("hidden, y = 1, no AutoHide") << false << false << -36 << QPoint(5, 1) << PointerAction::None;
        // Over the shown position but not yet shown: only the top row counts.
        QTest::newRow("not shown, over the bar") << false << true << 0 << QPoint(300, 20) << PointerAction::SlideOut;
    }

    void pointerTest()
    {
        QFETCH(bool, shown);
        QFETCH(bool, autoHide);
        QFETCH(int, top);
        QFETCH(QPoint, pointer);
        QFETCH(PointerAction, action);
        QCOMPARE(DecidePointerTest(shown, autoHide, BarPlace{0, top, 600, 37}, pointer), action);
    }

    // The Leave of the bar's window, for a bar 600 x 37 that stands 100
    // pixels right of its screen's left edge. A position counts only outside
    // the window; without one, or with a stale one inside, the pointer is out.
    void leave_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("autoHide");
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<PointerAction>("action");
        QTest::newRow("no position") << true << true << 0 << false << QPoint() << PointerAction::SlideOut;
        QTest::newRow("no position, no AutoHide") << true << false << 0 << false << QPoint() << PointerAction::None;
        QTest::newRow("stale, inside") << true << true << 0 << true << QPoint(150, 10) << PointerAction::SlideOut;
        QTest::newRow("stale, hidden row") << false << true << -36 << true << QPoint(150, 0) << PointerAction::SlideOut;
        QTest::newRow("x = Left + Width") << true << true << 0 << true << QPoint(700, 10) << PointerAction::SlideIn;
        QTest::newRow("y = Height") << true << true << 0 << true << QPoint(150, 37) << PointerAction::SlideIn;
        QTest::newRow("x = Left + Width + 1") << true << true << 0 << true << QPoint(701, 10) << PointerAction::SlideOut;
        QTest::newRow("x = Left - 1") << true << true << 0 << true << QPoint(99, 10) << PointerAction::SlideOut;
        QTest::newRow("far away") << true << true << 0 << true << QPoint(900, 600) << PointerAction::SlideOut;
        QTest::newRow("hidden, top row at Left + Width") << false << true << -36 << true << QPoint(700, 0) << PointerAction::SlideIn;
        QTest::newRow("hidden, top row past it") << false << true << -36 << true << QPoint(701, 0) << PointerAction::SlideOut;
    }

    void leave()
    {
        QFETCH(bool, shown);
        QFETCH(bool, autoHide);
        QFETCH(int, top);
        QFETCH(bool, known);
        QFETCH(QPoint, pointer);
        QFETCH(PointerAction, action);
        const std::optional<QPoint> position = known ? std::optional<QPoint>(pointer) : std::nullopt;
        QCOMPARE(DecideLeave(shown, autoHide, BarPlace{100, top, 600, 37}, position), action);
    }

    void slideOutTakes37Steps()
    {
        FakeBar bar;
        bar.Slider.SlideOut();
        QVERIFY(bar.Timer.Running);
        QCOMPARE(bar.Timer.Interval, 10);
        QCOMPARE(bar.Run(), 37);
        // The first step leaves Top at 0; the bottom row stays on screen.
        QCOMPARE(bar.Set, Range(0, -36));
        QCOMPARE(bar.Top, -36);
        QVERIFY(!bar.Slider.IsSliding());
    }

    void slideInTakes37Steps()
    {
        FakeBar bar;
        bar.Top = -36;
        bar.Slider.SlideIn();
        QCOMPARE(bar.Run(), 37);
        QCOMPARE(bar.Set, Range(-36, 0));
    }

    void nothingMovesWhereTheBarAlreadyIs_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("in");
        QTest::newRow("in at Top 0") << 0 << true;
        QTest::newRow("in below the corner") << 5 << true;
        QTest::newRow("out when hidden") << -36 << false;
        QTest::newRow("out from part way") << -10 << false;
        QTest::newRow("out below the corner") << 5 << false;
    }

    void nothingMovesWhereTheBarAlreadyIs()
    {
        QFETCH(int, top);
        QFETCH(bool, in);
        FakeBar bar;
        bar.Top = top;
        in ? bar.Slider.SlideIn() : bar.Slider.SlideOut();
        // No timer at all: a shown bar under the pointer costs nothing.
        QVERIFY(!bar.Timer.Running);
        QVERIFY(bar.Set.empty());
    }

    void turnsFromWhereItStands()
    {
        FakeBar bar;
        bar.Slider.SlideOut();
        for (int i = 0; i < 11; ++i)
            bar.Slider.Tick();
        QCOMPARE(bar.Top, -10);
        bar.Slider.SlideIn();
        QVERIFY(bar.Timer.Running);
        QCOMPARE(bar.Run(), 10);
        QCOMPARE(std::vector<int>(bar.Set.begin() + 11, bar.Set.end()), Range(-9, 0));

        // And back out again from part way in.
        bar.Set.clear();
        bar.Top = -36;
        bar.Slider.SlideIn();
        for (int i = 0; i < 6; ++i)
            bar.Slider.Tick();
        QCOMPARE(bar.Top, -31);
        bar.Slider.SlideOut();
        QCOMPARE(bar.Run(), 5);
        QCOMPARE(bar.Top, -36);
    }

    void sameTargetKeepsGoing()
    {
        FakeBar bar;
        bar.Slider.SlideOut();
        for (int i = 0; i < 5; ++i) {
            bar.Slider.Tick();
            bar.Slider.SlideOut(); // every pointer event asks again
        }
        QCOMPARE(bar.Run(), 32);
        QCOMPARE(bar.Set, Range(0, -36));
    }

    void turningBeforeTheFirstStepStops()
    {
        FakeBar bar;
        bar.Slider.SlideOut();
        bar.Slider.SlideIn();
        QVERIFY(!bar.Timer.Running);
        QVERIFY(bar.Set.empty());
        QCOMPARE(bar.Top, 0);
    }

    void heldBackWindowStillStops()
    {
        // A window manager that refuses the moves: the slide still ends.
        FakeTimer timer;
        int set = 0;
        BarSlider slider([] { return 0; }, [&set](int) { ++set; }, timer);
        slider.SlideOut();
        int ticks = 0;
        while (timer.Running && ticks < 100) {
            slider.Tick();
            ++ticks;
        }
        QCOMPARE(ticks, 37);
        QCOMPARE(set, 37);
    }
};

QTEST_GUILESS_MAIN(TestSlider)
#include "test_slider.moc"
