#include "calendaredit.h"

#include "barfonts.h"
#include "controls.h"
#include "dialogseams.h"
#include "messagebox.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>

namespace {

constexpr int MinRefreshMinutes = 5;
constexpr int MaxRefreshMinutes = 7 * 24 * 60;

// A name for a calendar the user left unnamed: the file's name without
// ".ics", or the address's host.
QString NameFromSource(const QString& source)
{
    const QUrl url(source);
    if (!url.scheme().isEmpty() && url.scheme().size() > 1 && !url.host().isEmpty())
        return url.host();
    return QFileInfo(source).completeBaseName();
}

} // namespace

QPixmap ColorSwatchPixmap(const QString& color, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(0, 0, size, size, Qt::black);
    painter.fillRect(1, 1, size - 2, size - 2, QColor::fromString(color));
    return pixmap;
}

CalendarEdit::CalendarEdit(QWidget* parent) : QDialog(parent)
{
    setFont(GothicFont(12));
    setFixedSize(300, 186);

    MakeLabel(this, QStringLiteral("名前"), 8, 12);
    NameEdit = new QLineEdit(this);
    NameEdit->setGeometry(88, 8, 204, 20);

    MakeLabel(this, QStringLiteral("アドレス"), 8, 40);
    SourceEdit = new QLineEdit(this);
    SourceEdit->setGeometry(88, 36, 150, 20);
    SourceEdit->setPlaceholderText(QStringLiteral("https://… または .ics ファイル"));
    FileButton = MakeButton(this, QStringLiteral("参照…"), {242, 36, 50, 20});

    MakeLabel(this, QStringLiteral("色"), 8, 68);
    ColorSwatch = new QLabel(this);
    ColorSwatch->setGeometry(88, 64, 20, 20);
    ColorButton = MakeButton(this, QStringLiteral("色の選択"), {116, 64, 75, 20});

    MakeLabel(this, QStringLiteral("更新間隔"), 8, 96);
    MinutesBox = new QSpinBox(this);
    MinutesBox->setGeometry(88, 92, 80, 20);
    MinutesBox->setRange(MinRefreshMinutes, MaxRefreshMinutes);
    MinutesBox->setSuffix(QStringLiteral(" 分"));

    ShownBox = new QCheckBox(QStringLiteral("表示する"), this);
    ShownBox->setGeometry(88, 120, 120, 17);

    AccountButton = MakeButton(this, QStringLiteral("アカウントから追加…"), {8, 152, 130, 25});
    OkButton = MakeButton(this, QStringLiteral("OK"), {154, 152, 66, 25});
    CancelButton = MakeButton(this, QStringLiteral("キャンセル"), {226, 152, 66, 25});
    OkButton->setDefault(true);

    connect(FileButton, &QPushButton::clicked, this, &CalendarEdit::FileButtonClick);
    connect(ColorButton, &QPushButton::clicked, this, &CalendarEdit::ColorButtonClick);
    connect(AccountButton, &QPushButton::clicked, this, &CalendarEdit::AccountButtonClick);
    connect(OkButton, &QPushButton::clicked, this, &CalendarEdit::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void CalendarEdit::PrepareAdd()
{
    PrepareChange(CalendarEntry());
    setWindowTitle(QStringLiteral("追加"));
    AccountButton->setVisible(bool(m_finder));
}

void CalendarEdit::PrepareChange(const CalendarEntry& entry)
{
    setWindowTitle(QStringLiteral("変更"));
    AccountButton->hide();
    m_entry = entry;
    m_result.clear();
    NameEdit->setText(entry.Name);
    SourceEdit->setText(entry.Source);
    SetColor(entry.Color);
    MinutesBox->setValue(entry.RefreshMinutes);
    ShownBox->setChecked(entry.Shown);
    NameEdit->setFocus();
}

void CalendarEdit::SetColor(const QString& color)
{
    m_entry.Color = color;
    ColorSwatch->setPixmap(ColorSwatchPixmap(color, ColorSwatch->width()));
}

void CalendarEdit::FileButtonClick()
{
    const std::optional<QString> path =
        DialogSeams::ChooseOpenFile(this, QStringLiteral("iCalendar (*.ics);;すべてのファイル (*)"));
    if (!path)
        return;
    SourceEdit->setText(*path);
    if (NameEdit->text().trimmed().isEmpty())
        NameEdit->setText(NameFromSource(*path));
}

void CalendarEdit::ColorButtonClick()
{
    const std::optional<QColor> chosen = DialogSeams::ChooseColor(this, QColor::fromString(m_entry.Color));
    if (chosen)
        SetColor(chosen->name());
}

void CalendarEdit::AccountButtonClick()
{
    if (!m_finder)
        return;
    const QList<CalendarEntry> found = m_finder(this);
    if (found.isEmpty())
        return;
    m_result = found;
    accept();
}

void CalendarEdit::OkButtonClick()
{
    const QString source = SourceEdit->text().trimmed();
    if (source.isEmpty()) {
        MessageBoxes::ShowError(QStringLiteral("アドレスまたはファイルを指定してください"));
        SourceEdit->setFocus();
        return;
    }
    CalendarEntry entry = m_entry;
    entry.Source = source;
    entry.Name = NameEdit->text().trimmed();
    if (entry.Name.isEmpty())
        entry.Name = NameFromSource(source);
    entry.RefreshMinutes = MinutesBox->value();
    entry.Shown = ShownBox->isChecked();
    m_result = {entry};
    accept();
}
