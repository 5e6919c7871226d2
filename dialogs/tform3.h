#pragma once

#include "barcontext.h"

#include <QDialog>

// The day schedule editor.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(BarContext& bar, QWidget* parent = nullptr);

    // Fills the editor from a day cell of the strip and puts its left edge at
    // the pointer's x.
    void Prepare(const CellRec& dayCell, IntPair mousePos);

private:
    BarContext& m_bar;
};
