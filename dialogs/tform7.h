#pragma once

#include "barcontext.h"

#include <QDialog>

class TForm5;

// The options dialog.
class TForm7 : public QDialog {
    Q_OBJECT

public:
    TForm7(BarContext& bar, TForm5& entryDialog, QWidget* parent = nullptr);

    int EntryMode = 1; // 1 add, 2 change; read by the entry dialog

private:
    BarContext& m_bar;
    TForm5& m_entryDialog;
};
