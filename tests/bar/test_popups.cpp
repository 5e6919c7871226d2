#include "barstate.h"
#include "colors.h"
#include "popups.h"
#include "thintwindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

namespace {

// A strip laid out as the rendering lays it: column k at x = 170 + 14 (k - 1),
// weekday cells at rows 1 to 15, day cells at 17 to 31.
void FillStrip(CellTable& cells, QDate first, int count, int firstX = 170)
{
    cells.DayCount = count;
    for (int k = 1; k <= count; ++k) {
        const int x = firstX + 14 * (k - 1);
        CellRec& weekday = cells.At(1, k);
        weekday = CellRec{x + 1, 1, x + 14, 15, QDate(), QStringLiteral("月"), {}, {}};
        CellRec& day = cells.At(2, k);
        day = CellRec{x + 1, 17, x + 14, 31, first.addDays(k - 1), {}, {}, {}};
    }
}

int DayX(int column)
{
    return 170 + 14 * (column - 1) + 5;
}

// Counts the native windows created for the pop-up.
class CreationCounter : public QObject {
public:
    explicit CreationCounter(QWidget* w) { w->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WinIdChange && static_cast<QWidget*>(watched)->internalWinId() != 0)
            ++Count;
        return false;
    }
};

int ScreenRight()
{
    return QGuiApplication::primaryScreen()->geometry().right() + 1;
}

} // namespace

class TestPopups : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void splitPopupLines_data();
    void splitPopupLines();
    void popupTexts_data();
    void popupTexts();
    void hitTests_data();
    void hitTests();
    void hitTestsIgnoreColumnsBeyondTheRendering();
    void navButtonHits_data();
    void navButtonHits();

    void dayPopupIsOneLineHeightPerLine_data();
    void dayPopupIsOneLineHeightPerLine();
    void widthIsMeasuredOnTheTrimmedSchedule();
    void weekdayPopupShowsTheHolidayName();
    void weekdayWithoutNameHides();
    void gapRowBetweenTheRowsHides();
    void jumpFromDayNumberToWeekdayLabel();
    void followsThePointerDownTheCell();
    void rightEdgeShift();
    void windowIsRecreatedOnlyWhenTheItemChanges();
    void hideKeepsTheItem();
    void hiddenBarSlidesInAndShowsNothing();
    void navButtonPopup();
    void withoutWindowOnlyBookkeeping();

private:
    void MoveToDay(int column, int y = 20) { m_popups->Image1MouseMove(DayX(column), y); }
    int LineHeight(QDate d) const
    {
        return m_hint->CalcHintRect(150, d.toString(QStringLiteral("yyyy/MM/dd"))).height();
    }

    BarState m_state;
    BarSettings m_settings;
    CellTable m_cells;
    std::unique_ptr<THintWindow> m_hint;
    std::unique_ptr<BarPopups> m_popups;
    int m_activations = 0;
};

void TestPopups::init()
{
    m_state = BarState{};
    FillNavButtons(m_state);
    m_state.Shown = true;
    m_settings = BarSettings{};
    m_settings.DayPopColor = 0x80FFFF;   // light yellow
    m_settings.YoubiPopColor = 0xFFC0C0; // light blue
    m_cells = CellTable{};
    FillStrip(m_cells, QDate(2024, 3, 1), 31);
    m_hint = std::make_unique<THintWindow>();
    m_state.HintWindow = m_hint.get();
    m_activations = 0;
    m_popups = std::make_unique<BarPopups>(m_state, m_settings, m_cells, [this] { ++m_activations; });
}

void TestPopups::cleanup()
{
    m_popups.reset();
    m_state.HintWindow = nullptr;
    m_hint.reset();
}

