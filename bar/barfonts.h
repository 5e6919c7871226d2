#pragma once

#include <QFont>

// The bar's fonts, in pixel sizes so that nothing depends on the screen's
// DPI (9 points at 96 dpi are 12 pixels). Where the Windows fonts are missing
// their free metric matches stand in: IPA P Gothic for "ＭＳ Ｐゴシック",
// Liberation Serif for "Times New Roman".

// "ＭＳ Ｐゴシック" at the given pixel size, regular, without antialiasing.
QFont GothicFont(int pixelSize = 12);

QFont BarFormFont();  // "Times New Roman" bold, 12 px
QFont CellTextFont(); // the cell texts: gothic, regular, 12 px
QFont TitleFont();    // the month title and its shadow: gothic, bold italic, 12 px
QFont ClockFont();    // Label1: gothic, bold italic, 12 px
