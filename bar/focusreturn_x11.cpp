// X11: the bar bypasses the window manager, so no one hands the focus on when
// the bar is done with it; it goes back to the window that had it, or to
// whatever window is under the pointer.
#include "focusreturn.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>

#include <xcb/xcb.h>

namespace {

class X11FocusReturn : public FocusReturn {
public:
    X11FocusReturn(QWidget& bar, xcb_connection_t* connection) : m_bar(bar), m_connection(connection) {}

    void Remember() override
    {
        xcb_get_input_focus_reply_t* reply =
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
        if (!reply)
            return;
        if (reply->focus != xcb_window_t(m_bar.winId())) {
            // None and PointerRoot both give it to the window under the pointer.
            m_previous = reply->focus > XCB_INPUT_FOCUS_POINTER_ROOT ? reply->focus : xcb_window_t(XCB_INPUT_FOCUS_POINTER_ROOT);
            m_held = true;
        }
        free(reply);
    }

    void GiveBack() override
    {
        if (!m_held)
            return;
        m_held = false;
        // A window gone meanwhile makes the server answer with an error, which
        // Qt's own connection ignores; the focus then stays as it was.
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_previous, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
    }

private:
    QWidget& m_bar;
    xcb_connection_t* m_connection;
    xcb_window_t m_previous = XCB_NONE;
    bool m_held = false;
};

class NoFocusReturn : public FocusReturn {
public:
    void Remember() override {}
    void GiveBack() override {}
};

} // namespace

std::unique_ptr<FocusReturn> FocusReturn::Create(QWidget& bar)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return std::make_unique<NoFocusReturn>();
    return std::make_unique<X11FocusReturn>(bar, x11->connection());
}
