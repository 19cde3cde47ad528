// The settlement: a receipt gathers open instalments with their interest and discount, is paid
// by one or more payment methods and closed; an unfinished one is resumed later.
#pragma once

#include <memory>

#include "ListForm.h"

namespace vtx {

/// "Contas a Pagar - Baixa": the open instalments above, the receipt's items below, the
/// instalment frame and the payment frame.
class frmCPagar_Baixa : public ListForm {
    Q_OBJECT
public:
    explicit frmCPagar_Baixa(QWidget* parent = nullptr);
    ~frmCPagar_Baixa() override;

    /// Reads the receipt's items again, sums them into lST and the receipt's total, and
    /// enables the payment buttons and "F12 Encerrar" while it holds an item.
    void SomaItensRecibo();
    /// Sums the payment lines into lPG against the receipt's total.
    void SomaMeiosPagto();
    /// Rewrites interest and discount and the instalment's total; false when either is no
    /// number (nothing changes then).
    bool CalculaTotalItem();

protected:
    void escape() override;
    bool functionKey(int key) override;

private:
    // The receipt and its items (frmCPagar_Baixa.cpp).
    void buildUi();
    void buildInstalmentFrame();
    void connectUi();
    void startReceipt(const QString& number);
    void Command1_Click();
    void supplierSearch();
    void txtCdFor_LostFocus();
    void Command2_Click();
    void Command11_Click();
    void listOpen(const QString& sql, const QList<QVariant>& params);
    void DataGrid1_Click();
    void Command15_Click();
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();
    void DataGrid2_Click();
    void Command18_Click();
    void refreshAfterFailure();

    // Payments and the close (frmCPagar_BaixaPagamento.cpp).
    void buildPaymentFrame();
    void choosePaymentMethod(const QString& method);
    void Command16_Click();
    void List1_DblClick();
    void Command10_Click();
    void endReceipt();
    /// The receipt was closed meanwhile on another workstation, refusing a put-in or a close:
    /// says so and goes back to no receipt.
    void closedElsewhere();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