void TestPopups::splitPopupLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("longest");

    QTest::newRow("empty") << "" << "" << 1 << 0;
    QTest::newRow("one line") << "abc" << "abc" << 1 << 3;
    QTest::newRow("two lines") << "A#~BC" << "A\n\rBC" << 2 << 2;
    QTest::newRow("trailing separator") << "AB#~" << "AB\n\r" << 2 << 2;
    QTest::newRow("only separators") << "#~#~" << "\n\r\n\r" << 3 << 0;
    QTest::newRow("double-byte counted in bytes") << "あいう#~abcde" << "あいう\n\rabcde" << 2 << 6;
    QTest::newRow("hash before separator") << "##~~" << "#\n\r~" << 2 << 1;
    QTest::newRow("lone marks are text") << "#a~" << "#a~" << 1 << 3;
    QTest::newRow("blanks count") << "  A  #~B" << "  A  \n\rB" << 2 << 5;
}

void TestPopups::splitPopupLines()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(int, lines);
    QFETCH(int, longest);
    const PopupLines split = SplitPopupLines(text);
    QCOMPARE(split.Text, expected);
    QCOMPARE(split.LineCount, lines);
    QCOMPARE(split.LongestLine, longest);
}

void TestPopups::popupTexts_data()
{
    QTest::addColumn<QString>("holiday");
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<QString>("dayText");
    QTest::addColumn<QString>("weekdayText");

    QTest::newRow("plain day") << "" << "" << "2024/03/05" << "";
    QTest::newRow("holiday and two lines")
        << "春分の日" << "A#~B" << "2024/03/05【春分の日】\n\rA\n\rB" << "【春分の日】";
    QTest::newRow("note ending in separator") << "" << "A#~" << "2024/03/05\n\rA\n\r" << "";
    QTest::newRow("name trimmed, note untrimmed")
        << "  春分の日 \t" << " A #~ B " << "2024/03/05【春分の日】\n\r A \n\r B " << "【春分の日】";
    QTest::newRow("substitute holiday") << "振替休日" << "" << "2024/03/05【振替休日】" << "【振替休日】";
    QTest::newRow("blank name is no name") << "   " << "" << "2024/03/05" << "";
    QTest::newRow("blank note still a line") << "" << " " << "2024/03/05\n\r " << "";
}

void TestPopups::popupTexts()
{
    QFETCH(QString, holiday);
    QFETCH(QString, schedule);
    QFETCH(QString, dayText);
    QFETCH(QString, weekdayText);
    CellRec cell;
    cell.Date = QDate(2024, 3, 5);
    cell.HolidayName = holiday;
    cell.Schedule = schedule;
    QCOMPARE(DayPopupText(cell), dayText);
    QCOMPARE(WeekdayPopupText(cell), weekdayText);
}

void TestPopups::hitTests_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("dayColumn");     // 0: no hit
    QTest::addColumn<int>("weekdayColumn"); // 0: no hit

    QTest::newRow("first day, left bound") << 171 << 17 << 1 << 0;
    QTest::newRow("first day, right and bottom bounds") << 184 << 31 << 1 << 0;
    QTest::newRow("next column starts one pixel on") << 185 << 20 << 2 << 0;
    QTest::newRow("left of the strip") << 170 << 20 << 0 << 0;
    QTest::newRow("weekday top bound") << 171 << 1 << 0 << 1;
    QTest::newRow("weekday bottom bound") << 200 << 15 << 0 << 3;
    QTest::newRow("row between the rows") << 200 << 16 << 0 << 0;
    QTest::newRow("above the labels") << 200 << 0 << 0 << 0;
    QTest::newRow("below the numbers") << 200 << 32 << 0 << 0;
    QTest::newRow("last day") << 604 << 31 << 31 << 0;
    QTest::newRow("right of the last day") << 605 << 20 << 0 << 0;
}

void TestPopups::hitTests()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, dayColumn);
    QFETCH(int, weekdayColumn);

    IntPair day{x, y};
    QCOMPARE(HitDayCell(m_cells, day), dayColumn != 0);
    QCOMPARE(day, (dayColumn ? IntPair{dayColumn, 2} : IntPair{x, y}));
    IntPair weekday{x, y};
    QCOMPARE(HitWeekdayCell(m_cells, weekday), weekdayColumn != 0);
    QCOMPARE(weekday, (weekdayColumn ? IntPair{weekdayColumn, 2} : IntPair{x, y}));
}

