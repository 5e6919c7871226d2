#include "pointerwatch.h"

#include <QCursor>
#include <QTimer>

// The platform's own watch, or nothing when it cannot be used here.
std::unique_ptr<PointerWatch> CreateNativePointerWatch(PointerWatch::Callback callback);

namespace {

PointerWatch::Factory& TestFactory()
{
    static PointerWatch::Factory factory;
    return factory;
}

// Where no event source exists: compares the pointer position 50 times a
// second and calls back when it changed.
class PollingPointerWatch : public PointerWatch {
public:
    explicit PollingPointerWatch(Callback callback) : m_callback(std::move(callback))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    }
    void Start() override
    {
        if (m_timer.isActive())
            return;
        m_last = QCursor::pos();
        m_timer.start(20);
    }
    void Stop() override { m_timer.stop(); }
    bool IsRunning() const override { return m_timer.isActive(); }

private:
    void Poll()
    {
        const QPoint p = QCursor::pos();
        if (p == m_last)
            return;
        m_last = p;
        m_callback(p);
    }

    Callback m_callback;
    QTimer m_timer;
    QPoint m_last;
};

} // namespace

std::unique_ptr<PointerWatch> PointerWatch::Create(Callback callback)
{
    if (auto& factory = TestFactory())
        return factory(std::move(callback));
    if (auto native = CreateNativePointerWatch(callback))
        return native;
    return std::make_unique<PollingPointerWatch>(std::move(callback));
}

void PointerWatch::SetFactoryForTesting(Factory factory)
{
    TestFactory() = std::move(factory);
}

#if !defined(MURVANE_POINTER_WATCH_X11) && !defined(MURVANE_POINTER_WATCH_WIN)
std::unique_ptr<PointerWatch> CreateNativePointerWatch(PointerWatch::Callback)
{
    return nullptr;
}

void DisplayPlatform::ChooseQtPlatform() {}

QString DisplayPlatform::NoDisplayReason()
{
    return QString();
}
#endif
