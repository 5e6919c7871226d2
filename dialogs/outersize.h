#pragma once

#include <QSize>

class QWidget;

// Gives a shown window the outer size (frame included) that its layout names;
// the frame's size is known only once the window is shown.
void ResizeToOuterSize(QWidget& window, QSize outer);
