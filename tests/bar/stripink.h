#pragma once

#include "barstate.h"

#include <QImage>
#include <QSet>

// The colours drawn inside a strip cell, away from where its frame would go.
inline QSet<QRgb> InkInside(const QImage& strip, const CellRec& cell)
{
    const QRgb silver = 0xFFC0C0C0;
    QSet<QRgb> colours;
    for (int y = cell.Top + 1; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right - 2; ++x)
            if (strip.pixel(x, y) != silver)
                colours.insert(strip.pixel(x, y));
    return colours;
}
