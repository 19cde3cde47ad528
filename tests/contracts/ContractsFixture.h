// Fixture of the contract tests: the real server under a fresh installation, a program folder
// of its own with the font metrics, a fixed clock, and the rows the contract tables refer to.
#pragma once

#include <QDate>
#include <QTemporaryDir>
#include <QVariant>

#include "DbFixture.h"

namespace vtx::test {

/// The clock stands at 04/05/2026 10:20:30; the program folder is a fresh one.
class ContractsFixture : public DbFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    /// The file under the program folder's "temp".
    QString tempFile(const QString& name) const;

    long long addPatient(const QString& name, const QVariant& birth = {});
    long long addProcedure(const QString& name);
    long long addProfessional(const QString& name, const QString& specialty,
                              const QString& council);
    void addContract(const QString& key, long long patient, const QVariant& plan = {});
    /// A session of the schedule, as the appointment book leaves it.
    void addSession(const QString& contract, const QString& idlan, long long procedure,
                    const QDate& date, const QString& time, long long patient,
                    const QString& professional, const QString& status = QStringLiteral("0"));
    void addSupply(const QString& code, const QString& name, const QString& cost,
                   const QString& lotFlag);
    void addPurchasedLot(const QString& supply, const QString& lot, const QDate& expiry);

    QTemporaryDir folder;
};

} // namespace vtx::test
