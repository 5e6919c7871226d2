#pragma once

#include "barstate.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QStringList>

class QPainter;

// How one row of cell texts is drawn so that every text lies whole inside its
// cell with at least one column of background on either side, whatever the
// font in use: a font whose digits are wider than the cells were drawn for is
// condensed rather than clipped.
struct CellTextFit {
    QFont Font;
    bool Condensed = false; // false: drawn as designed, centred and clipped to the cell
    // When condensed, the texts are set letter by letter: for each text, how
    // far each letter moves right of being drawn centred in the cell, in
    // device-independent pixels.
    QHash<QString, QList<qreal>> Shifts;
};

// The fit for these texts in cells `cellWidth` pixels wide (both bounds
// counted) on a surface of the given device pixel ratio. When every text,
// centred as designed, already keeps a background column on each side, the
// font stays as it is; otherwise the texts are set letter by letter, their
// inks one pixel apart, in the least narrowed stretch of the font in which
// all of them fit.
// Measured on the drawn pixels, and remembered for the next rendering.
CellTextFit FitCellTexts(const QFont& font, const QStringList& texts, int cellWidth, int cellHeight,
                         qreal devicePixelRatio);

// Draws the cell's Text, one of the fit's texts, with the fit: as designed,
// or, condensed, with its ink centred between the cell's outer columns.
void DrawCellText(QPainter& painter, const CellRec& cell, const CellTextFit& fit, const QColor& colour);
