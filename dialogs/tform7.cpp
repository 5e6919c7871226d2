#include "tform7.h"

#include "apperror.h"
#include "autostartbox.h"
#include "barfonts.h"
#include "barpicture.h"
#include "calendarpage.h"
#include "colors.h"
#include "controls.h"
#include "dialogseams.h"
#include "globalshortcut.h"
#include "holidayfiles.h"
#include "messagebox.h"
#include "modal.h"
#include "nationalholidaybox.h"
#include "settingsfile.h"
#include "tform5.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>

#include <algorithm>
#include <optional>

namespace {

constexpr int ItemHeight = 12;

// ListBox1 is owner-drawn: the delegate hands every item to ListBox1DrawItem.
class ListBox1Delegate : public QStyledItemDelegate {
public:
    ListBox1Delegate(const TForm7& form, QObject* parent) : QStyledItemDelegate(parent), m_form(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        m_form.ListBox1DrawItem(*painter, option.rect, index.row(), option.state & QStyle::State_Selected);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), ItemHeight};
    }

private:
    const TForm7& m_form;
};

void SetLabelColors(QLabel& label, ColorRef back, ColorRef text)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, ToQColor(back));
    palette.setColor(QPalette::WindowText, ToQColor(text));
    label.setPalette(palette);
}

// A decimal integer, or nothing.
std::optional<int> DecimalValue(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

// Characters 1 to 2 or 3 to 4 of an entry text as the spin field reads them:
// a piece that is no number counts as the field's minimum, 1.
int EntryNumber(const QString& entry, int from)
{
    return DecimalValue(entry.mid(from, 2)).value_or(1);
}

} // namespace

TForm7::TForm7(BarContext& bar, TForm5& entryDialog, QWidget* parent)
    : QDialog(parent), m_bar(bar), m_entryDialog(entryDialog)
{
    m_entryDialog.SetOptions(this);

    setFont(GothicFont(12));
    setFixedSize(312, 279);
    move(203, 174);

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(0, 0, 312, 279 - 28);
    TabSheet1 = BuildHolidayPage();
    TabSheet2 = BuildColorPage();
    TabSheet3 = BuildOtherPage();
    CheckAutostart = AutostartBox::Make(TabSheet3);
    // The line under the autostart box holds both: a smaller label font
    // leaves the edit room within the old line's width.
    LabelShortcut = new QLabel(TabSheet3);
    LabelShortcut->setGeometry(8, 208, 190, 14);
    LabelShortcut->setFont(GothicFont(11));
    EditShortcut = new QKeySequenceEdit(TabSheet3);
    EditShortcut->setGeometry(200, 205, 104, 19);
    EditShortcut->setClearButtonEnabled(true);
    EditShortcut->setAccessibleName(QStringLiteral("キーボードで操作するショートカット"));
    LabelShortcut->setBuddy(EditShortcut);
    connect(EditShortcut, &QKeySequenceEdit::keySequenceChanged, this, &TForm7::ShortcutEdited);
    connect(EditShortcut, &QKeySequenceEdit::editingFinished, this, [this] {
        if (EditShortcut->keySequence().isEmpty())
            EditShortcut->setKeySequence(QKeySequence(DefaultGlobalShortcut()));
    });
    PageControl1->addTab(TabSheet1, QStringLiteral("休日及びその他の特別日"));
    PageControl1->addTab(TabSheet2, QStringLiteral("表示色"));
    PageControl1->addTab(TabSheet3, QStringLiteral("その他"));
    TabSheet4 = new CalendarPage;
    PageControl1->addTab(TabSheet4, QStringLiteral("カレンダー"));
    PageControl1->setCurrentWidget(TabSheet1);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 279 - 28, 312, 28);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Button5 = MakeButton(Panel1, QStringLiteral("閉じる"), {268, 5, 35, 19});
    connect(Button5, &QPushButton::clicked, this, &TForm7::Button5Click);
}

QWidget* TForm7::BuildHolidayPage()
{
    auto* page = new QWidget;

    ListBox1 = new QListWidget(page);
    ListBox1->setGeometry(5, 5, 252, 212);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setItemDelegate(new ListBox1Delegate(*this, ListBox1));
    QPalette palette = ListBox1->palette();
    palette.setColor(QPalette::Base, ToQColor(Colors::Silver));
    palette.setColor(QPalette::Text, ToQColor(Colors::Black));
    ListBox1->setPalette(palette);
    // A click on the item that is already selected enables the buttons too.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TForm7::ListBox1Click);
    connect(ListBox1, &QListWidget::itemClicked, this, &TForm7::ListBox1Click);

    Button3 = MakeButton(page, QStringLiteral("追加"), {264, 8, 35, 25});
    Button1 = MakeButton(page, QStringLiteral("変更"), {264, 40, 35, 25});
    Button4 = MakeButton(page, QStringLiteral("削除"), {264, 72, 35, 25});
    Button1->setEnabled(false);
    Button4->setEnabled(false);
    connect(Button3, &QPushButton::clicked, this, &TForm7::Button3Click);
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button4, &QPushButton::clicked, this, &TForm7::Button4Click);
    CheckNationalHolidays = MakeNationalHolidayBox(page, *ListBox1);
    return page;
}

