#pragma once

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

// The program's own 32 x 32 icon; also the application's window icon.
QIcon ProgramIcon();

// The version dialog.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override; // centres the dialog on the screen

private:
    void FormCreate();
    void OKButtonClick();
};