void TestPopups::hitTestsIgnoreColumnsBeyondTheRendering()
{
    // A 30-day month after a 31-day one: column 31 keeps its old bounds.
    m_cells.DayCount = 30;
    IntPair point{DayX(31), 20};
    QVERIFY(!HitDayCell(m_cells, point));
    MoveToDay(31);
    QVERIFY(!m_hint->isVisible());
    QCOMPARE(m_state.LastHintItem, (IntPair{-1, -1}));
}

void TestPopups::navButtonHits_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("button");

    QTest::newRow("(20,20) shared column") << 20 << 20 << 1;
    QTest::newRow("(20,17) above") << 20 << 17 << 0;
    QTest::newRow("(20,30) below") << 20 << 30 << 0;
    QTest::newRow("left edge") << 10 << 18 << 1;
    QTest::newRow("left of the buttons") << 9 << 18 << 0;
    QTest::newRow("inside 2") << 25 << 24 << 2;
    QTest::newRow("shared 30") << 30 << 29 << 2;
    QTest::newRow("shared 40") << 40 << 18 << 3;
    QTest::newRow("shared 50") << 50 << 25 << 4;
    QTest::newRow("right edge of 5") << 60 << 29 << 5;
    QTest::newRow("right of the buttons") << 61 << 20 << 0;
}

void TestPopups::navButtonHits()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, button);
    IntPair point{x, y};
    QCOMPARE(HitNavButton(m_state, point), button != 0);
    QCOMPARE(point, (button ? IntPair{button, 2} : IntPair{x, y}));
}

void TestPopups::dayPopupIsOneLineHeightPerLine_data()
{
    QTest::addColumn<QString>("holiday");
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<int>("lines");

    QTest::newRow("plain day") << "" << "" << 1;
    QTest::newRow("holiday and two lines") << "春分の日" << "A#~B" << 3;
    QTest::newRow("empty last line") << "" << "A#~" << 3;
    QTest::newRow("separators only") << "" << "#~" << 3;
}

void TestPopups::dayPopupIsOneLineHeightPerLine()
{
    QFETCH(QString, holiday);
    QFETCH(QString, schedule);
    QFETCH(int, lines);
    CellRec& cell = m_cells.At(2, 5);
    cell.HolidayName = holiday;
    cell.Schedule = schedule;

    MoveToDay(5, 22);
    QVERIFY(m_hint->isVisible());
    QCOMPARE(m_hint->Text(), DayPopupText(cell));
    const QRect g = m_hint->geometry();
    QCOMPARE(g.height(), lines * LineHeight(cell.Date) + 4);
    QCOMPARE(g.top(), 22 + 20);
    QCOMPARE(g.left(), cell.Left);
    QCOMPARE(m_hint->palette().color(QPalette::Window), ToQColor(m_settings.DayPopColor));
    QCOMPARE(m_state.LastHintItem, (IntPair{5, 2}));
    QCOMPARE(m_state.MousePos, (IntPair{DayX(5), 22}));
    QVERIFY(!m_state.HintChanged);
}

void TestPopups::widthIsMeasuredOnTheTrimmedSchedule()
{
    CellRec& cell = m_cells.At(2, 3);
    cell.HolidayName = QStringLiteral(" 春分の日 ");
    // The longest line, counted untrimmed, sets the wrap limit: 40 blanks + "A".
    cell.Schedule = QString(40, QLatin1Char(' ')) + QStringLiteral("A#~B");
    MoveToDay(3);
    const QString measured = QStringLiteral("2024/03/03【春分の日】\n\rA\n\rB");
    QCOMPARE(m_hint->width(), m_hint->CalcHintRect(9 * 41, measured).width());
    QVERIFY(m_hint->Text().contains(QString(40, QLatin1Char(' ')) + QLatin1Char('A')));
}

