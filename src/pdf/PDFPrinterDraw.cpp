// PDFPrinter drawing: lines, rectangles, ellipses, polygons and the three colours.
#include <algorithm>

#include "PDFPrinterState.h"
#include "PdfNumber.h"

namespace vtx {

namespace {

constexpr double kKappa = 11.0 / 20.0;

// Components of r + 256 g + 65536 b.
std::array<int, 3> splitColour(long colour) {
    const long high = colour / 65536;
    const long middle = (colour - high * 65536) / 256;
    const long low = colour - high * 65536 - middle * 256;
    return {static_cast<int>(low), static_cast<int>(middle), static_cast<int>(high)};
}

} // namespace

std::string PDFPrinter::Private::colourOperator(std::array<int, 3> rgb, const char* op) const {
    std::string s;
    for (int c : rgb) {
        pdf::appendFixed(s, std::clamp(c, 0, 255) / 255.0, 3);
        s.push_back(' ');
    }
    return s + op;
}

std::optional<std::array<int, 3>> PDFPrinter::Private::parseHtml(const QString& html) const {
    if (!html.startsWith(QLatin1Char('#')))
        return std::nullopt;
    const QString hex = (QStringLiteral("000000") + html).right(6);
    std::array<int, 3> rgb{};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        rgb[i] = hex.mid(i * 2, 2).toInt(&ok, 16);
        if (!ok)
            return std::nullopt;
    }
    return rgb;
}

std::array<int, 3> PDFPrinter::Private::htmlColour(const QString& html) const {
    if (const auto rgb = parseHtml(html))
        return *rgb;
    pdf::critical(QStringLiteral("Code couleur HTMl invalide ") + html +
                      QStringLiteral(".\r\nLa couleur utilisée sera le noir."),
                  QStringLiteral("Couleur HTMl"));
    return {0, 0, 0};
}

void PDFPrinter::PDFSetTextColor(long colour) {
    d->textOp = d->colourOperator(splitColour(colour), "rg");
}
void PDFPrinter::PDFSetTextColor(const QString& html) {
    PDFSetTextColor(d->htmlColour(html));
}
void PDFPrinter::PDFSetTextColor(const std::array<int, 3>& rgb) {
    d->textOp = d->colourOperator(rgb, "rg");
}
void PDFPrinter::PDFSetLineColor(long colour) {
    d->lineOp = d->colourOperator(splitColour(colour), "RG");
}
void PDFPrinter::PDFSetLineColor(const QString& html) {
    PDFSetLineColor(d->htmlColour(html));
}
void PDFPrinter::PDFSetLineColor(const std::array<int, 3>& rgb) {
    d->lineOp = d->colourOperator(rgb, "RG");
}
void PDFPrinter::PDFSetDrawColor(long colour) {
    d->fillOp = d->colourOperator(splitColour(colour), "rg");
}
void PDFPrinter::PDFSetDrawColor(const QString& html) {
    PDFSetDrawColor(d->htmlColour(html));
}
void PDFPrinter::PDFSetDrawColor(const std::array<int, 3>& rgb) {
    d->fillOp = d->colourOperator(rgb, "rg");
}
QString PDFPrinter::PDFGetTextColor() const {
    return {};
}
QString PDFPrinter::PDFGetLineColor() const {
    return {};
}
QString PDFPrinter::PDFGetDrawColor() const {
    return {};
}

// The colour lines of a shape by the draw mode, and its paint operator.
const char* PDFPrinter::Private::paintOperators(bool closeFill) {
    if (drawMode == "D") {
        line(fillOp);
        return closeFill ? "h f" : "f";
    }
    if (drawMode == "DB") {
        line(fillOp);
        line(lineOp);
        return "B";
    }
    line(lineOp);
    return "s";
}

void PDFPrinter::PDFDrawLine(double x1, double y1, double x2, double y2) {
    if (!d->drawing())
        return;
    std::string& c = d->content;
    d->line("%DEBUT_LN/%");
    if (!d->dash.empty())
        d->line(d->dash);
    d->point(c, x1, y1);
    c += " m\r\n";
    d->point(c, x2, y2);
    c += " l\r\n";
    d->line(d->lineOp);
    d->appendPoints(c, d->lineWidth);
    c += " w S\r\n%FIN_LN/%\r\n";
    d->curX = std::max(x1, x2);
    d->curY = std::max(y1, y2);
}

