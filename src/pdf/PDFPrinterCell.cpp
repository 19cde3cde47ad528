// PDFPrinter cells: text wrapped at the cell's width, with borders, fill and alignment.
#include "Cp1252.h"
#include "PDFPrinterState.h"
#include "PdfNumber.h"

namespace vtx {

using pdf::appendFixed;

namespace {

// The sides of one line of a cell: a frame opens on the first line and closes on the last;
// side letters keep L and R on every line, T on the first and B on the last.
std::string lineBorder(const std::string& border, bool first, bool last) {
    if (border == "0")
        return "0";
    if (border == "1")
        return std::string(first ? "LRT" : "LR") + (last ? "B" : "");
    std::string sides;
    for (char c : border)
        if (c == 'L' || c == 'R' || (c == 'T' && first) || (c == 'B' && last))
            sides.push_back(c);
    return sides.empty() ? "0" : sides;
}

} // namespace

void PDFPrinter::PDFCell(const QString& text, double x, double y, double w, double h,
                         const QString& link) {
    if (!d->drawing())
        return;
    const std::string border = d->border;
    const int size = d->font.size == 0 ? 10 : d->font.size;
    // Measured in thousandths of the font size, exactly, against the width inside the margins.
    const pdf::AfmWidths& widths = d->currentMetrics();
    const double room = (w - 2.0 * d->cellMargin) * d->unit * 1000 / size;
    const QByteArray bytes = pdf::winAnsi(text);
    d->line("%DEBUT_CELL/%");

    bool first = true;
    qsizetype start = 0, blank = -1;
    long long measure = 0;
    const auto emitLine = [&](qsizetype from, qsizetype to, double lineX) {
        d->cellBody(Cp1252::decode(bytes.mid(from, to - from)), lineX, y, w, h, link,
                    lineBorder(border, first, false));
        first = false;
        y = d->curY;
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == ' ')
            blank = i;
        measure += widths[static_cast<unsigned char>(bytes[i])];
        if (measure <= room)
            continue;
        if (blank >= start) {
            emitLine(start, blank, x - d->cellMargin);
            start = blank + 1;
        } else {
            const qsizetype end = i > start ? i : i + 1;
            emitLine(start, end, x);
            start = end;
        }
        // The next line is measured again from its start, so a carried part that is still
        // too wide is cut in its turn.
        i = start - 1;
        measure = 0;
        blank = -1;
    }
    d->cellBody(Cp1252::decode(bytes.mid(start)), x - d->cellMargin, y, w, h, link,
                lineBorder(border, first, true));

    d->border.assign(1, '0');
    d->font.underline = false;
    if (d->alignment == "FJ") {
        d->line("0 Tw");
        d->wordSpacing = 0;
    }
    d->line("%FIN_CELL/%");
}

// The colours of a cell line, and its frame or fill and side borders as one drawing line
// whose groups end with CR.
std::string PDFPrinter::Private::cellFrame(double x, double y, double w, double h,
                                           const std::string& sides) {
    const size_t b = lineOp.find_first_not_of(' '), e = lineOp.find_last_not_of(' ');
    if (b != std::string::npos)
        line(lineOp.substr(b, e - b + 1));
    if (!fillOp.empty())
        line(fillOp);

    std::string drawing;
    if (sides == "1" || fill) {
        point(drawing, x, y);
        for (double v : {w * unit, -h * unit}) {
            drawing.push_back(' ');
            appendFixed(drawing, v, 2);
        }
        drawing += fill && sides == "1" ? " re B\r" : fill ? " re f\r" : " re S\r";
    }
    if (sides != "0" && sides != "1") {
        appendFixed(content, lineWidth * unit, 2);
        content += " w\r\n";
        const auto segment = [&](double x1, double y1, double x2, double y2) {
            point(drawing, x1, y1);
            drawing += " m ";
            point(drawing, x2, y2);
            drawing += " l S\r";
        };
        if (sides.find('L') != std::string::npos)
            segment(x, y, x, y + h);
        if (sides.find('T') != std::string::npos)
            segment(x, y, x + w, y);
        if (sides.find('R') != std::string::npos)
            segment(x + w, y, x + w, y + h);
        if (sides.find('B') != std::string::npos)
            segment(x, y + h, x + w, y + h);
    }
    return drawing;
}

// One line of a cell: frame or fill, side borders, then the aligned text.
void PDFPrinter::Private::cellBody(const QString& text, double x, double y, double w, double h,
                                   const QString& link, const std::string& sides) {
    const std::string escaped = pdf::escapeText(pdf::winAnsi(text));
    const int number = fontNumber();
    if (font.size == 0)
        font.size = 10;
    const int size = font.size;
    const double u = unit;
    std::string& c = content;
    const std::string drawing = cellFrame(x, y, w, h, sides);

    const double textW = q->PDFGetStringWidth(text, {}, size);
    double dx = 2.0 * cellMargin;
    if (alignment == "R") {
        dx = static_cast<double>(pdf::roundEven(w * u - cellMargin - textW));
    } else if (alignment == "C") {
        dx = static_cast<double>(pdf::roundEven((w * u - textW) / 2));
    } else if (alignment == "FJ") {
        // The room the wrap left on the line, shared among its blanks, in points.
        const int blanks = static_cast<int>(text.count(QLatin1Char(' ')));
        const double room = (w - 2.0 * cellMargin) * u - textW;
        wordSpacing = blanks == 0 || room <= 0 ? 0 : room / blanks;
        appendFixed(c, wordSpacing, 2);
        c += " Tw\r\n";
    }
    if (!drawing.empty())
        line(drawing);

    if (!link.isEmpty()) {
        font.underline = true;
        addLinkArea(x + dx / u, y + h / 2 - size / 2.0 / u, textW / u, size / u, link);
    }
    const double baseline = pageH() - ((y + h / 2) * u + 0.3 * size);
    std::string bar;
    if (font.underline)
        bar = underline(/*cell=*/true, text, x * u + dx, baseline);
    if (!textOp.empty())
        c += "q " + textOp + " \r\n";
    if (!bar.empty())
        line(bar);
    lastCellX = x;
    lastCellY = y;
    c += "BT\r\n/F";
    pdf::appendInt(c, number);
    c.push_back(' ');
    pdf::appendInt(c, size);
    c += " Tf\r\n";
    appendFixed(c, x * u + dx, 2);
    c.push_back(' ');
    appendFixed(c, baseline, 2);
    c += " Td\r\n(" + escaped + ") Tj\r\nET\r\n";
    if (!textOp.empty())
        c += "Q\r\n";

    linkText = text;
    linkKind = QStringLiteral("CELL");
    checkLinkUrl(link, linkKind, lastCellX, lastCellY);
    linkKind.clear();
    curX = x + w;
    curY = y + h;
}

} // namespace vtx
