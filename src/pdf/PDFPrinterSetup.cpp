// PDFPrinter page setup: unit, format, orientation, margins, line settings, viewer settings
// and the document information texts.
#include "PDFPrinterState.h"
#include "PdfNumber.h"

namespace vtx {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

struct Format {
    double width, height;
};
constexpr Format kFormats[] = {
    {595.28, 841.89}, {841.89, 1190.55}, {420.94, 595.28}, {612, 792}, {612, 1008}};

constexpr double kUnits[] = {1, 72 / 25.4, 72 / 2.54};

// Dash and gap lengths of the line styles, in user units.
const std::vector<double> kDashes[] = {{}, {16, 8}, {8, 7, 2, 7}, {8, 4, 2, 4, 2, 4}};

} // namespace

void PDFPrinter::PDFPathConfiguration(const QString& path) {
    d->fontFolder = path;
    d->metricsFolder.reset();
    d->fontsSeen.clear();
    d->fontChanged();
}

void PDFPrinter::PDFSetViewerPreferences(long preferences) {
    d->viewerPrefs = preferences;
}
void PDFPrinter::PDFSetZoomMode(long mode) {
    d->zoom = mode;
}
std::optional<long> PDFPrinter::PDFGetZoomMode() const {
    return d->zoom;
}
void PDFPrinter::PDFUseThumbs(bool use) {
    d->thumbs = use;
}
void PDFPrinter::PDFUseOutlines(bool use) {
    d->outlines = use;
}
std::optional<long> PDFPrinter::PDFGetLayoutMode() const {
    return d->layout;
}

void PDFPrinter::PDFSetLayoutMode(long mode) {
    if (mode < 0 || mode > 3) {
        pdf::critical(QStringLiteral("Layout incorrect : %1.").arg(mode) + kCrLf +
                          QStringLiteral("Le Layout utilisé sera le layout simple."),
                      QStringLiteral("Layout Mode"));
        mode = 0;
    }
    d->layout = mode;
}

void PDFPrinter::PDFSetUnit(long unit) {
    if (unit < 0 || unit > 2) {
        pdf::critical(QStringLiteral("Code unité de mesure incorrect : %1.").arg(unit) + kCrLf +
                          QStringLiteral("L'Unité de Mesure utilisée sera le centimètre."),
                      QStringLiteral("Code Unité de Mesure"));
        unit = 2;
    }
    d->unit = kUnits[unit];
}

QString PDFPrinter::PDFGetUnit() const {
    static const char* const kNames[] = {"pt", "mm", "cm"};
    for (int i = 0; i < 3; ++i)
        if (d->unit == kUnits[i])
            return QString::fromLatin1(kNames[i]);
    return {};
}

void PDFPrinter::PDFOrientation(long orientation) {
    d->extendFormats(d->formatIndex);
    const double w = static_cast<double>(pdf::roundEven(d->pageW()));
    const double h = static_cast<double>(pdf::roundEven(d->pageH()));
    if (orientation != 0 && orientation != 1)
        pdf::critical(QStringLiteral("Code orientation de page incorrect : %1.").arg(orientation) +
                          kCrLf + QStringLiteral("L'Orientation de la page sera le mode portrait."),
                      QStringLiteral("Type d'Orientation de Page"));
    const bool landscape = orientation == 0;
    d->pageWidth[d->formatIndex] = landscape ? h : w;
    d->pageHeight[d->formatIndex] = landscape ? w : h;
    d->orientation[d->formatIndex] = landscape ? 'l' : 'p';
}

void PDFPrinter::PDFFormatPage(const QVariant& format) {
    d->extendFormats(d->formatIndex);
    const int type = format.typeId();
    const auto message = [&](const QString& value, const char* end) {
        pdf::critical(QStringLiteral("Code format de page incorrect : ") + value +
                          QStringLiteral(".") + kCrLf +
                          QStringLiteral("Le Format de page utilisé sera le format A4") +
                          QLatin1String(end),
                      QStringLiteral("Format de Page"));
    };
    Format f = kFormats[0];
    if (type == QMetaType::Int || type == QMetaType::Long || type == QMetaType::LongLong) {
        const qlonglong code = format.toLongLong();
        if (code >= 0 && code <= 4)
            f = kFormats[code];
        else
            message(QString::number(code), ".");
    } else if (type == QMetaType::QVariantList && format.toList().size() >= 2) {
        const QVariantList sizes = format.toList();
        f = {sizes[0].toDouble(), sizes[1].toDouble()};
    } else {
        message(format.toString(), "");
    }
    d->pageWidth[d->formatIndex] = f.width;
    d->pageHeight[d->formatIndex] = f.height;
}

