#include "nationalholidaybox.h"

#include <QCheckBox>
#include <QListWidget>

QCheckBox* MakeNationalHolidayBox(QWidget* page, QListWidget& list)
{
    // The page is about 224 pixels high: the list (5 to 216) leaves no line
    // below it, so it ends 20 pixels higher and the box takes that line.
    constexpr int BoxHeight = 17;
    list.resize(list.width(), list.height() - 20);
    auto* box = new QCheckBox(QStringLiteral("国民の祝日を表示する"), page);
    box->setGeometry(list.x(), list.geometry().bottom() + 4, list.width(), BoxHeight);
    return box;
}
