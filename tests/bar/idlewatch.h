#pragma once

#include "pointerwatch.h"

// A pointer watch that never reports, so that a real bar in a test sees only
// the pointer the test gives it.
class IdleWatch : public PointerWatch {
public:
    void Start() override { m_running = true; }
    void Stop() override { m_running = false; }
    bool IsRunning() const override { return m_running; }

private:
    bool m_running = false;
};
