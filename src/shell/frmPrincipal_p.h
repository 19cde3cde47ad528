// The main window's own state, shared by its two source files.
#pragma once

#include "frmPrincipal.h"

class QLabel;
class QPushButton;

namespace vtx {

struct frmPrincipal::Private {
    QPushButton* cmdST = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* datePanel = nullptr;
    QLabel* userPanel = nullptr;
    QList<QAction*> menuControls;
    bool shown = false;        // the first showing starts the login
    bool connected = false;    // the settings are read once per process
    bool inActivation = false; // no second login while one is up
};

} // namespace vtx
