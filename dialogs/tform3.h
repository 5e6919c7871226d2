#pragma once

#include "barcontext.h"

#include <QDialog>
#include <QStringList>

class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The memo's lines: its text divided at line breaks, where an empty piece
// after the final break is no line (the opener leaves the text ending in one).
QStringList MemoLines(const QString& memoText);

// The day schedule editor.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(BarContext& bar, QWidget* parent = nullptr);

    // Fills the editor from a day cell of the strip and puts its left edge at
    // the pointer's x.
    void Prepare(const CellRec& dayCell, IntPair mousePos);

    // Handlers, named as the design names them; public so tests can drive them.
    void Button1Click(); // "登録"
    void Button2Click(); // "削除"
    void Button3Click(); // "閉じる"

    QLineEdit* Edit1 = nullptr; // year
    QLineEdit* Edit2 = nullptr; // month
    QLineEdit* Edit3 = nullptr; // day
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

    static constexpr int OuterWidth = 247;
    static constexpr int OuterHeight = 245;
    static constexpr int TopEdge = 67;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFrame* BuildPanel1();
    QFrame* BuildPanel2();

    // Whether the user agrees to replace the day's entry when the file no
    // longer holds what the editor was filled from.
    bool MayOverwrite(const QString& year, const QString& month, const QString& day);

    BarContext& m_bar;
    bool m_outerSizeSet = false;
    // The day and entry the editor was filled from.
    QDate m_loadedDate;
    QString m_loadedSchedule;
};
