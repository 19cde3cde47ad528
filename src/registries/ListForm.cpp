// List forms: grid, data control, keys, hourglass and failure report.
#include "ListForm.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

#include "BoundGrid.h"
#include "DataControl.h"
#include "DbError.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Session.h"

namespace vtx {

struct ListForm::Private {
    BoundGrid* list = nullptr;
};

ListForm::ListForm(QList<GridColumn> columns, QWidget* parent, const QString& gridName)
    : QDialog(parent), d(new Private) {
    d->list = new BoundGrid(this, gridName, QStringLiteral("Adodc1"), std::move(columns));
    // The name, first, takes the room the other columns leave.
    QHeaderView* header = d->list->view()->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

ListForm::~ListForm() = default;

DataControl& ListForm::Adodc1() {
    return d->list->rows();
}
QTableView* ListForm::DataGrid1() const {
    return d->list->view();
}
BoundGrid& ListForm::list() const {
    return *d->list;
}

void ListForm::reportDbError(const DbError& error) {
    errorBox(error.message());
}

void ListForm::setColumnShares(QTableView* grid, const QList<int>& shares) {
    BoundGrid::setColumnShares(grid, shares);
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
    return tryDb([&] { d->list->open(sql, Params(params.begin(), params.end())); }, wait);
}

void ListForm::refreshList() {
    d->list->refresh();
}

void ListForm::openedList() {
    if (!Adodc1().isOpen())
        refreshList();
}

void ListForm::closeList() {
    d->list->close();
}

int ListForm::currentRow() const {
    return d->list->currentRow();
}

void ListForm::setCurrentRow(int row) {
    d->list->setCurrentRow(row);
}

bool ListForm::functionKey(int) {
    return false;
}

} // namespace vtx
