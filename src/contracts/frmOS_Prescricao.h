// The prescriptions of a contract: per procedure and date one prescription text with its
// frequency, and the supplies prescribed with it.
#pragma once

#include "ListForm.h"

namespace vtx {

class BoundGrid;
class Decimal;

/// "Prescrição Médica": the prescriptions (DataGrid1) and the prescribed supplies (DataGrid2) of
/// the chosen procedure of the contract.
class frmOS_Prescricao : public ListForm {
    Q_OBJECT
public:
    explicit frmOS_Prescricao(const QString& contractId, QWidget* parent = nullptr);
    ~frmOS_Prescricao() override;

    /// Shows the contract's prescriptions modally.
    static void run(const QString& contractId);

    /// The prescribed supplies' grid (DataGrid2 over Adodc2).
    BoundGrid& supplies() const;

protected:
    void escape() override;

private:
    void buildUi();
    void loadProcedures();
    void chooseProcedure(int index);
    void prescriptionPicked(int row);
    void save();
    void relateSupplies();
    void printCheckSheet();
    void insertSupply(const QDate& date, const QString& supply, const Decimal& quantity);
    void reverseSupply(int row);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
