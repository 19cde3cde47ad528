// The purchase history's whole path ("Gerar" then "Imprimir": the list into the grid, the totals,
// the text report and its PDF) for 20,000 closed purchase lines, beside the same two statements
// (list and totals) through the database layer and through the MariaDB C API. Every run's
// output is checked, and the last PDF by its pages, first and last records and totals. Run
// ./scripts/test (or start the server) first; the rows stay under the installation "BENCH14".
#include <cstring>
#include <tuple>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <benchmark/benchmark.h>

#include "BenchDatabase.h"
#include "Connection.h"
#include "Decimal.h"
#include "Desktop.h"
#include "Formats.h"
#include "Modal.h"
#include "PdfPages.h"
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

/// The sums of the seeded lines, in cents: goods (vfinal x qtde) and freight (vfrete x qtde).
struct Totals {
    long long goods = 0, freight = 0;
    bool operator==(const Totals&) const = default;
};
Totals expectedTotals() {
    Totals t;
    for (int i = 0; i < kLines; ++i) {
        t.goods += (135 + i % 1000) * (10 + i % 90);
        t.freight += (i % 7) * (10 + i % 90);
    }
    return t;
}

/// The totals caption the form must show.
QString expectedCaption() {
    const Totals t = expectedTotals();
    const Decimal goods(t.goods, 2), freight(t.freight, 2);
    return QStringLiteral("Insumos: ") + Formats::currency(goods) + QStringLiteral(" Fretes: ") +
           Formats::currency(freight) + QStringLiteral(" Total: ") +
           Formats::currency(goods + freight);
}

/// The pages of the report: 42 record lines a page, a record and its lot line kept together.
int expectedPages() {
    int pages = 1, counter = 12;
    for (int i = 0; i < kLines; ++i) {
        if (counter >= 54) {
            ++pages;
            counter = 12;
        }
        counter += i % 3 ? 1 : 2;
    }
    return pages;
}

/// The record line of seeded line i as the report prints it, blanks aside (the fields parted
/// by bars; pdftotext may place blanks anywhere in it).
QString recordLine(int i) {
    const QDate issued = QDate(2026, 3, 1).addDays(i % 31);
    return QStringList{
        issued.toString(QStringLiteral("dd/MM/yy")),
        issued.addDays(2).toString(QStringLiteral("dd/MM/yy")),
        QString::number(1 + i % 3),
        QString::number(1000 + i / 4),
        QStringLiteral("55"),
        QStringLiteral("%1").arg(100 + i % 50, 4, 10, QLatin1Char('0')),
        QStringLiteral("INSUMO CIRÚRGICO ESTÉRIL Nº %1").arg(i % 50),
        Formats::twoToFourDecimalsOf(QVariant::fromValue(Decimal(10 + i % 90, 0))),
        Formats::twoToFourDecimalsOf(QVariant::fromValue(Decimal(135 + i % 1000, 2))),
        Formats::twoToFourDecimalsOf(QVariant::fromValue(Decimal(i % 7, 2))),
        QStringLiteral("DISTRIBUIDORA D'ÁVILA %1").arg(i % 5)}
        .join(QLatin1Char('|'));
}

/// The seeded line the report prints last: the latest issue date, then series and invoice.
int lastPrinted() {
    int last = 0;
    const auto key = [](int i) { return std::tuple(i % 31, 1 + i % 3, 1000 + i / 4); };
    for (int i = 1; i < kLines; ++i)
        if (key(i) > key(last))
            last = i;
    return last;
}

/// Whether the PDF holds the whole report: every page, the first record on the first page,
/// the last record and the totals on the last.
bool holdsTheReport(const QString& pdf) {
    const int pages = expectedPages();
    if (pdfPages(pdf) != pages)
        return false;
    const QStringList last = pdfPageWords(pdf, pages);
    return pageHoldsLine(pdfPageWords(pdf, 1), recordLine(0)) &&
           pageHoldsLine(last, recordLine(lastPrinted())) && pageHoldsLine(last, expectedCaption());
}

/// Cents of a decimal text ("1234.5678" at 4 decimals, "12.5"), exact.
long long centsOf(const char* text) {
    return text ? Decimal::fromPlainText(text, std::strlen(text))
                      .value_or(Decimal())
                      .rescaled(2)
                      .units()
                : 0;
}

