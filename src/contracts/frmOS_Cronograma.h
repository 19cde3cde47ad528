// The schedule overview of a contract: its procedures, the complement of the current one and
// every session of the contract.
#pragma once

#include "ListForm.h"

namespace vtx {

class BoundGrid;

/// "Contrato - Cronograma de Procedimentos": a click on a procedure opens its generator.
class frmOS_Cronograma : public ListForm {
    Q_OBJECT
public:
    frmOS_Cronograma(const QString& contractId, const QString& patientCode,
                     QWidget* parent = nullptr);
    ~frmOS_Cronograma() override;

    /// Shows the overview modally.
    static void run(const QString& contractId, const QString& patientCode);

    /// The grid of every session of the contract (DataGrid1 over Adodc2).
    BoundGrid& sessions() const;

protected:
    void escape() override;

private:
    void buildUi();
    void procedureClicked(int row);
    void showComplement();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
