#pragma once

#include <QPoint>
#include <functional>
#include <memory>
#include <optional>

// What the pointer test asks of the bar.
enum class PointerAction { None, SlideIn, SlideOut };

// The bar's place and size in screen coordinates relative to the screen's
// top-left corner.
struct BarPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// The pointer test. The bar counts from its Left to Left + Width and from its
// Top down to Height below the screen's top edge, bounds included: at the
// corner that is the bar plus one column to its right and one row below it,
// also while it slides. A hidden bar comes down only for the screen's top row.
PointerAction DecidePointerTest(bool shown, bool autoHide, const BarPlace& bar, QPoint pointer);

// The pointer left the bar's window. A position learnt afterwards counts only
// when it lies outside the window: one inside it is stale (XWayland reports
// the last position over its own windows once the pointer is over the
// desktop). Without a usable position the pointer is outside the bar.
PointerAction DecideLeave(bool shown, bool autoHide, const BarPlace& bar, std::optional<QPoint> pointer);

// The time source of a slide: a repeating tick.
class SlideTimer {
public:
    virtual ~SlideTimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
};

// A repeating Qt timer calling onTick.
std::unique_ptr<SlideTimer> MakeSlideTimer(std::function<void()> onTick);

// Slides the bar's Top between 0 and -36 one pixel per tick, 10 ms apart,
// without blocking. From rest a slide sets Top to each value from where it
// stands to its end, the first tick setting the starting value again: 37
// ticks either way. A new target during a slide turns it from where it stands.
class BarSlider {
public:
    static constexpr int ShownTop = 0;
    static constexpr int HiddenTop = -36;
    static constexpr int StepMs = 10;

    BarSlider(std::function<int()> top, std::function<void(int)> setTop, SlideTimer& timer);

    void SlideIn();  // toward Top 0; nothing when already there or below the corner
    void SlideOut(); // toward Top -36; from rest only when Top is 0
    void Tick();

    bool IsSliding() const { return m_sliding; }
    int Target() const { return m_target; }

private:
    void Begin(int from, int target);
    void Toward(int target);

    std::function<int()> m_top;
    std::function<void(int)> m_setTop;
    SlideTimer& m_timer;
    bool m_sliding = false;
    int m_target = ShownTop;
    int m_position = 0; // the Top last set, or the start before the first tick
    bool m_firstStep = false;
};
