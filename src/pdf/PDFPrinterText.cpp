// PDFPrinter text: text out with rotation and underline, alignment and border codes, links.
#include <cmath>

#include "Cp1252.h"
#include "PDFPrinterState.h"
#include "PdfNumber.h"

namespace vtx {

using pdf::appendFixed;

PDFPoint PDFPrinter::PDFTextOut(const QString& text, double x, double y) {
    if (!d->drawing())
        return {x, y};
    std::string& bytes = d->textBytes;
    pdf::winAnsi(text, bytes);
    if (x == 0)
        x = d->curX;
    if (y == 0)
        y = d->curY;
    const int font = d->fontNumber();
    if (d->font.size == 0)
        d->font.size = 10;
    const double u = d->unit;
    std::string& c = d->content;

    if (!d->textOp.empty())
        c.append("q ").append(d->textOp).append(" \r\n");
    std::string underline;
    if (d->font.underline)
        underline = d->underline(/*cell=*/false, text, x * u, y * u);
    c += "%DEBUT_TEXT/%\r\nBT\r\n";
    if (d->rotation != 0) {
        const double a = d->rotation * 3.1416 / 180;
        for (double v : {std::cos(a), -std::sin(a), std::sin(a), std::cos(a)}) {
            appendFixed(c, v, 5);
            c.push_back(' ');
        }
        d->point(c, x, y);
        c += " Tm\r\n";
        d->rotation = 0;
    } else {
        d->point(c, d->leftMargin + x, y);
        c += " Td\r\n";
    }
    c += "/F";
    pdf::appendInt(c, font);
    c.push_back(' ');
    appendFixed(c, d->font.size, 2);
    c += " Tf\r\n(";
    pdf::appendEscaped(c, bytes);
    c += ") Tj\r\nET\r\n";
    if (d->font.underline)
        d->line(underline);
    if (!d->textOp.empty())
        c += "Q\r\n";
    c += "%FIN_TEXT/%\r\n";
    d->font.underline = false;

    d->curX = x + d->font.size * d->widthUnits(bytes, &d->currentMetrics()) / 1000.0;
    d->curY = y + d->font.size;
    return {x, y};
}

double PDFPrinter::PDFTextHeight() const {
    return d->font.size * d->unit;
}
void PDFPrinter::PDFSetRotation(double angle) {
    d->rotation = -angle;
}

void PDFPrinter::PDFSetAlignement(long code) {
    static const char* const kCodes[] = {"C", "L", "R", "FJ"};
    if (code < 0 || code > 3) {
        pdf::critical(QStringLiteral("Code alignement incorrect : %1.").arg(code) +
                          QStringLiteral("\r\nL'alignement utilisé sera l'alignement à gauche."),
                      QStringLiteral("Code Alignement de Cellule"));
        code = 1;
    }
    d->alignment = kCodes[code];
}

QString PDFPrinter::PDFGetAlignement() const {
    if (d->alignment == "C")
        return QStringLiteral("Center");
    if (d->alignment == "R")
        return QStringLiteral("Right");
    return QStringLiteral("Left");
}

void PDFPrinter::PDFSetBorder(long code) {
    static const char* const kSingle[] = {"0", "1", "T", "B", "L", "R"};
    if (code >= 0 && code <= 5) {
        d->border = kSingle[code];
        return;
    }
    const std::string digits = std::to_string(code);
    d->border.clear();
    for (const auto& [digit, side] : {std::pair{'4', 'L'}, {'5', 'R'}, {'2', 'T'}, {'3', 'B'}})
        if (digits.find(digit) != std::string::npos)
            d->border.push_back(side);
    if (d->border.empty())
        d->border.assign(1, '0');
}

void PDFPrinter::PDFSetFill(bool fill) {
    d->fill = fill;
}

// The underline bar under a text whose start and baseline are given in points.
std::string PDFPrinter::Private::underline(bool cell, const QString& text, double x, double y) {
    const int blanks = static_cast<int>(text.count(QLatin1Char(' ')));
    const int size = font.size;
    const double up =
        static_cast<double>(pdf::roundEven(q->PDFGetStringWidth(QStringLiteral("up"), {}, size)));
    const double blank = q->PDFGetStringWidth(QStringLiteral(" "), {}, size);
    double w = q->PDFGetStringWidth(text, {}, size) + blanks * (blank + wordSpacing);
    if (wordSpacing != 0)
        w -= (blanks + 1) * cellMargin;
    const double h = -0.002 * w;
    double bx, by;
    if (cell) {
        bx = x;
        by = y - 3;
        w -= cellMargin;
    } else {
        bx = static_cast<double>(pdf::roundEven(leftMargin * unit + x));
        by = pageH() - (y - up / 1000 * size) - 2;
    }
    std::string s;
    for (double v : {bx, by, w}) {
        appendFixed(s, v, 2);
        s.push_back(' ');
    }
    appendFixed(s, h, 2);
    return s + " re f";
}

// A text link's area covers the text where PDFTextOut drew it: from its start with the left
// margin, one font size high with a fifth below the baseline, as a cell line's area. Widths and
// sizes in points are turned into user units here, so that the area is scaled to points once.
void PDFPrinter::PDFLink(double x, double y, const QString& text, const QString& link) {
    if (!d->drawing())
        return;
    d->line("%DEBUT_LINK/%");
    d->font.underline = true;
    const int size = d->font.size == 0 ? 10 : d->font.size;
    const double u = d->unit;
    const auto wholeWidth = [&](const QString& t) {
        return static_cast<double>(pdf::roundEven(PDFGetStringWidth(t, {}, size))) / u;
    };
    double w, h = size / u;
    if (d->imageLink) {
        PDFSetTextColor(0xFF0000L);
        w = d->lastImageW;
        h = d->lastImageH;
        PDFTextOut({}, x, y);
    } else if (d->linkKind == QLatin1String("ELLIPSE") || d->linkKind == QLatin1String("CELL")) {
        w = wholeWidth(d->linkText);
        PDFTextOut({}, x, y);
    } else if (d->linkKind == QLatin1String("RECTANGLE")) {
        w = static_cast<double>(d->rectLinkWidth);
        PDFTextOut({}, x, y);
    } else {
        w = wholeWidth(text);
        const PDFPoint at = PDFTextOut(text, x, y);
        x = d->leftMargin + at.x;
        y = at.y - 0.8 * h;
    }
    d->imageLink = false;
    d->font.underline = false;
    d->linkKind.clear();
    d->addLinkArea(x, y, w, h, link.isEmpty() ? text : link);
    d->line("%FIN_LINK/%");
}

void PDFPrinter::Private::checkLinkUrl(const QString& url, const QString& kind, double x,
                                       double y) {
    if (kind == QLatin1String("IMAGE"))
        imageLink = true;
    if (!url.isEmpty())
        q->PDFLink(x, y, url, {});
    linkText.clear();
    imageLink = false;
}

void PDFPrinter::Private::addLinkArea(double x, double y, double w, double h,
                                      const QString& target) {
    links[pageCounter].push_back(
        {x * unit, pageH() - y * unit, w * unit, h * unit, pdf::escapeText(pdf::winAnsi(target))});
}

} // namespace vtx
