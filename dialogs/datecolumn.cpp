#include "datecolumn.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace {
constexpr int TextLeft = 2;  // the text starts 2 pixels into its cell
constexpr int TextRight = 2; // a little background before the next column
constexpr int GridLine = 1;  // the column's own vertical line
} // namespace

int FitDateColumn(const QFont& font, int designed)
{
    const QFontMetrics metrics(font);
    // Proportional digits differ in width: measure the date with the widest.
    QChar widest = u'0';
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widest))
            widest = QChar(d);
    const QString date = QString(4, widest) + u'/' + QString(2, widest) + u'/' + QString(2, widest);
    return std::max(designed, TextLeft + metrics.horizontalAdvance(date) + TextRight + GridLine);
}
