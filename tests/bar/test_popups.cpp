#include "barstate.h"
#include "calendarmarks.h"
#include "clock.h"
#include "colors.h"
#include "cp932.h"
#include "idlewatch.h"
#include "pointerwatch.h"
#include "popups.h"
#include "tform1.h"
#include "thintwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
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
        weekday = CellRec{x + 1, 1, x + 14, 15, QDate(), QStringLiteral("月"), {}, {}, {}};
        CellRec& day = cells.At(2, k);
        day = CellRec{x + 1, 17, x + 14, 31, first.addDays(k - 1), {}, {}, {}, {}};
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

void WriteCp932(const QString& path, const QString& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Cp932::Encode(text));
}

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
    void dayEventLines_data();
    void dayEventLines();
    void hitTests_data();
    void hitTests();
    void hitTestsIgnoreColumnsBeyondTheRendering();
    void navButtonHits_data();
    void navButtonHits();

    void activateHintKeepsTheWindowOnScreen_data();
    void activateHintKeepsTheWindowOnScreen();
    void paintsTextInTheToolTipColourOverTheBackground();
    void dayPopupIsOneLineHeightPerLine_data();
    void dayPopupIsOneLineHeightPerLine();
    void widthIsMeasuredOnTheTrimmedSchedule();
    void weekdayPopupShowsTheHolidayName();
    void weekdayWithoutNameHides();
    void gapRowBetweenTheRowsHides();
    void jumpFromDayNumberToWeekdayLabel();
    void followsThePointerDownTheCell();
    void rightEdgeShift();
    void textWiderThanTheScreenWraps_data();
    void textWiderThanTheScreenWraps();
    void oneFontForTheWholeText();
    void windowIsRecreatedOnlyWhenTheItemChanges();
    void hideKeepsTheItem();
    void hiddenBarSlidesInAndShowsNothing();
    void navButtonPopup();
    void placedFromTheBarsRealPlace_data();
    void placedFromTheBarsRealPlace();
    void withoutWindowOnlyBookkeeping();
    void realBarShowsWhatItDrew();

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
    QTest::addColumn<QStringList>("events");

    QTest::newRow("plain day") << "" << "" << "2024/03/05" << "" << QStringList();
    QTest::newRow("holiday and two lines")
        << "春分の日" << "A#~B" << "2024/03/05【春分の日】\n\rA\n\rB" << "【春分の日】" << QStringList();
    QTest::newRow("note ending in separator") << "" << "A#~" << "2024/03/05\n\rA\n\r" << "" << QStringList();
    QTest::newRow("name trimmed, note untrimmed")
        << "  春分の日 \t" << " A #~ B " << "2024/03/05【春分の日】\n\r A \n\r B " << "【春分の日】" << QStringList();
    QTest::newRow("substitute holiday") << "振替休日" << "" << "2024/03/05【振替休日】" << "【振替休日】" << QStringList();
    QTest::newRow("blank name is no name") << "   " << "" << "2024/03/05" << "" << QStringList();
    QTest::newRow("blank note still a line") << "" << " " << "2024/03/05\n\r " << "" << QStringList();
    QTest::newRow("events after the note")
        << "春分の日" << "A" << "2024/03/05【春分の日】\n\rA\n\r終日 旅行\n\r09:30–10:00 会議" << "【春分の日】"
        << QStringList{"終日 旅行", "09:30–10:00 会議"};
    QTest::newRow("events alone") << "" << "" << "2024/03/05\n\r終日 旅行" << "" << QStringList{"終日 旅行"};
}

// The day's events in the pop-up: calendar 1 "仕事" is shown, 2 "家族"
// hidden, 3 "趣味" shown or hidden as the row says.
void TestPopups::dayEventLines_data()
{
    QTest::addColumn<QList<DayEvent>>("events");
    QTest::addColumn<bool>("thirdShown");
    QTest::addColumn<QStringList>("lines");

    const QDate d(2024, 3, 5);
    QTest::newRow("one calendar shown: no names, all-day first, then by start")
        << QList<DayEvent>{{d, 600, 630, "会議", 0}, {d, 570, 600, "朝会", 0}, {d, -1, -1, "出張", 0}} << false
        << QStringList{"終日 出張", "09:30–10:00 朝会", "10:00–10:30 会議"};
    QTest::newRow("two shown: names; the hidden calendar's events left out")
        << QList<DayEvent>{{d, 570, 600, "朝会", 2}, {d, 540, 600, "歯医者", 1}, {d, -1, -1, "出張", 0}} << true
        << QStringList{"終日 出張 (仕事)", "09:30–10:00 朝会 (趣味)"};
    QTest::newRow("clipped to the day, zero length, lines joined")
        << QList<DayEvent>{{d, 1320, 1440, "夜行", 0}, {d, 0, 60, "前夜から", 0}, {d, 720, 720, "締切\r\n正午", 0}}
        << false << QStringList{"00:00–01:00 前夜から", "12:00 締切 正午", "22:00–24:00 夜行"};
    QTest::newRow("unknown calendar ignored") << QList<DayEvent>{{d, 600, 630, "幽霊", 7}} << false << QStringList{};
}

