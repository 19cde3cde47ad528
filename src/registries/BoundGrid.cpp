// A grid over its data control.
#include "BoundGrid.h"

#include <algorithm>
#include <utility>

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include "DataControl.h"
#include "Session.h"

namespace vtx {

BoundGrid::BoundGrid(QWidget* form, const QString& gridName, const QString& controlName,
                     QList<GridColumn> columns)
    : QObject(form) {
    m_rows = new DataControl(this);
    m_rows->setObjectName(controlName);
    m_model = new GridModel(m_rows, std::move(columns), this);
    m_view = new QTableView(form);
    m_view->setObjectName(gridName);
    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->verticalHeader()->setDefaultSectionSize(20);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    m_rows->recordset().setPosition(current.row());
            });
    connect(m_rows, &DataControl::refreshed, this, [this] {
        if (m_model->rowCount() > 0)
            setCurrentRow(0);
    });
}

void BoundGrid::open(const QString& sql, const Params& params) {
    m_rows->setConnectionString(gStrConexao);
    m_rows->setRecordSource(sql, params);
    refresh();
}

void BoundGrid::refresh() {
    m_rows->refresh();
}

void BoundGrid::close() {
    m_rows->close();
    m_model->reload();
}

int BoundGrid::currentRow() const {
    const Recordset& rows = m_rows->recordset();
    return rows.eof() || rows.bof() ? -1 : rows.position();
}

void BoundGrid::setCurrentRow(int row) {
    m_rows->recordset().setPosition(row);
    m_view->setCurrentIndex(m_model->index(row, 0));
}

void BoundGrid::setColumnShares(QTableView* grid, const QList<int>& shares,
                                const QList<int>& whole) {
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // The room the rows show in: the frame, row heads and scroll bar are not the columns'.
    const int width = grid->viewport()->width();
    QList<int> widths, needs;
    for (int i = 0; i < shares.size(); ++i) {
        widths << width * shares[i] / 100;
        int need = grid->horizontalHeader()->sectionSizeHint(i);
        if (whole.contains(i))
            need = std::max(need, static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(i));
        needs << need;
    }
    // A column too narrow for its heading (or its values) takes the room it lacks from the widest
    // columns that can spare it, so that no heading is cut and the columns still fill the same
    // width.
    widths = fitToNeeds(std::move(widths), needs);
    for (int i = 0; i < widths.size(); ++i)
        grid->setColumnWidth(i, widths[i]);
}

QList<int> BoundGrid::fitToNeeds(QList<int> widths, const QList<int>& needs) {
    // One pixel at a time from the widest column that can spare one, so that the widest
    // columns give alike and none of them is cut far more than the others.
    for (int i = 0; i < widths.size(); ++i) {
        while (widths[i] < needs[i]) {
            int donor = -1;
            for (int j = 0; j < widths.size(); ++j)
                if (j != i && widths[j] > needs[j] && (donor < 0 || widths[j] > widths[donor]))
                    donor = j;
            if (donor < 0)
                break;
            --widths[donor];
            ++widths[i];
        }
    }
    return widths;
}

void BoundGrid::keepColumnShares(const QList<int>& shares, const QList<int>& whole) {
    m_shares = shares;
    m_whole = whole;
    keepFitted([this] { fitColumns(m_shares); }, !whole.isEmpty());
}

void BoundGrid::keepNoWiderThanFirst(int column) {
    m_view->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Interactive);
    keepFitted([this, column] { fitBesideFirst(column); }, /*onEveryRead=*/true);
}

void BoundGrid::keepFitted(std::function<void()> fit, bool onEveryRead) {
    if (!m_fit) {
        m_view->window()->installEventFilter(this);
        m_view->viewport()->installEventFilter(this);
    }
    if (onEveryRead && !m_fitsOnRead) {
        connect(m_model, &QAbstractItemModel::modelReset, this, [this] { m_fit(); });
        m_fitsOnRead = true;
    }
    m_fit = std::move(fit);
}

int BoundGrid::contentsWidth(int column) const {
    return std::max(m_view->horizontalHeader()->sectionSizeHint(column),
                    static_cast<QAbstractItemView*>(m_view)->sizeHintForColumn(column));
}

void BoundGrid::fitBesideFirst(int column) {
    // What the columns sized by their values leave to the first one and this one.
    const QHeaderView* header = m_view->horizontalHeader();
    int room = m_view->viewport()->width();
    for (int i = 1; i < header->count(); ++i)
        if (i != column && !header->isSectionHidden(i))
            room -= contentsWidth(i);
    const int width = std::min(contentsWidth(column), room / 2);
    m_view->setColumnWidth(column, std::max(width, header->sectionSizeHint(column)));
}

bool BoundGrid::eventFilter(QObject* watched, QEvent* event) {
    const bool shown =
        watched == m_view->window() &&
        (event->type() == QEvent::Show ||
         (event->type() == QEvent::ActivationChange && m_view->window()->isActiveWindow()));
    // The auto-resizer scales the grid with its window: the columns follow at once.
    const bool resized = watched == m_view->viewport() && event->type() == QEvent::Resize;
    if ((shown || resized) && m_fit)
        m_fit();
    return false;
}

} // namespace vtx
