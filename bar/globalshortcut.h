#pragma once

#include <QKeyCombination>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

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

// A combination the shortcut may be: one key (a letter, a digit or F1 to F12,
// which every platform can grab) with Ctrl or Alt held.
bool UsableShortcut(QKeyCombination keys);

// The stored text ("Ctrl+Alt+M"); none when it is not one usable combination.
std::optional<QKeyCombination> ShortcutFromText(const QString& text);
QString ShortcutText(QKeyCombination keys);
