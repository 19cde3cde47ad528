// The home-care visit dialog: one scheduled session's sheet, and its service order opened for
// the professional who makes the visit.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

/// One home-care session as the appointment book's grid holds it; a NULL value is empty, the
/// dates "dd/mm/yyyy".
struct HomeSession {
    QString idlan, idcontrato, idprof, status, data, hora, idproc, nmproc, nmpac, dtnasc;
};

/// frmCli_AgendaProcHome "Agenda - Atendimento".
class frmCli_AgendaProcHome : public QDialog {
    Q_OBJECT
public:
    explicit frmCli_AgendaProcHome(const HomeSession& session, QWidget* parent = nullptr);
    ~frmCli_AgendaProcHome() override;

    /// A click on the session's row: a concluded session is refused, a started one asks first;
    /// then the dialog is shown modally. False when it was not shown.
    static bool open(const HomeSession& session);

    /// A text as sheet lines: pieces of 70 characters, each in lower case and trimmed.
    static QStringList wrapped(const QString& text);

private:
    void buildUi();
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    /// Chooses a professional, prints the sheet for them, opens it and writes the choice.
    void assignProfessional();
    void printSheet(const QString& professional);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
