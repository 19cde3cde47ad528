// The attendance dialog's controls and lines, shared by its two source files.
#pragma once

#include <vector>

#include "AttendanceLines.h"
#include "frmCli_AgendaCF.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vtx {

struct frmCli_AgendaCF::Private {
    AttendanceHandover booking;
    std::vector<ProcedureLine> procedures; // one a line of List1
    std::vector<PaymentLine> payments;     // one a line of List2
    AttendanceTotals totals;               // of the last AtualizaTotais
    Outcome outcome = Outcome::Left;

    QLabel* lProf = nullptr;
    QLabel* lPac = nullptr;
    QLabel* lDT = nullptr;
    QLabel* lHR = nullptr;
    QLabel* lIdAgenda = nullptr;
    QLineEdit* txtIdProc = nullptr;
    QLineEdit* txtNmProc = nullptr;
    QLineEdit* txtIdConv = nullptr;
    QLineEdit* txtNmConv = nullptr;
    QLineEdit* txtVR = nullptr;
    QLineEdit* txtQt = nullptr;
    QPushButton* Command2 = nullptr;
    QListWidget* List1 = nullptr;
    QComboBox* cboMP = nullptr;
    QListWidget* List2 = nullptr;
    QListWidget* List3 = nullptr;
    QPushButton* Command1 = nullptr;
    QFrame* frmMPP = nullptr;
    QLabel* lMP = nullptr;
    QLineEdit* txtVrMp = nullptr;
    QLineEdit* txtobs = nullptr;
    QPushButton* Command16 = nullptr;
    QPushButton* Command17 = nullptr;
};

} // namespace vtx
