#include "autostartbox.h"

#include "autostart.h"

#include <QCheckBox>

QCheckBox* AutostartBox::Make(QWidget* page)
{
    auto* box = new QCheckBox(QStringLiteral("ログイン時に起動する"), page);
    box->setGeometry(24, 188, 241, 17);
    return box;
}

void AutostartBox::Load(QCheckBox& box)
{
    box.setChecked(Autostart::IsEnabled());
}

void AutostartBox::Apply(const QCheckBox& box, const QString& dataDir)
{
    if (box.isChecked() != Autostart::IsEnabled())
        Autostart::SetEnabled(box.isChecked(), dataDir);
}
