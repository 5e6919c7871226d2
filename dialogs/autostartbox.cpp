#include "autostartbox.h"

#include <QCheckBox>

QCheckBox* AutostartBox::Make(QWidget* page)
{
    auto* box = new QCheckBox(QStringLiteral("ログイン時に起動する"), page);
    box->setGeometry(24, 188, 241, 17);
    return box;
}

void AutostartBox::Load(QCheckBox& box, const LoginStart& loginStart)
{
    box.setChecked(loginStart.IsEnabled && loginStart.IsEnabled());
}

void AutostartBox::Apply(const QCheckBox& box, const LoginStart& loginStart, const QString& dataDir)
{
    if (!loginStart.IsEnabled || !loginStart.SetEnabled)
        return;
    if (box.isChecked() != loginStart.IsEnabled())
        loginStart.SetEnabled(box.isChecked(), dataDir);
}
