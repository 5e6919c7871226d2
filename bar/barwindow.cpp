// Platforms without their own file: the toolkit's always-on-top flag.
#include "barwindow.h"

#if !defined(MURVANE_BAR_WINDOW_X11) && !defined(MURVANE_BAR_WINDOW_WIN)
Qt::WindowFlags BarWindow::Flags()
{
    return Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool;
}

std::unique_ptr<BarStacking> BarStacking::Create(QWidget&)
{
    return nullptr;
}
#endif
