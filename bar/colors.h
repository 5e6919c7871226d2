#pragma once

#include "colorref.h"

#include <QColor>

// The one place where Windows colour values meet Qt's colours.
inline QColor ToQColor(ColorRef c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

inline ColorRef ToColorRef(const QColor& c)
{
    return ColorRef(c.red() | (c.green() << 8) | (c.blue() << 16));
}
