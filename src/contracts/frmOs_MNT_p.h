// The contract form's own state and the anamnesis it shows, shared by its two source files.
#pragma once

#include <map>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "frmOs_MNT.h"

namespace vtx {

/// The anamnesis: a yes/no combo, the box of what it is, and their columns.
struct Anamnesis {
    const char* combo;
    const char* caption;
    const char* box;
    const char* flagColumn;
    const char* textColumn;
    int y;
};
inline const Anamnesis kAnamnesis[] = {
    {"cboAler", "ALERGICO?", "txtAler", "taler", "dsaler", 370},
    {"cboMed", "MEDICAÇÃO CONTROLADA?", "txtMed", "tmed", "dsmed", 416},
    {"cboCir", "POSSUI CIRURGIAS?", "txtCir", "tcir", "dscir", 462},
};

struct frmOs_MNT::Private {
    std::map<QString, QLineEdit*> boxes;
    std::map<QString, QComboBox*> combos;
    QPlainTextEdit* txtIA = nullptr;
    QPushButton* total = nullptr;
    /// The patient whose identity and address the boxes hold; empty once a change of the
    /// patient code has emptied them.
    QString filledPatient;
    bool loading = false;

    QLineEdit* box(const char* name) const { return boxes.at(QString::fromLatin1(name)); }
    QString text(const char* name) const { return box(name)->text(); }
    QComboBox* combo(const char* name) const { return combos.at(QString::fromLatin1(name)); }
};

} // namespace vtx
