// The contract tests' rows, folder and clock.
#include "ContractsFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "Clock.h"
#include "Decimal.h"
#include "Desktop.h"
#include "Session.h"

namespace vtx::test {

void ContractsFixture::SetUp() {
    DbFixture::SetUp();
    Desktop::setProgramFolder(folder.path());
    QFile::link(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fonts")),
                QDir(folder.path()).filePath(QStringLiteral("fonts")));
    Clock::set(QDateTime(QDate(2026, 5, 4), QTime(10, 20, 30)));
}

void ContractsFixture::TearDown() {
    Desktop::setProgramFolder(QString());
    DbFixture::TearDown();
}

QString ContractsFixture::tempFile(const QString& name) const {
    return QDir(folder.path()).filePath(QStringLiteral("temp/") + name);
}

long long ContractsFixture::addPatient(const QString& name, const QVariant& birth) {
    db.execute(QStringLiteral("insert into pacientes (idlic, nmPac, dtnasc) values (?, ?, ?)"),
               {gIdLic, name, birth});
    return db.lastInsertId();
}

long long ContractsFixture::addProcedure(const QString& name) {
    db.execute(
        QStringLiteral("insert into procedimentos (idlic, nmproc, vertmex) values (?, ?, '1')"),
        {gIdLic, name});
    return db.lastInsertId();
}

long long ContractsFixture::addProfessional(const QString& name, const QString& specialty,
                                            const QString& council) {
    db.execute(QStringLiteral("insert into especialidades (idlic, nmesp) values (?, ?)"),
               {gIdLic, specialty});
    const long long idesp = db.lastInsertId();
    db.execute(QStringLiteral("insert into profissionais (idlic, nmpro, nrcon, idesp) "
                              "values (?, ?, ?, ?)"),
               {gIdLic, name, council, idesp});
    return db.lastInsertId();
}

void ContractsFixture::addContract(const QString& key, long long patient, const QVariant& plan) {
    db.execute(QStringLiteral("insert into contrato (idlic, idcontrato, cdpac, idconv, status, "
                              "fonepac, rua, nrcasa, bairro, cidade, uf, medresp, diagno, "
                              "nmresp, foneresp) values (?, ?, ?, ?, '1', '(11) 3333-4444', "
                              "' RUA DAS FLORES ', '12', 'CENTRO', 'SÃO PAULO', 'SP', "
                              "'DR. PAULO', 'AVC', 'MARIA', '(11) 9999-8888')"),
               {gIdLic, key, patient, plan});
}

void ContractsFixture::addSession(const QString& contract, const QString& idlan,
                                  long long procedure, const QDate& date, const QString& time,
                                  long long patient, const QString& professional,
                                  const QString& status) {
    db.execute(QStringLiteral("insert into contrato_agenda (idlic, idcontrato, idlan, idproc, "
                              "data, hora, idpac, idprof, status) values (?, ?, ?, ?, ?, ?, ?, "
                              "?, ?)"),
               {gIdLic, contract, idlan, procedure, date, time, patient, professional, status});
}

void ContractsFixture::addSupply(const QString& code, const QString& name, const QString& cost,
                                 const QString& lotFlag) {
    db.execute(QStringLiteral("insert into produtos (idlic, cdpro, dspro, un, vcusto, caplote) "
                              "values (?, ?, ?, 'UN', ?, ?)"),
               {gIdLic, code, name, QVariant::fromValue(*Decimal::parse(cost)), lotFlag});
}

void ContractsFixture::addPurchasedLot(const QString& supply, const QString& lot,
                                       const QDate& expiry) {
    db.execute(QStringLiteral("insert into insumos_cmp (idlic, idlan, cdpro, qtde, status, lote, "
                              "dtv) values (?, ?, ?, 10, '1', ?, ?)"),
               {gIdLic, supply + lot, supply, lot, expiry});
}

} // namespace vtx::test
