// The appointment book window: one clinic professional's day as booked and free hours, the
// day's home-care sessions beside it, and the booking frame.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

class frmAgendamento;

/// frmCli_Agenda "Clinica - Agenda": a professional and a day are chosen, and the day is shown.
class frmCli_Agenda : public QDialog {
    Q_OBJECT
public:
    explicit frmCli_Agenda(QWidget* parent = nullptr);
    ~frmCli_Agenda() override;

    /// Rebuilds the labels, the day list and the sessions grid for the chosen professional and
    /// the calendar's day; with no professional chosen the day stays empty.
    void CarregaAgenda();
    frmAgendamento* bookingFrame() const;

    /// The selects of a day's rebuild besides the bookings' (Bookings::ofDaySql), with the
    /// values they take: the holiday (installation, day, month), the professional's hours
    /// (installation, professional, weekday "1" Sunday to "7") and the home-care sessions
    /// (installation, day).
    struct DayStatements {
        QString holiday, hours, sessions;
    };
    static DayStatements dayStatements();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void buildSessionsGrid();
    void installKeys();
    void loadProfessionals();
    void cboPro_Click();
    void Calendar1_Change();
    void lHoje_Click();
    void List1_Click(const QString& line);
    void Command1_Click();
    void Command6_Click();
    void DataGrid1_Click(int row);
    void showSessions(const QDate& day);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
