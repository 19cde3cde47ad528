// The prescription form.
#include "frmOS_Prescricao.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "BoundGrid.h"
#include "ColumnRefusals.h"
#include "ContractColumns.h"
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "DbError.h"
#include "Formats.h"
#include "Impressos.h"
#include "Modal.h"
#include "Prompter.h"
#include "Session.h"
#include "frmBuscaProd.h"

namespace vtx {

namespace {

const QString kProcedures = QStringLiteral(
    "select c.idproc, p.nmproc, c.complemento from contrato_procedimentos c left join "
    "procedimentos p on c.idproc = p.idproc and p.idlic = c.idlic "
    "where c.idlic = ? and c.idcontrato = ? order by p.nmproc");
const QString kPrescriptions = QStringLiteral(
    "select * from contrato_prescricao where idlic = ? and idcontrato = ? and idproc = ?");
const QString kSupplies = QStringLiteral(
    "select ci.dtpresc,ci.cdpro,ci.qtde,p.dspro from contrato_insumos ci left join produtos p "
    "on ci.cdpro = p.cdpro and p.idlic = ci.idlic "
    "where ci.idlic = ? and ci.idcontrato = ? and ci.idproc = ?");

void warn(const QString& text, MsgIcon icon) {
    msgBox(text, QStringLiteral("ATENÇÃO"), icon);
}

/// The prescription date, asked until it is a date; nothing on Cancel.
std::optional<QDate> askPrescriptionDate() {
    std::optional<QDate> date;
    if (!inputUntil(
            {QStringLiteral("DATA DA PRESCRIÇÃO:"), QStringLiteral("PRESCRIÇÃO MÉDIA"), QString()},
            [&](const QString& answer) { return bool(date = Formats::parseDate(answer)); }))
        return std::nullopt;
    return date;
}

/// The quantity of a supply, asked until it is a number above zero; nothing on Cancel.
std::optional<Decimal> askQuantity() {
    std::optional<Decimal> quantity;
    const auto answer =
        inputUntil({QStringLiteral("Quantidade"), QStringLiteral("Insumos"), QString()},
                   [&](const QString& typed) {
                       quantity = Formats::parseAmount(typed);
                       if (!quantity) {
                           refuseTooLong(typed);
                           return false;
                       }
                       // Checked as the column keeps it.
                       quantity = Columns::contrato_insumos::qtde.rounded(*quantity);
                       if (*quantity <= Decimal()) {
                           errorBox(QStringLiteral("QUANTIDADE NÃO PODE SER MENOR "
                                                   "E/OU IGUAL A ZERO!"),
                                    MsgIcon::Information);
                           return false;
                       }
                       return valuesFit({{Columns::contrato_insumos::qtde, *quantity}});
                   });
    if (!answer)
        return std::nullopt;
    return quantity;
}

} // namespace

struct frmOS_Prescricao::Private {
    QString contractId;
    /// The chosen procedure's code; empty until one is chosen.
    QString procedure;
    QLabel* l_OsNo = nullptr;
    QComboBox* cboProc = nullptr;
    QLineEdit* txtPresc = nullptr;
    QLineEdit* txtFreq = nullptr;
    QLineEdit* txtDt = nullptr;
    QLabel* l_idpresc = nullptr;
    BoundGrid* supplies = nullptr;
};

frmOS_Prescricao::frmOS_Prescricao(const QString& contractId, QWidget* parent)
    : ListForm(namedColumns({"DtPresc", "dspresc", "dsfreq", "idreceita"}), parent),
      d(new Private) {
    d->contractId = contractId;
    setObjectName(QStringLiteral("frmOS_Prescricao"));
    setWindowTitle(QStringLiteral("Prescrição Médica"));
    buildUi();
    installKeys();
    Adodc1().setUpdateTarget(
        QStringLiteral("contrato_prescricao"),
        {QStringLiteral("idlic"), QStringLiteral("idcontrato"), QStringLiteral("idreceita")});
    d->l_OsNo->setText(contractId);
    loadProcedures();
}

frmOS_Prescricao::~frmOS_Prescricao() = default;

void frmOS_Prescricao::run(const QString& contractId) {
    frmOS_Prescricao form(contractId);
    showModal(&form);
}

BoundGrid& frmOS_Prescricao::supplies() const {
    return *d->supplies;
}

void frmOS_Prescricao::buildUi() {
    using Controls::label;
    using Controls::lineBox;
    resize(800, 570);
    label(this, QStringLiteral("Label1"), QStringLiteral("Contrato:"), {10, 10, 70, 22});
    d->l_OsNo = label(this, QStringLiteral("l_OsNo"), QString(), {80, 10, 300, 22});
    QFont bold = d->l_OsNo->font();
    bold.setBold(true);
    d->l_OsNo->setFont(bold);
    label(this, QStringLiteral("Label2"), QStringLiteral("Procedimento"), {10, 38, 200, 16});
    d->cboProc = new QComboBox(this);
    d->cboProc->setObjectName(QStringLiteral("cboProc"));
    d->cboProc->setGeometry(10, 56, 780, 22);
    label(this, QStringLiteral("Label3"), QStringLiteral("Prescrição"), {10, 84, 200, 16});
    d->txtPresc = lineBox(this, QStringLiteral("txtPresc"), {10, 102, 780, 22});
    label(this, QStringLiteral("Label4"), QStringLiteral("Frequência"), {10, 130, 200, 16});
    d->txtFreq = lineBox(this, QStringLiteral("txtFreq"), {10, 148, 520, 22});
    label(this, QStringLiteral("Label5"), QStringLiteral("Dt.Prescrição"), {540, 130, 120, 16});
    d->txtDt = lineBox(this, QStringLiteral("txtDt"), {540, 148, 100, 22}, 10);
    applyDateMask(d->txtDt, 10);
    d->l_idpresc = label(this, QStringLiteral("l_idpresc"), QString(), {650, 148, 100, 22});
    d->l_idpresc->hide();

    const struct {
        const char* name;
        const char* caption;
        void (frmOS_Prescricao::*action)();
    } buttons[] = {
        {"Command1", "Salvar", &frmOS_Prescricao::save},
        {"Command3", "Relacionar Insumos", &frmOS_Prescricao::relateSupplies},
        {"Command2", "Imprimir Formulário", &frmOS_Prescricao::printCheckSheet},
    };
    int x = 10;
    QWidget* previous = d->txtDt;
    for (const auto& b : buttons) {
        QPushButton* button = makeButton(QString::fromLatin1(b.name), QString::fromUtf8(b.caption));
        button->setGeometry(x, 180, 170, 30);
        x += 180;
        const auto action = b.action;
        connect(button, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
        setTabOrder(previous, button);
        previous = button;
    }
    DataGrid1()->setGeometry(10, 220, 780, 170);
    DataGrid1()->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DataGrid1()->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    d->supplies = new BoundGrid(this, QStringLiteral("DataGrid2"), QStringLiteral("Adodc2"),
                                namedColumns({"dtpresc", "cdpro", "qtde~", "dspro"}));
    d->supplies->view()->setGeometry(10, 398, 780, 162);
    d->supplies->view()->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    // The entry boxes first, then the two grids.
    setTabOrder(previous, DataGrid1());
    setTabOrder(DataGrid1(), d->supplies->view());

    connect(d->cboProc, &QComboBox::activated, this, [this](int index) { chooseProcedure(index); });
    connect(DataGrid1(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { prescriptionPicked(index.row()); });
    connect(d->supplies->view(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { reverseSupply(index.row()); });
}

void frmOS_Prescricao::loadProcedures() {
    tryDb([this] {
        Recordset rows = conexaoAberta().query(kProcedures, {gIdLic, d->contractId});
        // The code rides with each item: a complement holding "|" cannot change it.
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            d->cboProc->addItem(rows.text(QStringLiteral("nmproc")) + QLatin1Char('|') +
                                    rows.text(QStringLiteral("complemento")) + QLatin1Char('|') +
                                    rows.text(QStringLiteral("idproc")),
                                rows.value(QStringLiteral("idproc")));
    });
    d->cboProc->setCurrentIndex(-1);
}

void frmOS_Prescricao::chooseProcedure(int index) {
    if (index < 0)
        return;
    d->procedure = d->cboProc->itemData(index).toString();
    d->txtPresc->clear();
    d->txtFreq->clear();
    d->l_idpresc->clear();
    const Params params{gIdLic, d->contractId, d->procedure.toLongLong()};
    openList(kPrescriptions, {params.begin(), params.end()});
    tryDb([&] { d->supplies->open(kSupplies, params); });
}

void frmOS_Prescricao::prescriptionPicked(int row) {
    const Recordset& rows = Adodc1().recordset();
    if (row < 0 || row >= rows.recordCount())
        return;
    setCurrentRow(row);
    d->l_idpresc->setText(rows.text(QStringLiteral("idreceita")));
    d->txtPresc->setText(rows.text(QStringLiteral("dspresc")));
    const QVariant date = rows.value(QStringLiteral("DtPresc"));
    d->txtDt->setText(Formats::dateTextOf(date));
    d->txtFreq->setText(rows.text(QStringLiteral("dsfreq")));
}

void frmOS_Prescricao::save() {
    const std::optional<QDate> date = Formats::parseDate(d->txtDt->text());
    if (!date || d->contractId.trimmed().isEmpty() || !Formats::isDigitsOnly(d->procedure) ||
        d->txtPresc->text().trimmed().isEmpty() || d->txtFreq->text().trimmed().isEmpty()) {
        errorBox(QStringLiteral("DADOS INVÁLIDOS!"), MsgIcon::Information);
        return;
    }
    if (!textFits(Columns::contrato_prescricao::dspresc, d->txtPresc->text()))
        return;
    WaitCursor wait;
    Recordset& rows = Adodc1().recordset();
    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    const QString changing = d->l_idpresc->text().trimmed();
    const QString key =
        changing.isEmpty() ? d->procedure + date->toString(QStringLiteral("yyyyMMdd")) : changing;
    const auto byKey = [&key](const Recordset& r) {
        return r.text(QStringLiteral("idreceita")) == key;
    };
    if (changing.isEmpty() && !tryDb([this] { refreshList(); }, &wait))
        return;
    rows.moveFirst();
    const bool found = !rows.isEmpty() && rows.find(byKey);
    if (changing.isEmpty() && found) {
        wait.done();
        errorBox(QStringLiteral("PRESCRIÇÃO PARA DATA: ") + d->txtDt->text() +
                     QStringLiteral(" JÁ CRIADA!"),
                 MsgIcon::Information);
        return;
    }
    if (!changing.isEmpty() && !found) {
        wait.done();
        errorBox(QStringLiteral("FALHA AO ATUALIZAR!"), MsgIcon::Exclamation);
        return;
    }
    const bool written = tryDb(
        [&] {
            if (changing.isEmpty()) {
                rows.addNew();
                rows.setValue(QStringLiteral("idlic"), gIdLic);
                rows.setValue(QStringLiteral("idcontrato"), d->contractId);
                rows.setValue(QStringLiteral("idproc"), d->procedure.toLongLong());
                rows.setValue(QStringLiteral("idreceita"), key);
                rows.setValue(QStringLiteral("evcad"), stamp);
            }
            rows.setValue(QStringLiteral("dspresc"), d->txtPresc->text());
            rows.setValue(QStringLiteral("DtPresc"), *date);
            rows.setValue(QStringLiteral("dsfreq"), d->txtFreq->text());
            rows.setValue(QStringLiteral("upev"), stamp);
            rows.update();
        },
        &wait);
    if (!written)
        rows.cancelUpdate();
    tryDb([this] { refreshList(); }, &wait);
    if (!written)
        return;
    d->l_idpresc->clear();
    d->txtPresc->clear();
    d->txtFreq->clear();
    d->cboProc->setFocus(Qt::OtherFocusReason);
}

void frmOS_Prescricao::relateSupplies() {
    if (!Formats::isDigitsOnly(d->procedure)) {
        warn(QStringLiteral("--- NENHUMA PRESCRIÇÃO DIGITADA!"), MsgIcon::Exclamation);
        return;
    }
    const std::optional<QDate> date = askPrescriptionDate();
    if (!date)
        return;
    {
        WaitCursor wait;
        if (!tryDb([this] { refreshList(); }, &wait))
            return;
        Recordset& rows = Adodc1().recordset();
        rows.moveFirst();
        if (rows.isEmpty() || !rows.find([&](const Recordset& r) {
                return r.value(QStringLiteral("DtPresc")).toDate() == *date;
            })) {
            wait.done();
            errorBox(QStringLiteral("DATA DE PRESCRIÇÃO NÃO ENCONTRADA!"), MsgIcon::Exclamation);
            return;
        }
    }
    for (;;) {
        gCodBusca = QString();
        frmBuscaProd::run();
        const QString supply = gCodBusca.toString();
        if (supply.trimmed().isEmpty())
            break;
        const std::optional<Decimal> quantity = askQuantity();
        if (!quantity)
            return;
        insertSupply(*date, supply, *quantity);
    }
    tryDb([this] { d->supplies->refresh(); });
}

void frmOS_Prescricao::printCheckSheet() {
    // The check sheet of every procedure's prescriptions on the date; opened only when written.
    const std::optional<QDate> date = askPrescriptionDate();
    if (date && Impressos::ImprimePrescricao(d->l_OsNo->text(), *date))
        Impressos::openWrittenSheet();
}

void frmOS_Prescricao::insertSupply(const QDate& date, const QString& supply,
                                    const Decimal& quantity) {
    WaitCursor wait;
    if (!tryDb([this] { d->supplies->refresh(); }, &wait))
        return;
    // A supply is prescribed once per procedure, whatever the date.
    Recordset& rows = d->supplies->rows().recordset();
    rows.moveFirst();
    if (!rows.isEmpty() &&
        rows.find([&](const Recordset& r) { return r.text(QStringLiteral("cdpro")) == supply; })) {
        wait.done();
        errorBox(QStringLiteral("INSUMO JÁ LANÇADO!"), MsgIcon::Exclamation);
        return;
    }
    tryDb(
        [&] {
            Connection& db = conexaoAberta();
            Transaction tx(db);
            db.execute(QStringLiteral("insert into contrato_insumos (idlic,idcontrato,idproc,"
                                      "dtpresc,cdpro,qtde,evcad) values (?,?,?,?,?,?,?)"),
                       {gIdLic, d->contractId, d->procedure.toLongLong(), date, supply,
                        QVariant::fromValue(quantity), Formats::auditStamp(QStringLiteral(" "))});
            tx.commit();
        },
        &wait);
}

void frmOS_Prescricao::reverseSupply(int row) {
    Recordset& rows = d->supplies->rows().recordset();
    if (row < 0 || row >= rows.recordCount())
        return;
    d->supplies->setCurrentRow(row);
    if (msgBox(QStringLiteral("Confirma estorno?"), QStringLiteral("Atenção"), MsgIcon::None,
               MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    WaitCursor wait;
    long long deleted = 0;
    tryDb(
        [&] {
            Connection& db = conexaoAberta();
            Transaction tx(db);
            deleted = db.execute(
                QStringLiteral("delete from contrato_insumos where idlic = ? and idcontrato = ? "
                               "and idproc = ? and dtpresc = ? and cdpro = ?"),
                {gIdLic, d->contractId, d->procedure.toLongLong(),
                 rows.value(QStringLiteral("dtpresc")), rows.text(QStringLiteral("cdpro"))});
            tx.commit();
        },
        &wait);
    tryDb([this] { d->supplies->refresh(); }, &wait);
    wait.done();
    if (deleted > 0)
        msgBox(QStringLiteral("Sucesso!"), QStringLiteral("Atenção"), MsgIcon::Information);
}

void frmOS_Prescricao::escape() {
    reject();
}

} // namespace vtx
