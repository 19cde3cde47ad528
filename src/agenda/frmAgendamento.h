// The booking frame of the appointment book: a booking made on a free hour, loaded from a
// booked one, changed, moved to another hour, marked notified or cancelled.
#pragma once

#include <functional>
#include <memory>

#include <QDate>
#include <QObject>

#include "Decimal.h"

class QFrame;
class QListWidget;

namespace vtx {

struct Booking;

/// The professional chosen in the appointment book: code, fee of one appointment, specialty,
/// and the item of the professional combo as it shows.
struct CurrentProfessional {
    qlonglong id = 0;
    Decimal fee;
    int specialty = 0;
    QString item;
};

/// What the frame uses of the appointment book window.
struct AgendaWindow {
    QListWidget* dayList = nullptr;
    std::function<CurrentProfessional()> professional;
    std::function<QDate()> selectedDay;
    /// Enables or disables the date search, the printout and the professional choice.
    std::function<void(bool enabled)> enableChoices;
    /// Builds the day view again.
    std::function<void()> rebuild;
};

/// The panel frmAgendamento on the window, hidden until a day line is double-clicked, and what
/// its fields and buttons do.
class frmAgendamento : public QObject {
    Q_OBJECT
public:
    frmAgendamento(AgendaWindow window, QWidget* parent);
    ~frmAgendamento() override;

    QFrame* panel() const;
    bool isShown() const;

    /// A double-click on a day line: a new booking on a free hour, the booking of a booked
    /// line, or the move of the loaded booking to a free hour.
    void List1_DblClick(const QString& line);
    /// A click on a line that begins with a time copies its hour into "Horário".
    void takeHour(const QString& line);
    /// F2 and F3 while the frame is shown: the patient and the plan searches.
    void searchPatient();
    void searchPlan();
    /// "Sair sem salvar": empties the fields, hides the frame, enables the window's choices.
    void Command8_Click();

private:
    void buildUi();
    void buildButtons();
    void place();
    void reloadProcedures();
    void loadBooking(const QString& key);
    void setBookingButtons(bool enabled);

    void Command7_Click();
    void Command5_Click();
    void Command9_Click();
    void Command4_Click();
    void txtIdConv_LostFocus();
    void txtIdPac_LostFocus();

    /// The checks of "Salvar" in their order; false after the message of the first that fails.
    bool checkFields();
    /// The booking the fields describe, for the professional code given.
    Booking fieldsBooking(qlonglong professional) const;
    enum class Written { Failed, Gone, Attended, Saved };
    /// Writes the booking in one transaction; a failure is rolled back and reported. Gone and
    /// Attended: the stored booking was cancelled or attended elsewhere meanwhile, and nothing
    /// was written.
    Written write(const Booking& booking);
    /// The fee less the plan's discount percent, in the currency format.
    QString discountedFee(const QVariant& discount) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
