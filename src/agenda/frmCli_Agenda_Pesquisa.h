// The appointment search: a patient's bookings from today on, by part of the name.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

/// frmCli_Agenda_Pesquisa "Agenda Clinica - Pesquisa Agendamento": the chosen booking's day
/// comes back in gCodBusca ("dd/mm/yyyy") and its hour in gNomeBusca; Esc empties both.
class frmCli_Agenda_Pesquisa : public QDialog {
    Q_OBJECT
public:
    explicit frmCli_Agenda_Pesquisa(QWidget* parent = nullptr);
    ~frmCli_Agenda_Pesquisa() override;

    /// Shows the dialog modally.
    static void run();

private:
    void txtnmpac_Change();
    void Command1_Click();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
