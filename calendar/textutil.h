#pragma once

#include <QString>
#include <QStringView>

// The files' notion of blank: spaces and control characters (codes up to 32)
// at either end. Full-width spaces are text, not blanks.
QString TrimBlanks(QStringView text);
bool IsBlank(QStringView text);
