#include "outersize.h"

#include <QWidget>

void ResizeToOuterSize(QWidget& window, QSize outer)
{
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    if (frame.width() > 0 || frame.height() > 0)
        window.resize(outer - frame);
}
