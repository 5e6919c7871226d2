#pragma once

#include <QColor>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The system's colour and file-open dialogs, behind hooks so that tests can
// answer instead of a user.
namespace DialogSeams {

// The colour chosen, or nothing when the user cancels.
std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial);

// The full path of the file chosen, or nothing when the user cancels.
std::optional<QString> ChooseOpenFile(QWidget* parent, const QString& filter);

// The hooks see what the dialog would have been opened with.
void SetColorHookForTesting(std::function<std::optional<QColor>(const QColor& initial)> hook);
void SetOpenFileHookForTesting(std::function<std::optional<QString>(const QString& filter)> hook);

} // namespace DialogSeams
