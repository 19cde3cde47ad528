// The updater's progress window.
#include "frmProgresso.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace vtx {

struct frmProgresso::Private {
    QLabel* lMSG = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
};

frmProgresso::frmProgresso(QWidget* parent) : QDialog(parent), d(std::make_unique<Private>()) {
    buildUi();
}

frmProgresso::~frmProgresso() = default;

QProgressBar* frmProgresso::ProgressBar1() const {
    return d->ProgressBar1;
}

void frmProgresso::buildUi() {
    setObjectName(QStringLiteral("frmProgresso"));
    setWindowTitle(QStringLiteral("Atualização"));
    setFixedSize(360, 90);

    d->lMSG = new QLabel(QStringLiteral("Aguarde... Baixando Atualização..."), this);
    d->lMSG->setObjectName(QStringLiteral("lMSG"));
    d->ProgressBar1 = new QProgressBar(this);
    d->ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    d->ProgressBar1->setTextVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(d->lMSG);
    layout->addWidget(d->ProgressBar1);
}

} // namespace vtx
