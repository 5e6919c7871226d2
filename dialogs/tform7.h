#pragma once

#include "barcontext.h"
#include "holidayfiles.h"
#include "loginstart.h"

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QStringList>

class CalendarPage;
class QCheckBox;
class QFrame;
class QGroupBox;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPainter;
class QPushButton;
class QTabWidget;
class QWidget;
class TForm5;

// The options dialog: named days and days off, the pop-up and list colours,
// the neighbouring-months mode, the picture that marks a day, and the user's
// calendars. Nothing but the picture path changes until "閉じる" is confirmed.
class TForm7 : public QDialog {
    Q_OBJECT

public:
    TForm7(BarContext& bar, TForm5& entryDialog, QWidget* parent = nullptr);

    int EntryMode = 1; // 1 add, 2 change; read by the entry dialog

    // Behind "ログイン時に起動する"; read at every showing.
    void SetLoginStart(LoginStart loginStart) { m_loginStart = std::move(loginStart); }

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    CalendarPage* TabSheet4 = nullptr; // "カレンダー"
    QFrame* Panel1 = nullptr;

    // Page 1. ListBox1 holds the named days as entry texts, ListBox2 those
    // that are days off; both kept sorted.
    QListWidget* ListBox1 = nullptr;
    QStringList ListBox2;
    QPushButton* Button3 = nullptr; // "追加"
    QPushButton* Button1 = nullptr; // "変更"
    QPushButton* Button4 = nullptr; // "削除"
    QCheckBox* CheckNationalHolidays = nullptr; // "国民の祝日を表示する"

    // Page 2: the labels hold the colours being edited.
    QLabel* Label1 = nullptr; // day pop-up
    QLabel* Label2 = nullptr; // weekday pop-up
    QLabel* Label3 = nullptr; // schedule list selection
    QPushButton* Button11 = nullptr;
    QPushButton* Button12 = nullptr;
    QPushButton* Button21 = nullptr;
    QPushButton* Button22 = nullptr;
    QPushButton* Button31 = nullptr;
    QPushButton* Button32 = nullptr;

    // Page 3.
    QCheckBox* CheckZengo = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* Button2 = nullptr; // "絵の選択"
    QLabel* Image1 = nullptr;       // the preview, unscaled from its top-left corner
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit1 = nullptr; // X
    QLabel* Label6 = nullptr;
    QLineEdit* Edit2 = nullptr; // Y
    QCheckBox* CheckAutostart = nullptr; // "ログイン時に起動する"
    QLabel* LabelShortcut = nullptr;     // names the shortcut, or says it has none
    QKeySequenceEdit* EditShortcut = nullptr; // the bar's shortcut; empty for the default

    QPushButton* Button5 = nullptr; // "閉じる"

    void FormShow();
    void ListBox1Click();
    void ListBox1DrawItem(QPainter& canvas, const QRect& rect, int index, bool selected) const;
    void Button3Click();
    void Button1Click();
    void Button4Click();
    void Button11Click();
    void Button2Click();
    void Button5Click();

    // Inserts entry into ListBox1 at its place in order and returns its row.
    int AddNamedDay(const QString& entry);
    // Inserts entry into a sorted entry list, after any equal ones.
    static void AddSorted(QStringList& list, const QString& entry);

    // The label colours as Windows colour values.
    static ColorRef BackColor(const QLabel& label);
    static ColorRef TextColor(const QLabel& label);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* BuildHolidayPage();
    QWidget* BuildColorPage();
    QWidget* BuildOtherPage();
    void SetPreview(const QImage& picture);
    void ShortcutEdited();
    QKeyCombination EditedShortcut() const;

    BarContext& m_bar;
    TForm5& m_entryDialog;
    LoginStart m_loginStart;
    QColor m_lastColor = Qt::black; // the colour dialog opens with the last choice
    bool m_pictureChosen = false;   // a picture was chosen in this opening
    QKeyCombination m_lastShortcut; // the edit's last usable keys
    // What this opening showed: the confirmed close writes only what the user
    // changed from it, onto the files as they are then, so that what another
    // program changed meanwhile stays.
    HolidayEntries m_listed;
    BarSettings m_shown;
    // The picture path the settings file was last known to hold: one chosen
    // in an opening that was cancelled is still the user's edit.
    std::optional<QString> m_filePicturePath;
};
