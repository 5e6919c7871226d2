#include "tform6.h"

#include "apperror.h"
#include "barfonts.h"
#include "calendarrules.h"
#include "colors.h"
#include "datecolumn.h"
#include "messagebox.h"
#include "outersize.h"
#include "schedulefiles.h"

#include <QAbstractItemDelegate>
#include <QAbstractTableModel>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>

// Two columns of text, rebuilt whole on every showing.
class ScheduleGridModel : public QAbstractTableModel {
public:
    using Row = std::array<QString, 2>;

    explicit ScheduleGridModel(QObject* parent) : QAbstractTableModel(parent) {}

    void SetRows(QList<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const QString& Cell(int column, int row) const { return m_rows[row][column]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return Cell(index.column(), index.row());
    }

private:
    QList<Row> m_rows;
};

namespace {

// The grid draws only its vertical lines; everything inside a cell is the
// form's StringGrid1DrawCell.
class GridCellPainter : public QAbstractItemDelegate {
public:
    explicit GridCellPainter(TForm6& form) : QAbstractItemDelegate(&form), m_form(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect cell = option.rect.adjusted(0, 0, -1, 0);
        painter->save();
        m_form.StringGrid1DrawCell(*painter, index.column(), index.row(), cell);
        painter->restore();
        painter->save();
        painter->setPen(ToQColor(Colors::Silver));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {TForm6::DateColumnWidth, TForm6::RowHeight};
    }

private:
    const TForm6& m_form;
};

// Reports every move of the current cell made by the user's mouse or keys.
// The view's own choice of a first cell when it gains focus is undone, so the
// list opens with nothing chosen and the first click on any row counts.
class ScheduleGrid : public QTableView {
public:
    using Listener = std::function<void(int column, int row)>;

    ScheduleGrid(QWidget* parent, Listener listener, std::function<void()> resized)
        : QTableView(parent), m_listener(std::move(listener)), m_resized(std::move(resized))
    {
    }

protected:
    // Runs for every change of the viewport's size, the scroll bar's coming
    // and going included.
    void resizeEvent(QResizeEvent* event) override
    {
        QTableView::resizeEvent(event);
        m_resized();
    }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QTableView::currentChanged(current, previous);
        if (!m_quiet && current.isValid())
            m_listener(current.column(), current.row());
    }
    void focusInEvent(QFocusEvent* event) override
    {
        const bool hadCurrent = currentIndex().isValid();
        m_quiet = true;
        QTableView::focusInEvent(event);
        if (!hadCurrent)
            selectionModel()->clearCurrentIndex();
        m_quiet = false;
    }

private:
    Listener m_listener;
    std::function<void()> m_resized;
    bool m_quiet = false;
};

} // namespace

TForm6::TForm6(BarContext& bar, QWidget* parent) : QDialog(parent), m_bar(bar)
{
    setFont(GothicFont(12));

    MainMenu1 = new QMenuBar(this);
    Exit1 = MainMenu1->addAction(QStringLiteral("終了"));
    connect(Exit1, &QAction::triggered, this, &TForm6::Exit1Click);

    m_model = new ScheduleGridModel(this);
    auto* grid = new ScheduleGrid(
        this, [this](int column, int row) { StringGrid1SelectCell(column, row); }, [this] { FormResize(); });
    StringGrid1 = grid;
    grid->setObjectName(QStringLiteral("StringGrid1"));
    grid->setModel(m_model);
    grid->setItemDelegate(new GridCellPainter(*this));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid->verticalHeader()->setMinimumSectionSize(RowHeight);
    grid->horizontalHeader()->setMinimumSectionSize(0);
    grid->setColumnWidth(0, FitDateColumn(grid->font(), DateColumnWidth));
    grid->setColumnWidth(1, TextColumnWidth);
    grid->setShowGrid(false);
    grid->setWordWrap(false);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(grid);

    move(192, 108);
    resize(OuterWidth, OuterHeight);
    m_model->SetRows({{}, {}});
    bar.SubscribeDataChanged([self = QPointer<TForm6>(this)] {
        if (self)
            self->DataChanged();
    });
}

