// The database layer on the private server: reading 10,000 rows of 10 columns and inserting
// 1,000 rows with bound values in one transaction; the same select through the command-line
// client beside it. Run ./scripts/test (or start the server) first.
#include <cstdio>
#include <map>

#include <QDate>
#include <QFile>

#include <benchmark/benchmark.h>

#include "BenchDatabase.h"
#include "Connection.h"
#include "Decimal.h"
#include "Recordset.h"

namespace {

vtx::Connection& shared() {
    static vtx::Connection c = [] {
        vtx::Connection conn;
        conn.open(benchConnectionString());
        conn.execute(QStringLiteral(
            "create table if not exists bench_rows (id int primary key, nome varchar(60), "
            "rua varchar(60), cidade varchar(40), uf char(2), cep varchar(9), fone varchar(20), "
            "valor decimal(12,2), dia date, obs varchar(100))"));
        if (conn.query(QStringLiteral("select count(*) from bench_rows")).value(0, 0).toInt() !=
            10000) {
            conn.execute(QStringLiteral("delete from bench_rows"));
            vtx::Transaction tx(conn);
            for (int i = 0; i < 10000; ++i)
                conn.execute(QStringLiteral("insert into bench_rows values (?,?,?,?,?,?,?,?,?,?)"),
                             {i, QStringLiteral("PACIENTE JOÃO %1").arg(i),
                              QStringLiteral("RUA DAS AÇUCENAS %1").arg(i),
                              QStringLiteral("SÃO PAULO"), QStringLiteral("SP"),
                              QStringLiteral("01001-000"), QStringLiteral("(11) 99999-0000"),
                              QVariant::fromValue(vtx::Decimal(i * 100 + 50, 2)),
                              QDate(2026, 1, 1).addDays(i % 365), QStringLiteral("obs")});
            tx.commit();
        }
        return conn;
    }();
    return c;
}

void ReadTenThousandRows(benchmark::State& state) {
    vtx::Connection& c = shared();
    for (auto _ : state) {
        vtx::Recordset rs = c.query(QStringLiteral("select * from bench_rows"));
        benchmark::DoNotOptimize(rs.recordCount());
    }
    state.counters["rows/s"] =
        benchmark::Counter(10000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(ReadTenThousandRows)->Unit(benchmark::kMillisecond)->UseRealTime();

void ReadTenThousandRowsWithClient(benchmark::State& state) {
    shared();
    const QByteArray command = benchClientCommand(QStringLiteral("select * from bench_rows"));
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.constData()));
    state.counters["rows/s"] =
        benchmark::Counter(10000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(ReadTenThousandRowsWithClient)->Unit(benchmark::kMillisecond)->UseRealTime();

void InsertThousandRowsInOneTransaction(benchmark::State& state) {
    vtx::Connection& c = shared();
    c.execute(QStringLiteral("create temporary table if not exists bench_ins like bench_rows"));
    for (auto _ : state) {
        c.execute(QStringLiteral("delete from bench_ins"));
        vtx::Transaction tx(c);
        for (int i = 0; i < 1000; ++i)
            c.execute(QStringLiteral("insert into bench_ins values (?,?,?,?,?,?,?,?,?,?)"),
                      {i, QStringLiteral("D'ÁVILA %1").arg(i), QStringLiteral("RUA"),
                       QStringLiteral("CIDADE"), QStringLiteral("SP"), QStringLiteral("01001-000"),
                       QStringLiteral("1234"), QVariant::fromValue(vtx::Decimal(i, 2)),
                       QDate(2026, 12, 8), QVariant()});
        tx.commit();
    }
    state.counters["rows/s"] =
        benchmark::Counter(1000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(InsertThousandRowsInOneTransaction)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