void TestPopups::weekdayPopupShowsTheHolidayName()
{
    m_cells.At(2, 11).HolidayName = QStringLiteral("振替休日");
    m_popups->Image1MouseMove(DayX(11), 8);
    QVERIFY(m_hint->isVisible());
    QCOMPARE(m_hint->Text(), QStringLiteral("【振替休日】"));
    const QString text = m_hint->Text();
    QCOMPARE(m_hint->geometry(),
             QRect(m_cells.At(1, 11).Left, 28, m_hint->CalcHintRect(9 * 12, text).width(),
                   m_hint->CalcHintRect(150, text).height() + 4));
    QCOMPARE(m_hint->palette().color(QPalette::Window), ToQColor(m_settings.YoubiPopColor));
    QCOMPARE(m_state.LastHintItem, (IntPair{11, 2}));
}

void TestPopups::weekdayWithoutNameHides()
{
    m_cells.At(2, 4).HolidayName = QStringLiteral("  ");
    MoveToDay(4);
    QVERIFY(m_hint->isVisible());
    m_popups->Image1MouseMove(DayX(4), 5);
    QVERIFY(!m_hint->isVisible());
    QCOMPARE(m_state.LastHintItem, (IntPair{-1, -1}));
}

void TestPopups::gapRowBetweenTheRowsHides()
{
    m_cells.At(2, 6).HolidayName = QStringLiteral("祝日");
    MoveToDay(6, 17);
    QVERIFY(m_hint->isVisible());
    m_popups->Image1MouseMove(DayX(6), 16);
    QVERIFY(!m_hint->isVisible());
    QCOMPARE(m_state.LastHintItem, (IntPair{-1, -1}));
    m_popups->Image1MouseMove(DayX(6), 15);
    QVERIFY(m_hint->isVisible());
    QCOMPARE(m_hint->Text(), QStringLiteral("【祝日】"));
}

void TestPopups::jumpFromDayNumberToWeekdayLabel()
{
    m_cells.At(2, 7).HolidayName = QStringLiteral("祝日");
    CreationCounter counter(m_hint.get());
    MoveToDay(7);
    QCOMPARE(counter.Count, 1);
    // Same column, same item: the window stays and takes the holiday text.
    m_popups->Image1MouseMove(DayX(7), 3);
    QVERIFY(m_hint->isVisible());
    QCOMPARE(m_hint->Text(), QStringLiteral("【祝日】"));
    QCOMPARE(counter.Count, 1);
    QCOMPARE(m_hint->palette().color(QPalette::Window), ToQColor(m_settings.YoubiPopColor));

    // Column 8 has no name: straight from its number to its label hides.
    MoveToDay(8);
    QVERIFY(m_hint->isVisible());
    m_popups->Image1MouseMove(DayX(8), 3);
    QVERIFY(!m_hint->isVisible());
    QCOMPARE(m_state.LastHintItem, (IntPair{-1, -1}));
}

void TestPopups::followsThePointerDownTheCell()
{
    CreationCounter counter(m_hint.get());
    const int left = m_cells.At(2, 9).Left;
    for (int y = 17; y <= 31; ++y) {
        m_popups->Image1MouseMove(left + (y % 14), y);
        QCOMPARE(m_hint->geometry().topLeft(), QPoint(left, y + 20));
    }
    QCOMPARE(counter.Count, 1);
}

void TestPopups::rightEdgeShift()
{
    const int screenRight = ScreenRight();
    // A strip whose last cells run up to the screen's right edge.
    FillStrip(m_cells, QDate(2024, 3, 1), 31, screenRight - 14 * 31);
    CellRec& cell = m_cells.At(2, 31);
    cell.Schedule = QStringLiteral("長い予定の一行目です");
    m_popups->Image1MouseMove(cell.Left + 2, 25);
    QVERIFY(m_hint->isVisible());
    const QRect g = m_hint->geometry();
    QCOMPARE(g.right() + 1, screenRight);
    QVERIFY(g.left() < cell.Left);
    QCOMPARE(g.top(), 45);

    // Too wide for the screen at all: pinned to the left edge.
    m_popups->Image1MouseMove(0, 0);
    cell.Schedule = QString(400, QLatin1Char('W'));
    m_popups->Image1MouseMove(cell.Left + 2, 25);
    QCOMPARE(m_hint->geometry().left(), 0);
}