TForm6::~TForm6() = default;

int TForm6::RowCount() const
{
    return m_model->rowCount();
}

QString TForm6::Cell(int column, int row) const
{
    return m_model->Cell(column, row);
}

void TForm6::FormShow()
{
    setWindowTitle(QString());

    QList<ScheduleGridModel::Row> rows;
    for (const ScheduleListEntry& entry : ReadScheduleList(m_bar.DataDir)) {
        QStringList lines = SplitScheduleText(entry.Text);
        if (lines.isEmpty()) // keep the date's row even for a text that yields no line
            lines.append(QString());
        rows.append(ScheduleGridModel::Row{entry.DateText, lines.first()});
        for (qsizetype i = 1; i < lines.size(); ++i)
            rows.append(ScheduleGridModel::Row{QString(), lines[i]});
    }
    while (rows.size() < 2)
        rows.append(ScheduleGridModel::Row{});

    // Every showing starts with nothing chosen: the bar and ShownDate stay as
    // they are until the user picks a row.
    SelectedFirstRow = -1;
    SelectedLastRow = -1;
    m_model->SetRows(std::move(rows));
    StringGrid1->scrollToTop();
}

void TForm6::FormActivate()
{
    m_bar.ListActive = true;
}

void TForm6::FormResize()
{
    // The text column takes whatever width the date column leaves.
    StringGrid1->setColumnWidth(1, std::max(0, StringGrid1->viewport()->width() - StringGrid1->columnWidth(0)));
}

void TForm6::SetBlockAround(int row)
{
    const int last = RowCount() - 1;
    int first = row;
    while (first > 0 && Cell(0, first).isEmpty())
        --first;
    int end = row + 1;
    while (end <= last && Cell(0, end).isEmpty())
        ++end;
    SelectedFirstRow = first;
    SelectedLastRow = end - 1;
}

void TForm6::StringGrid1SelectCell(int, int row)
{
    row = std::max(row, 0);
    if (row >= RowCount() || InBlock(row))
        return;
    // A move while the list is not active comes from the program, not the
    // user; then only row 0 starts a block.
    if (isActiveWindow() || row == 0)
        SetBlockAround(row);
    StringGrid1->viewport()->update();

    if (SelectedFirstRow < 0)
        return;
    const QString dateText = Cell(0, SelectedFirstRow);
    if (dateText.isEmpty())
        return;
    try {
        m_bar.State.ShownDate = QDateTime(ParseDateText(dateText), QTime(0, 0));
    } catch (const AppError& e) {
        MessageBoxes::ShowError(e.message());
        return;
    }
    if (m_bar.ListActive)
        m_bar.ShowMonth(true, m_bar.State.ShownDate);
}

void TForm6::DataChanged()
{
    if (!isVisible())
        return;
    const QString kept = SelectedFirstRow >= 0 && SelectedFirstRow < RowCount() ? Cell(0, SelectedFirstRow) : QString();
    const int scrolled = StringGrid1->verticalScrollBar()->value();
    FormShow();
    // Highlighted again without a selection: the bar stays where it is.
    for (int row = 0; !kept.isEmpty() && row < RowCount(); ++row) {
        if (Cell(0, row) == kept) {
            SetBlockAround(row);
            break;
        }
    }
    StringGrid1->verticalScrollBar()->setValue(scrolled);
    StringGrid1->viewport()->update();
}

void TForm6::StringGrid1DrawCell(QPainter& canvas, int column, int row, const QRect& rect) const
{
    const QColor back = InBlock(row) ? ToQColor(m_bar.Settings.YoteiBackColor) : QColor(Qt::white);
    canvas.setPen(back);
    canvas.setBrush(back);
    canvas.drawRect(rect.adjusted(0, 0, -1, -1));
    canvas.setPen(Qt::black);
    canvas.setClipRect(rect);
    canvas.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    Cell(column, row));
}

void TForm6::Exit1Click()
{
    reject();
}

void TForm6::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
    if (!m_outerSizeSet) {
        m_outerSizeSet = true;
        ResizeToOuterSize(*this, QSize(OuterWidth, OuterHeight));
    }
}

void TForm6::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}
