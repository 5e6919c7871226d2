// Windows: a hot key of the thread, whose WM_HOTKEY a native filter reads.
#include "globalshortcut.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

namespace {

constexpr int HotKeyId = 0x4d55; // any number of ours

UINT VirtualKey(Qt::Key key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return UINT(key); // the same codes as the letters and digits
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return VK_F1 + (key - Qt::Key_F1);
    return 0;
}

class WinGlobalShortcut : public GlobalShortcut, public QAbstractNativeEventFilter {
public:
    explicit WinGlobalShortcut(std::function<void()> pressed) : m_pressed(std::move(pressed))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~WinGlobalShortcut() override
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        UnregisterHotKey(nullptr, HotKeyId);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        if (type != "windows_generic_MSG" || msg->message != WM_HOTKEY || msg->wParam != HotKeyId)
            return false;
        if (m_pressed)
            m_pressed();
        return true;
    }

private:
    std::function<void()> m_pressed;
};

} // namespace

std::unique_ptr<GlobalShortcut> GlobalShortcut::Create(QKeyCombination keys, std::function<void()> pressed, QString& why)
{
    const UINT key = VirtualKey(keys.key());
    if (!key) {
        why = QStringLiteral("このキーはショートカットに使えません");
        return nullptr;
    }
    UINT modifiers = MOD_NOREPEAT;
    const Qt::KeyboardModifiers held = keys.keyboardModifiers();
    if (held & Qt::ControlModifier)
        modifiers |= MOD_CONTROL;
    if (held & Qt::AltModifier)
        modifiers |= MOD_ALT;
    if (held & Qt::ShiftModifier)
        modifiers |= MOD_SHIFT;
    if (held & Qt::MetaModifier)
        modifiers |= MOD_WIN;
    if (!RegisterHotKey(nullptr, HotKeyId, modifiers, key)) {
        why = QStringLiteral("ほかのプログラムが使っているため登録できません");
        return nullptr;
    }
    return std::make_unique<WinGlobalShortcut>(std::move(pressed));
}
