// The contract form: one treatment contract's patient, plan, responsible person, anamnesis,
// diagnosis, physician and status, its total, and the doors to its procedures, schedule and
// prescriptions.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

/// "Ordem de Serviço - Aprovada": loads the contract whose id it is given when it opens.
class frmOs_MNT : public QDialog {
    Q_OBJECT
public:
    explicit frmOs_MNT(const QString& contractId, QWidget* parent = nullptr);
    ~frmOs_MNT() override;

    /// Shows the contract modally.
    static void run(const QString& contractId);

    /// Sums quantity times value over the contract's procedures into the total button.
    void TotalizaContrato();

private:
    void buildUi();
    void installKeys();
    void reset();
    void load();
    void patientCodeChanged();
    void patientCodeLeft();
    void planCodeChanged();
    void save();
    void print();
    /// F2 and F3: a search dialog whose numeric choice goes into the code box.
    void codeSearch(void (*search)(), const char* codeBox);
    void openProcedures();
    void openSchedule();
    void openPrescriptions();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
