#pragma once

#include <QKeyCombination>
#include <QString>
#include <functional>
#include <memory>

// A key combination that reaches the bar whatever window has the keyboard:
// a passive key grab on the X11 root window, a hot key on Windows.
class GlobalShortcut {
public:
    virtual ~GlobalShortcut() = default;

    // The shortcut while the object lives; none when the keys cannot be had,
    // and then why, in one line for the user.
    static std::unique_ptr<GlobalShortcut> Create(QKeyCombination keys, std::function<void()> pressed, QString& why);
};

// Ctrl+Alt+M.
QKeyCombination DefaultGlobalShortcut();