// A horizontal or vertical line; the fill colour follows the line colour.
void PDFPrinter::Private::straightLine(double x, double y, double x2, double y2, const char* tag) {
    Private& d = *this;
    d.fillOp = d.lineOp;
    if (d.fillOp.ends_with("RG"))
        d.fillOp.replace(d.fillOp.size() - 2, 2, "rg");
    else if (!d.fillOp.empty())
        d.fillOp.back() = 'g';
    std::string& c = d.content;
    c += std::string("%DEBUT_") + tag + "/%\r\n";
    if (!d.dash.empty())
        d.line(d.dash);
    d.point(c, x, y);
    c += " m\r\n";
    d.point(c, x2, y2);
    c += " l\r\n";
    d.line(d.lineOp);
    d.appendPoints(c, d.lineWidth);
    c += std::string(" w S\r\n%FIN_") + tag + "/%\r\n";
    d.curX = x2;
    d.curY = y2;
}

void PDFPrinter::PDFDrawLineHor(double x, double y, double length) {
    if (d->drawing())
        d->straightLine(x, y, x + length, y, "LNH");
}

void PDFPrinter::PDFDrawLineVer(double x, double y, double length) {
    if (d->drawing())
        d->straightLine(x, y, x, y + length, "LNV");
}

void PDFPrinter::PDFDrawRectangle(double x, double y, double w, double h, const QString& url) {
    if (!d->drawing())
        return;
    std::string& c = d->content;
    d->line("%DEBUT_RECT/%");
    const std::string paint = d->paintOperators(/*closeFill=*/false);
    if (!d->dash.empty())
        d->line(d->dash);
    // The border width is set before the path that it strokes.
    d->appendPoints(c, d->lineWidth);
    c += " w\r\n";
    d->point(c, x, y);
    c.push_back(' ');
    d->appendPoints(c, w);
    c.push_back(' ');
    d->appendPoints(c, -h);
    c += " re " + paint + "\r\n";
    PDFSetTextColor(0xFFFFFFL);

    d->linkText = QStringLiteral("LINK");
    d->linkKind = QStringLiteral("RECTANGLE");
    d->rectLinkWidth = static_cast<long>(pdf::roundEven(w));
    d->checkLinkUrl(url, d->linkKind, static_cast<long>(x + 5), static_cast<long>(y + h / 2));
    d->linkKind.clear();
    d->line("%FIN_RECT/%");
    d->curX = x;
    d->curY = y + h;
}

void PDFPrinter::PDFDrawEllipse(double x, double y, double w, double h, const QString& url) {
    if (!d->drawing())
        return;
    if (h == 0)
        h = w;
    const double rx = w / 2, ry = h / 2;
    std::string& c = d->content;
    const std::string paint = d->paintOperators(/*closeFill=*/true);
    if (!d->dash.empty())
        d->line(d->dash);
    d->point(c, x, y + ry);
    c += " m\r\n";
    const auto curve = [&](double x1, double y1, double x2, double y2, double x3, double y3) {
        d->point(c, x1, y1);
        c.push_back(' ');
        d->point(c, x2, y2);
        c.push_back(' ');
        d->point(c, x3, y3);
        c += " c\r\n";
    };
    curve(x, y + ry - kKappa * ry, x + rx - kKappa * rx, y, x + rx, y);
    curve(x + rx + kKappa * rx, y, x + w, y + ry - kKappa * ry, x + w, y + ry);
    curve(x + w, y + ry + kKappa * ry, x + rx + kKappa * rx, y + h, x + rx, y + h);
    curve(x + rx - kKappa * rx, y + h, x, y + ry + kKappa * ry, x, y + ry);
    d->appendPoints(c, d->lineWidth);
    c += " w " + paint + "\r\n";
    PDFSetTextColor(0xFFFFFFL);

    d->linkText = QStringLiteral("LINK");
    d->linkKind = QStringLiteral("ELLIPSE");
    d->checkLinkUrl(url, d->linkKind, static_cast<long>(x - rx),
                    static_cast<long>(y + ry - kKappa * ry));
    d->linkKind.clear();
    d->curX = x;
    d->curY = y + ry;
}

void PDFPrinter::PDFDrawPolygon(const std::vector<double>& points) {
    const size_t n = points.size() / 2;
    if (!d->drawing() || n == 0)
        return;
    std::string& c = d->content;
    const std::string paint = d->paintOperators(/*closeFill=*/true);
    d->line("%DEBUT_POLY/%");
    if (!d->dash.empty())
        d->line(d->dash);
    d->point(c, points[0], points[1]);
    c += " m\r\n";
    for (size_t i = 1; i <= n; ++i) {
        const size_t k = i % n;
        d->point(c, points[2 * k], points[2 * k + 1]);
        c += " l\r\n";
    }
    d->appendPoints(c, d->lineWidth);
    c += " w " + paint + "\r\n%FIN_POLY/%\r\n";
}

} // namespace vtx
