// Platforms without their own file: no shortcut for the whole desktop.
#include "globalshortcut.h"

#include "barstate.h"

#include <QKeySequence>

QKeyCombination DefaultGlobalShortcut()
{
    return BarSettings().Shortcut;
}

bool UsableShortcut(QKeyCombination keys)
{
    const Qt::KeyboardModifiers held = keys.keyboardModifiers();
    const Qt::KeyboardModifiers allowed = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;
    if (!(held & (Qt::ControlModifier | Qt::AltModifier)) || (held & ~allowed))
        return false;
    const Qt::Key key = keys.key();
    return (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)
        || (key >= Qt::Key_F1 && key <= Qt::Key_F12);
}

std::optional<QKeyCombination> ShortcutFromText(const QString& text)
{
    const QKeySequence sequence = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    if (sequence.count() != 1 || !UsableShortcut(sequence[0]))
        return std::nullopt;
    return sequence[0];
}

QString ShortcutText(QKeyCombination keys)
{
    return QKeySequence(keys).toString(QKeySequence::PortableText);
}

#if !defined(MURVANE_BAR_WINDOW_X11) && !defined(MURVANE_BAR_WINDOW_WIN)
std::unique_ptr<GlobalShortcut> GlobalShortcut::Create(QKeyCombination, std::function<void()>, QString& why)
{
    why = QStringLiteral("この環境ではショートカットを登録できません");
    return nullptr;
}
#endif
