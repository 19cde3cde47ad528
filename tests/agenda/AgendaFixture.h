// The fixture of the appointment book tests: the real server, rows seeded by SQL, the window
// driven by its control names on Monday 4 May 2026 at 10:00.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "Clock.h"
#include "DbFixture.h"
#include "Decimal.h"
#include "Desktop.h"
#include "FormDriving.h"
#include "Recordset.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "frmCli_Agenda.h"

namespace vtx::test {

class AgendaTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(kToday, QTime(10, 0, 0)));
        // A program folder of the test's own, with the font metrics the printouts read.
        Desktop::setProgramFolder(folder.path());
        QFile::link(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fonts")),
                    QDir(folder.path()).filePath(QStringLiteral("fonts")));
        Desktop::setHooks({[](const QString&) { return true; },
                           [this](const QString& path) {
                               opened << path;
                               return true;
                           },
                           [] {}});
        setModalDriver([this](QDialog* dialog) {
            const auto it = dialogs.find(dialog->objectName());
            if (it == dialogs.end())
                return;
            activate(dialog);
            const auto steps = it->second; // the steps may give the name new ones
            steps(dialog);
        });
    }
    void TearDown() override {
        Desktop::setProgramFolder(QString());
        DbFixture::TearDown();
    }

    QTemporaryDir folder;
    std::map<QString, std::function<void(QDialog*)>> dialogs;
    QStringList opened;                           // the files opened with the desktop's open action
    static inline const QDate kToday{2026, 5, 4}; // a Monday: weekday digit 2

    QString addProfessional(const QString& name, const QVariant& fee, const QString& place,
                            const QVariant& specialty = 7) {
        return insert(QStringLiteral("profissionais"),
                      {QStringLiteral("nmpro"), QStringLiteral("valor"), QStringLiteral("vertmex"),
                       QStringLiteral("idesp")},
                      {name, fee, place, specialty});
    }
    void addHours(const QString& professional, const QString& hours,
                  const QString& place = QStringLiteral("0"),
                  const QString& weekday = QStringLiteral("2 - SEGUNDA-FEIRA")) {
        insert(QStringLiteral("diahr"),
               {QStringLiteral("idpro"), QStringLiteral("dia"), QStringLiteral("hr"),
                QStringLiteral("vertmex")},
               {professional.toInt(), weekday, hours, place});
    }
    /// A booking of today, keyed as given so that the database's order is known.
    void addBooking(const QString& key, const QString& professional, const QString& hour,
                    const QString& patient, const QString& status = QStringLiteral("0"),
                    const QVariant& plan = QVariant(), const QVariant& patientCode = 1) {
        insert(QStringLiteral("agenda_clinica"),
               {QStringLiteral("idagenda"), QStringLiteral("idpro"), QStringLiteral("dia"),
                QStringLiteral("hr"), QStringLiteral("nmpac"), QStringLiteral("status"),
                QStringLiteral("idconv"), QStringLiteral("idpac"), QStringLiteral("fone"),
                QStringLiteral("mobesp"), QStringLiteral("valor"), QStringLiteral("evcad")},
               {key, professional.toInt(), kToday, hour, patient, status, plan, patientCode,
                QStringLiteral("9999-0000"), QStringLiteral("1 - Sim"),
                QVariant::fromValue(Decimal(123450, 2)), QStringLiteral("ANA 01/05/2026")});
    }

    std::unique_ptr<frmCli_Agenda> open() { return test::open<frmCli_Agenda>(); }

    /// The lines of a list of the form.
    QStringList lines(QWidget* f, const char* name = "List1") {
        QStringList out;
        auto* list = control<QListWidget>(f, name);
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QListWidgetItem* line(QWidget* f, const QString& start) {
        auto* list = control<QListWidget>(f, "List1");
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text().startsWith(start))
                return list->item(i);
        ADD_FAILURE() << "no line " << start.toStdString();
        return nullptr;
    }
    void doubleClick(QWidget* f, const QString& start) {
        auto* list = control<QListWidget>(f, "List1");
        if (QListWidgetItem* item = line(f, start))
            emit list->itemDoubleClicked(item);
        QApplication::processEvents();
    }
    void click(QWidget* f, const QString& start) {
        auto* list = control<QListWidget>(f, "List1");
        if (QListWidgetItem* item = line(f, start))
            emit list->itemClicked(item);
    }
    /// A key typed where the window's focus is, as the user types it.
    void key(QWidget* f, Qt::Key k) {
        QApplication::setActiveWindow(f);
        QTest::keyClick(f->focusWidget() ? f->focusWidget() : f, k);
        QApplication::processEvents();
    }
    QString labelText(QWidget* f, const char* name) { return control<QLabel>(f, name)->text(); }
    QLineEdit* box(QWidget* f, const char* name) { return control<QLineEdit>(f, name); }
    QComboBox* combo(QWidget* f, const char* name) { return control<QComboBox>(f, name); }
    void press(QWidget* f, const char* button) { control<QPushButton>(f, button)->click(); }
    bool framed(QWidget* f) { return control<QWidget>(f, "frmAgendamento")->isVisible(); }

    /// A home-care session of today; the contract, patient and procedure codes as given.
    void addSession(const QString& contract, const QString& idlan, const QString& hour,
                    const QVariant& patient, const QVariant& procedure,
                    const QString& professional = QStringLiteral("0"),
                    const QString& status = QStringLiteral("0")) {
        insert(QStringLiteral("contrato_agenda"),
               QStringLiteral("idcontrato,idlan,idproc,data,hora,idpac,idprof,status")
                   .split(QLatin1Char(',')),
               {contract, idlan, procedure, kToday, hour, patient, professional, status});
    }
    /// Runs the steps on each dialog of that name shown modally (also while the steps of
    /// another one run); dialogs without steps close at once.
    void onDialog(const char* name, std::function<void(QDialog*)> steps) {
        dialogs[QLatin1String(name)] = std::move(steps);
    }

    /// Ends the shared connection at the server: its next statement fails, as on a lost link.
    void dropSharedConnection() { endSession(conexaoAberta()); }

    Recordset bookings() {
        return db.query(
            QStringLiteral("select * from agenda_clinica where idlic = ? order by idagenda"),
            {gIdLic});
    }
};

} // namespace vtx::test
