// The purchase entry: the supplies bought under one invoice, line by line, with lot and expiry.
#pragma once

#include <optional>

#include "Connection.h"
#include "Decimal.h"
#include "ListForm.h"

namespace vtx {

namespace FreightApportionment {
struct Spread;
}

/// "Insumos - Compra": the invoice header, the line being entered, the lines grid (a click
/// reverses a line), the pending purchases, the freight apportionment and the closing.
class frmInsumos_Compra : public ListForm {
    Q_OBJECT
public:
    explicit frmInsumos_Compra(QWidget* parent = nullptr);
    ~frmInsumos_Compra() override;

    /// Reads the loaded purchase's lines again and shows its dates and totals; a purchase found
    /// closed is announced and the form closes. False when the form closed.
    bool TotalizaCompra();

protected:
    void escape() override;
    bool functionKey(int key) override;

private:
    void buildUi();
    void buildHeader();
    void buildLine();
    void buildLists();
    void connectHandlers();

    void txtCdFor_LostFocus();
    void txtModelo_LostFocus();
    void txtCdPro_Change();
    void txtCdPro_LostFocus();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command7_Click();
    /// "Ratear Frete" (RateiaFrete): spreads a freight amount over the loaded purchase's lines.
    void Command5_Click();
    /// The freight amount spread over the lines on screen, then the question, which names the
    /// total to be stored where it differs from the amount; on Yes, that total.
    std::optional<Decimal> confirmFreight(const Decimal& amount);
    /// Says why the lines read again took no freight, when they did not.
    void refuseUnwritten(const FreightApportionment::Spread& spread);
    /// "Encerrar Compra": closes the purchase named on screen.
    void Command8_Click();
    void reverseLine(int row);
    void pickPending(int row);

    /// Supplier, series, number and model on screen name a purchase (digits only).
    bool headerValid() const;
    /// The values naming the purchase on screen (the header must be valid).
    Params purchaseOnScreen() const;
    /// The checks of a line before it is saved; each failure shows its message.
    bool lineValid();
    /// Whether the totals of the purchase named on screen, read again, with one more line of
    /// qtde units at vfinal when given, stay within their range; otherwise (or when they cannot
    /// be read) the message, and false.
    bool purchaseFits(const Decimal& qtde = {}, const Decimal& vfinal = {});
    /// "--- ERRO --- VALOR TOTAL DA COMPRA FORA DO LIMITE!".
    static void refuseTotals();
    /// Writes the line on screen unless the purchase's totals, read again, leave their range
    /// with it; whether it was written. Throws DbError.
    bool insertLine();
    /// Closes the data controls and the form.
    void unload();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
