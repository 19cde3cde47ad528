// The day agenda page (a frame, a header, 45 rows of four texts with a rule under each, a
// footer) at 1, 100 and 1,000 pages, written by PDFPrinter and by libharu side by side. Each
// output is checked at the end: there, valid, its page count, and every text of the agenda on
// its first and last pages.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <hpdf.h>

#include "Cp1252.h"
#include "PDFPrinter.h"
#include "PdfCheck.h"
#include "PdfPages.h"
#include "Prompter.h"
#include "ScratchFolder.h"

namespace {

constexpr int kRows = 45;

struct Row {
    QString hour, patient, phone, procedure;
    QByteArray hourBytes, patientBytes, phoneBytes, procedureBytes;
};

const std::vector<Row>& rows() {
    static const std::vector<Row> r = [] {
        const QStringList names = {QStringLiteral("MARIA DA CONCEIÇÃO SOUZA"),
                                   QStringLiteral("JOÃO PEDRO ARAÚJO"),
                                   QStringLiteral("ANA LÚCIA FERREIRA (RETORNO)"),
                                   QStringLiteral("JOSÉ ANTÔNIO GONÇALVES")};
        const QStringList procs = {
            QStringLiteral("FISIOTERAPIA RESPIRATÓRIA"), QStringLiteral("AVALIAÇÃO INICIAL"),
            QStringLiteral("CURATIVO DOMICILIAR"), QStringLiteral("SESSÃO DE FONOAUDIOLOGIA")};
        std::vector<Row> out;
        for (int i = 0; i < kRows; ++i) {
            Row row;
            row.hour = QStringLiteral("%1:%2")
                           .arg(7 + i / 4, 2, 10, QLatin1Char('0'))
                           .arg(i % 4 * 15, 2, 10, QLatin1Char('0'));
            row.patient = names[i % 4];
            row.phone = QStringLiteral("(11) 9%1-4321").arg(1000 + i * 37);
            row.procedure = procs[i % 4];
            row.hourBytes = vtx::Cp1252::encode(row.hour);
            row.patientBytes = vtx::Cp1252::encode(row.patient);
            row.phoneBytes = vtx::Cp1252::encode(row.phone);
            row.procedureBytes = vtx::Cp1252::encode(row.procedure);
            out.push_back(row);
        }
        return out;
    }();
    return r;
}

const QString kTitle = QStringLiteral("Vertalumex 1.0 - AGENDA CLINICA");
const QString kDay = QStringLiteral("AGENDA DO DIA: 08/12/2026");
const QString kFooter = QStringLiteral("www.vertalumex.com.br - 08/12/2026 19:30:00");

QString output(const char* who, int pages) {
    return scratchFolder().filePath(
        QStringLiteral("agenda-%1-%2.pdf").arg(QLatin1String(who)).arg(pages));
}

void writeOurs(const QString& file, int pages) {
    vtx::PDFPrinter p;
    p.PDFFileName(file);
    p.PDFLoadAfm(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fonts")));
    p.PDFConfirm(false);
    p.PDFSetViewerPreferences(6);
    p.PDFFormatPage(0);
    p.PDFOrientation(1);
    p.PDFSetUnit(0);
    p.PDFSetZoomMode(1);
    p.PDFSetLayoutMode(3);
    p.PDFUseOutlines(true);
    p.PDFUseThumbs(true);
    p.PDFBeginDoc();
    p.PDFSetLineStyle(0);
    p.PDFSetLineWidth(0.5);
    p.PDFSetBookmark(QStringLiteral("Agenda Clinica"), 0, 40);
    p.PDFSetBookmark(QStringLiteral("Agenda Clinica"), 1, 60);
    for (int page = 0; page < pages; ++page) {
        if (page > 0) {
            p.PDFEndPage();
            p.PDFNewPage();
        }
        p.PDFSetLineWidth(0.5);
        p.PDFSetLineColor(0L);
        p.PDFDrawRectangle(15, 15, 565, 810);
        p.PDFSetFont(0, 12, 2);
        p.PDFSetTextColor(0L);
        p.PDFTextOut(kTitle, 20, 30);
        p.PDFSetFont(2, 10, 2);
        p.PDFTextOut(kDay, 20, 45);
        p.PDFDrawLine(15, 52, 575, 52);
        p.PDFSetLineWidth(0.2);
        double y = 70;
        for (const Row& r : rows()) {
            p.PDFSetFont(1, 8, 2);
            p.PDFTextOut(r.hour, 20, y);
            p.PDFSetFont(2, 9, 0);
            p.PDFTextOut(r.patient, 60, y);
            p.PDFSetFont(1, 8, 2);
            p.PDFTextOut(r.phone, 260, y);
            p.PDFSetFont(2, 9, 0);
            p.PDFTextOut(r.procedure, 360, y);
            p.PDFDrawLine(15, y + 2, 575, y + 2);
            y += 15;
        }
        p.PDFSetLineColor(0xFF0000L);
        p.PDFSetLineWidth(2);
        p.PDFDrawLine(15, y - 13, 575, y - 13);
        p.PDFSetLineColor(0L);
        p.PDFSetFont(1, 8, 1);
        p.PDFTextOut(kFooter, 20, 810);
    }
    p.PDFEndPage();
    p.PDFEndDoc();
}

void writeHaru(const QString& file, int pages) {
    HPDF_Doc pdf = HPDF_New(nullptr, nullptr);
    HPDF_SetCompressionMode(pdf, HPDF_COMP_NONE);
    const auto font = [&](const char* name) { return HPDF_GetFont(pdf, name, "WinAnsiEncoding"); };
    HPDF_Font bold = font("Helvetica-Bold"), times = font("Times-Roman"),
              timesBold = font("Times-Bold"), courier = font("Courier-Bold"),
              oblique = font("Courier-Oblique");
    const QByteArray title = vtx::Cp1252::encode(kTitle), day = vtx::Cp1252::encode(kDay),
                     footer = vtx::Cp1252::encode(kFooter);
    for (int n = 0; n < pages; ++n) {
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
        const double h = HPDF_Page_GetHeight(page);
        const auto text = [&](HPDF_Font f, double size, double x, double y, const char* s) {
            HPDF_Page_BeginText(page);
            HPDF_Page_SetFontAndSize(page, f, size);
            HPDF_Page_TextOut(page, x, h - y, s);
            HPDF_Page_EndText(page);
        };
        const auto line = [&](double x1, double y1, double x2, double y2) {
            HPDF_Page_MoveTo(page, x1, h - y1);
            HPDF_Page_LineTo(page, x2, h - y2);
            HPDF_Page_Stroke(page);
        };
        HPDF_Page_SetLineWidth(page, 0.5);
        HPDF_Page_Rectangle(page, 15, h - 825, 565, 810);
        HPDF_Page_Stroke(page);
        text(bold, 12, 21, 30, title.constData());
        text(timesBold, 10, 21, 45, day.constData());
        line(15, 52, 575, 52);
        HPDF_Page_SetLineWidth(page, 0.2);
        double y = 70;
        for (const Row& r : rows()) {
            text(courier, 8, 21, y, r.hourBytes.constData());
            text(times, 9, 61, y, r.patientBytes.constData());
            text(courier, 8, 261, y, r.phoneBytes.constData());
            text(times, 9, 361, y, r.procedureBytes.constData());
            line(15, y + 2, 575, y + 2);
            y += 15;
        }
        HPDF_Page_SetRGBStroke(page, 0, 0, 1);
        HPDF_Page_SetLineWidth(page, 2);
        line(15, y - 13, 575, y - 13);
        HPDF_Page_SetRGBStroke(page, 0, 0, 0);
        text(oblique, 8, 21, 810, footer.constData());
    }
    HPDF_SaveToFile(pdf, QFile::encodeName(file).constData());
    HPDF_Free(pdf);
}

/// The outputs the benchmarks wrote, checked once every benchmark has run: a benchmark left
/// out by a filter writes none, and one that ran must have written its file.
std::set<std::pair<std::string, int>>& written() {
    static std::set<std::pair<std::string, int>> outputs;
    return outputs;
}

/// Starts a benchmark's output afresh, so that no file of an earlier run passes for its own.
QString freshOutput(const char* who, int pages) {
    const QString file = output(who, pages);
    QFile::remove(file);
    written().insert({who, pages});
    return file;
}

void report(benchmark::State& state, const QString& file, int pages) {
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(pages),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes/page"] = static_cast<double>(QFileInfo(file).size()) / pages;
}

void BM_PDFPrinter(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    const QString file = freshOutput("ours", pages);
    for (auto _ : state)
        writeOurs(file, pages);
    report(state, file, pages);
}

void BM_Libharu(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    const QString file = freshOutput("haru", pages);
    for (auto _ : state)
        writeHaru(file, pages);
    report(state, file, pages);
}

/// Whether a page shows every text of the agenda page: the title, the day, each row's hour,
/// patient, phone and procedure, and the footer.
bool showsTheAgenda(const QString& file, int page) {
    const QStringList words = pdfPageWords(file, page);
    bool all =
        pageHoldsLine(words, kTitle) && pageHoldsLine(words, kDay) && pageHoldsLine(words, kFooter);
    for (const Row& r : rows())
        for (const QString* text : {&r.hour, &r.patient, &r.phone, &r.procedure})
            all = all && pageHoldsLine(words, *text);
    return all;
}

BENCHMARK(BM_PDFPrinter)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libharu)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// Reports what a message box would have said; the benchmark expects none.
class StderrPrompter : public vtx::Prompter {
public:
    vtx::MsgAnswer message(const vtx::MessageRequest& r) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return vtx::MsgAnswer::Ok;
    }
    std::optional<QString> input(const vtx::InputRequest&) override { return std::nullopt; }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!scratchFolder().isValid()) {
        std::fprintf(stderr, "no scratch folder: %s\n", qPrintable(scratchFolder().errorString()));
        return 1;
    }
    StderrPrompter prompter;
    vtx::setPrompter(&prompter);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // Every output written must be there and pass the checker, with its number of pages, and
    // show the whole agenda on its first and last pages.
    int failures = 0;
    for (const auto& [who, pages] : written()) {
        const QString file = output(who.c_str(), pages);
        const qint64 size = QFileInfo(file).size();
        const vtx::test::PdfCheck check =
            size > 0 ? vtx::test::checkPdf(file) : vtx::test::PdfCheck();
        const bool ok = size > 0 && check.qpdfExit == 0 && check.rasterErrors.isEmpty() &&
                        check.pages == pages && (who != "ours" || check.xrefProblem.isEmpty()) &&
                        showsTheAgenda(file, 1) && showsTheAgenda(file, pages);
        std::printf("check %-4s %4d pages: %s (%lld bytes, qpdf %d, pdfinfo pages %d)\n",
                    who.c_str(), pages, ok ? "ok" : "FAILED", static_cast<long long>(size),
                    check.qpdfExit, check.pages);
        failures += !ok;
    }
    return failures == 0 ? 0 : 1;
}
