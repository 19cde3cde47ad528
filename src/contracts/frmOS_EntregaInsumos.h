// The attendance record of a home-care session: its evolution text, its conclusion and the
// supplies delivered at it.
#pragma once

#include "ListForm.h"

namespace vtx {

/// "Registro de Atendimento": loads a session by its key (or from the open sessions), saves
/// its attendance row, concludes it, and records or reverses the supplies delivered, listed in
/// DataGrid1.
class frmOS_EntregaInsumos : public ListForm {
    Q_OBJECT
public:
    explicit frmOS_EntregaInsumos(QWidget* parent = nullptr);
    ~frmOS_EntregaInsumos() override;

    /// The open sessions' data control and grid, inside the frame frmCmpPend.
    DataControl& Adodc2();
    QTableView* DataGrid2() const;

protected:
    void escape() override;
    bool functionKey(int key) override;

private:
    void buildUi();
    void buildSessionPart();
    void buildDeliveryPart();
    void addCaption(const char* text, const QRect& geometry);
    static void sessionNotFound();

    void Command7_Click();
    void DataGrid2_Click(int row);
    void txtNFiscal_Change();
    void txtNFiscal_LostFocus();
    void Command8_Click();
    void Command3_Click();
    void txtCdPro_Change();
    void txtCdPro_LostFocus();
    void Command1_Click();
    void DataGrid1_Click(int row);

    bool deliveryAccepted();
    void saveDelivery();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
