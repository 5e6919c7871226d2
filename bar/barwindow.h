#pragma once

#include <QWidget>
#include <memory>

// How the bar stands among the desktop's windows: the window flags that put
// it at the corner without a frame or a task-bar entry, and, where those flags
// alone do not keep it there, a watch that keeps it above windows mapped later.
namespace BarWindow {

Qt::WindowFlags Flags();

} // namespace BarWindow

class BarStacking {
public:
    virtual ~BarStacking() = default;

    // Starts keeping the shown bar on top; empty where the platform does so
    // by itself. Needs the bar's native window.
    static std::unique_ptr<BarStacking> Create(QWidget& bar);
};
