// The controls and kept state of the purchase entry form, shared by its source files.
#pragma once

#include <optional>

#include <QString>

#include "Decimal.h"
#include "frmInsumos_Compra.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vtx {

class BoundGrid;

struct frmInsumos_Compra::Private {
    // The invoice header.
    QLineEdit* txtCdFor = nullptr;
    QLineEdit* txtNmFor = nullptr;
    QLineEdit* txtSerie = nullptr;
    QLineEdit* txtNFiscal = nullptr;
    QLineEdit* txtModelo = nullptr;
    QLineEdit* txtDTe = nullptr;
    QLineEdit* txtDTc = nullptr;
    // The line being entered.
    QLineEdit* txtCdPro = nullptr;
    QLineEdit* txtDsPro = nullptr;
    QLineEdit* txtUN = nullptr;
    QLineEdit* txtVR = nullptr;
    QLineEdit* txtQtde = nullptr;
    QLineEdit* txtLote = nullptr;
    QLineEdit* txtDtv = nullptr;
    // Buttons, totals and the pending purchases.
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QLabel* lST = nullptr;
    QGroupBox* frmCmpPend = nullptr;
    /// DataGrid2 over Adodc2.
    BoundGrid* pending = nullptr;

    /// "0" while lot and expiry are required (any supply code change), else the supply's caplote.
    QString lotFlag = QStringLiteral("0");
    /// The loaded purchase's goods total in cents (nothing when the goods cannot be summed), and
    /// its freight total as currency text.
    std::optional<Decimal> goodsTotal;
    QString proposedFreight;
    /// The form has closed (Esc, or a purchase found closed).
    bool unloaded = false;
};

} // namespace vtx
