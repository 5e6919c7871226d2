#include "dialogseams.h"

#include <QColorDialog>
#include <QFileDialog>

namespace DialogSeams {
namespace {
std::function<std::optional<QColor>(const QColor&)>& ColorHook()
{
    static std::function<std::optional<QColor>(const QColor&)> hook;
    return hook;
}

std::function<std::optional<QString>(const QString&)>& OpenFileHook()
{
    static std::function<std::optional<QString>(const QString&)> hook;
    return hook;
}
} // namespace

std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial)
{
    if (auto& hook = ColorHook())
        return hook(initial);
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<QString> ChooseOpenFile(QWidget* parent, const QString& filter)
{
    if (auto& hook = OpenFileHook())
        return hook(filter);
    const QString path = QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

void SetColorHookForTesting(std::function<std::optional<QColor>(const QColor&)> hook)
{
    ColorHook() = std::move(hook);
}

void SetOpenFileHookForTesting(std::function<std::optional<QString>(const QString&)> hook)
{
    OpenFileHook() = std::move(hook);
}

} // namespace DialogSeams
