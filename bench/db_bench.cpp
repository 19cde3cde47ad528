// The database layer beside the MariaDB C API on the private server, warm connections both:
// reading 10,000 rows of 10 columns (and ODBC alone, the ceiling of any layer on the driver),
// and writing 1,000 rows per-row, batched and as one multi-row INSERT. Every run's result is
// checked. Run ./scripts/test (or start the server) first; the ratios are printed at the end.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mysql.h>
#include <string>

#include <QDate>

#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include "BenchDatabase.h"
#include "Connection.h"
#include "DbError.h"
#include "Decimal.h"
#include "Recordset.h"

namespace {

constexpr int kReadRows = 10000;
constexpr int kWriteRows = 1000;
const char kNamePrefix[] = "PACIENTE JOÃO ";
const char kWrittenPrefix[] = "D'ÁVILA ";

/// The rows read: every seventh obs is NULL, every name carries accents.
std::vector<vtx::Params> readRows() {
    std::vector<vtx::Params> rows;
    for (int i = 0; i < kReadRows; ++i)
        rows.push_back({i, QString::fromUtf8(kNamePrefix) + QString::number(i),
                        QStringLiteral("RUA DAS AÇUCENAS %1").arg(i), QStringLiteral("SÃO PAULO"),
                        QStringLiteral("SP"), QStringLiteral("01001-000"),
                        QStringLiteral("(11) 99999-0000"),
                        QVariant::fromValue(vtx::Decimal(i * 100LL + 50, 2)),
                        QDate(2026, 1, 1).addDays(i % 365),
                        i % 7 == 0 ? QVariant() : QVariant(QStringLiteral("obs %1").arg(i))});
    return rows;
}

/// What a full reading of the read rows must add up to.
struct ReadTotals {
    long long rows = 0, ids = 0, cents = 0, nulls = 0, names = 0;
    bool operator==(const ReadTotals&) const = default;
};
const ReadTotals kExpectedRead{kReadRows, kReadRows*(kReadRows - 1LL) / 2,
                               kReadRows*(kReadRows - 1LL) / 2 * 100 + 50LL * kReadRows,
                               (kReadRows + 6) / 7, kReadRows};

/// The rows written, as plain values that each side turns into its own form inside the timing.
struct WriteRow {
    int id;
    std::string name, street, city, phone, obs;
    long long cents;
    int year, month, day;
    bool obsNull;
};

std::vector<WriteRow> writeRows() {
    std::vector<WriteRow> rows;
    for (int i = 0; i < kWriteRows; ++i) {
        const QDate day = QDate(2026, 12, 8).addDays(i % 90);
        rows.push_back({i, kWrittenPrefix + std::to_string(i), "RUA DAS AÇUCENAS, 12", "SÃO PAULO",
                        "(11) 9999-" + std::to_string(1000 + i), "obs " + std::to_string(i),
                        i * 37LL + 5, day.year(), day.month(), day.day(), i % 5 == 0});
    }
    return rows;
}

struct Server {
    vtx::Connection layer;
    CApi capiConnection;
    MYSQL* capi = capiConnection.get();
    std::vector<WriteRow> written = writeRows();

    Server() {
        layer.open(benchConnectionString());
        layer.execute(QStringLiteral("drop table if exists bench_rows"));
        layer.execute(QStringLiteral(
            "create table bench_rows (id int primary key, nome varchar(60), rua varchar(60), "
            "cidade varchar(40), uf char(2), cep varchar(9), fone varchar(20), "
            "valor decimal(12,2), dia date, obs varchar(100))"));
        layer.executeBatch(QStringLiteral("insert into bench_rows values (?,?,?,?,?,?,?,?,?,?)"),
                           readRows());
        layer.execute(QStringLiteral("drop table if exists bench_ins"));
        layer.execute(QStringLiteral(
            "create table bench_ins (id int primary key, nome varchar(60), rua varchar(60), "
            "cidade varchar(40), fone varchar(20), valor decimal(12,2), dia date, "
            "obs varchar(100))"));
    }
};

Server& server() {
    static Server s;
    return s;
}

/// Checks the written table: row count, sums, NULLs and the accented names as written.
bool writtenRight(benchmark::State& state) {
    vtx::Recordset rs = server().layer.query(
        QStringLiteral("select count(*), sum(id), sum(valor), sum(obs is null), "
                       "sum(nome like ?), sum(dia = ?) from bench_ins"),
        {QString::fromUtf8(kWrittenPrefix) + QLatin1Char('%'), QDate(2026, 12, 8)});
    const long long n = kWriteRows;
    const bool right =
        rs.value(0, 0).toLongLong() == n && rs.value(0, 1).toLongLong() == n * (n - 1) / 2 &&
        rs.value(0, 2).value<vtx::Decimal>() == vtx::Decimal(37 * n * (n - 1) / 2 + 5 * n, 2) &&
        rs.value(0, 3).toLongLong() == n / 5 && rs.value(0, 4).toLongLong() == n &&
        rs.value(0, 5).toLongLong() == (n + 89) / 90;
    if (!right)
        state.SkipWithError("the written rows are not what was written");
    return right;
}

// A delete, not a truncate: after a truncate the table's next write also pays for making its
// file anew.
void emptyWritten() {
    server().layer.execute(QStringLiteral("delete from bench_ins"));
}

/// Runs a write of the 1,000 rows in each iteration, on an empty table, checked after.
template <typename Write> void timeWrites(benchmark::State& state, Write write) {
    server();
    for (auto _ : state) {
        state.PauseTiming();
        emptyWritten();
        state.ResumeTiming();
        write();
        state.PauseTiming();
        const bool right = writtenRight(state);
        state.ResumeTiming();
        if (!right)
            break;
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kWriteRows) * state.iterations(), benchmark::Counter::kIsRate);
}

