// The purchase entry's finishing: the freight spread over the lines in one transaction, and
// the closing of the purchase.
#include <QLineEdit>

#include "ColumnRefusals.h"
#include "DataControl.h"
#include "Formats.h"
#include "FreightApportionment.h"
#include "Prompter.h"
#include "PurchaseWrites.h"
#include "Session.h"
#include "frmInsumos_Compra_p.h"

namespace vtx {

void frmInsumos_Compra::Command5_Click() {
    // Goods past the purchase's totals are mended by reversing their line first.
    if (!d->goodsTotal) {
        refuseTotals();
        return;
    }
    // No goods, or goods of value 0: there is nothing to spread the freight over.
    if (d->goodsTotal->isZero()) {
        errorBox(QStringLiteral("VALOR TOTAL DOS INSUMOS ZERADO!"), MsgIcon::Exclamation);
        return;
    }
    std::optional<Decimal> amount;
    while (!amount) {
        const std::optional<QString> answer =
            inputBox(QStringLiteral("Valor do Frete:"), QStringLiteral("Rateio do frete"),
                     d->proposedFreight);
        if (!answer)
            return;
        amount = Formats::parseAmount(*answer);
        // A number too long is told, then asked for again as any other refused answer.
        refuseTooLong(*answer);
    }
    if (amount->isNegative()) {
        msgBox(QStringLiteral("--- ERRO --- VALOR DO FRETE NÃO PODE SER MENOR QUE ZERO!"),
               QStringLiteral("ATENÇÃO"), MsgIcon::Exclamation);
        return;
    }
    const std::optional<Decimal> confirmed = confirmFreight(*amount);
    if (!confirmed)
        return;

    // Each line's freight per unit, from the open lines as they are now; all written or none.
    WaitCursor wait;
    FreightApportionment::Spread written;
    if (!tryDb(
            [&] {
                written = FreightApportionment::apportion(conexaoAberta(), Adodc1().parameters(),
                                                          *amount, *confirmed);
            },
            &wait))
        return;
    wait.done();
    // A purchase closed meanwhile is said so, and closes the form, as on every load.
    if (TotalizaCompra())
        refuseUnwritten(written);
}

void frmInsumos_Compra::refuseUnwritten(const FreightApportionment::Spread& spread) {
    using FreightApportionment::Outcome;
    switch (spread.outcome) {
    case Outcome::Written:
        break;
    case Outcome::Changed:
        msgBox(QStringLiteral("OS ITENS DA COMPRA MUDARAM: RATEIE O FRETE NOVAMENTE."),
               QStringLiteral("Atenção"), MsgIcon::Exclamation);
        break;
    case Outcome::OutOfRange:
        refuseOutOfRange();
        break;
    case Outcome::TotalsOutOfRange:
        // The totals just shown have said so, unless the line past them went meanwhile.
        if (d->goodsTotal)
            refuseTotals();
        break;
    case Outcome::NoOpenLines:
    case Outcome::ZeroGoods:
        errorBox(QStringLiteral("VALOR TOTAL DOS INSUMOS ZERADO!"), MsgIcon::Exclamation);
        break;
    }
}

std::optional<Decimal> frmInsumos_Compra::confirmFreight(const Decimal& amount) {
    // The lines on screen spread as the apportionment spreads the lines it locks.
    const FreightApportionment::Spread onScreen =
        FreightApportionment::spread(Adodc1().recordset(), amount);
    if (onScreen.outcome != FreightApportionment::Outcome::Written) {
        refuseUnwritten(onScreen);
        return std::nullopt;
    }
    QString question = QStringLiteral("Confirma o rateio de frete no valor de: ") +
                       Formats::decimalText(amount, 2, 4) + QStringLiteral(" ?");
    // The freight per unit keeps 4 decimals: on large quantities a step moves whole cents.
    if (onScreen.stored.rescaled(2) != amount)
        question += QStringLiteral("\nO FRETE TOTAL GRAVADO SERÁ ") +
                    Formats::currency(onScreen.stored) +
                    QStringLiteral(" (FRETE POR UNIDADE COM 4 CASAS DECIMAIS).");
    if (msgBox(question, QStringLiteral("Atenção"), MsgIcon::Question, MsgButtons::YesNo,
               MsgDefault::Second) != MsgAnswer::Yes)
        return std::nullopt;
    return onScreen.stored;
}

void frmInsumos_Compra::Command8_Click() {
    if (d->txtNmFor->text().trimmed().isEmpty())
        return;
    // Series, number or model edited into something else since the load close nothing.
    if (!headerValid()) {
        msgBox(QStringLiteral("--- ERRO --- DADOS INVÁLIDO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Exclamation);
        return;
    }
    // A purchase whose totals cannot be shown stays open until the line past them is reversed.
    if (!purchaseFits())
        return;
    if (msgBox(QStringLiteral("Deseja encerrar a compra?"), QStringLiteral("Atenção"),
               MsgIcon::Question, MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    // Checked again as it closes: a line saved since the question counts, and none meanwhile.
    WaitCursor wait;
    bool closed = false;
    if (!tryDb([&] { closed = PurchaseWrites::close(conexaoAberta(), purchaseOnScreen()); }, &wait))
        return;
    wait.done();
    if (!closed) {
        refuseTotals();
        return;
    }
    for (QLineEdit* box :
         {d->txtCdFor, d->txtSerie, d->txtNFiscal, d->txtModelo, d->txtDTc, d->txtDTe})
        box->clear();
    closeList();
    // The loaded purchase, when it is the one just closed, closes the form.
    TotalizaCompra();
}

} // namespace vtx
