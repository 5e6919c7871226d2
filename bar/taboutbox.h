#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The version dialog.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* OKButton = nullptr;

private:
    void FormCreate();
    void OKButtonClick();
};
