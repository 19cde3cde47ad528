// Fixture of the contract tests: the real server under a fresh installation, a program folder
// of its own with the font metrics, the clock at 04/05/2026 10:20:30, and the rows that the
// contract tables refer to.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Clock.h"
#include "DbFixture.h"
#include "Decimal.h"
#include "Desktop.h"
#include "Session.h"

namespace vtx::test {

class ContractsFixture : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Desktop::setProgramFolder(folder.path());
        QFile::link(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fonts")),
                    QDir(folder.path()).filePath(QStringLiteral("fonts")));
        Clock::set(QDateTime(QDate(2026, 5, 4), QTime(10, 20, 30)));
    }
    void TearDown() override {
        Desktop::setProgramFolder(QString());
        DbFixture::TearDown();
    }

    QString tempFile(const QString& name) const {
        return QDir(folder.path()).filePath(QStringLiteral("temp/") + name);
    }
    long long insert(const char* sql, const Params& values) {
        db.execute(QString::fromUtf8(sql), values);
        return db.lastInsertId();
    }

    long long addPatient(const QString& name, const QVariant& birth = {}) {
        return insert("insert into pacientes (idlic, nmPac, dtnasc) values (?, ?, ?)",
                      {gIdLic, name, birth});
    }
    long long addProcedure(const QString& name) {
        return insert("insert into procedimentos (idlic, nmproc, vertmex) values (?, ?, '1')",
                      {gIdLic, name});
    }
    long long addProfessional(const QString& name, const QString& specialty,
                              const QString& council) {
        const long long idesp =
            insert("insert into especialidades (idlic, nmesp) values (?, ?)", {gIdLic, specialty});
        return insert("insert into profissionais (idlic, nmpro, nrcon, idesp) values (?, ?, ?, ?)",
                      {gIdLic, name, council, idesp});
    }
    void addContract(const QString& key, long long patient, const QVariant& plan = {}) {
        insert("insert into contrato (idlic, idcontrato, cdpac, idconv, status, fonepac, rua, "
               "nrcasa, bairro, cidade, uf, medresp, diagno, nmresp, foneresp) values (?, ?, ?, "
               "?, '1', '(11) 3333-4444', ' RUA DAS FLORES ', '12', 'CENTRO', 'SÃO PAULO', 'SP', "
               "'DR. PAULO', 'AVC', 'MARIA', '(11) 9999-8888')",
               {gIdLic, key, patient, plan});
    }
    /// A session of the schedule, as the appointment book leaves it.
    void addSession(const QString& contract, const QString& idlan, long long procedure,
                    const QDate& date, const QString& time, long long patient,
                    const QString& professional, const QString& status = QStringLiteral("0")) {
        insert("insert into contrato_agenda (idlic, idcontrato, idlan, idproc, data, hora, idpac, "
               "idprof, status) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
               {gIdLic, contract, idlan, procedure, date, time, patient, professional, status});
    }
    void addSupply(const QString& code, const QString& name, const QString& cost,
                   const QString& lotFlag) {
        insert("insert into produtos (idlic, cdpro, dspro, un, vcusto, caplote) values (?, ?, ?, "
               "'UN', ?, ?)",
               {gIdLic, code, name, QVariant::fromValue(*Decimal::parse(cost)), lotFlag});
    }
    void addPurchasedLot(const QString& supply, const QString& lot, const QDate& expiry) {
        insert("insert into insumos_cmp (idlic, idlan, cdpro, qtde, status, lote, dtv) values (?, "
               "?, ?, 10, '1', ?, ?)",
               {gIdLic, supply + lot, supply, lot, expiry});
    }

    QTemporaryDir folder;
};

} // namespace vtx::test
