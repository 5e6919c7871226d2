// Platforms without their own file: no shortcut for the whole desktop.
#include "globalshortcut.h"

QKeyCombination DefaultGlobalShortcut()
{
    return QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_M);
}

#if !defined(MURVANE_BAR_WINDOW_X11) && !defined(MURVANE_BAR_WINDOW_WIN)
std::unique_ptr<GlobalShortcut> GlobalShortcut::Create(QKeyCombination, std::function<void()>, QString& why)
{
    why = QStringLiteral("この環境ではショートカットを登録できません");
    return nullptr;
}
#endif
