#include "tform5.h"

#include "barfonts.h"
#include "calendarrules.h"
#include "controls.h"
#include "holidayfiles.h"
#include "tform7.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>

namespace {
QSpinBox* MakeSpin(QWidget* parent, int left, int top, int maximum)
{
    auto* spin = new QSpinBox(parent);
    spin->setGeometry(left, top, 41, 21);
    spin->setRange(1, maximum);
    spin->setValue(1);
    return spin;
}
} // namespace

TForm5::TForm5(QWidget* parent) : QDialog(parent)
{
    setFont(GothicFont(12));
    setFixedSize(169, 130);
    move(200, 107);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 0, 169, 130);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    Edit1 = MakeSpin(Panel1, 8, 8, 12);
    // A month typed out of range becomes the nearer bound when the field is left.
    Edit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    Label1 = MakeLabel(Panel1, QStringLiteral("月"), 56, 12);
    Edit12 = MakeSpin(Panel1, 80, 8, 31);
    // Only the buttons and the arrow keys change the day, so no day can be
    // typed that the month does not have.
    if (auto* line = Edit12->findChild<QLineEdit*>())
        line->setReadOnly(true);
    Label2 = MakeLabel(Panel1, QStringLiteral("日"), 128, 12);
    Label3 = MakeLabel(Panel1, QStringLiteral("内容"), 10, 31);

    Edit2 = new QLineEdit(Panel1);
    Edit2->setGeometry(8, 46, 145, 20);

    CheckBox1 = new QCheckBox(QStringLiteral("休日"), Panel1);
    CheckBox1->setGeometry(8, 72, 97, 17);

    Button1 = new QPushButton(QStringLiteral("OK"), Panel1);
    Button1->setGeometry(8, 96, 65, 25);
    Button2 = new QPushButton(QStringLiteral("CANCEL"), Panel1);
    Button2->setGeometry(88, 96, 65, 25);

    // Enter means OK wherever the focus is, never CANCEL: Qt would otherwise
    // make the next button in the focus chain the default.
    Button1->setDefault(true);
    Button2->setAutoDefault(false);
    Button2->installEventFilter(this);

    setTabOrder(Button1, Edit1);
    setTabOrder(Edit1, Edit12);
    setTabOrder(Edit12, Edit2);
    setTabOrder(Edit2, Button2);
    setTabOrder(Button2, CheckBox1);

    connect(Edit1, &QSpinBox::textChanged, this, &TForm5::Edit1Change);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
}

void TForm5::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // The month first; when a change leaves month and day disabled, the content.
    if (Edit1->isEnabled()) {
        Edit1->setFocus();
        Edit1->selectAll();
    } else {
        Edit2->setFocus();
    }
}

bool TForm5::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on CANCEL does nothing: it is no default button, and Enter must
    // not reach the dialog's default either.
    if (watched == Button2 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm5::KeepOwnKey(const QString& key, int month, int day)
{
    if (Edit1->value() != month || Edit12->value() != day)
        m_ownKey = OwnKey{key, Edit1->value(), Edit12->value()};
    else
        m_ownKey.reset();
}

void TForm5::done(int result)
{
    m_ownKey.reset();
    QDialog::done(result);
}

void TForm5::Edit1Change()
{
    bool ok = false;
    const int month = Edit1->text().toInt(&ok);
    if (!ok || month < 1 || month > 12)
        return;
    const int maximum = AnnualMonthLength(month);
    // Checked before the new maximum applies: the spin box would otherwise
    // clip the day to the maximum instead of starting again at 1.
    if (Edit12->value() > maximum)
        Edit12->setValue(1);
    Edit12->setMaximum(maximum);
}

void TForm5::Button1Click()
{
    if (m_options) {
        m_options->Button1->setEnabled(false);
        m_options->Button4->setEnabled(false);

        QString entry = MakeEntryText(Edit1->value(), Edit12->value(), Edit2->text());
        if (m_options->EntryMode == 2 && m_ownKey && m_ownKey->Month == Edit1->value()
            && m_ownKey->Day == Edit12->value())
            entry = m_ownKey->Key + u'=' + EntryValue(entry);
        const bool dayOff = CheckBox1->isChecked();
        if (m_options->EntryMode == 1) {
            m_options->AddNamedDay(entry);
            if (dayOff)
                TForm7::AddSorted(m_options->ListBox2, entry);
        } else if (m_options->EntryMode == 2) {
            const QList<QListWidgetItem*> selected = m_options->ListBox1->selectedItems();
            if (!selected.isEmpty()) {
                QListWidgetItem* item = selected.first();
                m_options->ListBox2.removeOne(item->text());
                item->setText(entry);
                if (dayOff) {
                    if (!m_options->ListBox2.contains(entry))
                        TForm7::AddSorted(m_options->ListBox2, entry);
                } else {
                    m_options->ListBox2.removeOne(entry);
                }
            }
        }
        // The day-off colours follow ListBox2.
        m_options->ListBox1->viewport()->update();
    }
    accept();
}

void TForm5::Button2Click()
{
    reject();
}
