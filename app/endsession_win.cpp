// Windows: the end of the session arrives as WM_ENDSESSION at our windows;
// Qt passes it through its native event filters. A program without a console
// gets no console control events.
#include "endsession.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

namespace {

class SessionEndFilter : public EndSession::Source, public QAbstractNativeEventFilter {
public:
    explicit SessionEndFilter(std::function<void()> stop) : m_stop(std::move(stop))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~SessionEndFilter() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "windows_generic_MSG" || m_done)
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam) {
            m_done = true;
            if (m_stop)
                m_stop();
        }
        return false;
    }

private:
    std::function<void()> m_stop;
    bool m_done = false;
};

} // namespace

std::unique_ptr<EndSession::Source> WatchStopRequests(std::function<void()> stop)
{
    return std::make_unique<SessionEndFilter>(std::move(stop));
}