void PDFPrinter::PDFProducer(const QString& text) {
    d->producer = text;
}
void PDFPrinter::PDFSubject(const QString& text) {
    d->subject = text;
}
void PDFPrinter::PDFKeywords(const QString& text) {
    d->keywords = text;
}
void PDFPrinter::PDFCreator(const QString& text) {
    d->creator = text;
}
void PDFPrinter::PDFAuthor(const QString& text) {
    d->author = text;
}
void PDFPrinter::PDFTitle(const QString& text) {
    d->title = text;
}

void PDFPrinter::PDFPageHeight(double height) {
    d->extendFormats(d->formatIndex);
    d->pageHeight[d->formatIndex] = height;
}
double PDFPrinter::PDFGetPageHeight() const {
    return d->pageH();
}

void PDFPrinter::PDFPageWidth(double width) {
    d->extendFormats(d->formatIndex);
    d->pageWidth[d->formatIndex] = width;
}
double PDFPrinter::PDFGetPageWidth() const {
    return d->pageW();
}

void PDFPrinter::PDFSetLeftMargin(double margin) {
    d->leftMargin = pdf::roundEven(margin);
}
double PDFPrinter::PDFGetLeftMargin() const {
    return d->leftMargin;
}
void PDFPrinter::PDFSetRightMargin(double margin) {
    d->rightMargin = pdf::roundEven(margin);
}
double PDFPrinter::PDFGetRightMargin() const {
    return d->rightMargin;
}
void PDFPrinter::PDFSetTopMargin(double margin) {
    d->topMargin = pdf::roundEven(margin);
}
double PDFPrinter::PDFGetTopMargin() const {
    return d->topMargin;
}
void PDFPrinter::PDFSetBottomMargin(double margin) {
    d->bottomMargin = pdf::roundEven(margin);
}
double PDFPrinter::PDFGetBottomMargin() const {
    return d->bottomMargin;
}
void PDFPrinter::PDFSetCellMargin(double margin) {
    d->cellMargin = pdf::roundEven(margin);
}
double PDFPrinter::PDFGetCellMargin() const {
    return d->cellMargin;
}

PDFMargins PDFPrinter::PDFSetMargins(int left, int top, int right, int bottom) {
    if (right == -1)
        right = left;
    if (bottom == -1)
        bottom = top;
    d->leftMargin = left;
    d->topMargin = top;
    d->rightMargin = right;
    d->bottomMargin = bottom;
    return {left, top, right, bottom};
}

int PDFPrinter::PDFGetX() const {
    return static_cast<int>(pdf::roundEven(d->curX));
}
int PDFPrinter::PDFGetY() const {
    return static_cast<int>(pdf::roundEven(d->curY));
}

void PDFPrinter::PDFSetLineStyle(long style) {
    if (style < 0 || style > 3) {
        pdf::critical(QStringLiteral("Code style de ligne incorrect : %1.").arg(style) + kCrLf +
                          QStringLiteral("Le style de ligne utilisé sera pSolid."),
                      QStringLiteral("Style de Ligne"));
        style = 0;
    }
    // Each length is cut to whole points at the unit in force now.
    std::string dash = "[";
    for (double length : kDashes[style]) {
        pdf::appendInt(dash, static_cast<long long>(length * d->unit));
        dash.push_back(' ');
    }
    d->dash = dash + "] 0 d";
}

void PDFPrinter::PDFSetLineWidth(double width) {
    d->lineWidth = width;
}

void PDFPrinter::PDFSetDrawMode(long mode) {
    static const char* const kModes[] = {"", "D", "DB"};
    if (mode < 0 || mode > 2) {
        pdf::critical(QStringLiteral("Code type de traçage incorrect : %1.").arg(mode) + kCrLf +
                          QStringLiteral("Le type de traçage utilisé sera bordure et remplissage."),
                      QStringLiteral("Objet Rectangle"));
        mode = 2;
    }
    d->drawMode = kModes[mode];
}

} // namespace vtx
