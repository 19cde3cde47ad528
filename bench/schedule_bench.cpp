// "Gerar" of 5,000 sessions: the generator and the replacement of the procedure's sessions in one
// transaction through the database layer, beside the same delete and rows sent by the mariadb
// client as one multi-row INSERT. Run ./scripts/test (or start the server) first.
#include <cstdio>

#include <QDir>
#include <QTemporaryFile>

#include <benchmark/benchmark.h>

#include "BenchDatabase.h"
#include "Connection.h"
#include "Session.h"
#include "SessionSchedule.h"

namespace {

const QString kContract = QStringLiteral("2603160800001");

/// Three hours apart on every day, 625 cycles: exactly 5,000 sessions.
std::vector<QDateTime> fiveThousand() {
    vtx::SchedulePlan plan{QDate(2026, 3, 16), QTime(6, 0), 3, 625, {}};
    plan.weekdays.fill(true);
    return *vtx::generateSessions(plan);
}

vtx::Connection& shared() {
    static vtx::Connection c = [] {
        vtx::gIdLic = QStringLiteral("BENCH");
        vtx::Connection conn;
        conn.open(benchConnectionString());
        return conn;
    }();
    return c;
}

void GerarThroughTheLayer(benchmark::State& state) {
    vtx::Connection& c = shared();
    for (auto _ : state) {
        vtx::replaceSessions(c, kContract, QStringLiteral("12"), 7, fiveThousand());
    }
    state.counters["rows/s"] =
        benchmark::Counter(5000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(GerarThroughTheLayer)->Unit(benchmark::kMillisecond)->UseRealTime();

void SameRowsThroughTheClient(benchmark::State& state) {
    shared();
    // The same delete and rows as one multi-row INSERT, in one transaction.
    QString sql = QStringLiteral("START TRANSACTION;\nDELETE FROM contrato_agenda WHERE idlic = "
                                 "'BENCH' AND idcontrato = '%1' AND idproc = 12;\n"
                                 "INSERT INTO contrato_agenda (idlic,idcontrato,idlan,idproc,"
                                 "data,hora,idpac) VALUES ")
                      .arg(kContract);
    bool first = true;
    for (const QDateTime& m : fiveThousand()) {
        sql +=
            QStringLiteral("%1('BENCH','%2','12_%3',12,'%4','%5',7)")
                .arg(first ? QString() : QStringLiteral(","), kContract,
                     m.toString(QStringLiteral("yyMMddHHmm")),
                     m.toString(QStringLiteral("yyyy-MM-dd")), m.toString(QStringLiteral("HH:mm")));
        first = false;
    }
    sql += QStringLiteral(";\nCOMMIT;\n");
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("vtx_schedule_bench_XXXXXX.sql")));
    if (!file.open())
        return state.SkipWithError("cannot write the statement file");
    file.write(sql.toUtf8());
    file.flush();
    const QByteArray command =
        (benchClient() + QStringLiteral(" < %1").arg(file.fileName())).toUtf8();
    for (auto _ : state)
        if (std::system(command.constData()) != 0)
            return state.SkipWithError("the client failed");
    state.counters["rows/s"] =
        benchmark::Counter(5000.0 * state.iterations(), benchmark::Counter::kIsRate);
    shared().execute(QStringLiteral("DELETE FROM contrato_agenda WHERE idlic = 'BENCH'"));
}
BENCHMARK(SameRowsThroughTheClient)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
