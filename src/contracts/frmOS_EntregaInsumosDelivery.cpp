// The delivery part of the attendance record: type, supply, quantity, lot and expiry, the check
// against the purchased lots, and the delivered list with its reversal.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "ColumnRefusals.h"
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "frmBuscaProd.h"
#include "frmOS_EntregaInsumos_p.h"

namespace vtx {

namespace {

const QString kAttention = QStringLiteral("Atenção");
const QString kAttentionCaps = QStringLiteral("ATENÇÃO");

} // namespace

void frmOS_EntregaInsumos::buildDeliveryPart() {
    auto box = [this](const char* name, const char* text, const QRect& geometry, int length) {
        addCaption(text, {geometry.x(), geometry.y() - 18, geometry.width() + 40, 18});
        return Controls::lineBox(this, QString::fromLatin1(name), geometry, length);
    };
    addCaption("Tipo Entrega", {10, 222, 130, 18});
    d->cboTP = new QComboBox(this);
    d->cboTP->setObjectName(QStringLiteral("cboTP"));
    d->cboTP->addItems({QStringLiteral("0 - Pontual"), QStringLiteral("1 - Antecipada")});
    d->cboTP->setGeometry(10, 240, 130, 24);
    d->txtCdPro = box("txtCdPro", "Código", {150, 240, 110, 24}, 14);
    d->Command3 = Controls::button(this, QStringLiteral("Command3"), QStringLiteral("F3 Pesquisar"),
                                   {265, 238, 100, 28});
    d->txtDsPro = box("txtDsPro", "Descrição", {375, 240, 330, 24}, 0);
    d->txtUN = box("txtUN", "UN", {715, 240, 40, 24}, 0);
    for (QLineEdit* shown : {d->txtDsPro, d->txtUN}) {
        shown->setReadOnly(true);
        shown->setFocusPolicy(Qt::ClickFocus);
    }
    d->txtQtde = box("txtQtde", "Qtde", {765, 240, 125, 24}, 20);
    d->txtLote = box("txtLote", "Lote No", {10, 290, 160, 24}, 20);
    d->txtDtv = box("txtDtv", "Dt.Validade", {180, 290, 100, 24}, 10);
    applyDateMask(d->txtDtv, 10);
    d->Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("Salvar"),
                                   {290, 288, 100, 28});

