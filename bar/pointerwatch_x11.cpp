// X11: raw motion events of XInput 2, selected on the root window through a
// display connection of our own, so that every pointer movement on the
// screen wakes us and nothing polls while the pointer rests.
#include "pointerwatch.h"

#include <QCursor>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <climits>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace {

class X11PointerWatch : public PointerWatch {
public:
    X11PointerWatch(Display* display, int opcode, Callback callback)
        : m_display(display), m_opcode(opcode), m_callback(std::move(callback)),
          m_notifier(ConnectionNumber(display), QSocketNotifier::Read)
    {
        m_notifier.setEnabled(false);
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { ReadEvents(); });
    }

    ~X11PointerWatch() override
    {
        m_notifier.setEnabled(false);
        XCloseDisplay(m_display);
    }

    void Start() override
    {
        if (m_running)
            return;
        Select(true);
        m_running = true;
        m_notifier.setEnabled(true);
    }

    void Stop() override
    {
        if (!m_running)
            return;
        m_running = false;
        m_notifier.setEnabled(false);
        Select(false);
    }

    bool IsRunning() const override { return m_running; }

private:
    void Select(bool on)
    {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        if (on)
            XISetMask(bits, XI_RawMotion);
        XIEventMask mask;
        mask.deviceid = XIAllMasterDevices;
        mask.mask_len = sizeof(bits);
        mask.mask = bits;
        XISelectEvents(m_display, DefaultRootWindow(m_display), &mask, 1);
        XFlush(m_display);
    }

    void ReadEvents()
    {
        bool moved = false;
        // Xlib may already hold events it read along with a reply, so drain
        // its queue, not only the socket; a burst of motion makes one call.
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            XGenericEventCookie& cookie = event.xcookie;
            if (cookie.type == GenericEvent && cookie.extension == m_opcode && XGetEventData(m_display, &cookie)) {
                if (cookie.evtype == XI_RawMotion)
                    moved = true;
                XFreeEventData(m_display, &cookie);
            }
        }
        if (!moved || !m_running)
            return;
        // Qt's own query gives the position in device-independent pixels.
        const QPoint p = QCursor::pos();
        if (p == m_last)
            return; // a wheel turn or a pressure change, not a movement
        m_last = p;
        m_callback(p);
    }

    Display* m_display;
    int m_opcode;
    Callback m_callback;
    QSocketNotifier m_notifier;
    bool m_running = false;
    QPoint m_last{INT_MIN, INT_MIN};
};

bool OnWayland()
{
    return qgetenv("XDG_SESSION_TYPE") == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

std::unique_ptr<PointerWatch> CreateNativePointerWatch(PointerWatch::Callback callback)
{
    if (QGuiApplication::platformName() != u"xcb")
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError)
        || XIQueryVersion(display, &major, &minor) != Success) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::make_unique<X11PointerWatch>(display, opcode, std::move(callback));
}

void DisplayPlatform::ChooseQtPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && OnWayland())
        qputenv("QT_QPA_PLATFORM", "xcb");
}

QString DisplayPlatform::NoDisplayReason()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return QString(); // the caller chose another platform
    const QByteArray name = qgetenv("DISPLAY");
    if (name.isEmpty())
        return QStringLiteral("no display to show the bar on (DISPLAY is not set)");
    Display* display = XOpenDisplay(name.constData());
    if (!display)
        return QStringLiteral("no display to show the bar on (cannot open display %1)").arg(QString::fromLocal8Bit(name));
    XCloseDisplay(display);
    return QString();
}
