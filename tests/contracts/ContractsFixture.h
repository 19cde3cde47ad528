// Fixture of the sheet and attendance tests: the contract tests' fixture with a program folder
// of its own (holding the font metrics), the clock at 04/05/2026 10:20:30, and the rows that
// sheets and sessions refer to.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ContractFixture.h"
#include "Decimal.h"
#include "Desktop.h"

namespace vtx::test {

class ContractsFixture : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        Desktop::setProgramFolder(folder.path());
        QFile::link(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fonts")),
                    QDir(folder.path()).filePath(QStringLiteral("fonts")));
        Clock::set(QDateTime(QDate(2026, 5, 4), QTime(10, 20, 30)));
    }
    void TearDown() override {
        Desktop::setProgramFolder(QString());
        ContractTest::TearDown();
    }

    QString tempFile(const QString& name) const {
        return QDir(folder.path()).filePath(QStringLiteral("temp/") + name);
    }

    long long addPatient(const QString& name, const QVariant& birth = {}) {
        return add(QStringLiteral("pacientes"), {QStringLiteral("nmPac"), QStringLiteral("dtnasc")},
                   {name, birth});
    }
    long long addProfessional(const QString& name, const QString& specialty,
                              const QString& council) {
        const long long idesp =
            add(QStringLiteral("especialidades"), {QStringLiteral("nmesp")}, {specialty});
        return add(QStringLiteral("profissionais"),
                   {QStringLiteral("nmpro"), QStringLiteral("nrcon"), QStringLiteral("idesp")},
                   {name, council, idesp});
    }
    void addContract(const QString& key, long long patient, const QVariant& plan = {}) {
        add(QStringLiteral("contrato"),
            QStringLiteral("idcontrato,cdpac,idconv,status,fonepac,rua,nrcasa,bairro,cidade,uf,"
                           "medresp,diagno,nmresp,foneresp")
                .split(QLatin1Char(',')),
            {key, patient, plan, QStringLiteral("1"), QStringLiteral("(11) 3333-4444"),
             QStringLiteral(" RUA DAS FLORES "), QStringLiteral("12"), QStringLiteral("CENTRO"),
             QStringLiteral("SÃO PAULO"), QStringLiteral("SP"), QStringLiteral("DR. PAULO"),
             QStringLiteral("AVC"), QStringLiteral("MARIA"), QStringLiteral("(11) 9999-8888")});
    }
    /// A session of the schedule, as the appointment book leaves it.
    void addSession(const QString& contract, const QString& idlan, long long procedure,
                    const QDate& date, const QString& time, long long patient,
                    const QString& professional, const QString& status = QStringLiteral("0")) {
        add(QStringLiteral("contrato_agenda"),
            QStringLiteral("idcontrato,idlan,idproc,data,hora,idpac,idprof,status")
                .split(QLatin1Char(',')),
            {contract, idlan, procedure, date, time, patient, professional, status});
    }
    void addSupply(const QString& code, const QString& name, const QString& cost,
                   const QString& lotFlag) {
        add(QStringLiteral("produtos"),
            QStringLiteral("cdpro,dspro,un,vcusto,caplote").split(QLatin1Char(',')),
            {code, name, QStringLiteral("UN"), QVariant::fromValue(*Decimal::parse(cost)),
             lotFlag});
    }
    void addPurchasedLot(const QString& supply, const QString& lot, const QDate& expiry) {
        add(QStringLiteral("insumos_cmp"),
            QStringLiteral("idlan,cdpro,qtde,status,lote,dtv").split(QLatin1Char(',')),
            {supply + lot, supply, 10, QStringLiteral("1"), lot, expiry});
    }

    QTemporaryDir folder;
};

} // namespace vtx::test
