// X11: the bar bypasses the window manager (override-redirect). Window
// managers differ in what they let a managed window do: openbox keeps it
// from moving higher than a few pixels above the screen and lists it in task
// bars, sway under XWayland centres it and moves it back at every move. A
// window that bypasses them stands where the bar puts it, undecorated and
// never in a task bar, under every one of them.
//
// The price: no window manager keeps it above the others. A connection of
// our own listens to the structure changes of the root window's children,
// and when another program's managed window is mapped or restacked above the
// bar, the bar is raised again, with our own pop-ups above it. Nothing runs
// while the desktop's windows stay as they are.
#include "barwindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <xcb/xcb.h>

Qt::WindowFlags BarWindow::Flags()
{
    return Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::X11BypassWindowManagerHint;
}

namespace {

class X11BarStacking : public BarStacking {
public:
    X11BarStacking(QWidget& bar, xcb_connection_t* connection, xcb_window_t root)
        : m_bar(bar), m_connection(connection), m_root(root),
          m_notifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read)
    {
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { ReadEvents(); });
    }

    ~X11BarStacking() override
    {
        m_notifier.setEnabled(false);
        xcb_disconnect(m_connection);
    }

private:
    // Our own top-level windows: the bar, its pop-ups, menus and dialogs.
    static std::vector<xcb_window_t> OwnWindows()
    {
        std::vector<xcb_window_t> own;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->handle())
                own.push_back(xcb_window_t(window->winId()));
        }
        return own;
    }

    static bool Contains(const std::vector<xcb_window_t>& list, xcb_window_t window)
    {
        return std::find(list.begin(), list.end(), window) != list.end();
    }

    void ReadEvents()
    {
        // Waiting for a reply in KeepOnTop reads the events that came
        // meanwhile into xcb's queue, and the socket does not announce them
        // again: read until a round finds no change of another program's.
        for (;;) {
            const std::vector<xcb_window_t> own = OwnWindows();
            bool foreignChange = false;
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                xcb_window_t window = XCB_NONE;
                switch (event->response_type & 0x7f) {
                case XCB_MAP_NOTIFY:
                    window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                    break;
                case XCB_CONFIGURE_NOTIFY:
                    window = reinterpret_cast<xcb_configure_notify_event_t*>(event)->window;
                    break;
                case XCB_CIRCULATE_NOTIFY:
                    window = reinterpret_cast<xcb_circulate_notify_event_t*>(event)->window;
                    break;
                default:
                    break; // errors of a window gone meanwhile, creations, unmaps
                }
                if (window != XCB_NONE && !Contains(own, window))
                    foreignChange = true;
                std::free(event);
            }
            if (xcb_connection_has_error(m_connection)) {
                m_notifier.setEnabled(false);
                return;
            }
            if (!foreignChange)
                return;
            KeepOnTop(own);
        }
    }

    void KeepOnTop(const std::vector<xcb_window_t>& own)
    {
        if (!m_bar.isVisible() || !m_bar.windowHandle())
            return;
        const auto bar = xcb_window_t(m_bar.winId());
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
        if (!tree)
            return;
        // Children come bottom to top.
        const xcb_window_t* children = xcb_query_tree_children(tree);
        const int count = xcb_query_tree_children_length(tree);
        const xcb_window_t* barAt = std::find(children, children + count, bar);
        std::vector<xcb_window_t> above;
        if (barAt != children + count) {
            for (const xcb_window_t* w = barAt + 1; w != children + count; ++w) {
                if (!Contains(own, *w))
                    above.push_back(*w);
            }
        }
        std::free(tree);
        if (!Covers(above))
            return;

        Raise(bar);
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            const Qt::WindowType type = window->type();
            if (window->handle() && window->isVisible() && (type == Qt::Popup || type == Qt::ToolTip))
                Raise(xcb_window_t(window->winId()));
        }
        xcb_flush(m_connection);
    }

    // Whether one of these windows is shown and managed. Another program's
    // own override-redirect windows (menus, tool-tips, another bar of this
    // kind) are left above: raising over them could start a raising match.
    bool Covers(const std::vector<xcb_window_t>& windows)
    {
        std::vector<xcb_get_window_attributes_cookie_t> cookies;
        cookies.reserve(windows.size());
        for (xcb_window_t w : windows)
            cookies.push_back(xcb_get_window_attributes(m_connection, w));
        bool covers = false;
        for (const auto& cookie : cookies) {
            xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(m_connection, cookie, nullptr);
            if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && !a->override_redirect)
                covers = true;
            std::free(a);
        }
        return covers;
    }

    void Raise(xcb_window_t window)
    {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }

    QWidget& m_bar;
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    QSocketNotifier m_notifier;
};

// XWayland names its outputs XWAYLAND0, XWAYLAND1 and so on.
bool OnXWayland()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->name().startsWith(u"XWAYLAND");
}

} // namespace

std::unique_ptr<BarStacking> BarStacking::Create(QWidget& bar)
{
    // Under XWayland the compositor stacks the windows it shows and keeps the
    // bar, as a window that bypasses it, above every managed one. Raising it
    // in XWayland's own stacking would only route to the bar a pointer that
    // XWayland places over windows the compositor shows elsewhere.
    if (QGuiApplication::platformName() != u"xcb" || OnXWayland())
        return nullptr;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::make_unique<X11BarStacking>(bar, connection, screens.data->root);
}
