// Windows: a top-most tool window stands where it is put and has no
// task-bar button by itself. Top-most is still a band that other top-most
// windows (the task bar among them) share and push each other around in, so
// the bar takes its place at the top of it again after every show and every
// step of a slide.
#include "barwindow.h"

#include <QEvent>
#include <QObject>

#include <windows.h>

Qt::WindowFlags BarWindow::Flags()
{
    return Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool;
}

namespace {

class WinBarStacking : public BarStacking, public QObject {
public:
    explicit WinBarStacking(QWidget& bar) : m_bar(bar)
    {
        m_bar.installEventFilter(this);
        Raise();
    }
    ~WinBarStacking() override { m_bar.removeEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Move)
            Raise();
        return false;
    }

private:
    void Raise()
    {
        if (!m_bar.isVisible())
            return;
        SetWindowPos(reinterpret_cast<HWND>(m_bar.winId()), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }

    QWidget& m_bar;
};

} // namespace

std::unique_ptr<BarStacking> BarStacking::Create(QWidget& bar)
{
    return std::make_unique<WinBarStacking>(bar);
}
