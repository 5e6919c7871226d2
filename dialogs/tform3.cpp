#include "tform3.h"

#include "apperror.h"
#include "barfonts.h"
#include "calendarrules.h"
#include "cp932.h"
#include "messagebox.h"
#include "outersize.h"
#include "scheduledate.h"
#include "schedulefiles.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QStringList MemoLines(const QString& memoText)
{
    if (memoText.isEmpty())
        return {};
    QStringList lines = memoText.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

TForm3::TForm3(BarContext& bar, QWidget* parent) : QDialog(parent), m_bar(bar)
{
    setFont(GothicFont(12));
    setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildPanel1());
    layout->addWidget(BuildPanel2(), 1);

    // Tab order: "登録", year, month, day, "削除", "閉じる", then the memo.
    setTabOrder(Button1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Memo1);

    resize(OuterWidth, OuterHeight);
    move(x(), TopEdge);
}

QFrame* TForm3::BuildPanel1()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setFixedHeight(33);

    auto place = [](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(left, top, width, height);
    };
    Edit1 = new QLineEdit(panel);
    place(Edit1, 8, 8, 41, 20);
    Edit2 = new QLineEdit(panel);
    place(Edit2, 56, 8, 25, 20);
    Edit3 = new QLineEdit(panel);
    place(Edit3, 88, 8, 25, 20);

    Button1 = new QPushButton(QStringLiteral("登録"), panel);
    place(Button1, 120, 8, 33, 17);
    Button2 = new QPushButton(QStringLiteral("削除"), panel);
    place(Button2, 160, 8, 33, 17);
    Button3 = new QPushButton(QStringLiteral("閉じる"), panel);
    place(Button3, 200, 8, 33, 17);
    // Return in a date field must not press a button on its own.
    for (QPushButton* b : {Button1, Button2, Button3}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    return panel;
}

QFrame* TForm3::BuildPanel2()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel2"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(panel);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    layout->addWidget(Memo1);
    return panel;
}

void TForm3::Prepare(const CellRec& dayCell, IntPair mousePos)
{
    Memo1->clear();
    Edit1->setText(FormatYYYY(dayCell.Date));
    Edit2->setText(FormatMM(dayCell.Date));
    Edit3->setText(FormatDD(dayCell.Date));
    QString text;
    for (const QString& line : SplitScheduleText(dayCell.Schedule))
        text += line + u'\n';
    Memo1->setPlainText(text);
    // The user opened the editor to write: the caret waits after the last line.
    Memo1->moveCursor(QTextCursor::End);
    Memo1->setFocus();
    setWindowTitle(dayCell.HolidayName);
    m_loadedDate = dayCell.Date;
    m_loadedSchedule = dayCell.Schedule;
    const QPoint bar = m_bar.BarTopLeft();
    move(bar.x() + mousePos.X, bar.y() + TopEdge);
}

void TForm3::Button1Click()
{
    try {
        const ScheduleDateTexts date = CheckScheduleDate(Edit1->text(), Edit2->text(), Edit3->text());
        const QStringList lines = MemoLines(Memo1->toPlainText());
        // Refuse a character the file cannot hold before anything is written.
        Cp932::Encode(JoinScheduleLines(lines));
        if (!MayOverwrite(date.Year, date.Month, date.Day))
            return;
        RegisterSchedule(m_bar.DataDir, date.Year, date.Month, date.Day, lines);
    } catch (const AppError& e) {
        MessageBoxes::ShowError(e.message());
        return;
    }
    accept();
}

void TForm3::Button2Click()
{
    try {
        const ScheduleDateTexts date = CheckScheduleDate(Edit1->text(), Edit2->text(), Edit3->text());
        if (!MayOverwrite(date.Year, date.Month, date.Day))
            return;
        DeleteSchedule(m_bar.DataDir, date.Year, date.Month, date.Day);
    } catch (const AppError& e) {
        MessageBoxes::ShowError(e.message());
        return;
    }
    accept();
}

bool TForm3::MayOverwrite(const QString& year, const QString& month, const QString& day)
{
    // Another day typed into the date fields was never loaded: nothing to
    // compare with.
    const bool loadedDay =
        year == FormatYYYY(m_loadedDate) && month == FormatMM(m_loadedDate) && day == FormatDD(m_loadedDate);
    if (!loadedDay || StoredSchedule(m_bar.DataDir, year, month, day) == m_loadedSchedule)
        return true;
    return MessageBoxes::AskOkCancel(this, QStringLiteral("この日の予定は他で変更されています。上書きしますか？"));
}

void TForm3::Button3Click()
{
    reject();
}

void TForm3::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_outerSizeSet) {
        m_outerSizeSet = true;
        ResizeToOuterSize(*this, QSize(OuterWidth, OuterHeight));
    }
}

void TForm3::keyPressEvent(QKeyEvent* event)
{
    // Escape would throw away what the user typed; only "閉じる" and the close
    // box close the editor without writing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
