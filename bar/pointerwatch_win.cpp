// Windows: a low-level mouse hook (WH_MOUSE_LL). The journal-record hook of
// old no longer works on current Windows; this one is called on our own
// thread while it takes messages, which Qt's event loop does.
#include "pointerwatch.h"

#include <QObject>
#include <QCursor>
#include <QMetaObject>

#include <windows.h>

namespace {

class WinPointerWatch;
WinPointerWatch* g_watch = nullptr;

class WinPointerWatch : public PointerWatch {
public:
    explicit WinPointerWatch(Callback callback) : m_callback(std::move(callback)) {}
    ~WinPointerWatch() override { Stop(); }

    void Start() override
    {
        if (m_hook)
            return;
        m_hook = SetWindowsHookExW(WH_MOUSE_LL, &HookProc, GetModuleHandleW(nullptr), 0);
        if (m_hook)
            g_watch = this;
    }

    void Stop() override
    {
        if (!m_hook)
            return;
        UnhookWindowsHookEx(m_hook);
        m_hook = nullptr;
        if (g_watch == this)
            g_watch = nullptr;
    }

    bool IsRunning() const override { return m_hook != nullptr; }

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM kind, LPARAM event)
    {
        if (code == HC_ACTION && kind == WM_MOUSEMOVE && g_watch)
            g_watch->Moved();
        return CallNextHookEx(nullptr, code, kind, event);
    }

    // A low-level hook must return at once, and the cursor has not moved yet
    // when it is called: read the position once the event loop is back.
    void Moved()
    {
        if (m_pending)
            return;
        m_pending = true;
        QMetaObject::invokeMethod(
            &m_context, // dropped with the watch
            [this] {
                m_pending = false;
                if (!m_hook)
                    return;
                const QPoint p = QCursor::pos();
                if (p != m_last) {
                    m_last = p;
                    m_callback(p);
                }
            },
            Qt::QueuedConnection);
    }

    Callback m_callback;
    QObject m_context;
    HHOOK m_hook = nullptr;
    bool m_pending = false;
    QPoint m_last{-100000, -100000};
};

} // namespace

std::unique_ptr<PointerWatch> CreateNativePointerWatch(PointerWatch::Callback callback)
{
    return std::make_unique<WinPointerWatch>(std::move(callback));
}

void DisplayPlatform::ChooseQtPlatform() {}

QString DisplayPlatform::NoDisplayReason()
{
    return QString();
}
