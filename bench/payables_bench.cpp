// The accounts report over 100,000 open instalments of one period: "Gerar" on the form (the
// select, the lines, the total and the list), beside the same select alone through the
// database layer and through the MariaDB C API, and "Imprimir" of that list to PDF. Every
// run's output is checked, the printout by its page count and a line of its first and last
// pages. Run ./scripts/test (or start the server) first; the rows are made once under the
// installation "BENCHPAY".
#include <cstring>
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
#include "Formats.h"
#include "Modal.h"
#include "PdfPages.h"
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

/// The sum of the instalments' amounts, in cents.
constexpr long long kCents = kRows * 10000LL + kRows * (kRows - 1LL) / 2;

/// The printout's pages: 44 lines a page (the header leaves its counter at 10, a page breaks
/// at 54) for the instalments, the rule and the total.
constexpr int kPrintedPages = (kRows + 2 + 43) / 44;

/// The form's select of open instalments, with no supplier chosen.
const QString kOpenSelect = QStringLiteral(
    "select c.nrdoc,c.parcela,c.dtv,c.vrab,f.nmfor,c.obs from cpagar c left join fornecedores f "
    "on c.cdfor = f.cdfor where c.idlic = ? and c.pago = 'N' and c.vrab > 0 and  c.dtv >= ? "
    "and c.dtv <= ?  order by c.dtv");

void Gerar(benchmark::State& state) {
    prepare();
    frmRel_Contas& form = reportForm();
    auto* gerar = form.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* list = form.findChild<QListWidget*>(QStringLiteral("List1"));
    const QString total = QStringLiteral("Total: ") + Formats::currency(Decimal(kCents, 2));
    for (auto _ : state) {
        gerar->click();
        if (list->count() != kRows + 2 || list->item(kRows + 1)->text() != total) {
            state.SkipWithError("the list does not hold every instalment and their total");
            break;
        }
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Gerar)->Unit(benchmark::kMillisecond)->UseRealTime();

void Select_Layer(benchmark::State& state) {
    prepare();
    Connection& db = conexaoAberta();
    const Params values{gIdLic, QDate(2026, 3, 1), QDate(2026, 3, 31)};
    for (auto _ : state) {
        const Recordset rows = db.query(kOpenSelect, values);
        long long cents = 0;
        for (int r = 0; r < rows.recordCount(); ++r)
            cents += rows.value(r, 3).value<Decimal>().rescaled(2).units();
        if (rows.recordCount() != kRows || cents != kCents) {
            state.SkipWithError("the select did not read every instalment");
            break;
        }
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Select_Layer)->Unit(benchmark::kMillisecond)->UseRealTime();

void Select_CApi(benchmark::State& state) {
    prepare();
    static CApi capi;
    const std::string select =
        withValues(kOpenSelect, {QStringLiteral("'BENCHPAY'"), QStringLiteral("'2026-03-01'"),
                                 QStringLiteral("'2026-03-31'")});
    for (auto _ : state) {
        long long cents = 0;
        const long long rows = capi.select(select, [&](MYSQL_ROW row) {
            cents += Decimal::fromPlainText(row[3], std::strlen(row[3]))
                         .value_or(Decimal())
                         .rescaled(2)
                         .units();
        });
        if (rows != kRows || cents != kCents) {
            state.SkipWithError("the select did not read every instalment");
            break;
        }
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Select_CApi)->Unit(benchmark::kMillisecond)->UseRealTime();

void ImprimirToPdf(benchmark::State& state) {
    prepare();
    frmRel_Contas& form = reportForm();
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    auto* imprimir = form.findChild<QPushButton*>(QStringLiteral("Command2"));
    auto* list = form.findChild<QListWidget*>(QStringLiteral("List1"));
    for (auto _ : state) {
        state.PauseTiming();
        if (!gArquivoPDF.isEmpty())
            QFile::remove(gArquivoPDF);
        state.ResumeTiming();
        imprimir->click();
    }
    // Every page, the list's first line on the first and its total on the last.
    if (!QFile::exists(gArquivoPDF) || QFile::exists(gArquivoTXT) ||
        pdfPages(gArquivoPDF) != kPrintedPages ||
        !pageHoldsLine(pdfPageWords(gArquivoPDF, 1), list->item(0)->text()) ||
        !pageHoldsLine(pdfPageWords(gArquivoPDF, kPrintedPages),
                       list->item(list->count() - 1)->text()))
        state.SkipWithError("the PDF does not hold the list whole");
    state.counters["rows/s"] =
        benchmark::Counter(double(kRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(ImprimirToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

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
