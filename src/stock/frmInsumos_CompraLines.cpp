// The purchase entry's lines: saving one under a unique clock key, reversing one, and the
// totals of the loaded purchase.
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include "Clock.h"
#include "ClockKey.h"
#include "ColumnRefusals.h"
#include "DataControl.h"
#include "DbError.h"
#include "Formats.h"
#include "Prompter.h"
#include "PurchaseStatements.h"
#include "PurchaseTotals.h"
#include "PurchaseWrites.h"
#include "Session.h"
#include "frmInsumos_Compra_p.h"

namespace vtx {

namespace {

void refuse(const char* text, const char* title, MsgIcon icon) {
    msgBox(QString::fromUtf8(text), QString::fromUtf8(title), icon);
}

} // namespace

void frmInsumos_Compra::refuseTotals() {
    errorBox(QStringLiteral("VALOR TOTAL DA COMPRA FORA DO LIMITE!"));
}

bool frmInsumos_Compra::purchaseFits(const Decimal& qtde, const Decimal& vfinal) {
    Recordset lines;
    if (!tryDb(
            [&] { lines = conexaoAberta().query(PurchaseStatements::kLines, purchaseOnScreen()); }))
        return false;
    if (PurchaseTotals::fit(lines, qtde, vfinal))
        return true;
    refuseTotals();
    return false;
}

bool frmInsumos_Compra::TotalizaCompra() {
    WaitCursor wait;
    d->goodsTotal = Decimal();
    d->proposedFreight = Formats::currency(Decimal());
    if (!tryDb([this] { refreshList(); }, &wait))
        return true;
    const Recordset& lines = Adodc1().recordset();
    QString status = QStringLiteral("N");
    if (!lines.isEmpty()) {
        d->txtDTe->setText(
            Formats::dateTextOf(lines.value(0, lines.columnIndex(QStringLiteral("dte")))));
        d->txtDTc->setText(
            Formats::dateTextOf(lines.value(0, lines.columnIndex(QStringLiteral("dtc")))));
        status = lines.value(0, lines.columnIndex(QStringLiteral("status"))).toString();
    }
    // Totals past the exact decimals' range are refused, not wrapped: the lines stay listed so
    // that the line typed wrong can be reversed. The goods are summed first, on their own, so
    // that a freight past the range can be replaced by a new apportionment.
    bool summed = true;
    try {
        // Nothing while the goods cannot be summed: no freight is spread over them.
        d->goodsTotal.reset();
        d->goodsTotal = PurchaseTotals::goodsInCentsOf(lines);
        const PurchaseTotals totals = PurchaseTotals::of(lines);
        d->proposedFreight = Formats::currency(totals.freight);
        d->lST->setText(totals.caption());
    } catch (const UsageError&) {
        summed = false;
        d->lST->setText(PurchaseTotals().caption());
    }
    wait.done();
    if (!summed)
        refuseTotals();
    if (status != QLatin1String("S"))
        return true;
    refuse("COMPRA JÁ ENCERRADA!", "ATENÇÃO", MsgIcon::Information);
    unload();
    return false;
}

bool frmInsumos_Compra::lineValid() {
    const auto value = Formats::parseAmount(d->txtVR->text());
    const auto quantity = Formats::parseAmount(d->txtQtde->text());
    const auto issued = Formats::parseDate(d->txtDTe->text());
    const auto arrived = Formats::parseDate(d->txtDTc->text());
    if (refuseTooLong(d->txtVR->text()) || refuseTooLong(d->txtQtde->text()))
        return false;
    if (!headerValid() || !issued || !arrived || d->txtDsPro->text().trimmed().isEmpty() ||
        d->txtUN->text().trimmed().isEmpty() || !value || !quantity) {
        refuse("--- ERRO --- DADOS INCOMPLEMTOS!", "ATENÇÃO", MsgIcon::Exclamation);
        return false;
    }
    if (value->isNegative()) {
        refuse("--- ERRO --- VALOR UNITÁRIO FINAL NÃO PODE SER MENOR QUE ZERO!", "ATENÇÃO",
               MsgIcon::Critical);
        return false;
    }
    // Checked as it is kept.
    if (const Decimal kept = Columns::insumos_cmp::qtde.rounded(*quantity);
        kept.isNegative() || kept.isZero()) {
        refuse("--- ERRO --- QUANTIDADE NÃO PODE SER MENOR E/OU IGUAL A ZERO!", "ATENÇÃO",
               MsgIcon::Critical);
        return false;
    }
    if (*arrived < *issued) {
        refuse("--- ERRO --- DATA DE EMISSÃO SUPERIOR A DATA DE CHEGADA!", "ATENÇÃO",
               MsgIcon::Information);
        return false;
    }
    if (!valuesFit(
            {{Columns::insumos_cmp::vfinal, *value}, {Columns::insumos_cmp::qtde, *quantity}}))
        return false;
    d->txtVR->setText(Formats::decimalText(*value, 2, 4));
    d->txtQtde->setText(Formats::decimalText(*quantity, 2, 4));
    // The purchase's totals with this line, as they would be shown: none is written past them.
    if (!purchaseFits(quantity->rescaled(4), value->rescaled(4)))
        return false;
    if (d->lotFlag.trimmed() != QLatin1String("0"))
        return true;
    const auto expiry = Formats::parseDate(d->txtDtv->text());
    if (d->txtLote->text().trimmed().isEmpty() || !expiry) {
        refuse("Lote/Validade obrigatório!", "Atenção", MsgIcon::Information);
        return false;
    }
    if (*expiry < Clock::today()) {
        refuse("Validade inferior a data atual!", "Atenção", MsgIcon::Exclamation);
        return false;
    }
    return true;
}

bool frmInsumos_Compra::insertLine() {
    const QString supplier = d->txtCdFor->text().trimmed();
    const QString series = d->txtSerie->text();
    const QString number = d->txtNFiscal->text();
    const QString model = d->txtModelo->text();
    const auto expiry = Formats::parseDate(d->txtDtv->text());
    const Decimal value = Formats::parseAmount(d->txtVR->text())->rescaled(4);
    const Decimal quantity = Formats::parseAmount(d->txtQtde->text())->rescaled(4);
    Params values{gIdLic,
                  QString(),
                  *Formats::numericCode(supplier),
                  series,
                  number,
                  model,
                  *Formats::parseDate(d->txtDTe->text()),
                  *Formats::parseDate(d->txtDTc->text()),
                  d->txtCdPro->text(),
                  QVariant::fromValue(value),
                  QVariant::fromValue(Decimal()),
                  QVariant::fromValue(quantity),
                  QStringLiteral("N"),
                  Formats::auditStamp(QStringLiteral(" ")),
                  d->txtLote->text()};
    if (expiry)
        values.push_back(*expiry);

    // Two lines saved in one second, here or on another workstation, never share a key.
    const ClockKeyPattern key{QString(), QStringLiteral("yyMMddHHmmss"),
                              series + number + supplier + model};
    Connection& connection = conexaoAberta();
    const auto write = [&] {
        ClockKeys::insertUnique(key, [&](const QString& idlan) {
            values[1] = idlan;
            connection.execute(expiry ? PurchaseStatements::kInsertWithExpiry
                                      : PurchaseStatements::kInsert,
                               values);
        });
    };
    // The totals checked again with the lines as they are now: another workstation's line
    // saved since the check on screen counts, and none is saved meanwhile.
    return PurchaseWrites::addLine(connection, purchaseOnScreen(), quantity, value, write);
}

void frmInsumos_Compra::Command1_Click() {
    if (!lineValid())
        return;
    WaitCursor wait;
    bool written = false;
    if (!tryDb([&] { written = insertLine(); }, &wait))
        return;
    wait.done();
    if (!written) {
        refuseTotals();
        return;
    }
    if (!TotalizaCompra())
        return;
    d->txtCdPro->clear();
    txtCdPro_Change();
    d->txtCdPro->setFocus(Qt::OtherFocusReason);
}

void frmInsumos_Compra::reverseLine(int row) {
    setCurrentRow(row);
    if (currentRow() < 0)
        return;
    const Recordset& lines = Adodc1().recordset();
    const QVariant allotted = lines.value(QStringLiteral("qtest"));
    if (!allotted.isNull() && !allotted.value<Decimal>().isZero()) {
        errorBox(QStringLiteral("ITEM JÁ MOVIMENTADO, NÃO PODE SER ESTORNADO!"));
        return;
    }
    if (msgBox(QStringLiteral("Estorna o item selecionado?"), QStringLiteral("Atenção"),
               MsgIcon::Question, MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    const QString idlan = lines.text(QStringLiteral("idlan"));
    WaitCursor wait;
    if (!tryDb(
            [&] {
                conexaoAberta().execute(PurchaseStatements::kDelete, {gIdLic, idlan});
            },
            &wait))
        return;
    wait.done();
    if (TotalizaCompra())
        d->txtCdPro->setFocus(Qt::OtherFocusReason);
}

} // namespace vtx
