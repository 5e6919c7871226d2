#include "barfonts.h"
#include "barrenderer.h"
#include "celltext.h"
#include "clock.h"
#include "colors.h"
#include "barpicture.h"
#include "fakecalendars.h"
#include "schedulefiles.h"
#include "stripink.h"
#include "tinifile.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRgb Silver = 0xFFC0C0C0;
const QRgb Grey = 0xFF808080;
const QRgb White = 0xFFFFFFFF;
const QRgb Yellow = 0xFFFFFF00;
const QRgb Red = 0xFFFF0000;
const QRgb Blue = 0xFF0000FF;
const QRgb Black = 0xFF000000;

int ColumnX(int k)
{
    return 170 + 14 * (k - 1);
}

// Bounding box of the pixels of one colour within an area.
QRect Ink(const QImage& image, QRect area, QRgb colour)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestBarRenderer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    BarSettings m_settings;
    BarState m_state;
    CellTable m_cells;
    BarLayers m_layers;
    std::optional<QImage> m_picture;

    void Render(QDate date, bool mark = false, qreal ratio = 1, CalendarStore* calendars = nullptr)
    {
        RenderMonth(MonthRender{m_dir.path(), m_settings, m_picture, mark, date, ratio, calendars}, m_state, m_cells,
                    m_layers);
    }

    // A picture of one colour with a white top-left pixel.
    static QImage Solid(QRgb colour)
    {
        QImage p(20, 20, QImage::Format_RGB32);
        p.fill(colour);
        p.setPixel(0, 0, White);
        return p;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Wednesday 15 May 2024 is today. Days off on Friday 3, Saturday 4
        // and Sunday 5 May make Monday 6 May a substitute holiday; 20 May is
        // a named day that is no day off; 10 May and 1 June carry notes.
        TIniFile named(m_dir.filePath(QStringLiteral("HorDay.ini")));
        named.WriteText(QStringLiteral("祝日"), QStringLiteral("0503"), QStringLiteral("憲法記念日"));
        named.WriteText(QStringLiteral("祝日"), QStringLiteral("0504"), QStringLiteral("みどりの日"));
        named.WriteText(QStringLiteral("祝日"), QStringLiteral("0505"), QStringLiteral("こどもの日"));
        named.WriteText(QStringLiteral("祝日"), QStringLiteral("0520"), QStringLiteral("記念日"));
        TIniFile off(m_dir.filePath(QStringLiteral("HorDay2.ini")));
        for (const char* key : {"0503", "0504", "0505"})
            off.WriteText(QStringLiteral("祝日"), QString::fromLatin1(key), QStringLiteral("休み"));
        TIniFile(ScheduleFilePath(m_dir.path(), QDate(2024, 5, 1)))
            .WriteText(QStringLiteral("予定"), QStringLiteral("0510"), QStringLiteral("会議#~資料"));
        TIniFile(ScheduleFilePath(m_dir.path(), QDate(2024, 6, 1)))
            .WriteText(QStringLiteral("予定"), QStringLiteral("0601"), QStringLiteral("旅行"));
        Clock::SetSourceForTesting([] { return QDateTime(QDate(2024, 5, 15), QTime(9, 5)); });
    }

    void cleanupTestCase() { Clock::SetSourceForTesting({}); }

    void init()
    {
        m_settings = BarSettings{};
        m_state = BarState{};
        FillNavButtons(m_state);
        m_picture.reset();
    }

    void widthFollowsTheStrip_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("showFRDate");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("width");
        QTest::newRow("28-day February") << QDate(2023, 2, 10) << 0 << 28 << 572;
        QTest::newRow("29-day February") << QDate(2024, 2, 29) << 0 << 29 << 586;
        QTest::newRow("30-day April") << QDate(2024, 4, 1) << 0 << 30 << 600;
        QTest::newRow("31-day May") << QDate(2024, 5, 31) << 0 << 31 << 614;
        QTest::newRow("60 days") << QDate(2024, 3, 3) << 1 << 60 << 1020;
        QTest::newRow("60 days, ShowFRDate 2") << QDate(2024, 3, 3) << 2 << 60 << 1020;
    }

    void widthFollowsTheStrip()
    {
        QFETCH(QDate, date);
        QFETCH(int, showFRDate);
        QFETCH(int, days);
        QFETCH(int, width);
        m_settings.ShowFRDate = showFRDate;
        Render(date);
        QCOMPARE(m_layers.WindowWidth, width);
        QCOMPARE(m_layers.Strip.size(), QSize(width - 4, 33));
        QCOMPARE(m_layers.Overlay.size(), QSize(169, 33));
        QCOMPARE(m_cells.DayCount, days);
        const CellRec& last = m_cells.At(2, days);
        QCOMPARE(last.Right, 170 + 14 * days);
        QVERIFY(last.Right < m_layers.Strip.width());
    }

    void cellTableHoldsBoundsAndTexts()
    {
        Render(QDate(2024, 5, 15));
        const CellRec& firstLabel = m_cells.At(1, 1);
        QCOMPARE(QRect(QPoint(firstLabel.Left, firstLabel.Top), QPoint(firstLabel.Right, firstLabel.Bottom)),
                 QRect(QPoint(171, 1), QPoint(184, 15)));
        QCOMPARE(firstLabel.Text, QStringLiteral("水"));
        QVERIFY(firstLabel.Date.isNull());
        const CellRec& first = m_cells.At(2, 1);
        QCOMPARE(QRect(QPoint(first.Left, first.Top), QPoint(first.Right, first.Bottom)),
                 QRect(QPoint(171, 17), QPoint(184, 31)));
        QCOMPARE(first.Text, QStringLiteral("01"));
        QCOMPARE(first.Date, QDate(2024, 5, 1));
        // Neighbouring cells touch: 14 pixels apart, both bounds inclusive.
        QCOMPARE(m_cells.At(2, 2).Left, first.Right + 1);
        const CellRec& last = m_cells.At(2, 31);
        QCOMPARE(last.Left, 591);
        QCOMPARE(last.Right, 604);
        QCOMPARE(last.Text, QStringLiteral("31"));
        QCOMPARE(m_cells.At(1, 31).Text, QStringLiteral("金"));
        QCOMPARE(m_cells.At(1, 5).Text, QStringLiteral("日"));
        QCOMPARE(m_cells.At(1, 6).Text, QStringLiteral("月"));

        QCOMPARE(m_cells.At(2, 5).HolidayName, QStringLiteral("こどもの日"));
        QCOMPARE(m_cells.At(2, 6).HolidayName, QStringLiteral("振替休日"));
        QCOMPARE(m_cells.At(2, 20).HolidayName, QStringLiteral("記念日"));
        QCOMPARE(m_cells.At(2, 10).Schedule, QStringLiteral("会議#~資料"));
        QVERIFY(m_cells.At(2, 11).Schedule.isEmpty());
        QVERIFY(m_cells.At(2, 11).HolidayName.isEmpty());
    }

    void shorterMonthLeavesOldColumnsOutsideTheCount()
    {
        Render(QDate(2024, 5, 1));
        Render(QDate(2024, 4, 1));
        QCOMPARE(m_cells.DayCount, 30);
        QCOMPARE(m_cells.At(2, 31).Date, QDate(2024, 5, 31));
        QCOMPARE(m_cells.At(2, 30).Date, QDate(2024, 4, 30));
    }

    void silverBackground()
    {
        Render(QDate(2024, 5, 15));
        const QImage& strip = m_layers.Strip;
        for (QPoint p : {QPoint(0, 0), QPoint(100, 32), QPoint(169, 16), QPoint(strip.width() - 1, 0),
                         QPoint(strip.width() - 1, 32), QPoint(300, 16)})
            QCOMPARE(strip.pixel(p), Silver);
    }

    void raisedFrames_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("top"); // 1 weekday row, 17 day row
        QTest::addColumn<bool>("framed");
        QTest::newRow("named day off, weekday cell") << 3 << 1 << true;
        QTest::newRow("named day, not a day off") << 20 << 1 << true;
        QTest::newRow("day with a note") << 10 << 17 << true;
        QTest::newRow("substitute holiday has no frame") << 6 << 1 << false;
        QTest::newRow("named day's number has no frame") << 3 << 17 << false;
        QTest::newRow("a plain day") << 11 << 1 << false;
        QTest::newRow("a plain day's number") << 11 << 17 << false;
    }

    void raisedFrames()
    {
        QFETCH(int, column);
        QFETCH(int, top);
        QFETCH(bool, framed);
        Render(QDate(2024, 5, 15));
        const QImage& strip = m_layers.Strip;
        const int x = ColumnX(column);
        const int bottom = top + 14;
        // The box runs from (x, top) to (x + 12, bottom): white upper and
        // left edges, grey lower and right ones.
        // Without a frame, only the edges outside the text's box are sure
        // to be plain silver: the left column and the bottom row.
        const QRgb white = framed ? White : Silver;
        const QRgb grey = framed ? Grey : Silver;
        for (int j = top; j <= bottom - 1; ++j)
            QCOMPARE(strip.pixel(x, j), white);
        for (int i = x + 1; i <= x + 12; ++i)
            QCOMPARE(strip.pixel(i, bottom), grey);
        if (framed) {
            for (int i = x; i <= x + 11; ++i)
                QCOMPARE(strip.pixel(i, top), White);
            for (int j = top + 1; j <= bottom; ++j)
                QCOMPARE(strip.pixel(x + 12, j), Grey);
        }
        // The lower-left corner is left out by both edges.
        QCOMPARE(strip.pixel(x, bottom), Silver);
    }

    void textColours_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QRgb>("colour");
        QTest::newRow("Wednesday label") << 1 << 1 << Black;
        QTest::newRow("Wednesday number") << 1 << 2 << Black;
        QTest::newRow("Saturday label") << 4 << 1 << Blue;
        QTest::newRow("Saturday day off number") << 4 << 2 << Red;
        QTest::newRow("Sunday label") << 5 << 1 << Red;
        QTest::newRow("substitute label") << 6 << 1 << Red;
        QTest::newRow("substitute number") << 6 << 2 << Red;
        QTest::newRow("named Monday label") << 20 << 1 << Black;
        QTest::newRow("named Monday number") << 20 << 2 << Black;
        QTest::newRow("today's number") << 15 << 2 << Yellow;
        QTest::newRow("today's label") << 15 << 1 << Black;
    }

    void textColours()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QRgb, colour);
        Render(QDate(2024, 5, 15));
        const QSet<QRgb> ink = InkInside(m_layers.Strip, m_cells.At(row, column));
        QCOMPARE(ink, QSet<QRgb>{colour});
    }

    void neighbouringMonthsAreGreyAndFramed()
    {
        m_settings.ShowFRDate = 1;
        Render(QDate(2024, 5, 15));
        // From 15 April: 16 April days, then May, then 1 June at column 48.
        QCOMPARE(m_cells.At(2, 1).Date, QDate(2024, 4, 15));
        QCOMPARE(m_cells.At(2, 48).Date, QDate(2024, 6, 1));
        QCOMPARE(m_cells.At(2, 60).Date, QDate(2024, 6, 13));
        QCOMPARE(m_cells.At(2, 60).Right, 1010);
        QCOMPARE(InkInside(m_layers.Strip, m_cells.At(2, 1)), QSet<QRgb>{Grey});
        QCOMPARE(InkInside(m_layers.Strip, m_cells.At(2, 31)), QSet<QRgb>{Yellow}); // 15 May
        const int x = ColumnX(48);
        QCOMPARE(m_layers.Strip.pixel(x, 17), White);
        QCOMPARE(m_layers.Strip.pixel(x + 12, 31), Grey);
        // The title names both ends, so it runs further right than one month's.
        const QRect wide = Ink(m_layers.Overlay, QRect(0, 0, 169, 14), Black);
        m_settings.ShowFRDate = 0;
        Render(QDate(2024, 5, 15));
        const QRect narrow = Ink(m_layers.Overlay, QRect(0, 0, 169, 14), Black);
        QVERIFY2(wide.right() > narrow.right() + 20, qPrintable(QStringLiteral("%1 %2").arg(wide.right()).arg(narrow.right())));
    }

    void titleShadowAndUnderline()
    {
        Render(QDate(2024, 5, 15));
        const QImage& overlay = m_layers.Overlay;
        // The yellow underline from (5, 14) to the overlay's right edge.
        for (int x = 5; x < 169; ++x)
            QCOMPARE(overlay.pixel(x, 14), Yellow);
        QVERIFY(overlay.pixel(4, 14) != Yellow);
        QCOMPARE(qAlpha(overlay.pixel(100, 16)), 0);
        QCOMPARE(qAlpha(overlay.pixel(168, 32)), 0);
        // The black title with its top-left at (5, 1), the grey shadow on the
        // strip 3 pixels right and down of it.
        const QRect title = Ink(overlay, QRect(0, 0, 169, 14), Black);
        const QRect shadow = Ink(m_layers.Strip, QRect(0, 0, 169, 17), Grey);
        QVERIFY(!title.isEmpty());
        QVERIFY(title.left() >= 5 && title.top() >= 1);
        QVERIFY(shadow.left() >= 8 && shadow.top() >= 4);
        QCOMPARE(shadow.topLeft(), title.topLeft() + QPoint(3, 3));
        QCOMPARE(shadow.size(), title.size());
    }

    void navigationGlyphs()
    {
        Render(QDate(2024, 5, 15));
        // Glyphs 11 wide at 10-pixel steps overlap by a column or two: the
        // overlay must be opaque exactly where some glyph is.
        const QPoint places[] = {{10, 18}, {21, 18}, {30, 18}, {39, 18}, {50, 18}};
        QImage expected(169, 33, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        for (int i = 0; i < 5; ++i) {
            const QImage& glyph = NavGlyph(i);
            QCOMPARE(glyph.size(), QSize(11, 11));
            for (int y = 0; y < 11; ++y)
                for (int x = 0; x < 11; ++x)
                    if (qAlpha(glyph.pixel(x, y)) != 0)
                        expected.setPixel(places[i] + QPoint(x, y), Black);
        }
        for (int y = 17; y < 33; ++y)
            for (int x = 0; x < 169; ++x)
                QCOMPARE(m_layers.Overlay.pixel(x, y), expected.pixel(x, y));
        QVERIFY(Ink(expected, QRect(10, 18, 11, 11), Black).width() >= 9);
    }

    void picturePlace_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("mark");
        QTest::addColumn<int>("imageX");
        QTest::addColumn<int>("imageY");
        QTest::addColumn<int>("column"); // 0: no picture
        QTest::newRow("today") << QDate(2024, 5, 15) << false << 0 << 0 << 15;
        QTest::newRow("offsets 3, -2") << QDate(2024, 5, 15) << false << 3 << -2 << 15;
        QTest::newRow("offsets -4, 5") << QDate(2024, 5, 15) << false << -4 << 5 << 15;
        QTest::newRow("other month, no mark") << QDate(2024, 6, 15) << false << 0 << 0 << 0;
        QTest::newRow("marked day beside today") << QDate(2024, 5, 3) << true << 0 << 0 << 3;
        QTest::newRow("marked day in another month") << QDate(2024, 7, 9) << true << 0 << 0 << 9;
    }

    void picturePlace()
    {
        QFETCH(QDate, date);
        QFETCH(bool, mark);
        QFETCH(int, imageX);
        QFETCH(int, imageY);
        QFETCH(int, column);
        const QRgb colour = 0xFF123456;
        m_picture = Solid(colour);
        m_settings.Image_X = imageX;
        m_settings.Image_Y = imageY;
        Render(date, mark);
        const QImage& strip = m_layers.Strip;
        const QRect drawn = Ink(strip, strip.rect(), colour);
        if (column == 0) {
            QVERIFY(drawn.isEmpty());
            return;
        }
        const CellRec& cell = m_cells.At(2, column);
        const QPoint topLeft(cell.Left - imageX, cell.Top + imageY);
        // Clipped to the strip's 33 rows; the white top-left pixel is left out.
        QCOMPARE(drawn, QRect(topLeft, QSize(20, 20)) & strip.rect());
        QVERIFY(strip.pixel(topLeft) != colour);
        QCOMPARE(strip.pixel(topLeft + QPoint(1, 0)), colour);
    }

    void pictureWhiteIsTransparentAndNotBlended()
    {
        QImage picture(20, 20, QImage::Format_RGB32);
        picture.fill(White);
        picture.setPixel(3, 3, 0xFFFEFEFE); // nearly white is opaque
        picture.setPixel(4, 3, 0xFF010203);
        Render(QDate(2024, 5, 15));
        QImage without = m_layers.Strip;
        m_picture = picture;
        Render(QDate(2024, 5, 15));
        const CellRec& cell = m_cells.At(2, 15);
        QCOMPARE(m_layers.Strip.pixel(cell.Left + 3, cell.Top + 3), 0xFFFEFEFEu);
        QCOMPARE(m_layers.Strip.pixel(cell.Left + 4, cell.Top + 3), 0xFF010203u);
        // Everything else is as it was without the picture.
        without.setPixel(cell.Left + 3, cell.Top + 3, 0xFFFEFEFE);
        without.setPixel(cell.Left + 4, cell.Top + 3, 0xFF010203);
        QCOMPARE(m_layers.Strip, without);
    }

    void missingPictureDrawsNothing()
    {
        Render(QDate(2024, 5, 15));
        // Only the day number's own yellow in today's cell.
        QCOMPARE(InkInside(m_layers.Strip, m_cells.At(2, 15)), QSet<QRgb>{Yellow});
    }

    // Every label and number whole inside its cell with a background column
    // on either side, so that neighbours never touch, whatever the fonts'
    // digits are wide: an empty folder and a month without today leave no
    // frame or picture in the way.
    void textsStayInsideTheirCells_data()
    {
        QTest::addColumn<int>("showFRDate");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("one month") << 0 << 1.0;
        QTest::newRow("neighbouring months") << 1 << 1.0;
        QTest::newRow("one month at scale 2") << 0 << 2.0;
    }

    void textsStayInsideTheirCells()
    {
        QFETCH(int, showFRDate);
        QFETCH(qreal, ratio);
        QTemporaryDir empty;
        m_settings.ShowFRDate = showFRDate;
        RenderMonth(MonthRender{empty.path(), m_settings, m_picture, false, QDate(2024, 1, 10), ratio}, m_state,
                    m_cells, m_layers);
        const QImage& strip = m_layers.Strip;
        const int r = int(ratio);
        for (int row : {1, 2}) {
            for (int k = 1; k <= m_cells.DayCount; ++k) {
                const CellRec& cell = m_cells.At(row, k);
                // Device columns with ink from one cell's left neighbour column to the next one's.
                int first = -1;
                int last = -1;
                for (int x = (cell.Left - 1) * r; x < (cell.Right + 2) * r; ++x)
                    for (int y = cell.Top * r; y < (cell.Bottom + 1) * r; ++y)
                        if (strip.pixel(x, y) != Silver) {
                            first = first < 0 ? x : first;
                            last = x;
                        }
                const QString what = QStringLiteral("%1 in cell %2: ink %3 to %4")
                                         .arg(cell.Text).arg(k).arg(double(first) / r).arg(double(last) / r);
                QVERIFY2(first >= (cell.Left + 1) * r && last < cell.Right * r, qPrintable(what));
                // Two digits stay legible: not squeezed to a sliver.
                QVERIFY2(row == 1 || last - first + 1 >= 6 * r, qPrintable(what));
            }
        }
    }

    void fittingTextsAreDrawnAsDesigned()
    {
        // Digits narrow enough for the cells are not touched.
        const CellTextFit fit = FitCellTexts(GothicFont(10), {QStringLiteral("01"), QStringLiteral("28")}, 14, 15, 1);
        QVERIFY(!fit.Condensed);
        QCOMPARE(fit.Font, GothicFont(10));
    }

    // On a screen of twice the density the layers have twice the pixels each
    // way and are drawn at that density, not enlarged from the plain ones.
    void scaleTwoDrawsAtTheScreensDensity()
    {
        Render(QDate(2024, 5, 15));
        const QImage plain = m_layers.Strip;
        Render(QDate(2024, 5, 15), false, 2);
        QCOMPARE(m_layers.WindowWidth, 614);
        QCOMPARE(m_layers.Strip.size(), QSize(2 * 610, 2 * 33));
        QCOMPARE(m_layers.Strip.deviceIndependentSize(), QSizeF(610, 33));
        QCOMPARE(m_layers.Overlay.size(), QSize(2 * 169, 2 * 33));
        QCOMPARE(m_layers.Overlay.deviceIndependentSize(), QSizeF(169, 33));
        const QImage enlarged = plain.scaled(plain.size() * 2).convertToFormat(m_layers.Strip.format());
        QImage sharp = m_layers.Strip;
        sharp.setDevicePixelRatio(1);
        QVERIFY(sharp != enlarged);
        // The geometry stays: the frame of the 10th's note at the same place.
        const int x = ColumnX(10);
        QCOMPARE(m_layers.Strip.pixel(2 * x, 2 * 17), White);
        QCOMPARE(m_layers.Strip.pixel(2 * x + 1, 2 * 17 + 1), White);
        QCOMPARE(m_layers.Strip.pixel(2 * (x + 12), 2 * 31 + 1), Grey);
        QCOMPARE(m_layers.Overlay.pixel(2 * 100, 2 * 14 + 1), Yellow);
    }

    // A day's calendars under its number, in list order, at most three: the
    // rest of the strip (numbers, frames, picture) exactly as without them.
    void calendarMarks_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QList<int>>("calendars"); // with an event that day; calendar 3 is hidden
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("showFRDate");
        QTest::addColumn<QStringList>("colors"); // left to right

        QTest::newRow("plain day") << QDate(2024, 5, 11) << QList<int>{0} << 1.0 << 0 << QStringList{"#d50000"};
        QTest::newRow("note's frame, scale 2")
            << QDate(2024, 5, 10) << QList<int>{1, 0} << 2.0 << 0 << QStringList{"#d50000", "#0b8043"};
        QTest::newRow("named day, three of four shown")
            << QDate(2024, 5, 3) << QList<int>{4, 3, 2, 1, 0} << 1.0 << 0
            << QStringList{"#d50000", "#0b8043", "#3f51b5"};
        QTest::newRow("three at scale 2") << QDate(2024, 5, 20) << QList<int>{0, 1, 4} << 2.0 << 0
                                          << QStringList{"#d50000", "#0b8043", "#8e24aa"};
        QTest::newRow("hidden calendar") << QDate(2024, 5, 11) << QList<int>{3} << 1.0 << 0 << QStringList{};
        QTest::newRow("today's picture") << QDate(2024, 5, 15) << QList<int>{2} << 1.0 << 0 << QStringList{"#3f51b5"};
        QTest::newRow("next month, neighbouring") << QDate(2024, 6, 1) << QList<int>{1} << 2.0 << 1
                                                  << QStringList{"#0b8043"};
    }

    void calendarMarks()
    {
        QFETCH(QDate, day);
        QFETCH(QList<int>, calendars);
        QFETCH(qreal, ratio);
        QFETCH(int, showFRDate);
        QFETCH(QStringList, colors);
        m_settings.ShowFRDate = showFRDate;
        m_picture = BuiltInPicture();
        FakeCalendars store;
        for (const char* color : {"#d50000", "#0b8043", "#3f51b5", "#f4511e", "#8e24aa"})
            store.Add(QString::fromLatin1(color), QString::fromLatin1(color), QByteArray(color) != "#f4511e");
        for (int c : calendars)
            store.Events.append(DayEvent{day, 600, 660, QStringLiteral("会議"), c});

        Render(QDate(2024, 5, 15), false, ratio);
        const QImage plain = m_layers.Strip;
        Render(QDate(2024, 5, 15), false, ratio, &store);
        const QImage& marked = m_layers.Strip;
        int column = 1;
        while (column < m_cells.DayCount && m_cells.At(2, column).Date != day)
            ++column;
        QCOMPARE(m_cells.At(2, column).Date, day);

        const int r = int(ratio);
        const QRect mark(QPoint((m_cells.At(2, column).Left + 1) * r, 29 * r),
                         QPoint((m_cells.At(2, column).Left + 11) * r - 1, 31 * r - 1));
        for (int y = 0; y < marked.height(); ++y) {
            for (int x = 0; x < marked.width(); ++x) {
                const QRgb p = marked.pixel(x, y);
                const bool free = mark.contains(x, y) && plain.pixel(x, y) == Silver;
                if (!free && p != plain.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("design pixel changed at %1, %2").arg(x).arg(y)));
                if (free && !colors.contains(QColor(p).name()) && !(colors.isEmpty() && p == Silver))
                    QFAIL(qPrintable(QStringLiteral("%1 in the mark at %2, %3").arg(QColor(p).name()).arg(x).arg(y)));
            }
        }
        QStringList seen; // left to right
        for (int x = mark.left(); x <= mark.right(); ++x)
            for (int y = mark.top(); y <= mark.bottom(); ++y)
                if (const QString name = QColor(marked.pixel(x, y)).name(); colors.contains(name) && !seen.contains(name))
                    seen.append(name);
        QCOMPARE(seen, colors);
    }

    void missingFilesShowWeekdaysOnly()
    {
        QTemporaryDir empty;
        RenderMonth(MonthRender{empty.path(), m_settings, m_picture, false, QDate(2024, 5, 15)}, m_state, m_cells,
                    m_layers);
        QCOMPARE(m_cells.At(2, 6).HolidayName, QString());
        QCOMPARE(InkInside(m_layers.Strip, m_cells.At(2, 6)), QSet<QRgb>{Black});
        QCOMPARE(m_layers.Strip.pixel(ColumnX(3), 1), Silver);
    }
};

QTEST_MAIN(TestBarRenderer)
#include "test_barrenderer.moc"
