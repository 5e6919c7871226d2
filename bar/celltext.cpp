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

// A text split into what is drawn one by one: characters, a surrogate pair
// kept whole.
QStringList Letters(const QString& text)
{
    QStringList letters;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        letters.append(text.mid(i, n));
        i += n - 1;
    }
    return letters;
}

// Where each letter of a text goes when set letter by letter: their inks a
// pixel apart, the whole centred between the cell's outer columns. Each
// shift is how far the letter moves from being drawn centred in the cell.
// Set this way, every number's two digits stand closer together than any
// digit to its neighbour's, whatever the glyphs' own side bearings.
struct LetterLayout {
    int Width = 0; // device pixels of ink, gaps included
    QList<qreal> Shifts;
};

LetterLayout LayOutLetters(const QFont& font, const QString& text, QSize cell, qreal ratio)
{
    // A thin gap on a dense screen too: the space goes to the letters.
    const int gap = qMax(1, qRound(ratio / 2));
    LetterLayout layout;
    QList<InkSpan> inks;
    for (const QString& letter : Letters(text)) {
        inks.append(MeasureInk(font, letter, cell, ratio));
        if (!inks.last().Empty())
            layout.Width += (layout.Width > 0 ? gap : 0) + inks.last().Width();
    }
    int x = AllowedLeft(ratio) + (AllowedWidth(cell, ratio) - layout.Width) / 2;
    for (const InkSpan& ink : inks) {
        layout.Shifts.append(ink.Empty() ? 0 : (x - ink.Left) / ratio);
        if (!ink.Empty())
            x += ink.Width() + gap;
    }
    return layout;
}

QFont Condensed(const QFont& font, int stretch)
{
    QFont condensed = font;
    if (stretch != 100)
        condensed.setStretch(stretch);
    return condensed;
}

CellTextFit Fit(const QFont& font, const QStringList& texts, QSize cell, qreal ratio)
{
    const auto fitsAsDesigned = [&] {
        for (const QString& text : texts)
            if (!FitsAsDesigned(MeasureInk(font, text, cell, ratio), cell, ratio))
                return false;
        return true;
    };
    if (fitsAsDesigned())
        return {font, false, {}};
    // The whole row the same way, so that its numbers keep one look: first
    // only set letter by letter, then ever narrower; the narrowest, clipped
    // to its cell, when nothing fits.
    CellTextFit fit{font, true, {}};
    for (int stretch = 100; stretch >= 50; stretch -= 5) {
        fit.Font = Condensed(font, stretch);
        fit.Shifts.clear();
        bool all = true;
        for (const QString& text : texts) {
            const LetterLayout layout = LayOutLetters(fit.Font, text, cell, ratio);
            all = all && layout.Width <= AllowedWidth(cell, ratio);
            fit.Shifts.insert(text, layout.Shifts);
        }
        if (all)
            break;
    }
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
    const QStringList letters = Letters(cell.Text);
    const QList<qreal> shifts = fit.Shifts.value(cell.Text);
    for (qsizetype i = 0; i < letters.size() && i < shifts.size(); ++i)
        painter.drawText(TextRect(cell.Left + shifts[i], cell.Top, size), TextFlags | Qt::TextDontClip, letters[i]);
    painter.setClipping(false);
}
