#include "slider.h"

#include <QTimer>

PointerAction DecidePointerTest(bool shown, bool autoHide, const BarPlace& bar, QPoint pointer)
{
    const int x = pointer.x();
    const int y = pointer.y();
    const bool xInside = bar.Left <= x && x <= bar.Left + bar.Width;
    if (shown) {
        if (xInside && bar.Top <= y && y <= bar.Height)
            return PointerAction::SlideIn;
        return autoHide ? PointerAction::SlideOut : PointerAction::None;
    }
    if (xInside && y == 0)
        return PointerAction::SlideIn;
    return autoHide ? PointerAction::SlideOut : PointerAction::None;
}

PointerAction DecideLeave(bool shown, bool autoHide, const BarPlace& bar, std::optional<QPoint> pointer)
{
    const bool inWindow = pointer && bar.Left <= pointer->x() && pointer->x() < bar.Left + bar.Width
                          && bar.Top <= pointer->y() && pointer->y() < bar.Top + bar.Height;
    if (pointer && !inWindow)
        return DecidePointerTest(shown, autoHide, bar, *pointer);
    return autoHide ? PointerAction::SlideOut : PointerAction::None;
}

namespace {
class QtSlideTimer : public SlideTimer {
public:
    explicit QtSlideTimer(std::function<void()> onTick)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTick));
    }
    void Start(int intervalMs) override { m_timer.start(intervalMs); }
    void Stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};
} // namespace

std::unique_ptr<SlideTimer> MakeSlideTimer(std::function<void()> onTick)
{
    return std::make_unique<QtSlideTimer>(std::move(onTick));
}

BarSlider::BarSlider(std::function<int()> top, std::function<void(int)> setTop, SlideTimer& timer)
    : m_top(std::move(top)), m_setTop(std::move(setTop)), m_timer(timer)
{
}

void BarSlider::SlideIn()
{
    if (m_sliding) {
        Toward(ShownTop);
        return;
    }
    const int top = m_top();
    if (top >= ShownTop)
        return;
    Begin(top, ShownTop);
}

void BarSlider::SlideOut()
{
    if (m_sliding) {
        Toward(HiddenTop);
        return;
    }
    if (m_top() != ShownTop)
        return;
    Begin(ShownTop, HiddenTop);
}

void BarSlider::Begin(int from, int target)
{
    m_position = from;
    m_target = target;
    m_firstStep = true;
    m_sliding = true;
    m_timer.Start(StepMs);
}

void BarSlider::Toward(int target)
{
    if (target == m_target)
        return;
    m_target = target;
    m_firstStep = false;
    if (m_position == m_target) {
        m_sliding = false;
        m_timer.Stop();
    }
}

void BarSlider::Tick()
{
    if (!m_sliding)
        return;
    // Our own count, not the window's Top: a window manager that holds the
    // window back must not keep the timer running.
    if (m_firstStep)
        m_firstStep = false;
    else
        m_position += m_target > m_position ? 1 : -1;
    m_setTop(m_position);
    if (m_position == m_target) {
        m_sliding = false;
        m_timer.Stop();
    }
}
