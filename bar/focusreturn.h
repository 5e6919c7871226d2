#pragma once

#include <QWidget>
#include <memory>

// The window that had the keyboard focus before the bar took it, so that the
// bar can give the focus back when it lets it go.
class FocusReturn {
public:
    virtual ~FocusReturn() = default;
    virtual void Remember() = 0; // just before the bar takes the focus
    virtual void GiveBack() = 0;

    // Needs the bar's native window; nothing is remembered where the
    // platform gives the focus back by itself.
    static std::unique_ptr<FocusReturn> Create(QWidget& bar);
};
