#pragma once

#include "loginstart.h"

class QCheckBox;
class QString;
class QWidget;

// The options dialog's "ログイン時に起動する": ticked while the program starts
// at login. Like every other option it takes effect at the confirmed close.
namespace AutostartBox {

// The box on the "その他" page, below the picture settings.
QCheckBox* Make(QWidget* page);

// Ticks the box exactly when the program starts at login now.
void Load(QCheckBox& box, const LoginStart& loginStart);

// Makes the start at login follow the box; an entry that already agrees is
// left alone. A failed write raises AppError "%1 に書き込めません".
void Apply(const QCheckBox& box, const LoginStart& loginStart, const QString& dataDir);

} // namespace AutostartBox
