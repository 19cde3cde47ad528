// The contract list: the contracts in quote or in force, a new contract for a patient, the
// opening of a listed one and the reopening of the last PDF.
#pragma once

#include "ListForm.h"

namespace vtx {

/// "Contratos": the entry point of the treatment contracts.
class frmOS_ListaOrc : public ListForm {
    Q_OBJECT
public:
    explicit frmOS_ListaOrc(QWidget* parent = nullptr);
    ~frmOS_ListaOrc() override;

protected:
    void escape() override;
    bool functionKey(int key) override;

private:
    void buildUi();
    void newContract();
    void editContract();
    void reopenPdf();
    void openContract(const QString& contractId);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
