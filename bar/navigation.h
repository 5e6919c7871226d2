#pragma once

#include <QDateTime>
#include <QString>

// The five buttons: 1 "前年同月", 2 "前月", 3 "今月", 4 "来月", 5 "来年同月".
QString NavButtonText(int button);
// The new shown date for a press of the button.
QDateTime NavButtonTarget(int button, const QDateTime& shownDate);
