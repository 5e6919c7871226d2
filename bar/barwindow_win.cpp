// Windows: a top-most tool window stands where it is put, stays above the
// other windows and has no task-bar button by itself.
#include "barwindow.h"

Qt::WindowFlags BarWindow::Flags()
{
    return Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool;
}

std::unique_ptr<BarStacking> BarStacking::Create(QWidget&)
{
    return nullptr;
}