void TestPopups::dayEventLines()
{
    QFETCH(QList<DayEvent>, events);
    QFETCH(bool, thirdShown);
    QFETCH(QStringList, lines);
    QList<CalendarStatus> calendars(3);
    calendars[0].Entry.Name = QStringLiteral("仕事");
    calendars[1].Entry.Name = QStringLiteral("家族");
    calendars[1].Entry.Shown = false;
    calendars[2].Entry.Name = QStringLiteral("趣味");
    calendars[2].Entry.Shown = thirdShown;
    QCOMPARE(DayEventLines(events, calendars), lines);
}

void TestPopups::popupTexts()
{
    QFETCH(QString, holiday);
    QFETCH(QString, schedule);
    QFETCH(QString, dayText);
    QFETCH(QString, weekdayText);
    QFETCH(QStringList, events);
    CellRec cell;
    cell.Date = QDate(2024, 3, 5);
    cell.HolidayName = holiday;
    cell.Schedule = schedule;
    cell.Events = events;
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

void TestPopups::activateHintKeepsTheWindowOnScreen_data()
{
    // Positions from the screen's right and bottom edges where marked.
    QTest::addColumn<int>("x");
    QTest::addColumn<bool>("fromRight");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("fromBottom");
    QTest::addColumn<QPoint>("expected"); // likewise relative
    QTest::addColumn<bool>("expectedFromRight");

    QTest::newRow("inside") << 100 << false << 100 << false << QPoint(100, 100) << false;
    QTest::newRow("past the bottom: moved up") << 100 << false << 10 << true << QPoint(100, 24) << false;
    QTest::newRow("past the right: moved left") << 20 << true << 100 << false << QPoint(50, 100) << true;
    QTest::newRow("left of the screen") << -5 << false << 100 << false << QPoint(0, 100) << false;
}

void TestPopups::activateHintKeepsTheWindowOnScreen()
{
    QFETCH(int, x);
    QFETCH(bool, fromRight);
    QFETCH(int, y);
    QFETCH(bool, fromBottom);
    QFETCH(QPoint, expected);
    QFETCH(bool, expectedFromRight);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int left = fromRight ? screen.right() + 1 - x : x;
    const int top = fromBottom ? screen.bottom() + 1 - y : y;
    m_hint->ActivateHint(QRect(left, top, 50, 20), QStringLiteral("x"));
    const int wantLeft = expectedFromRight ? screen.right() + 1 - expected.x() : expected.x();
    const int wantTop = fromBottom ? screen.bottom() + 1 - expected.y() : expected.y();
    QCOMPARE(m_hint->geometry(), QRect(wantLeft, wantTop, 50, 24));
    QVERIFY(m_hint->isVisible());
    QCOMPARE(m_hint->Text(), QStringLiteral("x"));
}

void TestPopups::paintsTextInTheToolTipColourOverTheBackground()
{
    const QColor background(0x12, 0x80, 0xF0);
    m_hint->SetBackground(background);
    const QString text = QStringLiteral("WWWW\n\rWWWW");
    const QRect size = m_hint->CalcHintRect(200, text);
    m_hint->ActivateHint(QRect(QPoint(10, 10), size.size()), text);
    const QImage image = m_hint->grab().toImage();
    QCOMPARE(image.size(), QSize(size.width(), size.height() + 4));

    const QColor ink = QToolTip::palette().color(QPalette::ToolTipText);
    int inkPixels = 0;
    int inkInsideInset = 0;
    int inkOnLine2 = 0;
    int firstInkX[2] = {1000, 1000};
    const int lineHeight = QFontMetrics(m_hint->font()).height();
    for (int y = 1; y < image.height() - 1; ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            if (QColor(image.pixel(x, y)) == ink) {
                ++inkPixels;
                inkInsideInset += (x < 2 || y < 2);
                const int line = y >= 2 + lineHeight ? 1 : 0;
                inkOnLine2 += line;
                firstInkX[line] = std::min(firstInkX[line], x);
            }
        }
    }
    QVERIFY(inkPixels > 0);
    QCOMPARE(inkInsideInset, 0);
    QVERIFY(inkOnLine2 > 0); // the line break is one break, the second line is drawn
    QCOMPARE(firstInkX[1], firstInkX[0]); // and it does not start with a blank
    // Background at the far corner, a light top-left edge and a dark lower edge.
    QCOMPARE(QColor(image.pixel(image.width() - 3, image.height() - 3)), background);
    QCOMPARE(QColor(image.pixel(0, 0)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(image.width() / 2, image.height() - 1)), QColor(Qt::darkGray));
}