QWidget* TForm7::BuildColorPage()
{
    auto* page = new QWidget;
    struct Line {
        QLabel*& label;
        const char16_t* caption;
        QPushButton*& back;
        const char* backName;
        QPushButton*& text;
        const char* textName;
        int top;
    };
    const Line lines[] = {
        {Label1, u"日付ポップアップ", Button11, "Button11", Button12, "Button12", 16},
        {Label2, u"曜日ポップアップ", Button21, "Button21", Button22, "Button22", 50},
        {Label3, u"予定一覧選択", Button31, "Button31", Button32, "Button32", 84},
    };
    for (const Line& line : lines) {
        line.label = new QLabel(QString::fromUtf16(line.caption), page);
        line.label->setGeometry(16, line.top + 2, 86, 12);
        line.label->setAutoFillBackground(true);
        line.back = MakeButton(page, QStringLiteral("背景色変更"), {114, line.top, 67, 17});
        line.back->setObjectName(QLatin1String(line.backName));
        line.text = MakeButton(page, QStringLiteral("文字色変更"), {182, line.top, 67, 17});
        line.text->setObjectName(QLatin1String(line.textName));
        // The text colours are carried through, not edited.
        line.text->hide();
        connect(line.back, &QPushButton::clicked, this, &TForm7::Button11Click);
        connect(line.text, &QPushButton::clicked, this, &TForm7::Button11Click);
    }
    return page;
}

QWidget* TForm7::BuildOtherPage()
{
    auto* page = new QWidget;
    CheckZengo = new QCheckBox(QStringLiteral("前後の月を表示"), page);
    CheckZengo->setGeometry(24, 24, 241, 17);

    GroupBox1 = new QGroupBox(QStringLiteral("表示する絵"), page);
    GroupBox1->setGeometry(24, 56, 265, 121);
    Button2 = MakeButton(GroupBox1, QStringLiteral("絵の選択"), {16, 24, 75, 25});
    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);

    Image1 = new QLabel(GroupBox1);
    Image1->setGeometry(104, 24, 25, 25);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setScaledContents(false);

    Label4 = MakeLabel(GroupBox1, QStringLiteral("出力位置調整"), 16, 72);
    Label5 = MakeLabel(GroupBox1, QStringLiteral("X"), 96, 68);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setGeometry(112, 64, 49, 20);
    Label6 = MakeLabel(GroupBox1, QStringLiteral("Y"), 96, 92);
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setGeometry(112, 88, 49, 20);
    return page;
}

