// The booking frame's controls and the window it works in, shared by its two source files.
#pragma once

#include <functional>
#include <optional>

#include <QRect>

#include "frmAgendamento.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;

namespace vtx {

struct frmAgendamento::Private {
    AgendaWindow window;
    QFrame* panel = nullptr;
    QRect listGeometry; // the day list as built, before any scaling

    QLineEdit* txtIdAgenda = nullptr;
    QLineEdit* txtDT = nullptr;
    QLineEdit* txtHR = nullptr;
    QComboBox* cboTP = nullptr;
    QLineEdit* txtIdPac = nullptr;
    QLineEdit* txtNmPac = nullptr;
    QLineEdit* txtIdConv = nullptr;
    QLineEdit* txtNmConv = nullptr;
    QLineEdit* txtVR = nullptr;
    QLineEdit* txtFone = nullptr;
    QLineEdit* txtObs = nullptr;
    QComboBox* cboMobEsp = nullptr;
    QComboBox* cboOnde = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command4 = nullptr;
};

/// Runs database work; a failure is shown as "--- ERRO --- " and the driver's text, and gives
/// false.
bool reportingDbErrors(const std::function<void()>& work);

/// The registry code in a box: 1 to 18 digits, blanks around allowed; nothing otherwise.
std::optional<qlonglong> codeIn(const QLineEdit* box);

} // namespace vtx
