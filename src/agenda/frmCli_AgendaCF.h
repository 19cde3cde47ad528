// The attendance dialog of the appointment book: the procedures done and the payments received
// for one booking, closed as one attendance.
#pragma once

#include <memory>

#include <QDialog>

class QListWidget;

namespace vtx {

/// What the booking frame hands to the attendance dialog. The booking's patient, professional,
/// day and hour are the stored ones, as the frame loaded them: the attendance closes that
/// booking, and is refused when another workstation changed them meanwhile.
struct AttendanceHandover {
    QString idpac, nmpac;
    QString idagenda;
    QString professionalItem; ///< the professional's item of the window's combo, as shown
    QString idprof;           ///< the booking's professional code
    QString dt;               ///< the booking's day, "dd/mm/yyyy"
    QString hr;               ///< the booking's hour, "hh:mm"
    QString idproc, nmproc;
    QString valor; ///< the booking's price as the frame shows it
    QString idconv, nmconv;
};

/// frmCli_AgendaCF "Agenda - Confirmação de Atendimento".
class frmCli_AgendaCF : public QDialog {
    Q_OBJECT
public:
    enum class Outcome {
        Left,   ///< closed without writing
        Closed, ///< the attendance was written; gConfirma is "S"
        Stale,  ///< nothing written: the booking was attended, deleted or changed meanwhile
    };

    explicit frmCli_AgendaCF(const AttendanceHandover& booking, QWidget* parent = nullptr);
    ~frmCli_AgendaCF() override;

    /// Shows the dialog modally for the booking.
    static Outcome run(const AttendanceHandover& booking);

private:
    void buildUi();
    void buildPaymentFrame();
    void installKeys();
    void fill(const AttendanceHandover& booking);

    void searchProcedure();
    void searchPlan();
    void txtIdProc_LostFocus();
    void txtIdConv_LostFocus();
    void Command2_Click();
    void cboMP_Click(int index);
    void Command16_Click();
    void Command17_Click();
    void removeLine(QListWidget* list, int row);
    void AtualizaTotais();
    void Command1_Click();
    /// Enables or disables the lists, the procedure "Salvar" and the two code boxes.
    void setEntryEnabled(bool enabled);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
