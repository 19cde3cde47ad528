// Positions, fonts and colours of the printed day agenda, in points from the page's top-left
// corner of an A4 portrait page.
#include "AgendaPrintout.h"

#include <algorithm>

#include <QDir>

#include "Clock.h"
#include "DayView.h"
#include "Desktop.h"
#include "Formats.h"
#include "PDFPrinter.h"
#include "Session.h"
#include "SheetDrawing.h"

namespace vtx::AgendaPrintout {

namespace {

constexpr long kHelvetica = 0, kCourier = 1, kTimes = 2;
constexpr long kPlain = 0, kItalic = 1, kBold = 2;
constexpr long kBlack = 0, kBlue = 16711680, kWhite = 16777215;
constexpr double kLeft = 15, kRight = 575, kTextX = 20, kLineStep = 10;

/// The blue band across the page with the column titles in white on it; leaves thin black
/// lines and black Courier 8 bold text for the lines under it.
void drawBand(PDFPrinter& pdf, const QString& titles) {
    pdf.PDFSetLineColor(kBlue);
    pdf.PDFSetLineWidth(12);
    pdf.PDFDrawLine(kLeft, 77, kRight, 77);
    pdf.PDFSetLineWidth(0.2);
    pdf.PDFSetFont(kCourier, 8, kBold);
    pdf.PDFSetTextColor(kWhite);
    pdf.PDFTextOut(printedLine(titles), kTextX, 79);
    pdf.PDFSetLineColor(kBlack);
    pdf.PDFSetTextColor(kBlack);
}

void drawHeader(PDFPrinter& pdf, const DayAgenda& agenda) {
    pdf.PDFDrawLine(kLeft, 32, kRight, 32);
    pdf.PDFSetFont(kHelvetica, 12, kBold);
    pdf.PDFSetTextColor(kBlack);
    pdf.PDFTextOut(agenda.home ? QStringLiteral("Vertalumex 1.0 - AGENDA HOME")
                               : QStringLiteral("Vertalumex 1.0 - AGENDA CLINICA"),
                   kTextX, 25);
    pdf.PDFSetFont(kTimes, 9, kPlain);
    pdf.PDFTextOut(QStringLiteral("PROFISSIONAL: ") +
                       (agenda.home ? QStringLiteral("HOME") : agenda.professional.left(45)),
                   kTextX, 45);
    pdf.PDFSetFont(kTimes, 10, kBold);
    pdf.PDFTextOut(agenda.day, kTextX, 55);
    pdf.PDFSetFont(kTimes, 9, kPlain);
    pdf.PDFTextOut(gUsuario + QStringLiteral(" - ") + Formats::dateTimeText(Clock::now()), kTextX,
                   65);
    pdf.PDFDrawLine(kLeft, 70, kRight, 70);
    drawBand(pdf, agenda.titles);
}

/// The lines with a rule under each; a page full at kPageEnd goes on on a new page under the
/// band again. The y after the last line.
double drawLines(PDFPrinter& pdf, const DayAgenda& agenda) {
    double y = kFirstLineY;
    for (const QString& line : agenda.lines) {
        if (y >= kPageEnd) {
            pdf.PDFEndPage();
            pdf.PDFNewPage();
            drawBand(pdf, agenda.titles);
            y = kFirstLineY;
        }
        pdf.PDFTextOut(printedLine(line), kTextX, y);
        pdf.PDFDrawLine(kLeft, y + 2, kRight, y + 2);
        y += kLineStep;
    }
    return y;
}

/// The last line's rule again in blue and thick, then the footer's rule and text.
void drawClosing(PDFPrinter& pdf, double y) {
    pdf.PDFSetLineColor(kBlue);
    pdf.PDFSetLineWidth(2);
    pdf.PDFDrawLine(kLeft, y - 8, kRight, y - 8);
    pdf.PDFSetLineColor(kBlack);
    pdf.PDFSetTextColor(kBlack);
    pdf.PDFSetLineWidth(0.2);
    pdf.PDFDrawLine(kLeft, 800, kRight, 800);
    pdf.PDFSetFont(kCourier, 8, kItalic);
    pdf.PDFTextOut(SheetDrawing::kContact + QStringLiteral(" - ") +
                       Formats::dateTimeText(Clock::now()),
                   kTextX, 810);
}

} // namespace

QString printedLine(const QString& line) {
    return line.left(100).replace(QLatin1Char('|'), QLatin1Char(' '));
}

QString homeLine(const QString& hora, const QString& nmpac, const QString& fonepac,
                 const QString& nmproc) {
    return DayView::fieldsLine({hora, nmpac, fonepac, nmproc, {}, {}, {}, {}});
}

QString bookingLine(const DayView::BookedRow& booking) {
    return homeLine(booking.hr, QStringLiteral("AGENDA: ") + booking.nmpac, booking.fone,
                    booking.nmproc);
}

QStringList byHour(const QStringList& sessions, const QStringList& bookings) {
    QStringList lines = sessions + bookings;
    // "9:5" and "09:05" are one hour; the sort keeps the sessions first within an hour.
    std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
        return DayView::normalizedHour(DayView::field(a, 0)) <
               DayView::normalizedHour(DayView::field(b, 0));
    });
    return lines;
}

bool write(const DayAgenda& agenda) {
    const QString folder = Desktop::programFile(QStringLiteral("temp"));
    QDir().mkpath(folder);
    gArquivoPDF = QDir(folder).filePath(QStringLiteral("cli_agenda_") +
                                        Clock::now().toString(QStringLiteral("yyMMddHHmmss")) +
                                        QStringLiteral(".pdf"));
    const std::unique_ptr<PDFPrinter> pdf =
        SheetDrawing::beginSheet(gArquivoPDF, /*orientation=*/1, QStringLiteral("Agenda Clinica"));
    drawHeader(*pdf, agenda);
    drawClosing(*pdf, drawLines(*pdf, agenda));
    return SheetDrawing::endSheet(*pdf, gArquivoPDF);
}

} // namespace vtx::AgendaPrintout
