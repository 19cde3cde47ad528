// The controls and values of the settlement form, shared by its two source files.
#pragma once

#include <vector>

#include "Decimal.h"
#include "Receipts.h"
#include "frmCPagar_Baixa.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vtx {

class BoundGrid;

struct frmCPagar_Baixa::Private {
    QLineEdit *txtNrRec = nullptr, *txtDtBX = nullptr, *txtCdFor = nullptr, *txtNmFor = nullptr;
    // The instalment frame.
    QFrame* frmDest = nullptr;
    QLabel* lPro = nullptr;
    QLineEdit *txtVRa = nullptr, *txtVRj = nullptr, *txtVRd = nullptr, *txtVRt = nullptr,
              *txtIdLan = nullptr;
    // The payment frame.
    QFrame* frmMP = nullptr;
    QLabel* lMP = nullptr;
    QLineEdit *txtVrMp = nullptr, *txtobs = nullptr;
    QLabel *lST = nullptr, *lPG = nullptr;
    /// Command1 to Command18 by their number.
    QPushButton* command[19] = {};
    /// The receipt's items: DataGrid2 over Adodc2.
    BoundGrid* items = nullptr;
    QListWidget* List1 = nullptr;

    /// The payment lines, as values; List1 shows their text.
    std::vector<ReceiptPayment> lines;
    Decimal mTotalRecibo{0, 2};
    Decimal mTotalMeios{0, 2};
    /// The open-instalments list was read at least once.
    bool listLoaded = false;

    QPushButton* cmd(int number) const { return command[number]; }
};

} // namespace vtx
