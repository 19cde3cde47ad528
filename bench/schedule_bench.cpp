// "Gerar" of 5,000 sessions: the generator and the replacement of the procedure's sessions in one
// transaction through the database layer, beside the same generator, delete and rows sent
// through the MariaDB C API as one multi-row INSERT on a warm connection. Every run's rows are
// checked. Run ./scripts/test (or start the server) first.
#include <string>

#include <benchmark/benchmark.h>

#include "BenchDatabase.h"
#include "Connection.h"
#include "Recordset.h"
#include "Session.h"
#include "SessionSchedule.h"

namespace {

constexpr int kSessions = 5000;
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

/// The contract's sessions as written: every one, each moment once, first and last day.
bool written(benchmark::State& state) {
    const vtx::Recordset rs = shared().query(
        QStringLiteral("select count(*), count(distinct idlan), count(distinct data, hora), "
                       "min(data), max(data), sum(idpac) from contrato_agenda where idlic = ? "
                       "and idcontrato = ? and idproc = 12"),
        {vtx::gIdLic, kContract});
    const bool right = rs.value(0, 0).toInt() == kSessions && rs.value(0, 1).toInt() == kSessions &&
                       rs.value(0, 2).toInt() == kSessions &&
                       rs.value(0, 3).toDate() == QDate(2026, 3, 16) &&
                       rs.value(0, 4).toDate() == fiveThousand().back().date() &&
                       rs.value(0, 5).toLongLong() == 7LL * kSessions;
    if (!right)
        state.SkipWithError("the sessions written are not the sessions generated");
    return right;
}

void Gerar_Layer(benchmark::State& state) {
    vtx::Connection& c = shared();
    for (auto _ : state) {
        vtx::replaceSessions(c, kContract, QStringLiteral("12"), 7, fiveThousand());
        state.PauseTiming();
        const bool right = written(state);
        state.ResumeTiming();
        if (!right)
            break;
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kSessions) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(Gerar_Layer)->Unit(benchmark::kMillisecond)->UseRealTime();

void Gerar_CApi(benchmark::State& state) {
    shared();
    static CApi capi;
    const std::string remove = withValues(
        QStringLiteral("DELETE FROM contrato_agenda WHERE idlic = ? AND idcontrato = ? AND "
                       "idproc = ?"),
        {QStringLiteral("'BENCH'"), QLatin1Char('\'') + kContract + QLatin1Char('\''),
         QStringLiteral("12")});
    const std::string head = "INSERT INTO contrato_agenda (idlic,idcontrato,idlan,idproc,data,"
                             "hora,idpac) VALUES ";
    const std::string contract = kContract.toStdString();
    for (auto _ : state) {
        std::string insert = head;
        bool first = true;
        for (const QDateTime& m : fiveThousand()) {
            insert += first ? "('BENCH','" : ",('BENCH','";
            insert += contract;
            insert += "','12_";
            insert += m.toString(QStringLiteral("yyMMddHHmm")).toStdString();
            insert += "',12,'";
            insert += m.date().toString(Qt::ISODate).toStdString();
            insert += "','";
            insert += m.toString(QStringLiteral("HH:mm")).toStdString();
            insert += "',7)";
            first = false;
        }
        capi.run("START TRANSACTION");
        capi.run(remove);
        const long long rows = capi.run(insert);
        capi.run("COMMIT");
        state.PauseTiming();
        const bool right = rows == kSessions && written(state);
        state.ResumeTiming();
        if (!right)
            break;
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kSessions) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(Gerar_CApi)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
