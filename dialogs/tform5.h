#pragma once

#include <QDialog>
#include <QString>
#include <optional>

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

    // For a change: the entry's own key and the month and day it reads as.
    // Called after the fields are set; when they could not show that date
    // (a hand-made "0230" or "1315"), OK keeps the key as long as the fields
    // still show what they were set to.
    void KeepOwnKey(const QString& key, int month, int day);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct OwnKey {
        QString Key;
        int Month = 0; // as the fields showed them
        int Day = 0;
    };

    TForm7* m_options = nullptr;
    std::optional<OwnKey> m_ownKey;
};
