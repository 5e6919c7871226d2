#pragma once

#include "barstate.h"
#include "calendarstore.h"

#include <QDate>
#include <QImage>
#include <QString>
#include <optional>

// The geometry of the bar, in device-independent pixels.
namespace BarGeometry {
constexpr int WindowHeight = 37;
constexpr int CreationWidth = 644;
constexpr int LayerOrigin = 2; // Image1 and Image2 inside Panel1's bevels
constexpr int StripHeight = 33;
constexpr int OverlayWidth = 169;
constexpr int CellPitch = 14;
constexpr int StripStart = 170; // x of column 1 is StripStart + 1
constexpr int HiddenTop = -36;  // only the bottom row stays on screen

// 170 + 14 n + 10: 572 to 614 for one month, 1020 for 60 days.
constexpr int WindowWidth(int dayCount) { return StripStart + CellPitch * dayCount + 10; }
} // namespace BarGeometry

// The two layers of one rendering, in device pixels of the screen with their
// device pixel ratio set: their device-independent sizes are the ones below.
struct BarLayers {
    QImage Strip;   // Image1: window width - 4 by 33, opaque
    QImage Overlay; // Image2: 169 by 33, transparent where nothing is drawn
    int WindowWidth = BarGeometry::CreationWidth;
};

struct MonthRender {
    QString DataDir;
    const BarSettings& Settings;
    const std::optional<QImage>& Picture; // entry 0 of ImageList2
    bool Mark = false;                    // picture on Date instead of today
    QDate Date;
    qreal DevicePixelRatio = 1; // of the screen the bar is on
    CalendarStore* Calendars = nullptr; // the user's calendars, marked under their days
};

// Loads the month's lists, marks every day of the strip, paints both layers
// and fills the cell table (columns 1 to the day count, and the count).
// Writes state.SubstitutePending. On a failure part way through, layers
// keeps what was drawn so far and the error propagates.
void RenderMonth(const MonthRender& what, BarState& state, CellTable& cells, BarLayers& layers);

// The five navigation glyphs of ImageList1, 11 x 11; entry n - 1 for button n.
const QImage& NavGlyph(int index);
