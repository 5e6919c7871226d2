#pragma once

#include <QDialog>

class TForm7;

// The date and content entry dialog, opened by the options dialog.
class TForm5 : public QDialog {
    Q_OBJECT

public:
    explicit TForm5(QWidget* parent = nullptr);

    void SetOptions(TForm7* options) { m_options = options; }

private:
    TForm7* m_options = nullptr;
};
