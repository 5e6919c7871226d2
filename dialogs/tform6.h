#pragma once

#include "barcontext.h"

#include <QDialog>

// The list of every schedule entry of every month.
class TForm6 : public QDialog {
    Q_OBJECT

public:
    explicit TForm6(BarContext& bar, QWidget* parent = nullptr);

private:
    BarContext& m_bar;
};