void TestPopups::windowIsRecreatedOnlyWhenTheItemChanges()
{
    CreationCounter counter(m_hint.get());
    MoveToDay(2, 18);
    MoveToDay(2, 25);
    QCOMPARE(counter.Count, 1);
    QCOMPARE(m_hint->Text(), QStringLiteral("2024/03/02"));

    MoveToDay(3, 25);
    QCOMPARE(counter.Count, 2);
    QCOMPARE(m_hint->Text(), QStringLiteral("2024/03/03"));
    QVERIFY(!m_state.HintChanged);

    // Hiding releases the window; coming back to a cell makes a new one.
    m_popups->Image1MouseMove(100, 20);
    QVERIFY(!m_hint->isVisible());
    QVERIFY(!m_hint->testAttribute(Qt::WA_WState_Created));
    MoveToDay(3, 25);
    QCOMPARE(counter.Count, 3);
}

void TestPopups::hideKeepsTheItem()
{
    MoveToDay(12);
    m_popups->Hide();
    QVERIFY(!m_hint->isVisible());
    QVERIFY(!m_hint->testAttribute(Qt::WA_WState_Created));
    QCOMPARE(m_state.LastHintItem, (IntPair{12, 2}));
    MoveToDay(12, 24);
    QVERIFY(m_hint->isVisible());
    QVERIFY(!m_state.HintChanged);
    QCOMPARE(m_hint->geometry().top(), 44);
}

void TestPopups::hiddenBarSlidesInAndShowsNothing()
{
    m_state.Shown = false;
    MoveToDay(4);
    QCOMPARE(m_activations, 1);
    QVERIFY(!m_hint->isVisible());
    QCOMPARE(m_state.LastHintItem, (IntPair{-1, -1}));
    QCOMPARE(m_state.MousePos, IntPair{});

    m_popups->Image2MouseMove(35, 20);
    QCOMPARE(m_activations, 2);
    QVERIFY(!m_hint->isVisible());
}

void TestPopups::navButtonPopup()
{
    CreationCounter counter(m_hint.get());
    m_popups->Image2MouseMove(35, 22);
    QVERIFY(m_hint->isVisible());
    QCOMPARE(m_hint->Text(), QStringLiteral("今月"));
    const QRect measure = m_hint->CalcHintRect(100, QStringLiteral("今月"));
    QCOMPARE(m_hint->geometry(), QRect(35, 42, measure.width(), measure.height() + 4));
    QCOMPARE(m_hint->palette().color(QPalette::Window), QColor(255, 255, 0));
    QCOMPARE(m_state.LastHintItem, (IntPair{3, 2}));
    QCOMPARE(m_state.MousePos, (IntPair{35, 22}));

    // Along the button the window moves with the pointer, to the next one it
    // is made again, off the buttons it goes.
    m_popups->Image2MouseMove(38, 25);
    QCOMPARE(m_hint->geometry().topLeft(), QPoint(38, 45));
    QCOMPARE(counter.Count, 1);
    m_popups->Image2MouseMove(40, 25);
    QCOMPARE(m_hint->Text(), QStringLiteral("今月"));
    m_popups->Image2MouseMove(41, 25);
    QCOMPARE(m_hint->Text(), QStringLiteral("来月"));
    QCOMPARE(counter.Count, 2);
    m_popups->Image2MouseMove(41, 30);
    QVERIFY(!m_hint->isVisible());
    QCOMPARE(m_state.LastHintItem, (IntPair{-1, -1}));
}

void TestPopups::withoutWindowOnlyBookkeeping()
{
    m_state.HintWindow = nullptr;
    MoveToDay(3);
    QCOMPARE(m_state.LastHintItem, (IntPair{3, 2}));
    m_popups->Image2MouseMove(15, 20);
    QCOMPARE(m_state.LastHintItem, (IntPair{1, 2}));
    m_popups->Hide();
    QVERIFY(!m_hint->isVisible());
}

QTEST_MAIN(TestPopups)
#include "test_popups.moc"