    connect(d->Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(d->txtCdPro, &QLineEdit::textChanged, this, [this] { txtCdPro_Change(); });
    onLeave(d->txtCdPro, [this] { txtCdPro_LostFocus(); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmOS_EntregaInsumos::Command3_Click() {
    gCodBusca = QString();
    frmBuscaProd::run();
    const QString code = gCodBusca.toString().trimmed();
    if (!code.isEmpty())
        d->txtCdPro->setText(code);
    d->txtCdPro->setFocus();
}

void frmOS_EntregaInsumos::txtCdPro_Change() {
    d->lotFlag = QStringLiteral("0");
    d->txtDsPro->clear();
    d->txtUN->clear();
    d->txtQtde->clear();
    d->cost = Decimal();
}

void frmOS_EntregaInsumos::txtCdPro_LostFocus() {
    const QString code = d->txtCdPro->text().trimmed();
    if (code.isEmpty())
        return;
    txtCdPro_Change();
    tryDb([&] {
        Recordset rows = conexaoAberta().query(
            QStringLiteral("select * from produtos where idlic = ? and cdpro = ?"), {gIdLic, code});
        if (rows.isEmpty())
            return;
        rows.moveFirst();
        d->txtDsPro->setText(rows.text(QStringLiteral("dspro")));
        d->txtUN->setText(rows.text(QStringLiteral("un")));
        d->cost = rows.value(QStringLiteral("vcusto")).value<Decimal>().rescaled(4);
        d->lotFlag = rows.text(QStringLiteral("caplote")).left(1);
    });
}

bool frmOS_EntregaInsumos::deliveryAccepted() {
    const std::optional<Decimal> quantity = Formats::parseAmount(d->txtQtde->text());
    if (refuseTooLong(d->txtQtde->text()))
        return false;
    if (d->txtNFiscal->text().trimmed().isEmpty() || !Formats::parseDate(d->txtDTe->text()) ||
        d->txtDsPro->text().trimmed().isEmpty() || d->txtUN->text().trimmed().isEmpty() ||
        !quantity) {
        msgBox(QStringLiteral("--- ERRO --- DADOS INCOMPLEMTOS!"), kAttentionCaps,
               MsgIcon::Exclamation);
        return false;
    }
    if (!d->session) {
        sessionNotFound();
        return false;
    }
    if (d->cost.isNegative()) {
        msgBox(QStringLiteral("--- ERRO --- VALOR UNITÁRIO FINAL NÃO PODE SER MENOR QUE ZERO!"),
               kAttentionCaps, MsgIcon::Critical);
        return false;
    }
    // Checked as it is kept.
    if (const Decimal kept = Columns::contrato_entregue::qtde.rounded(*quantity);
        kept.isNegative() || kept.isZero()) {
        msgBox(QStringLiteral("--- ERRO --- QUANTIDADE NÃO PODE SER MENOR E/OU IGUAL A ZERO!"),
               kAttentionCaps, MsgIcon::Critical);
        return false;
    }
    if (!valuesFit({{Columns::contrato_entregue::qtde, *quantity},
                    {Columns::contrato_entregue::custo, d->cost}}))
        return false;
    if (d->lotFlag == QLatin1String("0") &&
        (d->txtLote->text().trimmed().isEmpty() || !Formats::parseDate(d->txtDtv->text()))) {
        msgBox(QStringLiteral("Lote/Validade não informado!"), kAttention, MsgIcon::Information);
        return false;
    }
    return true;
}

void frmOS_EntregaInsumos::Command1_Click() {
    if (!deliveryAccepted())
        return;
    saveDelivery();
}

void frmOS_EntregaInsumos::saveDelivery() {
    AttendanceRecords::Delivery delivery;
    delivery.quantity = Formats::parseAmount(d->txtQtde->text())->rescaled(4);
    d->txtQtde->setText(Formats::decimalText(delivery.quantity, 2, /*max=*/4));
    delivery.cost = d->cost.rescaled(4);
    delivery.date = Formats::parseDate(d->txtDTe->text());
    delivery.supply = d->txtCdPro->text().trimmed();
    delivery.type = d->cboTP->currentText().left(1);
    delivery.lot = d->txtLote->text();
    delivery.expiry = d->txtDtv->text();

    WaitCursor wait;
    // A lot-controlled supply: the lot and expiry should be among the purchases.
    if (d->lotFlag == QLatin1String("0")) {
        bool purchased = false;
        if (!tryDb(
                [&] {
                    purchased = AttendanceRecords::lotPurchased(
                        delivery.supply, delivery.lot, *Formats::parseDate(delivery.expiry));
                },
                &wait))
            return;
        if (!purchased) {
            wait.done();
            if (msgBox(QStringLiteral("LOTE E/OU VALIDADE NÃO ENCONTRADO!\nPROSSEGUIR ASSIM "
                                      "MESMO?"),
                       kAttentionCaps, MsgIcon::None, MsgButtons::YesNo,
                       MsgDefault::Second) != MsgAnswer::Yes)
                return;
        }
    }
    wait.done();
    WaitCursor saving;
    if (!tryDb([&] { AttendanceRecords::saveDelivery(*d->session, delivery); }, &saving))
        return;
    d->listedContract = d->session->contract;
    d->listedKey = d->session->idlan;
    AttendanceRecords::listDelivered(Adodc1(), d->listedContract, d->listedKey);
    tryDb([this] { refreshList(); }, &saving);
    d->txtCdPro->clear();
    d->txtQtde->clear();
    d->txtLote->clear();
    d->txtDtv->clear();
    saving.done();
    d->txtCdPro->setFocus();
}

void frmOS_EntregaInsumos::DataGrid1_Click(int row) {
    Recordset& rows = Adodc1().recordset();
    if (row < 0 || row >= rows.recordCount() || d->listedKey.isEmpty())
        return;
    rows.setPosition(row);
    if (msgBox(QStringLiteral("Estorna o item selecionado?"), kAttention, MsgIcon::None,
               MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    const QString contract = rows.text(QStringLiteral("idcontrato"));
    const long long line = rows.value(QStringLiteral("idlan")).toLongLong();
    WaitCursor wait;
    tryDb(
        [&] {
            AttendanceRecords::reverseDelivery(contract, d->listedKey, line);
            refreshList();
        },
        &wait);
    wait.done();
    d->txtCdPro->setFocus();
}

} // namespace vtx
