// Coordinates, fonts and texts of the check sheet (A4 landscape) and the evolution sheet (A4
// portrait), in points from the page's top-left corner.
#include "SheetDrawing.h"

#include <QFileInfo>

#include "Clock.h"
#include "Desktop.h"
#include "Formats.h"
#include "PDFPrinter.h"
#include "Session.h"

namespace vtx::SheetDrawing {

namespace {

// The second contact text of the evolution sheet's footer.
const QString kSecondContact = QStringLiteral("suporte@morvisca.com.br");

constexpr long kHelvetica = 0, kCourier = 1;
constexpr long kItalic = 1, kBold = 2;
constexpr long kGrey = 0xC0C0C0;

// Check sheet: rows start at y 75 and no rule may pass the frame's bottom.
constexpr double kFirstRowY = 75, kFrameBottom = 565, kRuleAbove = 8, kLineStep = 10;
constexpr double kBlankRowStep = 35;
constexpr int kBlankRows = 14, kPieceLength = 50;
const double kColumnLines[] = {268, 325, 390, 455, 520, 585, 650, 715};
// One cell of nine characters a weekday, Sunday first.
const QStringList kWeekdays = {QStringLiteral(" DOMINGO "), QStringLiteral(" SEGUNDA "),
                               QStringLiteral("  TERÇA  "), QStringLiteral(" QUARTA  "),
                               QStringLiteral(" QUINTA  "), QStringLiteral("  SEXTA  "),
                               QStringLiteral("  SÁBADO ")};
// The most text lines one row can hold on an empty page.
constexpr int kMaxLinesPerPage = int((kFrameBottom + kRuleAbove - kFirstRowY) / kLineStep);

QString blanks(int count, const QString& text) {
    return QString(count, QLatin1Char(' ')) + text;
}

/// Frame, title, second line and column titles of a check sheet page.
void drawCheckPageTop(PDFPrinter& pdf, const QString& secondLine) {
    pdf.PDFDrawRectangle(15, 15, 810, 550);
    pdf.PDFSetTextColor(0);
    pdf.PDFSetFont(kCourier, 10, kBold);
    pdf.PDFTextOut(QStringLiteral("CHECAGEM DE PRESCRIÇÃO"), 20, 30);
    pdf.PDFSetFont(kHelvetica, 8, kBold);
    pdf.PDFTextOut(secondLine, 20, 40);
    pdf.PDFDrawLine(15, 48, 825, 48);
    pdf.PDFSetFont(kCourier, 12, kBold);
    pdf.PDFTextOut(QStringLiteral("ITENS/INSTRUÇÕES"), 20, 60);
    pdf.PDFTextOut(QStringLiteral("FREQ"), 270, 60);
    pdf.PDFTextOut(kWeekdays.join(QString()), 320, 60);
    pdf.PDFDrawLine(15, 65, 825, 65);
}

/// Column lines down to the page's last rule, and the footer.
void drawCheckPageBottom(PDFPrinter& pdf, double lastRuleY) {
    for (double x : kColumnLines)
        pdf.PDFDrawLine(x, 48, x, lastRuleY);
    pdf.PDFSetFont(kHelvetica, 8, kBold);
    pdf.PDFTextOut(kContact + QStringLiteral(" - ") + Formats::dateTimeText(Clock::now()) +
                       QStringLiteral(" - ") + gUsuario,
                   20, 580);
}

/// Rows too tall for a page of their own go on over as many rows as they need.
std::vector<CheckRow> fittingRows(const std::vector<CheckRow>& rows) {
    std::vector<CheckRow> out;
    for (const CheckRow& row : rows) {
        CheckRow part{row.frequency, row.lines.mid(0, kMaxLinesPerPage)};
        for (qsizetype next = kMaxLinesPerPage; next < row.lines.size(); next += kMaxLinesPerPage) {
            out.push_back(part);
            part = {QString(), row.lines.mid(next, kMaxLinesPerPage)};
        }
        out.push_back(part);
    }
    return out;
}

void drawBlankRows(PDFPrinter& pdf) {
    double y = kFirstRowY;
    for (int i = 0; i < kBlankRows; ++i) {
        pdf.PDFDrawLine(15, y - kRuleAbove, 825, y - kRuleAbove);
        y += kBlankRowStep;
    }
    drawCheckPageBottom(pdf, y - kRuleAbove);
}

/// Filled rows, a new page for a row whose rule would pass the frame.
void drawFilledRows(PDFPrinter& pdf, const CheckSheet& sheet) {
    double y = kFirstRowY;
    bool pageHasRows = false;
    for (const CheckRow& row : fittingRows(sheet.rows)) {
        const double bottom = y + kLineStep * double(row.lines.size()) - kRuleAbove;
        if (pageHasRows && bottom > kFrameBottom) {
            drawCheckPageBottom(pdf, y - kRuleAbove);
            pdf.PDFEndPage();
            pdf.PDFNewPage();
            drawCheckPageTop(pdf, sheet.secondLine);
            y = kFirstRowY;
        }
        pageHasRows = true;
        pdf.PDFSetFont(kHelvetica, 8, kBold);
        pdf.PDFTextOut(row.frequency, 270, y);
        for (const QString& line : row.lines) {
            pdf.PDFTextOut(line, 20, y);
            y += kLineStep;
        }
        pdf.PDFDrawLine(15, y - kRuleAbove, 825, y - kRuleAbove);
    }
    drawCheckPageBottom(pdf, y - kRuleAbove);
}

/// A grey band behind a section title, the title over it and thin grey lines after it.
void drawSection(PDFPrinter& pdf, double y, const QString& title) {
    pdf.PDFSetLineColor(kGrey);
    pdf.PDFSetLineWidth(12);
    pdf.PDFDrawLine(15, y, 575, y);
    pdf.PDFSetLineWidth(0.2);
    pdf.PDFSetFont(kCourier, 8, kBold);
    pdf.PDFSetTextColor(0);
    pdf.PDFTextOut(title, 15, y + 4);
}

} // namespace

QStringList prescriptionLines(const QString& text) {
    QStringList lines;
    for (qsizetype at = 0; at < text.size(); at += kPieceLength)
        lines << text.mid(at, kPieceLength).trimmed();
    return lines;
}

std::unique_ptr<PDFPrinter> beginSheet(const QString& path, long orientation,
                                       const QString& title) {
    auto pdf = std::make_unique<PDFPrinter>();
    pdf->PDFFileName(path);
    pdf->PDFLoadAfm(Desktop::programFile(QStringLiteral("fonts")));
    pdf->PDFConfirm(false);
    pdf->PDFView(true);
    pdf->PDFSetViewerPreferences(6);
    pdf->PDFFormatPage(0);
    pdf->PDFOrientation(orientation);
    pdf->PDFSetUnit(0);
    pdf->PDFSetZoomMode(1);
    pdf->PDFSetLayoutMode(3);
    pdf->PDFUseOutlines(true);
    pdf->PDFUseThumbs(true);
    pdf->PDFBeginDoc();
    pdf->PDFSetLineStyle(0);
    pdf->PDFSetLineWidth(0.5);
    pdf->PDFSetBookmark(title, /*level=*/0, /*y=*/40);
    pdf->PDFSetBookmark(title, /*level=*/1, /*y=*/60);
    return pdf;
}

bool endSheet(PDFPrinter& pdf, const QString& path) {
    pdf.PDFEndPage();
    pdf.PDFEndDoc();
    return QFileInfo::exists(path);
}

void drawCheckSheet(PDFPrinter& pdf, const CheckSheet& sheet) {
    drawCheckPageTop(pdf, sheet.secondLine);
    if (sheet.blank)
        drawBlankRows(pdf);
    else
        drawFilledRows(pdf, sheet);
}

void drawEvolutionSheet(PDFPrinter& pdf, const EvolutionSheet& sheet) {
    pdf.PDFSetFont(kHelvetica, 14, kBold);
    pdf.PDFTextOut(blanks(60, QStringLiteral("EVOLUÇÃO")), 15, 20);
    pdf.PDFDrawLine(15, 22, 575, 22);
    pdf.PDFSetFont(kCourier, 10, kBold);
    if (!sheet.professionalLine.isEmpty())
        pdf.PDFTextOut(sheet.professionalLine, 15, 35);

    drawSection(pdf, 45, blanks(43, QStringLiteral("IDENTIFICAÇÃO DO PACIENTE")));
    if (sheet.identification) {
        double y = 60;
        for (const QString& line : *sheet.identification) {
            pdf.PDFTextOut(line, 15, y);
            y += 10;
        }
    }
    pdf.PDFDrawLine(15, 122, 575, 122);
    pdf.PDFTextOut(sheet.sessionLine, 15, 130);

    drawSection(pdf, 145, blanks(53, QStringLiteral("EVOLUÇÃO")));
    for (double y = 150; y <= 795; y += 15)
        pdf.PDFDrawLine(15, y, 575, y);

    pdf.PDFSetFont(kCourier, 7, kItalic);
    pdf.PDFTextOut(kContact + QStringLiteral(" - Vertalumex 1.0 - ") + kSecondContact +
                       QStringLiteral(" - ") + Formats::dateTimeText(Clock::now()),
                   15, 810);
}

} // namespace vtx::SheetDrawing
