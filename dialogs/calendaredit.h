#pragma once

#include "calendarlist.h"

#include <QDialog>
#include <QList>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPixmap;
class QPushButton;
class QSpinBox;

// The dialog behind "追加" and "変更" of the calendars page: one calendar's
// name, source (an address, or a file chosen with "参照…"), colour, refresh
// interval and whether it is shown.
class CalendarEdit : public QDialog {
    Q_OBJECT

public:
    // Asks the user for an account that holds calendars (server, user,
    // password), finds them and returns them ready to be listed; empty when
    // the user gives up. The password stays with the finder.
    using AccountFinder = std::function<QList<CalendarEntry>(QWidget* parent)>;

    explicit CalendarEdit(QWidget* parent = nullptr);

    // With a finder, adding offers "アカウントから追加…".
    void SetAccountFinder(AccountFinder finder) { m_finder = std::move(finder); }

    void PrepareAdd();
    void PrepareChange(const CalendarEntry& entry);
    // After OK: the changed calendar, or the calendars to add.
    const QList<CalendarEntry>& Result() const { return m_result; }

    QLineEdit* NameEdit = nullptr;
    QLineEdit* SourceEdit = nullptr;
    QPushButton* FileButton = nullptr;  // "参照…"
    QLabel* ColorSwatch = nullptr;
    QPushButton* ColorButton = nullptr; // "色の選択"
    QSpinBox* MinutesBox = nullptr;     // the refresh interval in minutes
    QCheckBox* ShownBox = nullptr;      // "表示する"
    QPushButton* AccountButton = nullptr; // "アカウントから追加…"
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void FileButtonClick();
    void ColorButtonClick();
    void AccountButtonClick();
    void OkButtonClick();

private:
    void SetColor(const QString& color);

    AccountFinder m_finder;
    CalendarEntry m_entry; // the one being changed, or a new one's defaults
    QList<CalendarEntry> m_result;
};

// The pixmap the page and the dialog show for a colour ("#rrggbb"): a small
// square with a dark border.
QPixmap ColorSwatchPixmap(const QString& color, int size);
