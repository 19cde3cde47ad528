// The receipts left pending: started, holding instalments, never closed.
#pragma once

#include <QDialog>

class QListWidget;

namespace vtx {

/// "Baixas Pendentes": the pending receipts' numbers; a double-click hands one back in
/// gCodBusca. Lists only when gNomeBusca is "P".
class frmCPagar_BaixaPendente : public QDialog {
    Q_OBJECT
public:
    explicit frmCPagar_BaixaPendente(QWidget* parent = nullptr);
    ~frmCPagar_BaixaPendente() override;

    /// Shows the dialog modally; a chosen number comes back in gCodBusca.
    static void run();

private:
    QListWidget* m_list;
};

} // namespace vtx
