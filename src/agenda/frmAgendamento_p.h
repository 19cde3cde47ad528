// The booking frame's controls and the window it works in, shared by its two source files.
#pragma once

#include <optional>

#include <QRect>

#include "AgendaInput.h"
#include "Bookings.h"
#include "frmAgendamento.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;

namespace vtx {

/// The procedure's name in an item of the procedure choice; the code is the item's value.
constexpr int kProcedureNameRole = Qt::UserRole + 1;

struct frmAgendamento::Private {
    AgendaWindow window;
    QFrame* panel = nullptr;
    QRect listGeometry; // the day list as built, before any scaling
    // The stored booking as it was loaded, while txtIdAgenda holds its key: an attendance
    // closes that booking, whatever its fields show unsaved.
    std::optional<Booking> stored;

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

} // namespace vtx
