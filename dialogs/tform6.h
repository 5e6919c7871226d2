#pragma once

#include "barcontext.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <array>

class QMenuBar;
class QAction;
class QPainter;
class QTableView;
class ScheduleGridModel;

// The list of every schedule entry of every month.
class TForm6 : public QDialog {
    Q_OBJECT

public:
    explicit TForm6(BarContext& bar, QWidget* parent = nullptr);
    ~TForm6() override;

    // Handlers, named as the design names them; public so tests and the
    // benchmark can drive them.
    void FormShow();     // fills the grid; run by every showing
    void FormActivate(); // the list became the active window
    void FormResize(); // the text column follows the grid's width
    void StringGrid1SelectCell(int column, int row);
    void StringGrid1DrawCell(QPainter& canvas, int column, int row, const QRect& rect) const;
    void Exit1Click();
    // Data files changed under the open list: rebuilt, with the highlighted
    // entry kept where it still exists.
    void DataChanged();

    // The grid's contents.
    int RowCount() const;
    QString Cell(int column, int row) const;

    // The block of rows drawn highlighted; both -1 while there is none, which
    // is how every showing starts.
    int SelectedFirstRow = -1;
    int SelectedLastRow = -1;

    QMenuBar* MainMenu1 = nullptr;
    QAction* Exit1 = nullptr;
    QTableView* StringGrid1 = nullptr;

    static constexpr int OuterWidth = 320;
    static constexpr int OuterHeight = 265;
    static constexpr int DateColumnWidth = 64;
    static constexpr int TextColumnWidth = 243;
    static constexpr int RowHeight = 20;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool InBlock(int row) const { return SelectedFirstRow <= row && row <= SelectedLastRow; }
    void SetBlockAround(int row);

    BarContext& m_bar;
    ScheduleGridModel* m_model = nullptr;
    bool m_outerSizeSet = false;
};
