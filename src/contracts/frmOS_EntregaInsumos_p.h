// The controls and kept state of the attendance record, shared by its two source files.
#pragma once

#include <optional>

#include <QString>

#include "AttendanceRecords.h"
#include "Decimal.h"
#include "frmOS_EntregaInsumos.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vtx {

class BoundGrid;

struct frmOS_EntregaInsumos::Private {
    QLineEdit *txtNFiscal = nullptr, *txtDTe = nullptr, *txtHR = nullptr;
    QListWidget* List1 = nullptr;
    QPlainTextEdit* txtDsEv = nullptr;
    QLabel* l_EV = nullptr;
    QPushButton *Command8 = nullptr, *Command7 = nullptr;
    QGroupBox* frmCmpPend = nullptr;
    BoundGrid* open = nullptr; // the open sessions: DataGrid2 over Adodc2

    QComboBox* cboTP = nullptr;
    QLineEdit *txtCdPro = nullptr, *txtDsPro = nullptr, *txtUN = nullptr, *txtQtde = nullptr;
    QLineEdit *txtLote = nullptr, *txtDtv = nullptr;
    QPushButton *Command3 = nullptr, *Command1 = nullptr;

    std::optional<AttendanceRecords::Session> session;
    // The contract of a session picked from the open sessions, until the key is changed.
    QString pickedContract;
    // The session whose deliveries DataGrid1 lists.
    QString listedContract, listedKey;
    Decimal cost;
    QString lotFlag = QStringLiteral("0");
    int captions = 0;
};

} // namespace vtx
