#include "barrenderer.h"

#include "barfonts.h"
#include "barpicture.h"
#include "calendarmarks.h"
#include "calendarrules.h"
#include "celltext.h"
#include "clock.h"
#include "colors.h"
#include "monthdata.h"
#include "monthmodel.h"

#include <QPainter>
#include <QtMath>
#include <array>
#include <cstdlib>

namespace {

// A raster line as the original drawing calls made it: from `from` up to,
// but not including, `to`; one device-independent pixel at each step.
void RasterLine(QPainter& painter, QPoint from, QPoint to, const QColor& colour)
{
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (x != to.x() || y != to.y()) {
        painter.fillRect(x, y, 1, 1, colour);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Raised frame around a cell with inclusive bounds (L, T, R, B): grey lines
// from (R-2, B) to (R-2, T) and to (L-1, B), white lines from (L-1, T) to
// (R-2, T) and to (L-1, B), each without its end point.
void RaisedFrame(QPainter& painter, const CellRec& cell)
{
    const int l = cell.Left;
    const int t = cell.Top;
    const int r = cell.Right;
    const int b = cell.Bottom;
    const QColor grey = ToQColor(Colors::Grey);
    const QColor white = ToQColor(Colors::White);
    painter.fillRect(r - 2, t + 1, 1, b - t, grey);
    painter.fillRect(l, b, r - 1 - l, 1, grey);
    painter.fillRect(l - 1, t, r - 1 - l, 1, white);
    painter.fillRect(l - 1, t, 1, b - t, white);
}

// A layer of the given device-independent size at the screen's pixel density.
QImage Layer(int width, int height, qreal ratio, QImage::Format format)
{
    QImage image(qCeil(width * ratio), qCeil(height * ratio), format);
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

const QImage& NavGlyph(int index)
{
    static const std::array<QImage, 5> glyphs = [] {
        std::array<QImage, 5> g;
        for (int i = 0; i < 5; ++i) {
            g[i] = QImage(QStringLiteral(":/bar/nav%1.xpm").arg(i + 1))
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
        return g;
    }();
    return glyphs.at(index);
}

void RenderMonth(const MonthRender& what, BarState& state, CellTable& cells, BarLayers& layers)
{
    using namespace BarGeometry;
    const bool neighbouring = what.Settings.ShowFRDate != 0;
    const StripRangeResult range = StripRange(what.Date, neighbouring);
    const int n = qMin(range.Count, CellTable::MaxColumns);

    const qreal ratio = what.DevicePixelRatio > 0 ? what.DevicePixelRatio : 1;

    layers.WindowWidth = WindowWidth(n);
    layers.Strip = Layer(layers.WindowWidth - 2 * LayerOrigin, StripHeight, ratio, QImage::Format_RGB32);
    layers.Strip.fill(ToQColor(Colors::Silver));
    layers.Overlay = Layer(OverlayWidth, StripHeight, ratio, QImage::Format_ARGB32_Premultiplied);
    layers.Overlay.fill(Qt::transparent);

    state.SubstitutePending = false;
    bool todaySeen = false;

    MonthData lists;
    LoadMonthData(what.DataDir, lists, what.Date, what.Settings.NationalHolidays);
    const QList<DayCalendarMarks> calendarMarks = StripCalendarMarks(what.Calendars, range.First, n);

    // Each row drawn whole in the font in use, condensed where it is too wide.
    QStringList labels;
    QStringList numbers;
    for (int k = 1, weekday = range.FirstWeekday; k <= n; ++k, weekday = weekday % 7 + 1) {
        labels.append(WeekdayLabel(weekday));
        numbers.append(FormatDD(range.First.addDays(k - 1)));
    }
    constexpr int CellRows = 15; // 1 to 15 and 17 to 31
    const CellTextFit labelFit = FitCellTexts(CellTextFont(), labels, CellPitch, CellRows, ratio);
    const CellTextFit numberFit = FitCellTexts(CellTextFont(), numbers, CellPitch, CellRows, ratio);

    std::optional<CellRec> marked;
    {
        QPainter strip(&layers.Strip);
        int weekday = range.FirstWeekday;
        for (int k = 1; k <= n; ++k) {
            const QDate day = range.First.addDays(k - 1);
            const int x = StripStart + CellPitch * (k - 1);

            CellRec& label = cells.At(1, k);
            label = CellRec{x + 1, 1, x + 14, 15, QDate(), WeekdayLabel(weekday), QString(), QString(), {}};
            weekday = weekday % 7 + 1;

            const DayMarks marks = ClassifyDay(day, lists, what.Date, state.SubstitutePending);
            DrawCellText(strip, label, labelFit, ToQColor(marks.WeekdayColor));

            CellRec& cell = cells.At(2, k);
            cell = CellRec{x + 1, 17, x + 14, 31, day, FormatDD(day), marks.HolidayName, marks.Schedule,
                           calendarMarks[k - 1].Lines};
            // Under the number and the frames, which it never reaches.
            DrawCalendarMarks(strip, cell, calendarMarks[k - 1].Colors);
            if (marks.NamedDay)
                RaisedFrame(strip, label);
            if (marks.Today)
                todaySeen = true;
            if (what.Mark ? day == what.Date : marks.Today)
                marked = cell;
            DrawCellText(strip, cell, numberFit, ToQColor(marks.DayColor));
            if (!cell.Schedule.isEmpty())
                RaisedFrame(strip, cell);
        }
        cells.DayCount = n;

        // The title's grey shadow, 3 pixels right and down of the title.
        QString title = FormatYearMonth(range.First);
        if (neighbouring)
            title += QStringLiteral("～") + FormatYearMonth(range.First.addDays(n - 1));
        strip.setFont(TitleFont());
        strip.setPen(ToQColor(Colors::Grey));
        strip.drawText(QRect(8, 4, OverlayWidth * 2, StripHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                       title);

        QPainter overlay(&layers.Overlay);
        for (int b = 1; b <= 5; ++b) {
            static constexpr int Shift[] = {0, 0, 1, 0, -1, 0};
            const IntRect& r = state.NavButtons[b];
            overlay.drawImage(QPoint(r.Left + Shift[b], r.Top), NavGlyph(b - 1));
        }
        overlay.setFont(TitleFont());
        overlay.setPen(ToQColor(Colors::Black));
        overlay.drawText(QRect(5, 1, OverlayWidth * 2, StripHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         title);
        // The underline: a silver stroke from the pen's start, hidden by the
        // silver strip beneath, then the yellow line.
        RasterLine(overlay, {0, 0}, {5, 14}, ToQColor(Colors::Silver));
        RasterLine(overlay, {5, 14}, {170, 14}, ToQColor(Colors::Yellow));
        overlay.end();

        if ((todaySeen || what.Mark) && marked && what.Picture) {
            DrawMaskedPicture(strip, QPoint(marked->Left - what.Settings.Image_X, marked->Top + what.Settings.Image_Y),
                              *what.Picture);
        }
    }
}