vtx::Params layerRow(const WriteRow& r) {
    return {r.id,
            QString::fromStdString(r.name),
            QString::fromStdString(r.street),
            QString::fromStdString(r.city),
            QString::fromStdString(r.phone),
            QVariant::fromValue(vtx::Decimal(r.cents, 2)),
            QDate(r.year, r.month, r.day),
            r.obsNull ? QVariant() : QVariant(QString::fromStdString(r.obs))};
}

const QString kInsert = QStringLiteral("insert into bench_ins values (?,?,?,?,?,?,?,?)");

void Read_Layer(benchmark::State& state) {
    vtx::Connection& c = server().layer;
    const QString prefix = QString::fromUtf8(kNamePrefix);
    for (auto _ : state) {
        vtx::Recordset rs = c.query(QStringLiteral("select * from bench_rows"));
        ReadTotals t;
        t.rows = rs.recordCount();
        for (int r = 0; r < t.rows; ++r) {
            t.ids += rs.value(r, 0).toLongLong();
            t.cents += rs.value(r, 7).value<vtx::Decimal>().units();
            t.nulls += rs.value(r, 9).isNull();
            t.names += rs.value(r, 1).toString().startsWith(prefix);
        }
        if (!(t == kExpectedRead)) {
            state.SkipWithError("the rows read are not the rows stored");
            break;
        }
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kReadRows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(Read_Layer)->Unit(benchmark::kMillisecond)->UseRealTime();

void Read_CApi(benchmark::State& state) {
    MYSQL* m = server().capi;
    const size_t prefixLength = std::strlen(kNamePrefix);
    for (auto _ : state) {
        const char sql[] = "select * from bench_rows";
        if (mysql_real_query(m, sql, sizeof sql - 1) != 0) {
            state.SkipWithError(mysql_error(m));
            break;
        }
        MYSQL_RES* result = mysql_use_result(m);
        ReadTotals t;
        while (MYSQL_ROW row = mysql_fetch_row(result)) {
            const unsigned long* lengths = mysql_fetch_lengths(result);
            ++t.rows;
            t.ids += std::strtoll(row[0], nullptr, 10);
            // "1234.50": the digits are the cents.
            long long cents = 0;
            for (const char* p = row[7]; *p; ++p)
                if (*p != '.')
                    cents = cents * 10 + (*p - '0');
            t.cents += cents;
            t.nulls += row[9] == nullptr;
            t.names +=
                lengths[1] >= prefixLength && std::memcmp(row[1], kNamePrefix, prefixLength) == 0;
        }
        mysql_free_result(result);
        if (!(t == kExpectedRead)) {
            state.SkipWithError("the rows read are not the rows stored");
            break;
        }
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kReadRows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(Read_CApi)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The ceiling of any layer on this driver: the same select through ODBC alone, bound row
/// arrays read straight from their buffers, with the same checks.
void Read_OdbcAlone(benchmark::State& state) {
    const QString cs = benchConnectionString();
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    const QByteArray connect = cs.toUtf8();
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connect.constData(), SQL_NTS,
                                        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)) ||
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)) ||
        !SQL_SUCCEEDED(SQLPrepare(stmt, (SQLCHAR*)"select * from bench_rows", SQL_NTS)))
        state.SkipWithError("ODBC could not prepare the select");
    constexpr SQLULEN kRows = 64;
    constexpr SQLLEN kWidth = 404;
    std::vector<SQLBIGINT> ids(kRows);
    std::vector<char> text(10 * kRows * kWidth);
    std::vector<SQLLEN> lengths(10 * kRows);
    SQLULEN fetched = 0;
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    SQLBindCol(stmt, 1, SQL_C_SBIGINT, ids.data(), 0, lengths.data());
    for (SQLUSMALLINT c = 2; c <= 10; ++c)
        SQLBindCol(stmt, c, SQL_C_CHAR, &text[(c - 1) * kRows * kWidth], kWidth,
                   &lengths[(c - 1) * kRows]);
    auto cell = [&](int column, SQLULEN row) { return &text[(column * kRows + row) * kWidth]; };
    const size_t prefixLength = std::strlen(kNamePrefix);
    for (auto _ : state) {
        ReadTotals t;
        if (!SQL_SUCCEEDED(SQLExecute(stmt)))
            break;
        while (SQL_SUCCEEDED(SQLFetch(stmt))) {
            for (SQLULEN r = 0; r < fetched; ++r) {
                ++t.rows;
                t.ids += ids[r];
                long long cents = 0;
                for (const char* p = cell(7, r); *p; ++p)
                    if (*p != '.')
                        cents = cents * 10 + (*p - '0');
                t.cents += cents;
                t.nulls += lengths[9 * kRows + r] == SQL_NULL_DATA;
                t.names += std::memcmp(cell(1, r), kNamePrefix, prefixLength) == 0;
            }
        }
        SQLFreeStmt(stmt, SQL_CLOSE);
        if (!(t == kExpectedRead)) {
            state.SkipWithError("the rows read are not the rows stored");
            break;
        }
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kReadRows) * state.iterations(), benchmark::Counter::kIsRate);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}
BENCHMARK(Read_OdbcAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

void Write_LayerPerRow(benchmark::State& state) {
    Server& s = server();
    timeWrites(state, [&] {
        vtx::Transaction tx(s.layer);
        for (const WriteRow& r : s.written)
            s.layer.execute(kInsert, layerRow(r));
        tx.commit();
    });
}
BENCHMARK(Write_LayerPerRow)->Unit(benchmark::kMillisecond)->UseRealTime();

void Write_LayerBatch(benchmark::State& state) {
    Server& s = server();
    timeWrites(state, [&] {
        std::vector<vtx::Params> rows;
        rows.reserve(s.written.size());
        for (const WriteRow& r : s.written)
            rows.push_back(layerRow(r));
        if (s.layer.executeBatch(kInsert, rows) != kWriteRows)
            state.SkipWithError("the batch did not count its rows");
    });
}
BENCHMARK(Write_LayerBatch)->Unit(benchmark::kMillisecond)->UseRealTime();

void Write_CApiMultiRowInsert(benchmark::State& state) {
    Server& s = server();
    timeWrites(state, [&] {
        std::string sql = "insert into bench_ins values ";
        std::string escaped;
        auto text = [&](const std::string& value) {
            escaped.resize(value.size() * 2 + 1);
            escaped.resize(
                mysql_real_escape_string(s.capi, escaped.data(), value.data(), value.size()));
            sql += '\'';
            sql += escaped;
            sql += '\'';
        };
        char number[64];
        for (const WriteRow& r : s.written) {
            sql += r.id == 0 ? "(" : ",(";
            sql += std::to_string(r.id);
            for (const std::string* value : {&r.name, &r.street, &r.city, &r.phone}) {
                sql += ',';
                text(*value);
            }
            std::snprintf(number, sizeof number, ",%lld.%02lld,'%04d-%02d-%02d',", r.cents / 100,
                          r.cents % 100, r.year, r.month, r.day);
            sql += number;
            if (r.obsNull)
                sql += "NULL";
            else
                text(r.obs);
            sql += ')';
        }
        if (mysql_real_query(s.capi, sql.data(), sql.size()) != 0 ||
            mysql_affected_rows(s.capi) != kWriteRows)
            state.SkipWithError(mysql_error(s.capi));
    });
}
BENCHMARK(Write_CApiMultiRowInsert)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The console report, keeping each benchmark's median time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred &&
                (run.run_type == Run::RT_Iteration || run.aggregate_name == "median"))
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    void printRatios() const {
        auto ratio = [&](const char* what, const char* faster, const char* slower) {
            const auto a = medians.find(faster), b = medians.find(slower);
            if (a != medians.end() && b != medians.end())
                std::printf("%-44s %.2f\n", what, b->second / a->second);
        };
        std::printf("\nSpeed ratios (median times):\n");
        ratio("read, layer / C API:", "Read_Layer", "Read_CApi");
        ratio("read, ODBC alone / C API:", "Read_OdbcAlone", "Read_CApi");
        ratio("batched write / C API multi-row INSERT:", "Write_LayerBatch",
              "Write_CApiMultiRowInsert");
        ratio("batched write / per-row execute:", "Write_LayerBatch", "Write_LayerPerRow");
    }

private:
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv) {
    // Five interleaved repetitions by default: the server and the machine are shared.
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    for (std::string* flag : {&repetitions, &interleave, &aggregates}) {
        const std::string name = flag->substr(0, flag->find('='));
        if (std::none_of(args.begin(), args.end(),
                         [&](const char* a) { return std::string(a).starts_with(name); }))
            args.push_back(flag->data());
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    try {
        server();
    } catch (const vtx::DbError& e) {
        std::fprintf(stderr, "database: %s\n", e.what());
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
