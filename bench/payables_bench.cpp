// The accounts report over 100,000 open instalments of one period: "Gerar" on the form (the
// select, the lines, the total and the list), the same select alone through the command-line
// client beside it, and "Imprimir" of that list to PDF. Run ./scripts/test (or start the
// server) first; the rows are made once under the installation "BENCHPAY".
#include <cstdlib>
#include <map>

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include "BenchDatabase.h"
#include "Connection.h"
#include "Decimal.h"
#include "Desktop.h"
#include "Modal.h"
#include "Prompter.h"
#include "Recordset.h"
#include "ScratchFolder.h"
#include "Session.h"
#include "frmRel_Contas.h"

namespace {

using namespace vtx;

constexpr int kRows = 100000;

/// Answers every box with its first button, and records nothing.
class SilentPrompter : public Prompter {
public:
    MsgAnswer message(const MessageRequest&) override { return MsgAnswer::Ok; }
    std::optional<QString> input(const InputRequest&) override { return std::nullopt; }
};

/// The session of the benchmark and its 100,000 instalments of March 2026 (200 suppliers).
void prepare() {
    static bool done = false;
    if (done)
        return;
    done = true;
    gStrConexao = benchConnectionString();
    gIdLic = QStringLiteral("BENCHPAY");
    gUsuario = QStringLiteral("BENCH");
    static SilentPrompter prompter;
    setPrompter(&prompter);
    Desktop::setProgramFolder(scratchFolder().path());
    Desktop::setHooks(
        {[](const QString&) { return true; }, [](const QString&) { return true; }, [] {}});
    // The print assistant converts once it is shown; the driver lets it run.
    setModalDriver([](QDialog*) {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    });

    Connection& db = conexaoAberta();
    if (db.query(QStringLiteral("select count(*) from cpagar where idlic = ?"), {gIdLic})
            .value(0, 0)
            .toInt() == kRows)
        return;
    db.execute(QStringLiteral("delete from cpagar where idlic = ?"), {gIdLic});
    db.execute(QStringLiteral("delete from fornecedores where idlic = ?"), {gIdLic});
    std::vector<long long> suppliers;
    for (int i = 0; i < 200; ++i) {
        db.execute(QStringLiteral("insert into fornecedores (idlic, nmfor) values (?, ?)"),
                   {gIdLic, QStringLiteral("FORNECEDOR SÃO JOÃO %1 LTDA").arg(i)});
        suppliers.push_back(db.lastInsertId());
    }
    std::vector<Params> rows;
    for (int i = 0; i < kRows; ++i) {
        const long long cdfor = suppliers[size_t(i % 200)];
        const QString label = QStringLiteral("%1/010").arg(i % 10 + 1, 3, 10, QLatin1Char('0'));
        const QString nrdoc = QStringLiteral("NF%1").arg(i / 10);
        const QVariant value = QVariant::fromValue(Decimal(10000 + i, 2));
        rows.push_back(
            {gIdLic, nrdoc + QLatin1Char('/') + label + QLatin1Char('/') + QString::number(cdfor),
             nrdoc, cdfor, QDate(2026, 3, 1 + i % 31), value, value, label,
             QStringLiteral("CONTA DE ENERGIA Nº %1").arg(i)});
    }
    Transaction tx(db);
    db.executeBatch(QStringLiteral("insert into cpagar (idlic,idlan,nrdoc,cdfor,dtv,vrorig,vrab,"
                                   "parcela,obs) values (?,?,?,?,?,?,?,?,?)"),
                    rows);
    tx.commit();
}

/// The report form with the period of March 2026 chosen.
frmRel_Contas& reportForm() {
    static frmRel_Contas* form = [] {
        auto* f = new frmRel_Contas;
        f->show();
        f->findChild<QLineEdit*>(QStringLiteral("txtDTi"))->setText(QStringLiteral("01/03/2026"));
        f->findChild<QLineEdit*>(QStringLiteral("txtDTf"))->setText(QStringLiteral("31/03/2026"));
        return f;
    }();
    return *form;
}

void Gerar(benchmark::State& state) {
    prepare();
    frmRel_Contas& form = reportForm();
    auto* gerar = form.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* list = form.findChild<QListWidget*>(QStringLiteral("List1"));
    for (auto _ : state) {
        gerar->click();
        benchmark::DoNotOptimize(list->count());
    }
    if (list->count() != kRows + 2)
        state.SkipWithError("the list does not hold every instalment");
    state.counters["rows/s"] =
        benchmark::Counter(double(kRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Gerar)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void SelectWithClient(benchmark::State& state) {
    prepare();
    const QByteArray command = benchClientCommand(QStringLiteral(
        "select c.nrdoc,c.parcela,c.dtv,c.vrab,f.nmfor,c.obs from cpagar c left join fornecedores "
        "f on c.cdfor = f.cdfor where c.idlic = 'BENCHPAY' and c.pago = 'N' and c.vrab > 0 and  "
        "c.dtv >= '2026/03/01' and c.dtv <= '2026/03/31' order by c.dtv"));
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.constData()));
    state.counters["rows/s"] =
        benchmark::Counter(double(kRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(SelectWithClient)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void ImprimirToPdf(benchmark::State& state) {
    prepare();
    frmRel_Contas& form = reportForm();
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    auto* imprimir = form.findChild<QPushButton*>(QStringLiteral("Command2"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(gArquivoPDF);
        state.ResumeTiming();
        imprimir->click();
    }
    if (!QFile::exists(gArquivoPDF) || QFile::exists(gArquivoTXT))
        state.SkipWithError("no PDF made");
    state.counters["rows/s"] =
        benchmark::Counter(double(kRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(ImprimirToPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
