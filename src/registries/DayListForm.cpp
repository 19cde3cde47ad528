// Lists that a double click deletes from.
#include "DayListForm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "DataControl.h"
#include "DbError.h"
#include "Prompter.h"

namespace vtx {

struct DayListForm::Private {
    QString table;
    QGroupBox* frame = nullptr;
};

DayListForm::DayListForm(QList<GridColumn> columns, const QString& table,
                         const QString& gridCaption, QWidget* parent)
    : ListForm(std::move(columns), parent), d(new Private) {
    d->table = table;
    Adodc2().setObjectName(QStringLiteral("Adodc2"));
    DataGrid2()->setObjectName(QStringLiteral("DataGrid2"));
    d->frame = new QGroupBox(gridCaption, this);
    d->frame->setObjectName(QStringLiteral("DataGrid2Caption"));
    auto* frameLayout = new QVBoxLayout(d->frame);
    frameLayout->setContentsMargins(2, 2, 2, 2);
    frameLayout->addWidget(DataGrid2());
    connect(DataGrid2(), &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { rowDoubleClicked(index.row()); });
}

DayListForm::~DayListForm() = default;

QComboBox* DayListForm::makeCombo(const QString& name) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    combo->setFont(font);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return combo;
}

QPushButton* DayListForm::makeSaveButton() {
    return makeButton(QStringLiteral("Command1"), QStringLiteral("SALVAR"));
}

QGroupBox* DayListForm::gridFrame() const {
    return d->frame;
}

void DayListForm::stretchColumn(int column) {
    QHeaderView* header = DataGrid2()->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(column, QHeaderView::Stretch);
}

void DayListForm::commitRow(const std::function<void(Recordset& rows)>& fill) {
    openedList();
    Recordset& rows = Adodc2().recordset();
    try {
        fill(rows);
        rows.update();
    } catch (const DbError&) {
        rows.cancelUpdate();
        throw;
    }
}

void DayListForm::escape() {
    closeList();
    done(QDialog::Rejected);
}

void DayListForm::rowDoubleClicked(int row) {
    if (row >= 0 && row < Adodc2().recordset().recordCount())
        setCurrentRow(row);
    if (currentRow() < 0)
        return;
    if (msgBox(QStringLiteral("Confirma a exclusão?"), QStringLiteral("Atenção"), MsgIcon::Question,
               MsgButtons::YesNo, MsgDefault::Second) == MsgAnswer::No)
        return;
    tryDb([this] {
        deleteCurrentRow();
        refreshList();
    });
}

void DayListForm::deleteCurrentRow() {
    const Recordset& rows = Adodc2().recordset();
    QStringList conditions;
    Params params;
    for (int c = 0; c < rows.columns().size(); ++c) {
        conditions << rows.columns().at(c) + QStringLiteral(" <=> ?");
        params.push_back(rows.value(rows.position(), c));
    }
    // Twins of a table without a key are told apart by nothing: one of them goes.
    Adodc2().connection().execute(
        QStringLiteral("delete from ") + d->table + QStringLiteral(" where ") +
            conditions.join(QStringLiteral(" and ")) + QStringLiteral(" limit 1"),
        params);
}

} // namespace vtx
