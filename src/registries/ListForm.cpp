// List forms: grid, data control, keys, hourglass and failure report.
#include "ListForm.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

#include "DataControl.h"
#include "DbError.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Session.h"

namespace vtx {

struct ListForm::Private {
    DataControl* adodc = nullptr;
    GridModel* model = nullptr;
    QTableView* grid = nullptr;
};

ListForm::ListForm(QList<GridColumn> columns, QWidget* parent) : QDialog(parent), d(new Private) {
    d->adodc = new DataControl(this);
    d->adodc->setObjectName(QStringLiteral("Adodc1"));
    d->model = new GridModel(d->adodc, std::move(columns), this);
    d->grid = new QTableView(this);
    d->grid->setObjectName(QStringLiteral("DataGrid1"));
    d->grid->setModel(d->model);
    d->grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    d->grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->grid->setSelectionMode(QAbstractItemView::SingleSelection);
    d->grid->verticalHeader()->setDefaultSectionSize(20);
    // The name, first, takes the room the other columns leave.
    d->grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    d->grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(d->grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    d->adodc->recordset().setPosition(current.row());
            });
    // After each reading the first row is the current one.
    connect(d->adodc, &DataControl::refreshed, this, [this] {
        if (d->model->rowCount() > 0)
            setCurrentRow(0);
    });
}

ListForm::~ListForm() = default;

DataControl& ListForm::Adodc1() {
    return *d->adodc;
}
QTableView* ListForm::DataGrid1() const {
    return d->grid;
}

void ListForm::reportDbError(const DbError& error) {
    errorBox(error.text());
}

void ListForm::setColumnShares(QTableView* grid, const QList<int>& shares) {
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    const int width = grid->width();
    for (int i = 0; i < shares.size(); ++i)
        grid->setColumnWidth(i, width * shares[i] / 100);
}

QPushButton* ListForm::makeButton(const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void ListForm::installKeys(bool upperCase, bool enterAsTab) {
    auto* keys = new KeyPreview(this);
    keys->upperCase = upperCase;
    keys->enterAsTab = enterAsTab;
    keys->keyDown = [this](int key, Qt::KeyboardModifiers) { return functionKey(key); };
    keys->keyPress = [this](int& ascii) {
        if (ascii == kEscape) {
            ascii = 0;
            escape();
        }
    };
}

bool ListForm::tryDb(const std::function<void()>& work, WaitCursor* wait) {
    try {
        work();
        return true;
    } catch (const DbError& e) {
        if (wait)
            wait->done();
        reportDbError(e);
        return false;
    }
}

bool ListForm::openList(const QString& sql, const QList<QVariant>& params, WaitCursor* wait) {
    d->adodc->setConnectionString(gStrConexao);
    d->adodc->setRecordSource(sql, Params(params.begin(), params.end()));
    return tryDb([this] { refreshList(); }, wait);
}

void ListForm::refreshList() {
    d->adodc->refresh();
}

void ListForm::openedList() {
    if (!d->adodc->isOpen())
        refreshList();
}

void ListForm::closeList() {
    d->adodc->close();
    d->model->reload();
}

int ListForm::currentRow() const {
    const Recordset& rows = d->adodc->recordset();
    return rows.eof() || rows.bof() ? -1 : rows.position();
}

void ListForm::setCurrentRow(int row) {
    d->adodc->recordset().setPosition(row);
    d->grid->setCurrentIndex(d->model->index(row, 0));
}

bool ListForm::functionKey(int) {
    return false;
}

} // namespace vtx
