// The pending receipts dialog.
#include "frmCPagar_BaixaPendente.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "DbError.h"
#include "Modal.h"
#include "Prompter.h"
#include "Receipts.h"
#include "Session.h"

namespace vtx {

frmCPagar_BaixaPendente::frmCPagar_BaixaPendente(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCPagar_BaixaPendente"));
    setWindowTitle(QStringLiteral("Baixas Pendentes"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    m_list->setFont(fixed);
    auto* hint = new QLabel(QStringLiteral("Duplo clique para selecionar"), this);
    hint->setObjectName(QStringLiteral("Label1"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(hint);
    resize(260, 320);

    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        const QListWidgetItem* item = m_list->currentItem();
        gCodBusca = item && item->isSelected() ? item->text() : QString();
        accept();
    });
    if (gNomeBusca != QLatin1String("P"))
        return;
    try {
        m_list->addItems(Receipts::pending(conexaoAberta()));
    } catch (const DbError& e) {
        errorBox(e.message());
    }
}

frmCPagar_BaixaPendente::~frmCPagar_BaixaPendente() = default;

void frmCPagar_BaixaPendente::run() {
    frmCPagar_BaixaPendente dialog;
    showModal(&dialog);
}

} // namespace vtx
