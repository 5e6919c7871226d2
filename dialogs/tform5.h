#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TForm7;

// The date and content entry dialog. The options dialog opens it to add a
// named day or to change the selected one; OK puts the entry straight into
// the options dialog's lists, which that dialog saves on its confirmed close.
class TForm5 : public QDialog {
    Q_OBJECT

public:
    explicit TForm5(QWidget* parent = nullptr);

    // The options dialog whose lists and EntryMode OK acts on.
    void SetOptions(TForm7* options) { m_options = options; }

    QFrame* Panel1 = nullptr;
    QSpinBox* Edit1 = nullptr;  // month, 1 to 12
    QLabel* Label1 = nullptr;
    QSpinBox* Edit12 = nullptr; // day, 1 to the month's length; arrows only
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit2 = nullptr; // content: the day's name
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr; // "OK"
    QPushButton* Button2 = nullptr; // "CANCEL"

    void Edit1Change();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TForm7* m_options = nullptr;
};
