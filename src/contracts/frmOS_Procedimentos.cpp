// The contract's procedure lines.
#include "frmOS_Procedimentos.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "ClockKey.h"
#include "ColumnRefusals.h"
#include "ContractColumns.h"
#include "ContractTotal.h"
#include "Controls.h"
#include "DataControl.h"
#include "DbError.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Modal.h"
#include "Prompter.h"
#include "Session.h"
#include "frmBuscaProcedimentos.h"

namespace vtx {

namespace {

const QString kList =
    QStringLiteral("select cp.idlan,cp.idproc,cp.qtde,cp.valor,cp.complemento,p.nmproc "
                   "from contrato_procedimentos cp left join procedimentos p "
                   "on cp.idproc = p.idproc and p.idlic = cp.idlic "
                   "where cp.idlic = ? and cp.idcontrato = ? order by cp.idlan");
const QString kInsert = QStringLiteral(
    "insert into contrato_procedimentos (idlic,idcontrato,idlan,idproc,qtde,valor,complemento,"
    "evcad) values (?,?,?,?,?,?,?,?)");
const QString kUpdate = QStringLiteral(
    "update contrato_procedimentos  set idproc = ?,qtde = ?,valor = ?,complemento= ? "
    "where idlic = ? and idcontrato = ? and idlan = ?");

} // namespace

struct frmOS_Procedimentos::Private {
    QString contractId;
    QLineEdit* txtCdProc = nullptr;
    QLineEdit* txtDsProc = nullptr;
    QPlainTextEdit* txtCompl = nullptr;
    QLineEdit* txtQt = nullptr;
    QLineEdit* txtVr = nullptr;
    QLineEdit* txtIdLan = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* lST = nullptr;
};

frmOS_Procedimentos::frmOS_Procedimentos(const QString& contractId, QWidget* parent)
    : ListForm(namedColumns({"idlan", "idproc", "qtde~", "valor#", "complemento", "nmproc"}),
               parent),
      d(new Private) {
    d->contractId = contractId;
    setObjectName(QStringLiteral("frmOS_Procedimentos"));
    setWindowTitle(QStringLiteral("Contrato - Procedimentos"));
    buildUi();
    installKeys();
    openList(kList, {gIdLic, d->contractId});
    TotalizaProcedimentos();
}

frmOS_Procedimentos::~frmOS_Procedimentos() = default;

void frmOS_Procedimentos::run(const QString& contractId) {
    frmOS_Procedimentos form(contractId);
    showModal(&form);
}

void frmOS_Procedimentos::buildUi() {
    resize(800, 480);
    using Controls::label;
    using Controls::lineBox;
    label(this, QStringLiteral("Label1"), QStringLiteral("Procedimento F2 - Pesquisa"),
          {10, 6, 200, 16});
    d->txtCdProc = lineBox(this, QStringLiteral("txtCdProc"), {10, 24, 80, 22});
    d->txtDsProc = lineBox(this, QStringLiteral("txtDsProc"), {95, 24, 400, 22});
    d->txtDsProc->setReadOnly(true);
    label(this, QStringLiteral("Label2"), QStringLiteral("Complemento"), {10, 52, 200, 16});
    d->txtCompl = new QPlainTextEdit(this);
    d->txtCompl->setObjectName(QStringLiteral("txtCompl"));
    d->txtCompl->setTabChangesFocus(true);
    d->txtCompl->setGeometry(10, 70, 590, 50);
    label(this, QStringLiteral("Label3"), QStringLiteral("Qtde"), {505, 6, 80, 16});
    d->txtQt = lineBox(this, QStringLiteral("txtQt"), {505, 24, 90, 22});
    label(this, QStringLiteral("Label4"), QStringLiteral("Vr.Unit."), {605, 6, 100, 16});
    d->txtVr = lineBox(this, QStringLiteral("txtVr"), {605, 24, 100, 22});
    d->txtIdLan = lineBox(this, QStringLiteral("txtIdLan"), {715, 24, 70, 22});
    d->txtIdLan->hide();
    d->Command1 = makeButton(QStringLiteral("Command1"), QStringLiteral("Salvar"));
    d->Command1->setGeometry(610, 70, 110, 50);
    DataGrid1()->setGeometry(10, 130, 780, 310);
    // The complement takes the room the other columns leave.
    QHeaderView* header = DataGrid1()->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(4, QHeaderView::Stretch);
    d->lST = label(this, QStringLiteral("lST"), QString(), {450, 446, 340, 24});
    d->lST->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = d->lST->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    d->lST->setFont(bold);

    setTabOrder(d->txtCdProc, d->txtDsProc);
    setTabOrder(d->txtDsProc, d->txtCompl);
    setTabOrder(d->txtCompl, d->txtQt);
    setTabOrder(d->txtQt, d->txtVr);
    setTabOrder(d->txtVr, d->Command1);
    setTabOrder(d->Command1, DataGrid1());

    connect(d->txtCdProc, &QLineEdit::textChanged, this, [this] { codeChanged(); });
    onLeave(d->txtCdProc, [this] { codeLeft(); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { save(); });
    connect(DataGrid1(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { rowClicked(index.row()); });
}

bool frmOS_Procedimentos::functionKey(int key) {
    if (key != Qt::Key_F2)
        return false;
    gCodBusca = QString();
    gNomeBusca.clear();
    frmBuscaProcedimentos::run();
    const QString code = gCodBusca.toString().trimmed();
    if (Formats::isDigitsOnly(code)) {
        d->txtCdProc->setText(code);
        d->txtDsProc->setText(gNomeBusca);
    }
    d->txtCdProc->setFocus(Qt::OtherFocusReason);
    return true;
}

void frmOS_Procedimentos::escape() {
    closeList();
    reject();
}

void frmOS_Procedimentos::codeChanged() {
    d->txtDsProc->clear();
    d->txtQt->clear();
    d->txtVr->clear();
    d->txtCompl->clear();
}

void frmOS_Procedimentos::codeLeft() {
    const QString code = d->txtCdProc->text().trimmed();
    if (!Formats::isDigitsOnly(code))
        return;
    tryDb([&] {
        Recordset rows = conexaoAberta().query(
            QStringLiteral("select nmproc from procedimentos where idlic = ? and idproc = ?"),
            {gIdLic, code.toLongLong()});
        d->txtDsProc->setText(rows.isEmpty() ? QString() : rows.text(QStringLiteral("nmproc")));
    });
}

void frmOS_Procedimentos::save() {
    const std::optional<Decimal> quantity = Formats::parseAmount(d->txtQt->text());
    const std::optional<Decimal> value = Formats::parseAmount(d->txtVr->text());
    if (refuseTooLong(d->txtQt->text()) || refuseTooLong(d->txtVr->text()))
        return;
    if (d->txtDsProc->text().trimmed().isEmpty() || !quantity || !value) {
        errorBox(QStringLiteral("DADOS INCOMPLETOS!"), MsgIcon::Information);
        return;
    }
    // Checked as it is kept: a quantity that rounds to 0 is no quantity.
    const Decimal keptQuantity = Columns::contrato_procedimentos::qtde.rounded(*quantity);
    const Decimal keptValue = Columns::contrato_procedimentos::valor.rounded(*value);
    if (keptQuantity <= Decimal()) {
        errorBox(QStringLiteral("QTDE NÃO PODE SER MENOR E/OU IGUAL A ZERO!"),
                 MsgIcon::Exclamation);
        return;
    }
    if (value->isNegative()) {
        errorBox(QStringLiteral("VALOR UNITÁRIO NÃO PODE SER MENOR QUE ZERO!"),
                 MsgIcon::Exclamation);
        return;
    }
    if (!valuesFit({{Columns::contrato_procedimentos::qtde, keptQuantity},
                    {Columns::contrato_procedimentos::valor, keptValue}}) ||
        !textFits(Columns::contrato_procedimentos::complemento, d->txtCompl->toPlainText()))
        return;
    WaitCursor wait;
    d->txtVr->setText(Formats::decimalText(*value, 2, 4));
    const QString code = d->txtCdProc->text().trimmed();
    const QString line = d->txtIdLan->text().trimmed();
    bool gone = false; // the line edited was deleted meanwhile
    const bool written = tryDb(
        [&] {
            Connection& db = conexaoAberta();
            Transaction tx(db);
            if (line.isEmpty()) {
                // The line key: the contract, the moment and the procedure, unique to the line.
                const ClockKeyPattern pattern{d->contractId, QStringLiteral("ddMMyyHHmmss"),
                                              QString::number(code.toLongLong())};
                ClockKeys::insertUnique(pattern, [&](const QString& key) {
                    db.execute(kInsert, {gIdLic, d->contractId, key, code.toLongLong(),
                                         QVariant::fromValue(keptQuantity),
                                         QVariant::fromValue(keptValue), d->txtCompl->toPlainText(),
                                         Formats::auditStamp(QStringLiteral(" "))});
                });
            } else {
                gone =
                    db.execute(kUpdate, {code.toLongLong(), QVariant::fromValue(keptQuantity),
                                         QVariant::fromValue(keptValue), d->txtCompl->toPlainText(),
                                         gIdLic, d->contractId, line}) == 0;
            }
            tx.commit();
        },
        &wait);
    if (!written)
        return;
    tryDb([this] { refreshList(); }, &wait);
    TotalizaProcedimentos();
    if (gone) {
        // What was typed stays, and the next "Salvar" inserts it as a new line.
        wait.done();
        d->txtIdLan->clear();
        errorBox(QStringLiteral("CÓDIGO NÃO ENCONTRADO!"), MsgIcon::Information);
        return;
    }
    d->txtCdProc->clear();
    d->txtQt->clear();
    d->txtVr->clear();
    d->txtCompl->clear();
    d->txtIdLan->clear();
    d->txtCdProc->setFocus(Qt::OtherFocusReason);
}

void frmOS_Procedimentos::rowClicked(int row) {
    if (row < 0 || row >= Adodc1().recordset().recordCount())
        return;
    setCurrentRow(row);
    const auto choice = inputUntil(
        {QStringLiteral("0 - Editar\r\n1 - Excluir"), QStringLiteral("Ação"), QStringLiteral("0")},
        [](const QString& answer) {
            return answer == QLatin1String("0") || answer == QLatin1String("1");
        });
    if (!choice)
        return;
    if (*choice == QLatin1String("0"))
        editRow();
    else
        deleteRow();
}

void frmOS_Procedimentos::editRow() {
    const Recordset& rows = Adodc1().recordset();
    const QString line = rows.text(QStringLiteral("idlan"));
    const QString code = rows.text(QStringLiteral("idproc"));
    const QString complement = rows.text(QStringLiteral("complemento"));
    const QVariant quantity = rows.value(QStringLiteral("qtde"));
    const QVariant value = rows.value(QStringLiteral("valor"));
    d->txtIdLan->setText(line);
    d->txtCdProc->setText(code);
    codeLeft();
    d->txtCompl->setPlainText(complement);
    d->txtQt->setText(quantity.isNull() ? QString()
                                        : Formats::decimalText(quantity.value<Decimal>(), 0, 4));
    d->txtVr->setText(Formats::twoToFourDecimalsOf(value));
    d->txtCompl->setFocus(Qt::OtherFocusReason);
}

void frmOS_Procedimentos::deleteRow() {
    WaitCursor wait;
    const QString line = Adodc1().recordset().text(QStringLiteral("idlan"));
    tryDb(
        [&] {
            conexaoAberta().execute(
                QStringLiteral("delete from contrato_procedimentos where idlic = ? and "
                               "idcontrato = ? and idlan = ?"),
                {gIdLic, d->contractId, line});
            // A line being edited that is deleted is saved again as a new one.
            if (d->txtIdLan->text().trimmed() == line)
                d->txtIdLan->clear();
            refreshList();
        },
        &wait);
    TotalizaProcedimentos();
}

void frmOS_Procedimentos::TotalizaProcedimentos() {
    WaitCursor wait;
    d->lST->setText(QStringLiteral("Total: ") + Formats::currency(Decimal()));
    tryDb([&] { d->lST->setText(QStringLiteral("Total: ") + contractTotalText(d->contractId)); },
          &wait);
}

} // namespace vtx
