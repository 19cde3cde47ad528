// The session generator of one contract procedure: the start, the time, the interval, the
// cycles and the weekdays, "Gerar", and the move of one session.
#pragma once

#include "ListForm.h"

namespace vtx {

/// What the generator works on: the contract, its patient and one of its procedures.
struct ScheduledProcedure {
    QString contractId;
    QString patientCode;
    QString procedureCode;
    QString procedureName;
};

/// "Contrato - Agenda": lists the procedure's sessions, generates them anew and moves one.
class frmOS_CronoAgenda : public ListForm {
    Q_OBJECT
public:
    explicit frmOS_CronoAgenda(ScheduledProcedure procedure, QWidget* parent = nullptr);
    ~frmOS_CronoAgenda() override;

    /// Shows the generator modally.
    static void run(const ScheduledProcedure& procedure);

    /// Trims the time in place; true when it is a valid hour:minute.
    static bool HoraValida(QString& hora);

protected:
    void escape() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void Gerar();
    /// The checks before "Confirma?"; the sessions to write, or nothing after a refusal.
    std::optional<std::vector<QDateTime>> checkedSessions();
    /// Tells the user how many of the procedure's sessions a professional took or concluded,
    /// all replaced by "Gerar"; false when they could not be read.
    bool warnedOfSessionsInUse();
    void moveSession(int row);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
