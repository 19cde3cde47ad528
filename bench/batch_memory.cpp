// The resident memory of a process that writes 1,000,000 rows through Connection::executeBatch,
// 1,000 rows a batch: measured after a first batch (the connection, the driver and the kept
// statement in place) and after every 100,000 rows. Memory kept per batch shows as growth.
// Run ./scripts/test (or start the server) first.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <QDate>

#include "BenchDatabase.h"
#include "Connection.h"
#include "DbError.h"
#include "Decimal.h"
#include "Recordset.h"

namespace {

int kRows = 1000000;
constexpr int kBatch = 1000;

/// The process's resident memory in KiB (VmRSS).
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

std::vector<vtx::Params> batch(int first) {
    std::vector<vtx::Params> rows;
    rows.reserve(kBatch);
    for (int i = first; i < first + kBatch; ++i)
        rows.push_back({i, QStringLiteral("PACIENTE JOÃO %1").arg(i),
                        QVariant::fromValue(vtx::Decimal(i * 7LL, 2)),
                        QDate(2026, 1, 1).addDays(i % 365),
                        i % 5 ? QVariant(QStringLiteral("obs %1").arg(i)) : QVariant()});
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    // Fewer rows may be asked for (to run under a memory profiler).
    if (argc > 1)
        kRows = std::max(2 * kBatch, std::atoi(argv[1]) / kBatch * kBatch);
    try {
        vtx::Connection db;
        db.open(benchConnectionString());
        db.execute(QStringLiteral("drop table if exists bench_mem"));
        db.execute(QStringLiteral("create table bench_mem (id int primary key, nome varchar(60), "
                                  "valor decimal(12,2), dia date, obs varchar(40))"));
        const QString insert = QStringLiteral("insert into bench_mem values (?,?,?,?,?)");
        db.executeBatch(insert, batch(0));
        const long before = residentKiB();
        std::printf("rows written  resident KiB\n%12d  %12ld\n", kBatch, before);
        long after = before;
        for (int first = kBatch; first < kRows; first += kBatch) {
            db.executeBatch(insert, batch(first));
            if ((first + kBatch) % 100000 == 0) {
                after = residentKiB();
                std::printf("%12d  %12ld\n", first + kBatch, after);
            }
        }
        const long long stored =
            db.query(QStringLiteral("select count(*) from bench_mem")).value(0, 0).toLongLong();
        db.execute(QStringLiteral("drop table bench_mem"));
        std::printf("batched write: resident %ld KiB after the first batch, %ld KiB after %d "
                    "rows: %+.1f bytes a row\n",
                    before, after, kRows, (after - before) * 1024.0 / (kRows - kBatch));
        if (stored != kRows) {
            std::fprintf(stderr, "%lld rows stored of %d\n", stored, kRows);
            return 1;
        }
    } catch (const vtx::DbError& e) {
        std::fprintf(stderr, "database: %s\n", e.what());
        return 1;
    }
    return 0;
}
