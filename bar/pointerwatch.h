#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

// Calls back for every pointer movement anywhere on the screen, with the
// pointer's screen position in device-independent pixels. Event-driven where
// the platform allows (XInput 2 raw motion on X11, a low-level mouse hook on
// Windows), so nothing runs while the pointer rests; elsewhere it polls at
// most 50 times a second.
class PointerWatch {
public:
    using Callback = std::function<void(QPoint screenPos)>;
    using Factory = std::function<std::unique_ptr<PointerWatch>(Callback)>;

    virtual ~PointerWatch() = default;
    virtual void Start() = 0; // does nothing when running
    virtual void Stop() = 0;
    virtual bool IsRunning() const = 0;

    // The best watch for the running platform. Needs the application object.
    static std::unique_ptr<PointerWatch> Create(Callback callback);
    // Tests put their own watch in place; an empty factory restores the real one.
    static void SetFactoryForTesting(Factory factory);
};

// The platform checks made before the application object exists.
namespace DisplayPlatform {

// Under a Wayland session without QT_QPA_PLATFORM, selects XWayland (xcb):
// Wayland lets no client place its window at the screen's corner.
void ChooseQtPlatform();

// Why no window can be shown, or empty when a display can be opened.
QString NoDisplayReason();

} // namespace DisplayPlatform
