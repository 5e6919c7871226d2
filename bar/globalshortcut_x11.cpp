// X11: a passive grab of the key on the root window, through Qt's own
// connection, whose events a native filter reads. Caps Lock and Num Lock must
// not change the shortcut, so each of their states is grabbed too.
#include "globalshortcut.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <xcb/xcb.h>

namespace {

constexpr uint16_t LockMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

// The keysym of letters, digits and function keys; 0 for the rest.
uint32_t KeySym(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'a' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 0xffbe + (key - Qt::Key_F1); // XK_F1
    return 0;
}

xcb_keycode_t KeyCode(xcb_connection_t* connection, uint32_t keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    if (!map)
        return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t found = 0;
    for (int i = 0; i < count && !found; ++i) {
        for (int j = 0; j < map->keysyms_per_keycode; ++j) {
            if (syms[i * map->keysyms_per_keycode + j] == keysym) {
                found = xcb_keycode_t(setup->min_keycode + i);
                break;
            }
        }
    }
    free(map);
    return found;
}

uint16_t Modifiers(Qt::KeyboardModifiers modifiers)
{
    uint16_t mask = 0;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

class X11GlobalShortcut : public GlobalShortcut, public QAbstractNativeEventFilter {
public:
    X11GlobalShortcut(xcb_connection_t* connection, xcb_window_t root, xcb_keycode_t code, uint16_t modifiers,
                      std::function<void()> pressed)
        : m_connection(connection), m_root(root), m_code(code), m_modifiers(modifiers), m_pressed(std::move(pressed))
    {
    }
    ~X11GlobalShortcut() override
    {
        qGuiApp->removeNativeEventFilter(this);
        Ungrab();
    }

    // False when another program holds the keys.
    bool Grab()
    {
        bool taken = false;
        for (uint16_t lock : LockMasks) {
            const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 1, m_root, m_modifiers | lock, m_code,
                                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
                taken = true;
                free(error);
            }
        }
        if (taken) {
            Ungrab();
            return false;
        }
        qGuiApp->installNativeEventFilter(this);
        return true;
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        if (key->detail != m_code || key->event != m_root)
            return false;
        if (m_pressed)
            m_pressed();
        return true;
    }

private:
    void Ungrab()
    {
        for (uint16_t lock : LockMasks)
            xcb_ungrab_key(m_connection, m_code, m_root, m_modifiers | lock);
        xcb_flush(m_connection);
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    xcb_keycode_t m_code;
    uint16_t m_modifiers;
    std::function<void()> m_pressed;
};

} // namespace

std::unique_ptr<GlobalShortcut> GlobalShortcut::Create(QKeyCombination keys, std::function<void()> pressed, QString& why)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        why = QStringLiteral("この画面ではショートカットを登録できません");
        return nullptr;
    }
    xcb_connection_t* connection = x11->connection();
    const uint32_t keysym = KeySym(keys.key());
    const xcb_keycode_t code = keysym ? KeyCode(connection, keysym) : 0;
    if (!code) {
        why = QStringLiteral("このキーはショートカットに使えません");
        return nullptr;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    auto shortcut = std::make_unique<X11GlobalShortcut>(connection, root, code, Modifiers(keys.keyboardModifiers()),
                                                        std::move(pressed));
    if (!shortcut->Grab()) {
        why = QStringLiteral("ほかのプログラムが使っているため登録できません");
        return nullptr;
    }
    return shortcut;
}
