// Windows: the focus goes back to the window in the foreground before the bar.
#include "focusreturn.h"

#include <windows.h>

namespace {

class WinFocusReturn : public FocusReturn {
public:
    explicit WinFocusReturn(QWidget& bar) : m_bar(bar) {}

    void Remember() override
    {
        const HWND foreground = GetForegroundWindow();
        if (foreground && foreground != reinterpret_cast<HWND>(m_bar.winId()))
            m_previous = foreground;
    }

    void GiveBack() override
    {
        // Allowed: the bar is the foreground window at this moment.
        if (m_previous && IsWindow(m_previous))
            SetForegroundWindow(m_previous);
        m_previous = nullptr;
    }

private:
    QWidget& m_bar;
    HWND m_previous = nullptr;
};

} // namespace

std::unique_ptr<FocusReturn> FocusReturn::Create(QWidget& bar)
{
    return std::make_unique<WinFocusReturn>(bar);
}
