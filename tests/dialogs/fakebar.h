#pragma once

#include "barcontext.h"

#include <QList>

// A bar that only records its redraws.
class FakeBar : public BarContext {
public:
    struct Redraw {
        bool Mark = false;
        QDateTime Date;
    };
    QList<Redraw> Redraws;
    QPoint TopLeft; // where the bar stands
    int Registrations = 0; // of the shortcut

    void ShowMonth(bool mark, const QDateTime& date) override { Redraws.append({mark, date}); }
    QPoint BarTopLeft() const override { return TopLeft; }
    void RegisterShortcut() override { ++Registrations; }
};
