// The purchase history's whole path (select into the grid, totals, text report, PDF) for 20,000
// closed purchase lines, beside its select alone through the database layer. Run
// ./scripts/test (or start the server) first; the rows stay under the installation "BENCH14".
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include "BenchDatabase.h"
#include "Connection.h"
#include "Decimal.h"
#include "Desktop.h"
#include "Modal.h"
#include "Prompter.h"
#include "PurchaseHistory.h"
#include "Recordset.h"
#include "ScratchFolder.h"
#include "Session.h"
#include "frmRel_CmpInsumos.h"

namespace {

using namespace vtx;

constexpr int kLines = 20000;

/// Answers every box with its default and counts them: the report path must show none.
class SilentPrompter : public Prompter {
public:
    MsgAnswer message(const MessageRequest& r) override {
        qWarning("unexpected box: %s", qPrintable(r.text));
        return MsgAnswer::Ok;
    }
    std::optional<QString> input(const InputRequest&) override { return std::nullopt; }
};

/// 20,000 closed lines over March 2026, a third of them with a lot, 50 supplies, 5 suppliers.
void seed(Connection& c) {
    const Params key{gIdLic};
    if (c.query(QStringLiteral("select count(*) from insumos_cmp where idlic = ?"), key)
            .value(0, 0)
            .toInt() == kLines)
        return;
    for (const char* table : {"insumos_cmp", "produtos", "fornecedores"})
        c.execute(QStringLiteral("delete from %1 where idlic = ?").arg(QLatin1String(table)), key);
    Transaction tx(c);
    std::vector<Params> supplies, suppliers, lines;
    for (int i = 0; i < 50; ++i)
        supplies.push_back({gIdLic, QStringLiteral("%1").arg(100 + i, 4, 10, QLatin1Char('0')),
                            QStringLiteral("INSUMO CIRÚRGICO ESTÉRIL Nº %1").arg(i)});
    c.executeBatch(QStringLiteral("insert into produtos (idlic, cdpro, dspro, un, caplote) values "
                                  "(?, ?, ?, 'UN', '0')"),
                   supplies);
    for (int i = 0; i < 5; ++i)
        suppliers.push_back(
            {gIdLic, 900000 + i, QStringLiteral("DISTRIBUIDORA D'ÁVILA %1").arg(i)});
    c.executeBatch(
        QStringLiteral("insert into fornecedores (idlic, cdfor, nmfor) values (?, ?, ?)"),
        suppliers);
    for (int i = 0; i < kLines; ++i) {
        const QDate issued = QDate(2026, 3, 1).addDays(i % 31);
        lines.push_back({gIdLic, QStringLiteral("2603%1").arg(i, 8, 10, QLatin1Char('0')),
                         900000 + i % 5, QString::number(1 + i % 3), QString::number(1000 + i / 4),
                         QStringLiteral("55"), issued, issued.addDays(2),
                         QStringLiteral("%1").arg(100 + i % 50, 4, 10, QLatin1Char('0')),
                         QVariant::fromValue(Decimal(135 + i % 1000, 2)),
                         QVariant::fromValue(Decimal(i % 7, 2)),
                         QVariant::fromValue(Decimal(10 + i % 90, 0)),
                         i % 3 ? QString() : QStringLiteral("L%1").arg(i),
                         i % 3 ? QVariant() : QVariant(QDate(2027, 6, 30))});
    }
    c.executeBatch(QStringLiteral("insert into insumos_cmp (idlic, idlan, cdfor, serie, nfiscal, "
                                  "modelo, dte, dtc, cdpro, vfinal, vfrete, qtde, status, lote, "
                                  "dtv) values (?,?,?,?,?,?,?,?,?,?,?,?,'S',?,?)"),
                   lines);
    tx.commit();
}

Connection& shared() {
    static Connection c = [] {
        Connection conn;
        conn.open(gStrConexao);
        seed(conn);
        return conn;
    }();
    return c;
}

const PurchaseHistory::Filter kMarch{{2026, 3, 1}, {2026, 3, 31}, std::nullopt, QString()};

void SelectAlone(benchmark::State& state) {
    Connection& c = shared();
    for (auto _ : state) {
        Recordset rows = c.query(PurchaseHistory::listSql(kMarch), PurchaseHistory::params(kMarch));
        if (rows.recordCount() != kLines)
            state.SkipWithError("the select did not return every line");
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kLines) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(SelectAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

void WholeReport(benchmark::State& state) {
    shared();
    Desktop::setProgramFolder(scratchFolder().path());
    // The print assistant converts at its first showing; let it run.
    setModalDriver([](QDialog*) {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    });
    for (auto _ : state) {
        frmRel_CmpInsumos form;
        form.show();
        form.findChild<QLineEdit*>(QStringLiteral("txtDTi"))->setText(QStringLiteral("01/03/2026"));
        form.findChild<QLineEdit*>(QStringLiteral("txtDTf"))->setText(QStringLiteral("31/03/2026"));
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QApplication::processEvents();
        form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        if (!QFile::exists(gArquivoPDF))
            state.SkipWithError("no PDF was written");
        QFile::remove(gArquivoPDF);
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kLines) * state.iterations(), benchmark::Counter::kIsRate);
    Desktop::setProgramFolder(QString());
}
BENCHMARK(WholeReport)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentPrompter prompter;
    setPrompter(&prompter);
    Desktop::setHooks(
        {[](const QString&) { return true; }, [](const QString&) { return true; }, [] {}});
    gStrConexao = benchConnectionString();
    gIdLic = QStringLiteral("BENCH14");
    gUsuario = QStringLiteral("BENCH");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
