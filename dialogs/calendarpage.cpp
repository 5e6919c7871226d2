#include "calendarpage.h"

#include "apperror.h"
#include "calendaraccounts.h"
#include "controls.h"
#include "messagebox.h"
#include "modal.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace {
constexpr int SwatchSize = 12;
} // namespace

CalendarPage::CalendarPage(QWidget* parent) : QWidget(parent)
{
    ListBox = new QListWidget(this);
    ListBox->setGeometry(5, 5, 252, 143);
    ListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox->setIconSize(QSize(SwatchSize, SwatchSize));

    SourceLabel = new QLabel(this);
    SourceLabel->setGeometry(5, 152, 295, 46);
    SourceLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SourceLabel->setWordWrap(true);
    SourceLabel->setTextFormat(Qt::PlainText);

    SyncBox = new QCheckBox(QStringLiteral("予定をこのカレンダーと同期する"), this);
    SyncBox->setGeometry(5, 200, 295, 17);
    SyncBox->hide();

    AddButton = MakeButton(this, QStringLiteral("追加"), {264, 8, 35, 25});
    ChangeButton = MakeButton(this, QStringLiteral("変更"), {264, 40, 35, 25});
    DeleteButton = MakeButton(this, QStringLiteral("削除"), {264, 72, 35, 25});

    Edit = new CalendarEdit(this);

    connect(AddButton, &QPushButton::clicked, this, &CalendarPage::AddButtonClick);
    connect(ChangeButton, &QPushButton::clicked, this, &CalendarPage::ChangeButtonClick);
    connect(DeleteButton, &QPushButton::clicked, this, &CalendarPage::DeleteButtonClick);
    connect(ListBox, &QListWidget::itemSelectionChanged, this, &CalendarPage::SelectionChanged);
    connect(SyncBox, &QCheckBox::clicked, this, &CalendarPage::SyncBoxClick);
    connect(ListBox, &QListWidget::itemDoubleClicked, this, &CalendarPage::ChangeButtonClick);
    connect(ListBox, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = ListBox->row(item);
        if (row >= 0 && row < m_entries.size())
            m_entries[row].Shown = item->checkState() == Qt::Checked;
    });
}

void CalendarPage::Load(const QString& dataDir, const CalendarStore* store)
{
    m_states = store ? store->Calendars() : QList<CalendarStatus>();
    m_loaded.clear();
    try {
        m_loaded = ReadCalendarList(dataDir);
    } catch (const AppError& e) {
        MessageBoxes::ShowError(e.message());
    }
    m_entries = m_loaded;
    Fill(-1);
}

void CalendarPage::Apply(const QString& dataDir)
{
    if (m_entries == m_loaded)
        return;
    // Onto the file as it is now: a calendar added meanwhile by hand or by
    // murvane --add-calendar stays.
    QList<CalendarEntry> written = MergeCalendarEdits(ReadCalendarList(dataDir), m_loaded, m_entries);
    WriteCalendarList(dataDir, written);
    m_entries = written;
    m_loaded = written;
}

void CalendarPage::Fill(int selectRow)
{
    {
        const QSignalBlocker blocker(ListBox);
        ListBox->clear();
        for (const CalendarEntry& entry : m_entries) {
            // The state under the name, so that every calendar's shows at once.
            auto* item = new QListWidgetItem(QIcon(ColorSwatchPixmap(entry.Color, SwatchSize)),
                                             entry.Name + u'\n' + StateOf(entry));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(entry.Shown ? Qt::Checked : Qt::Unchecked);
            item->setToolTip(AddressWithoutUser(entry.Source));
            ListBox->addItem(item);
        }
        if (selectRow >= 0 && selectRow < ListBox->count())
            ListBox->setCurrentRow(selectRow);
        else
            ListBox->clearSelection();
    }
    SelectionChanged();
}

void CalendarPage::SelectionChanged()
{
    const int row = SelectedRow();
    ChangeButton->setEnabled(row >= 0);
    DeleteButton->setEnabled(row >= 0);
    // A user part in the address may carry a password: never shown.
    SourceLabel->setText(row < 0 ? QString() : AddressWithoutUser(m_entries[row].Source));
    // Notes are written back to the calendar: a feed or a file cannot take them.
    SyncBox->setVisible(row >= 0 && !m_entries[row].User.isEmpty());
    SyncBox->setChecked(row >= 0 && m_entries[row].SyncNotes);
}

int CalendarPage::SelectedRow() const
{
    const QList<QListWidgetItem*> selected = ListBox->selectedItems();
    return selected.isEmpty() ? -1 : ListBox->row(selected.first());
}

void CalendarPage::SyncBoxClick(bool checked)
{
    const int row = SelectedRow();
    if (row < 0 || m_entries[row].User.isEmpty())
        return;
    // One calendar holds the notes: choosing one gives up the other.
    for (int i = 0; i < m_entries.size(); ++i)
        m_entries[i].SyncNotes = checked && i == row;
}

QString CalendarPage::StateOf(const CalendarEntry& entry) const
{
    if (!entry.Section.isEmpty()) {
        for (const CalendarStatus& status : m_states) {
            if (status.Entry.Section != entry.Section)
                continue;
            if (!entry.User.isEmpty() && m_memoryOnly && m_memoryOnly(entry))
                return status.StateText() + QStringLiteral(" (パスワードはこの起動の間だけ記憶)");
            return status.StateText();
        }
    }
    return QStringLiteral("保存すると読み込みます");
}

void CalendarPage::AddButtonClick()
{
    Edit->PrepareAdd();
    if (RunModal(*Edit) != QDialog::Accepted || Edit->Result().isEmpty())
        return;
    m_entries += Edit->Result();
    Fill(int(m_entries.size()) - 1);
}

void CalendarPage::ChangeButtonClick()
{
    const QList<QListWidgetItem*> selected = ListBox->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = ListBox->row(selected.first());
    const CalendarEntry& entry = m_entries[row];
    if (m_asker && !entry.User.isEmpty()) {
        const QString state = StateOf(entry);
        const bool refused = state.startsWith(QStringLiteral("認証に失敗しました"))
                             || state.startsWith(QStringLiteral("パスワードが必要です"));
        if (refused && MessageBoxes::AskOkCancel(this, state + QStringLiteral("\nパスワードを入力し直しますか？"))) {
            m_asker(this, entry);
            return;
        }
    }
    Edit->PrepareChange(m_entries[row]);
    if (RunModal(*Edit) != QDialog::Accepted || Edit->Result().isEmpty())
        return;
    m_entries[row] = Edit->Result().first();
    Fill(row);
}

void CalendarPage::DeleteButtonClick()
{
    const QList<QListWidgetItem*> selected = ListBox->selectedItems();
    if (selected.isEmpty())
        return;
    m_entries.removeAt(ListBox->row(selected.first()));
    Fill(-1);
}