void TestPopups::dayPopupIsOneLineHeightPerLine_data()
{
    QTest::addColumn<QString>("holiday");
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("lines");

    QTest::newRow("plain day") << "" << "" << QStringList() << 1;
    QTest::newRow("holiday and two lines") << "春分の日" << "A#~B" << QStringList() << 3;
    QTest::newRow("empty last line") << "" << "A#~" << QStringList() << 3;
    QTest::newRow("separators only") << "" << "#~" << QStringList() << 3;
    QTest::newRow("note and two events") << "" << "A" << QStringList{"終日 旅行", "09:30–10:00 会議 (仕事)"} << 4;
}

void TestPopups::dayPopupIsOneLineHeightPerLine()
{
    QFETCH(QString, holiday);
    QFETCH(QString, schedule);
    QFETCH(QStringList, events);
    QFETCH(int, lines);
    CellRec& cell = m_cells.At(2, 5);
    cell.HolidayName = holiday;
    cell.Schedule = schedule;
    cell.Events = events;

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

    // Too wide for the screen at all: wrapped, and still wholly on it.
    m_popups->Image1MouseMove(0, 0);
    cell.Schedule = QString(400, QLatin1Char('W'));
    m_popups->Image1MouseMove(cell.Left + 2, 25);
    QVERIFY(m_hint->geometry().left() >= 0);
    QCOMPARE(m_hint->geometry().right() + 1, screenRight);
}

void TestPopups::textWiderThanTheScreenWraps_data()
{
    QTest::addColumn<QString>("holiday");
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<int>("y"); // 25 the day number, 8 the weekday label

    QTest::newRow("3000 letters without a blank") << "" << QString(3000, u'W') << 25;
    QTest::newRow("3000 kana") << "" << QString(3000, u'あ') << 25;
    QTest::newRow("words and lines") << "" << QStringLiteral("word ").repeated(600) + QStringLiteral("#~end") << 25;
    QTest::newRow("holiday name, day pop-up") << QString(400, u'祝') << "" << 25;
    QTest::newRow("holiday name, weekday pop-up") << QString(400, u'祝') << "" << 8;
}

// A text wider than the screen: the pop-up lies wholly on the screen and is
// tall enough for every line the text needs at its width, with the text
// painted down to its last line.
void TestPopups::textWiderThanTheScreenWraps()
{
    QFETCH(QString, holiday);
    QFETCH(QString, schedule);
    QFETCH(int, y);
    CellRec& cell = m_cells.At(2, 20);
    cell.HolidayName = holiday;
    cell.Schedule = schedule;
    m_popups->Image1MouseMove(DayX(20), y);
    QVERIFY(m_hint->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect g = m_hint->geometry();
    QVERIFY2(screen.contains(g), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())));

    // No fewer lines than the text's whole width over the window's.
    const QFontMetrics metrics(m_hint->font());
    QString text = m_hint->Text();
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    qint64 advance = 0;
    for (const QString& line : text.split(u'\n'))
        advance += metrics.horizontalAdvance(line);
    const int lines = int((advance + g.width() - 1) / g.width());
    QVERIFY2(g.height() >= lines * metrics.height(), qPrintable(QStringLiteral("%1 < %2 lines").arg(g.height()).arg(lines)));

    const QImage image = m_hint->grab().toImage();
    const QColor ink = QToolTip::palette().color(QPalette::ToolTipText);
    int lowest = -1;
    for (int row = 0; row < image.height(); ++row)
        for (int x = 2; x < image.width() - 1; ++x)
            if (QColor(image.pixel(x, row)) == ink)
                lowest = row;
    QVERIFY2(lowest > image.height() - 3 * metrics.height(), qPrintable(QString::number(lowest)));
}