void TForm7::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm7::keyPressEvent(QKeyEvent* event)
{
    // Escape asks "変更しますか？" as "閉じる" does instead of dropping the edits.
    if (event->matches(QKeySequence::Cancel)) {
        Button5Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm7::FormShow()
{
    setWindowTitle(QString());
    // Says so when the keys could not be had; the reason in the tip.
    const bool missing = !m_bar.ShortcutProblem.isEmpty() || m_bar.ShortcutKeys.isEmpty();
    LabelShortcut->setText(missing ? QStringLiteral("ショートカット: 登録できません")
                                   : QStringLiteral("キーボードで操作するショートカット"));
    LabelShortcut->setToolTip(m_bar.ShortcutProblem);
    LabelShortcut->setAccessibleDescription(m_bar.ShortcutProblem);
    EditShortcut->setToolTip(QStringLiteral("Ctrl か Alt を含むキー。空にすると既定の %1")
                                 .arg(QKeySequence(DefaultGlobalShortcut()).toString(QKeySequence::NativeText)));
    EditShortcut->setAccessibleDescription(m_bar.ShortcutProblem);
    m_lastShortcut = m_bar.Settings.Shortcut;
    EditShortcut->setKeySequence(QKeySequence(m_lastShortcut));
    m_pictureChosen = false;
    Button1->setEnabled(false);
    Button4->setEnabled(false);

    ListBox1->clear();
    ListBox2.clear();
    m_listed = {};
    try {
        m_listed = ListHolidayEntries(m_bar.DataDir);
        ListBox1->addItems(m_listed.NamedDays);
        ListBox2 = m_listed.DaysOff;
    } catch (const AppError& e) {
        MessageBoxes::ShowError(e.message());
    }

    const BarSettings& s = m_bar.Settings;
    m_shown = s;
    if (!m_filePicturePath)
        m_filePicturePath = s.PicturePath;
    SetLabelColors(*Label1, s.DayPopColor, s.DayPopFontColor);
    SetLabelColors(*Label2, s.YoubiPopColor, s.YoubiPopFontColor);
    SetLabelColors(*Label3, s.YoteiBackColor, s.YoteiBackFontColor);
    CheckZengo->setChecked(s.ShowFRDate == 1);
    CheckNationalHolidays->setChecked(s.NationalHolidays);
    SetPreview(m_bar.ImageList2.value_or(QImage()));
    Edit1->setText(QString::number(s.Image_X));
    Edit2->setText(QString::number(s.Image_Y));
    AutostartBox::Load(*CheckAutostart, m_loginStart);
    TabSheet4->Load(m_bar.DataDir, m_bar.Calendars);
}

void TForm7::SetPreview(const QImage& picture)
{
    if (picture.isNull())
        Image1->clear();
    else
        Image1->setPixmap(QPixmap::fromImage(picture));
}

// One usable combination stays: a second key is dropped, keys the bar cannot
// take (no Ctrl or Alt, Escape) give back the last ones, and Backspace or
// Delete alone goes back to the default.
void TForm7::ShortcutEdited()
{
    const QKeySequence keys = EditShortcut->keySequence();
    if (keys.isEmpty())
        return; // cleared: the default, or a recording starts
    const QKeyCombination chosen = EditedShortcut();
    if (keys.count() != 1 || keys[0] != chosen)
        EditShortcut->setKeySequence(QKeySequence(chosen));
    m_lastShortcut = chosen;
}

// The edit settles only a second after the last key: closing sooner takes
// what it holds now the same way.
QKeyCombination TForm7::EditedShortcut() const
{
    const QKeySequence keys = EditShortcut->keySequence();
    if (keys.isEmpty() || keys[0] == QKeyCombination(Qt::Key_Backspace) || keys[0] == QKeyCombination(Qt::Key_Delete))
        return DefaultGlobalShortcut();
    return UsableShortcut(keys[0]) ? keys[0] : m_lastShortcut;
}

void TForm7::ListBox1Click()
{
    if (!ListBox1->selectedItems().isEmpty()) {
        Button1->setEnabled(true);
        Button4->setEnabled(true);
    }
}

void TForm7::ListBox1DrawItem(QPainter& canvas, const QRect& rect, int index, bool selected) const
{
    const QListWidgetItem* item = ListBox1->item(index);
    if (!item)
        return;
    const QString text = item->text();
    canvas.setFont(ListBox1->font());
    QColor brush = ListBox1->palette().color(QPalette::Base);
    QColor pen = ListBox1->palette().color(QPalette::Text);
    if (selected)
        std::swap(brush, pen);
    else if (ListBox2.contains(text))
        pen = ToQColor(Colors::Red);
    canvas.fillRect(rect, brush);
    canvas.setPen(pen);
    canvas.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

int TForm7::AddNamedDay(const QString& entry)
{
    int row = 0;
    while (row < ListBox1->count() && !EntryLess(entry, ListBox1->item(row)->text()))
        ++row;
    ListBox1->insertItem(row, entry);
    return row;
}

void TForm7::AddSorted(QStringList& list, const QString& entry)
{
    list.insert(std::upper_bound(list.begin(), list.end(), entry, EntryLess), entry);
}

ColorRef TForm7::BackColor(const QLabel& label)
{
    return ToColorRef(label.palette().color(QPalette::Window));
}

ColorRef TForm7::TextColor(const QLabel& label)
{
    return ToColorRef(label.palette().color(QPalette::WindowText));
}

void TForm7::Button3Click()
{
    EntryMode = 1;
    TForm5& entry = m_entryDialog;
    entry.setWindowTitle(QStringLiteral("追加"));
    entry.Edit1->setEnabled(true);
    entry.Edit12->setEnabled(true);
    entry.Edit1->setValue(1);
    entry.Edit12->setValue(1);
    entry.Edit2->clear();
    entry.CheckBox1->setChecked(false);
    RunModal(entry);
}

void TForm7::Button1Click()
{
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty())
        return;
    const QString text = selected.first()->text();
    EntryMode = 2;
    TForm5& entry = m_entryDialog;
    entry.setWindowTitle(QStringLiteral("変更"));
    entry.Edit1->setEnabled(false);
    entry.Edit12->setEnabled(false);
    // The month first: its change handler may reset the day.
    entry.Edit1->setValue(EntryNumber(text, 0));
    entry.Edit12->setValue(EntryNumber(text, 2));
    entry.KeepOwnKey(EntryKey(text), EntryNumber(text, 0), EntryNumber(text, 2));
    entry.Edit2->setText(EntryValue(text));
    entry.CheckBox1->setChecked(ListBox2.contains(text));
    RunModal(entry);
}

void TForm7::Button4Click()
{
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (!selected.isEmpty()) {
        QListWidgetItem* item = selected.first();
        ListBox2.removeOne(item->text());
        delete ListBox1->takeItem(ListBox1->row(item));
        // The view would select the next item; nothing stays selected.
        ListBox1->clearSelection();
    }
    Button1->setEnabled(false);
    Button4->setEnabled(false);
}

void TForm7::Button11Click()
{
    const QObject* button = sender();
    if (!button)
        return;
    const std::optional<QColor> chosen = DialogSeams::ChooseColor(this, m_lastColor);
    if (!chosen)
        return;
    m_lastColor = *chosen;
    const ColorRef color = ToColorRef(*chosen);
    const QString name = button->objectName();
    QLabel* label = name.startsWith(u"Button1") ? Label1 : name.startsWith(u"Button2") ? Label2 : Label3;
    if (name.endsWith(u'1'))
        SetLabelColors(*label, color, TextColor(*label));
    else
        SetLabelColors(*label, BackColor(*label), color);
}

void TForm7::Button2Click()
{
    const std::optional<QString> path =
        DialogSeams::ChooseOpenFile(this, QStringLiteral("ビットマップ (*.bmp)"));
    if (!path)
        return;
    try {
        const QImage picture = LoadPictureFile(*path);
        BarSettings chosen = m_bar.Settings;
        chosen.PicturePath = *path;
        CheckSettingsWritable(m_bar.DataDir, chosen); // the settings file must be able to hold it
        SetPreview(picture);
    } catch (const AppError& e) {
        MessageBoxes::ShowError(e.message());
        return;
    }
    m_bar.Settings.PicturePath = *path;
    m_pictureChosen = true;
}

void TForm7::Button5Click()
{
    if (!MessageBoxes::AskOkCancel(this, QStringLiteral("変更しますか？"))) {
        reject();
        return;
    }

    // Everything that can fail comes before the first change in memory: a
    // picture chosen in this opening is loaded and every text is checked
    // before any file is written, and the settings take the new values only
    // once both files are written. A stored picture that cannot be loaded
    // any more (or an empty path) keeps the picture the bar has and blocks
    // nothing.
    BarSettings settings = m_bar.Settings;
    std::optional<QImage> picture;
    try {
        if (m_pictureChosen)
            picture = LoadPictureFile(settings.PicturePath);

        QStringList namedDays;
        for (int row = 0; row < ListBox1->count(); ++row)
            namedDays.append(ListBox1->item(row)->text());
        // Every text is checked before the first file changes.
        CheckHolidayEntries(m_bar.DataDir, namedDays, ListBox2);
        CheckSettingsWritable(m_bar.DataDir, settings);
        // The first write: when it fails, every file is as it was.
        AutostartBox::Apply(*CheckAutostart, m_loginStart, m_bar.DataDir);
        SaveHolidayEdits(m_bar.DataDir, m_listed, namedDays, ListBox2);

        settings.DayPopColor = BackColor(*Label1);
        settings.DayPopFontColor = TextColor(*Label1);
        settings.YoubiPopColor = BackColor(*Label2);
        settings.YoubiPopFontColor = TextColor(*Label2);
        settings.YoteiBackColor = BackColor(*Label3);
        settings.YoteiBackFontColor = TextColor(*Label3);
        settings.ShowFRDate = CheckZengo->isChecked() ? 1 : 0;
        settings.NationalHolidays = CheckNationalHolidays->isChecked();
        settings.Shortcut = EditedShortcut();
        const std::optional<int> x = DecimalValue(Edit1->text());
        const std::optional<int> y = DecimalValue(Edit2->text());
        settings.Image_X = x && y ? *x : 0;
        settings.Image_Y = x && y ? *y : 0;
        BarSettings shown = m_shown;
        shown.PicturePath = m_filePicturePath.value_or(shown.PicturePath);
        SaveSettingsEdits(m_bar.DataDir, shown, settings);
        TabSheet4->Apply(m_bar.DataDir);
    } catch (const AppError& e) {
        MessageBoxes::ShowError(e.message());
        return;
    }
    m_filePicturePath = settings.PicturePath;

    const bool newShortcut = settings.Shortcut != m_bar.Settings.Shortcut;
    m_bar.Settings = settings;
    if (newShortcut)
        m_bar.RegisterShortcut();
    if (!m_pictureChosen && !settings.PicturePath.isEmpty()) {
        try {
            picture = LoadPictureFile(settings.PicturePath);
        } catch (const AppError&) {
        }
    }
    if (picture) {
        SetPreview(*picture);
        m_bar.ImageList2 = FitPicture(*picture);
    }
    m_bar.ShowMonth(false, m_bar.State.ShownDate);
    accept();
}
