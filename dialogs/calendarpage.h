#pragma once

#include "calendaredit.h"
#include "calendarstore.h"

#include <QList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

// The options dialog's page "カレンダー": the calendars of Calendars.ini with
// their colours, a tick for shown and each one's state in words. Edits stay
// on the page until the dialog's confirmed close applies them.
class CalendarPage : public QWidget {
    Q_OBJECT

public:
    explicit CalendarPage(QWidget* parent = nullptr);

    // Offered by the add dialog, for accounts that list their calendars.
    void SetAccountFinder(CalendarEdit::AccountFinder finder) { Edit->SetAccountFinder(std::move(finder)); }

    // For calendars that sign in: asks for a password again (true when one
    // was given), and tells whether one lives in memory only.
    using PasswordAsker = std::function<bool(QWidget* parent, const CalendarEntry& entry)>;
    using MemoryOnly = std::function<bool(const CalendarEntry& entry)>;
    void SetPasswordHooks(PasswordAsker asker, MemoryOnly memoryOnly)
    {
        m_asker = std::move(asker);
        m_memoryOnly = std::move(memoryOnly);
    }

    // At every showing: the list as the file holds it, the states as the
    // store (if any) knows them.
    void Load(const QString& dataDir, const CalendarStore* store);
    // Writes the list when it was changed; raises AppError as
    // WriteCalendarList does, and leaves the page's edits in place then.
    void Apply(const QString& dataDir);
    const QList<CalendarEntry>& Entries() const { return m_entries; }

    QListWidget* ListBox = nullptr;      // the calendars, ticked when shown: name, then state
    QLabel* SourceLabel = nullptr;       // the selected calendar's address or file
    QCheckBox* SyncBox = nullptr;        // "予定をこのカレンダーと同期する": for a CalDAV one only
    QPushButton* AddButton = nullptr;    // "追加"
    QPushButton* ChangeButton = nullptr; // "変更"
    QPushButton* DeleteButton = nullptr; // "削除"
    CalendarEdit* Edit = nullptr;

    void AddButtonClick();
    void ChangeButtonClick();
    void DeleteButtonClick();

private:
    void Fill(int selectRow);
    int SelectedRow() const; // -1: none
    void SelectionChanged();
    void SyncBoxClick(bool checked);
    QString StateOf(const CalendarEntry& entry) const;

    QList<CalendarEntry> m_loaded;
    QList<CalendarEntry> m_entries; // one a row of ListBox
    QList<CalendarStatus> m_states;
    PasswordAsker m_asker;
    MemoryOnly m_memoryOnly;
};