// The date is as wide beside a katakana name as beside a kanji one: the
// whole text comes from one font, at its natural width.
void TestPopups::oneFontForTheWholeText()
{
    for (const QString& name : {QStringLiteral("【クリスマスイブ】"), QStringLiteral("【振替休日】")}) {
        const QString date = QStringLiteral("2026/12/24");
        const int whole = m_hint->CalcHintRect(1 << 20, date + name).width();
        const int parts = m_hint->CalcHintRect(1 << 20, date).width() + m_hint->CalcHintRect(1 << 20, name).width() - 6;
        QVERIFY2(qAbs(whole - parts) <= 1, qPrintable(QStringLiteral("%1: %2 against %3").arg(name).arg(whole).arg(parts)));
    }
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
    QTRY_VERIFY(!m_hint->testAttribute(Qt::WA_WState_Created));
    MoveToDay(3, 25);
    QCOMPARE(counter.Count, 3);
}

void TestPopups::hideKeepsTheItem()
{
    MoveToDay(12);
    m_popups->Hide();
    QVERIFY(!m_hint->isVisible());
    QTRY_VERIFY(!m_hint->testAttribute(Qt::WA_WState_Created));
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

// Strip and header points go on the screen from the bar's real top-left: a
// bar that does not stand at the screen's corner carries its pop-ups along.
void TestPopups::placedFromTheBarsRealPlace_data()
{
    QTest::addColumn<QPoint>("bar");
    QTest::newRow("corner") << QPoint(0, 0);
    QTest::newRow("moved right and down") << QPoint(120, 200);
}

void TestPopups::placedFromTheBarsRealPlace()
{
    QFETCH(QPoint, bar);
    m_cells.At(2, 1).HolidayName = QStringLiteral("祝日");
    m_popups = std::make_unique<BarPopups>(m_state, m_settings, m_cells, [] {}, [bar] { return bar; });
    m_popups->Image1MouseMove(DayX(4), 25);
    QCOMPARE(m_hint->geometry().topLeft(), bar + QPoint(m_cells.At(2, 4).Left, 45));
    m_popups->Image1MouseMove(DayX(1), 8);
    QCOMPARE(m_hint->geometry().topLeft(), bar + QPoint(m_cells.At(1, 1).Left, 28));
    m_popups->Image2MouseMove(35, 22);
    QCOMPARE(m_hint->geometry().topLeft(), bar + QPoint(35, 42));
    m_popups->Image2MouseMove(0, 0);
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

void TestPopups::realBarShowsWhatItDrew()
{
    const QString oldDir = QDir::currentPath();
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    PointerWatch::SetFactoryForTesting([](PointerWatch::Callback) { return std::make_unique<IdleWatch>(); });
    Clock::SetSourceForTesting([] { return QDateTime(QDate(2024, 6, 3), QTime(10, 0)); });
    // A day off on Sunday 9 June owes Monday 10 June a substitute holiday.
    WriteCp932(dir.filePath(QStringLiteral("HorDay.ini")),
               QStringLiteral("[祝日]\r\n0609=日曜の休み\r\n0612= 記念日 \r\n"));
    WriteCp932(dir.filePath(QStringLiteral("HorDay2.ini")), QStringLiteral("[祝日]\r\n0609=日曜の休み\r\n"));
    WriteCp932(dir.filePath(QStringLiteral("Yotei202406.Dat")), QStringLiteral("[予定]\r\n0612=会議#~資料#~\r\n"));
    WriteCp932(dir.filePath(QStringLiteral("Murvane.ini")), QStringLiteral("[表示色]\r\nDayPopColor=12632256\r\n"));
    {
        TForm1 bar;
        bar.State.Shown = true;
        THintWindow* hint = bar.State.HintWindow;
        QVERIFY(hint);

        bar.Image1MouseMove(DayX(12), 24);
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->Text(), QStringLiteral("2024/06/12【記念日】\n\r会議\n\r資料\n\r"));
        QCOMPARE(hint->geometry().topLeft(), QPoint(bar.Cells.At(2, 12).Left, 44));
        QCOMPARE(hint->height(), 4 * LineHeight(QDate(2024, 6, 12)) + 4);
        QCOMPARE(hint->palette().color(QPalette::Window), ToQColor(Colors::Silver));

        bar.Image1MouseMove(DayX(10), 8);
        QCOMPARE(hint->Text(), QStringLiteral("【振替休日】"));

        // The menu hides the pop-up; the bar's closing takes the window away.
        bar.PopupMenu1Popup();
        QVERIFY(!hint->isVisible());
        QCOMPARE(bar.State.LastHintItem, (IntPair{10, 2}));
    }
    Clock::SetSourceForTesting({});
    PointerWatch::SetFactoryForTesting({});
    QDir::setCurrent(oldDir);
}

QTEST_MAIN(TestPopups)
#include "test_popups.moc"
