// The registration form pattern shared by every registry of the clinic.
#include "RegistryForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "DataControl.h"
#include "DbError.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Session.h"

namespace vtx {

struct RegistryForm::Private {
    RegistryTable table;
    QLineEdit* code = nullptr;
    QLineEdit* name = nullptr;
    QPushButton* save = nullptr;
    QPushButton* clear = nullptr;
    QPushButton* remove = nullptr;
};

RegistryForm::RegistryForm(RegistryTable table, const QString& caption, QWidget* parent)
    : ListForm(table.columns, parent), d(new Private) {
    d->table = std::move(table);
    setWindowTitle(caption);
    d->code = new QLineEdit(this);
    d->code->setObjectName(QStringLiteral("txtcodcli"));
    d->name = new QLineEdit(this);
    d->name->setObjectName(QStringLiteral("txtnome"));
    d->name->setMaxLength(45);
    d->save = makeButton(QStringLiteral("cmdsalva"), QStringLiteral("SALVAR"));
    d->clear = makeButton(QStringLiteral("cmdretorna"), QStringLiteral("LIMPA"));

    selectAllOnFocus(d->code);
    onLeave(d->code, [this] { codeBoxLeft(); });
    const auto pick = d->table.pickOnClick ? &QTableView::clicked : &QTableView::doubleClicked;
    connect(DataGrid1(), pick, this, [this](const QModelIndex& index) {
        setCurrentRow(index.row());
        rowPicked();
    });
    connect(d->save, &QPushButton::clicked, this, [this] { save(); });
    connect(d->clear, &QPushButton::clicked, this, [this] { clear(); });
}

RegistryForm::~RegistryForm() = default;

QLineEdit* RegistryForm::txtcodcli() const {
    return d->code;
}
QLineEdit* RegistryForm::txtnome() const {
    return d->name;
}
QPushButton* RegistryForm::cmdsalva() const {
    return d->save;
}
QPushButton* RegistryForm::cmdretorna() const {
    return d->clear;
}
QPushButton* RegistryForm::Command1() const {
    return d->remove;
}

void RegistryForm::layOutSimple(const QString& nameLabel,
                                const QList<QPair<QString, QWidget*>>& extra) {
    d->remove = makeButton(QStringLiteral("Command1"), QStringLiteral("EXCLUIR"));
    d->remove->setEnabled(false);
    connect(d->remove, &QPushButton::clicked, this, [] { notAvailable(); });

    auto* fields = new QGridLayout;
    QList<QPair<QString, QWidget*>> all{{QStringLiteral("CÓDIGO"), d->code}, {nameLabel, d->name}};
    all += extra;
    for (int i = 0; i < all.size(); ++i) {
        auto* label = new QLabel(all[i].first, this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        fields->addWidget(label, 0, i);
        fields->addWidget(all[i].second, 1, i);
    }
    d->code->setMaximumWidth(90);
    fields->setColumnStretch(1, 1);
    layOutAround(fields, {d->save, d->clear, d->remove}, {680, 440});

    QList<QWidget*> order{d->code, d->name};
    for (const auto& field : extra)
        order << field.second;
    order << d->save << d->clear << d->remove << DataGrid1();
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void RegistryForm::layOutAround(QLayout* fields, const QList<QPushButton*>& buttons,
                                const QSize& size) {
    auto* row = new QHBoxLayout;
    for (QPushButton* b : buttons)
        row->addWidget(b);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(row);
    layout->addWidget(DataGrid1(), 1);
    resize(size);
}

void RegistryForm::start() {
    installKeys();
    Adodc1().setUpdateTarget(d->table.table, {QStringLiteral("idlic"), d->table.codeColumn},
                             d->table.codeColumn);
    openList(d->table.listSql, {gIdLic});
    d->code->setFocus();
}

bool RegistryForm::findCode(const QString& code) {
    refreshList();
    return locateListed(code);
}

bool RegistryForm::locateListed(const QString& code) {
    Recordset& rows = Adodc1().recordset();
    const qlonglong wanted = Formats::numericCode(code).value_or(-1);
    auto holds = [&](const Recordset& r) {
        return r.value(d->table.codeColumn).toLongLong() == wanted;
    };
    if (currentRow() >= 0 && holds(rows))
        return true;
    rows.moveFirst();
    if (rows.isEmpty() || !rows.find(holds))
        return false;
    setCurrentRow(rows.position());
    return true;
}

bool RegistryForm::writeRow(const QString& code, const Values& values) {
    openedList();
    Recordset& rows = Adodc1().recordset();
    if (code.isEmpty())
        rows.addNew();
    else if (!(d->table.refreshBeforeChange ? findCode(code) : locateListed(code)))
        return false;
    try {
        for (const auto& [column, value] : values)
            rows.setValue(column, value);
        // A change that touches no row found its row deleted elsewhere.
        return rows.update() > 0 || code.isEmpty();
    } catch (const DbError&) {
        rows.cancelUpdate();
        throw;
    }
}

void RegistryForm::codeNotFound() {
    msgBox(QStringLiteral("--- ERRO --- CÓDIGO NÃO ENCONTRADO!"), QStringLiteral("ATENÇÃO"),
           MsgIcon::Information);
}

QString RegistryForm::stamp() {
    return Formats::auditStamp(QStringLiteral(" - "));
}

RegistryForm::Values RegistryForm::standardValues(bool inserting, const Values& afterName,
                                                  const Values& last) const {
    Values values;
    if (inserting)
        values.append({QStringLiteral("idlic"), gIdLic});
    values.append({d->table.nameColumn, d->name->text()});
    values += afterName;
    if (d->table.audit == RegistryTable::Audit::LastChangeOnly) {
        values.append({QStringLiteral("evcad"), Formats::auditStamp(QStringLiteral(" "))});
    } else {
        if (inserting)
            values.append({QStringLiteral("evcad"), Formats::auditStamp(d->table.stampSeparator)});
        values.append({QStringLiteral("evup"), Formats::auditStamp(d->table.stampSeparator)});
    }
    values += last;
    return values;
}

RegistryForm::Values RegistryForm::rowValues(bool inserting) const {
    return standardValues(inserting, {}, {});
}

void RegistryForm::fillFields(const Recordset& row) {
    d->name->setText(row.text(d->table.nameColumn));
}

void RegistryForm::codeBoxLeft() {
    const QString code = d->code->text();
    if (!Formats::numericCode(code)) {
        LimpaCampos();
        return;
    }
    WaitCursor wait;
    bool found = false;
    if (!tryDb([&] { found = findCode(code); }, &wait))
        return;
    if (!found) {
        wait.done();
        codeNotFound();
        LimpaCampos();
        return;
    }
    if (d->remove)
        d->remove->setEnabled(true);
    fillFields(Adodc1().recordset());
}

void RegistryForm::rowPicked() {
    if (currentRow() < 0)
        return;
    d->code->setText(Adodc1().recordset().text(d->table.codeColumn));
    d->code->setFocus(Qt::OtherFocusReason);
}

void RegistryForm::save() {
    if (d->name->text().trimmed().isEmpty() || !fieldsFilled()) {
        msgBox(QStringLiteral("--- ERRO --- NOME NÃO INFORMADO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return;
    }
    if (!checkFields())
        return;
    WaitCursor wait;
    const QString code = d->code->text().trimmed();
    const bool change = Formats::numericCode(code).has_value();
    bool written = false;
    if (!tryDb([&] { written = writeRow(change ? code : QString(), rowValues(!change)); }, &wait))
        return;
    if (!written) {
        wait.done();
        codeNotFound();
        return;
    }
    // LIMPA reads the list again.
    clear();
}

void RegistryForm::clear() {
    WaitCursor wait;
    LimpaCampos();
    tryDb([this] { refreshList(); }, &wait);
    if (d->remove)
        d->remove->setEnabled(false);
    wait.done();
    d->name->setFocus(Qt::OtherFocusReason);
}

void RegistryForm::LimpaCampos() {
    d->save->setEnabled(true);
    if (d->remove)
        d->remove->setEnabled(false);
    d->name->clear();
    clearFields();
    d->code->clear();
}

void RegistryForm::FechaTabelas() {
    closeOwnRows();
    if (gConexao().isOpen())
        gConexao().close();
    closeList();
}

void RegistryForm::escape() {
    FechaTabelas();
    done(QDialog::Rejected);
}

} // namespace vtx
