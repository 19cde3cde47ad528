// Pages per second of the text report converter against libharu (uncompressed Courier, same
// page and lines, each reading the report file inside the timing and showing each line without
// its blanks at both ends), and lines per second of the paged report writer. Each PDF is
// checked: its page count, and at the end the words of the first and last pages of both
// through pdftotext; the report is checked against the records written.
#include <cstdio>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <benchmark/benchmark.h>
#include <hpdf.h>

#include "Cp1252.h"
#include "Desktop.h"
#include "PagedTextReport.h"
#include "PdfPages.h"
#include "ScratchFolder.h"
#include "Session.h"
#include "TextToPdf.h"

namespace {

using namespace vtx;

constexpr int kPages = 1000;
constexpr int kRecordsPerPage = 42;

const std::vector<ReportField> kFields{
    {8},  {8},  {3, ReportField::Right}, {10, ReportField::Right}, {3, ReportField::Right},
    {13}, {34}, {8, ReportField::Right}, {12, ReportField::Right}, {12, ReportField::Right},
    {30}};

/// The record line of record i.
QString recordLine(int i) {
    return joinFields({"04/03/26", "05/03/26", "1", QString::number(100000 + i), "55",
                       QString::number(7891000000LL + i),
                       QStringLiteral("Solução fisiológica 0,9% frasco nº %1").arg(i % 97), "10",
                       "12,50", "0,35", QStringLiteral("Distribuidora Médica São João Ltda")},
                      kFields);
}

const QString kTotals = QStringLiteral("Insumos: R$ 3.750,00 Fretes: R$ 105,00 Total: R$ 3.855,00");

/// Writes a report of the given number of records; returns its path.
QString writeReport(int records) {
    PagedTextReport report({QStringLiteral("bench"), QStringLiteral("bench_"), 12, 54, 53},
                           {QStringLiteral("Histórico de Compra de Insumos"),
                            {QStringLiteral("Período: 01/01/2026 31/12/2026"),
                             QStringLiteral("Produto: "), QStringLiteral("Fornecedor: ")},
                            joinFields({"Emissão", "Chegada", "Serie", "N.Fiscal", "MOD", "Código",
                                        "Descrição", "Qtde", "Vr Unit.", "Vr Frete", "Fornecedor"},
                                       kFields)});
    report.open();
    for (int i = 0; i < records; ++i)
        report.addRecord({recordLine(i)});
    report.finish({kTotals});
    return gArquivoTXT;
}

const QString& reportPath() {
    static const QString path = writeReport(kPages * kRecordsPerPage);
    return path;
}

/// Whether a report's bytes hold what it must: every record in order, kRecordsPerPage a page,
/// the totals, and the footer as its last line.
bool reportIsWhole(const QByteArray& bytes) {
    if (bytes.count('\f') + 1 != kPages || !bytes.endsWith("\r\n"))
        return false;
    const QStringList lines = Cp1252::decode(bytes.chopped(2)).split(QStringLiteral("\r\n"));
    const QString first = recordLine(0);
    const QString last = recordLine(kPages * kRecordsPerPage - 1);
    // Every record line starts with the record's dates.
    const QStringList records = lines.filter(QRegularExpression(QStringLiteral("^04/03/26\\|")));
    return records.size() == kPages * kRecordsPerPage && records.front() == first &&
           records.back() == last && lines.contains(kTotals) &&
           lines.back() == QStringLiteral("www.morvisca.com.br");
}

/// Where each converter writes its PDF ("ours", "haru").
QString pdfPath(const char* who) {
    return scratchFolder().filePath(QLatin1String(who) + QStringLiteral(".pdf"));
}

/// Checks a PDF's page count; the words of both PDFs are compared once both are written.
void checkPages(benchmark::State& state, const QString& written, int pages) {
    if (pages != kPages || pdfPages(written) != kPages)
        state.SkipWithError("the PDF does not hold every page of the report");
}

void BM_TextToPdf(benchmark::State& state) {
    const QString input = reportPath();
    const QString output = pdfPath("ours");
    int pages = 0;
    for (auto _ : state)
        pages = TextToPdf::convert(input, output, {}).pages;
    checkPages(state, output, pages);
    state.counters["pages"] = pages;
    state.counters["pages/s"] =
        benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void onHaruError(HPDF_STATUS error, HPDF_STATUS detail, void*) {
    std::fprintf(stderr, "libharu error %04X %u\n", unsigned(error), unsigned(detail));
}

/// The same report laid out by libharu: Courier 10 on 1008 x 792, leading 12, a new page at
/// each form feed, the page number at the foot; no compression.
int haruConvert(const QString& input, const char* output) {
    QFile file(input);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = file.readAll();
    file.close();
    HPDF_Doc pdf = HPDF_New(onHaruError, nullptr);
    HPDF_SetCompressionMode(pdf, HPDF_COMP_NONE);
    HPDF_Font font = HPDF_GetFont(pdf, "Courier", "WinAnsiEncoding");
    HPDF_Page page = nullptr;
    int pages = 0;
    auto endPage = [&] {
        HPDF_Page_EndText(page);
        HPDF_Page_BeginText(page);
        HPDF_Page_TextOut(page, 504, 25, std::to_string(pages).c_str());
        HPDF_Page_EndText(page);
    };
    auto newPage = [&] {
        if (page)
            endPage();
        page = HPDF_AddPage(pdf);
        ++pages;
        HPDF_Page_SetWidth(page, 1008);
        HPDF_Page_SetHeight(page, 792);
        HPDF_Page_SetFontAndSize(page, font, 10);
        HPDF_Page_SetTextLeading(page, 12);
        HPDF_Page_BeginText(page);
        HPDF_Page_MoveTextPos(page, 50, 752);
    };
    newPage();
    std::string line;
    for (const QByteArray& raw : text.split('\n')) {
        line.assign(raw.constData(), size_t(raw.size()));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find('\f') != std::string::npos) {
            newPage();
            continue;
        }
        const size_t first = line.find_first_not_of(' ');
        const size_t last = line.find_last_not_of(' ');
        line = first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
        HPDF_Page_ShowTextNextLine(page, line.c_str());
    }
    endPage();
    HPDF_SaveToFile(pdf, output);
    HPDF_Free(pdf);
    return pages;
}

void BM_Libharu(benchmark::State& state) {
    const QString input = reportPath();
    const QByteArray output = QFile::encodeName(pdfPath("haru"));
    int pages = 0;
    for (auto _ : state)
        pages = haruConvert(input, output.constData());
    checkPages(state, QFile::decodeName(output), pages);
    state.counters["pages"] = pages;
    state.counters["pages/s"] =
        benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_PagedTextReport(benchmark::State& state) {
    const int records = kPages * kRecordsPerPage;
    QString path;
    for (auto _ : state)
        path = writeReport(records);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray text = file.readAll();
    const qint64 lines = text.count('\n');
    if (!reportIsWhole(text))
        state.SkipWithError("the report does not hold every record and page");
    state.counters["lines/s"] =
        benchmark::Counter(double(lines) * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_TextToPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libharu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PagedTextReport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!scratchFolder().isValid()) {
        std::fprintf(stderr, "no scratch folder: %s\n", qPrintable(scratchFolder().errorString()));
        return 1;
    }
    // The report files go to the scratch folder's "temp".
    Desktop::setProgramFolder(scratchFolder().path());
    gIdLic = QStringLiteral("BENCH");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Both PDFs must show the report's words; compared once both are written, whichever
    // benchmark ran first.
    const QString ours = pdfPath("ours"), haru = pdfPath("haru");
    if (QFile::exists(ours) && QFile::exists(haru) && !sameFirstAndLastWords(ours, haru, kPages)) {
        std::fprintf(stderr, "the two PDFs do not show the same words\n");
        return 1;
    }
    return 0;
}
