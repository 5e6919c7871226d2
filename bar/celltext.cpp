#include "celltext.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QtMath>

namespace {

constexpr int TextFlags = Qt::AlignCenter | Qt::TextSingleLine;

// Device columns with ink, relative to the cell's left bound, both included.
struct InkSpan {
    int Left = 0;
    int Right = -1;
    bool Empty() const { return Right < Left; }
    int Width() const { return Right - Left + 1; }
};

int Device(qreal logical, qreal ratio)
{
    return qRound(logical * ratio);
}

// Where a cell's text goes: from its left and top bounds up to, not
// including, its right and bottom ones, as the drawing calls take a rectangle.
QRectF TextRect(qreal left, qreal top, QSize cell)
{
    return QRectF(left, top, cell.width() - 1, cell.height() - 1);
}

QString Key(const QFont& font, QSize cell, qreal ratio, const QString& text)
{
    return QStringLiteral("%1|%2x%3|%4|").arg(font.toString()).arg(cell.width()).arg(cell.height()).arg(ratio) + text;
}

// The text's ink when drawn centred in the cell, unclipped. Measured on the
// drawn pixels: the font's metrics do not tell where hinting puts the ink.
InkSpan MeasureInk(const QFont& font, const QString& text, QSize cell, qreal ratio)
{
    static QHash<QString, InkSpan> seen;
    const QString key = Key(font, cell, ratio, text);
    if (const auto it = seen.constFind(key); it != seen.constEnd())
        return *it;

    const int pad = cell.width(); // room for a text that overflows the cell
    QImage scratch(qCeil((cell.width() + 2 * pad) * ratio), qCeil((cell.height() + 2 * pad) * ratio),
                   QImage::Format_RGB32);
    scratch.setDevicePixelRatio(ratio);
    scratch.fill(Qt::white);
    {
        QPainter painter(&scratch);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(TextRect(pad, pad, cell), TextFlags | Qt::TextDontClip, text);
    }
    InkSpan ink;
    const int origin = Device(pad, ratio);
    for (int x = 0; x < scratch.width(); ++x) {
        for (int y = 0; y < scratch.height(); ++y) {
            if (scratch.pixel(x, y) != 0xFFFFFFFFu) {
                if (ink.Empty())
                    ink.Left = x - origin;
                ink.Right = x - origin;
                break;
            }
        }
    }
    seen.insert(key, ink);
    return ink;
}

// The columns a text may use: all of the cell but one on either side.
int AllowedLeft(qreal ratio)
{
    return Device(1, ratio);
}
int AllowedWidth(QSize cell, qreal ratio)
{
    return Device(cell.width() - 1, ratio) - AllowedLeft(ratio);
}

bool FitsAsDesigned(const InkSpan& ink, QSize cell, qreal ratio)
{
    return ink.Empty()
           || (ink.Left >= AllowedLeft(ratio) && ink.Right < AllowedLeft(ratio) + AllowedWidth(cell, ratio));
}

bool FitsCondensed(const InkSpan& ink, QSize cell, qreal ratio)
{
    return ink.Empty() || ink.Width() <= AllowedWidth(cell, ratio);
}

QFont Condensed(const QFont& font, int stretch, int spacing)
{
    QFont condensed = font;
    if (stretch != 100)
        condensed.setStretch(stretch);
    if (spacing != 0)
        condensed.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return condensed;
}

// Moves the text's ink to the middle of the columns it may use.
qreal CentringShift(const InkSpan& ink, QSize cell, qreal ratio)
{
    if (ink.Empty())
        return 0;
    const int wantLeft = AllowedLeft(ratio) + (AllowedWidth(cell, ratio) - ink.Width()) / 2;
    return (wantLeft - ink.Left) / ratio;
}

CellTextFit Fit(const QFont& font, const QStringList& texts, QSize cell, qreal ratio)
{
    const auto all = [&](const QFont& f, bool (*fits)(const InkSpan&, QSize, qreal)) {
        for (const QString& text : texts)
            if (!fits(MeasureInk(f, text, cell, ratio), cell, ratio))
                return false;
        return true;
    };
    if (all(font, FitsAsDesigned))
        return {font, false, {}};
    // The whole row the same way, so that its numbers keep one look: first
    // only re-centred, then a pixel less between letters, then narrower; the
    // narrowest, clipped to its cell, when nothing fits.
    QFont chosen = font;
    [&] {
        for (int stretch = 100; stretch >= 50; stretch -= 5) {
            for (int spacing : {0, -1}) {
                chosen = Condensed(font, stretch, spacing);
                if (all(chosen, FitsCondensed))
                    return;
            }
        }
    }();
    CellTextFit fit{chosen, true, {}};
    for (const QString& text : texts)
        fit.Shift.insert(text, CentringShift(MeasureInk(chosen, text, cell, ratio), cell, ratio));
    return fit;
}

} // namespace

CellTextFit FitCellTexts(const QFont& font, const QStringList& texts, int cellWidth, int cellHeight,
                         qreal devicePixelRatio)
{
    static QHash<QString, CellTextFit> seen;
    const QSize cell(cellWidth, cellHeight);
    const QString key = Key(font, cell, devicePixelRatio, texts.join(QChar(0)));
    if (const auto it = seen.constFind(key); it != seen.constEnd())
        return *it;
    const CellTextFit fit = Fit(font, texts, cell, devicePixelRatio);
    seen.insert(key, fit);
    return fit;
}

void DrawCellText(QPainter& painter, const CellRec& cell, const CellTextFit& fit, const QColor& colour)
{
    painter.setPen(colour);
    if (painter.font() != fit.Font)
        painter.setFont(fit.Font);
    const QSize size(cell.Right - cell.Left + 1, cell.Bottom - cell.Top + 1);
    if (!fit.Condensed) {
        painter.drawText(QRect(cell.Left, cell.Top, size.width() - 1, size.height() - 1), TextFlags, cell.Text);
        return;
    }
    painter.setClipRect(QRect(cell.Left, cell.Top, size.width(), size.height()));
    painter.drawText(TextRect(cell.Left + fit.Shift.value(cell.Text), cell.Top, size), TextFlags | Qt::TextDontClip,
                     cell.Text);
    painter.setClipping(false);
}