void WholePath(benchmark::State& state) {
    shared();
    Desktop::setProgramFolder(scratchFolder().path());
    // The print assistant converts at its first showing; let it run.
    setModalDriver([](QDialog*) {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    });
    frmRel_CmpInsumos form;
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("txtDTi"))->setText(QStringLiteral("01/03/2026"));
    form.findChild<QLineEdit*>(QStringLiteral("txtDTf"))->setText(QStringLiteral("31/03/2026"));
    auto* gerar = form.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* imprimir = form.findChild<QPushButton*>(QStringLiteral("Command2"));
    auto* grid = form.findChild<QTableView*>(QStringLiteral("DataGrid1"));
    auto* totals = form.findChild<QLabel*>(QStringLiteral("l_TL"));
    const QString caption = expectedCaption();
    // A first run outside the timing: the first printout also loads what later ones reuse.
    gerar->click();
    QApplication::processEvents();
    imprimir->click();
    QString pdf = gArquivoPDF;
    for (auto _ : state) {
        gerar->click();
        QApplication::processEvents();
        imprimir->click();
        state.PauseTiming();
        const bool right = grid->model()->rowCount() == kLines && totals->text() == caption &&
                           QFileInfo(gArquivoPDF).size() > 0 && !QFile::exists(gArquivoTXT);
        if (!right) {
            state.SkipWithError("the grid, the totals or the PDF are not what was stored");
            break;
        }
        // Names are stamped to the second: two runs within one write the same file.
        if (pdf != gArquivoPDF)
            QFile::remove(pdf);
        pdf = gArquivoPDF;
        state.ResumeTiming();
    }
    if (!holdsTheReport(pdf))
        state.SkipWithError("the PDF does not hold the whole report");
    QFile::remove(pdf);
    state.counters["rows/s"] =
        benchmark::Counter(double(kLines) * state.iterations(), benchmark::Counter::kIsRate);
    Desktop::setProgramFolder(QString());
}
BENCHMARK(WholePath)->Unit(benchmark::kMillisecond)->UseRealTime();

void Statements_Layer(benchmark::State& state) {
    Connection& c = shared();
    const Totals expected = expectedTotals();
    for (auto _ : state) {
        Recordset rows = c.query(PurchaseHistory::listSql(kMarch), PurchaseHistory::params(kMarch));
        Recordset sums =
            c.query(PurchaseHistory::totalsSql(kMarch), PurchaseHistory::params(kMarch));
        const Totals read{sums.value(0, 0).value<Decimal>().rescaled(2).units(),
                          sums.value(0, 1).value<Decimal>().rescaled(2).units()};
        if (rows.recordCount() != kLines || !(read == expected)) {
            state.SkipWithError("the statements did not read every line");
            break;
        }
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kLines) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(Statements_Layer)->Unit(benchmark::kMillisecond)->UseRealTime();

void Statements_CApi(benchmark::State& state) {
    shared();
    static CApi capi;
    const QStringList values{QStringLiteral("'BENCH14'"),    QStringLiteral("'2026-03-01'"),
                             QStringLiteral("'2026-03-31'"), QStringLiteral("'%'"),
                             QStringLiteral("'%'"),          QStringLiteral("'S'")};
    const std::string list = withValues(PurchaseHistory::listSql(kMarch), values);
    const std::string sums = withValues(PurchaseHistory::totalsSql(kMarch), values);
    const Totals expected = expectedTotals();
    for (auto _ : state) {
        long long names = 0;
        const long long rows =
            capi.select(list, [&](MYSQL_ROW row) { names += row[12] != nullptr; });
        Totals read;
        capi.select(sums, [&](MYSQL_ROW row) { read = {centsOf(row[0]), centsOf(row[1])}; });
        if (rows != kLines || names != kLines || !(read == expected)) {
            state.SkipWithError("the statements did not read every line");
            break;
        }
    }
    state.counters["rows/s"] =
        benchmark::Counter(double(kLines) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(Statements_CApi)->Unit(benchmark::kMillisecond)->UseRealTime();

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
