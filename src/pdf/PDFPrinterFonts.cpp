// PDFPrinter fonts: the font list from the metric files, the current font and text widths.
#include "Cp1252.h"
#include "Desktop.h"
#include "PDFPrinterState.h"

namespace vtx {

void PDFPrinter::PDFSetFont(long font, int size, long style) {
    // Base-font names by family and style: plain, italic, bold, bold italic.
    static const QString kNames[5][4] = {
        {QStringLiteral("Helvetica"), QStringLiteral("Helvetica-Oblique"),
         QStringLiteral("Helvetica-Bold"), QStringLiteral("Helvetica-BoldOblique")},
        {QStringLiteral("Courier"), QStringLiteral("Courier-Oblique"),
         QStringLiteral("Courier-Bold"), QStringLiteral("Courier-BoldOblique")},
        {QStringLiteral("Times-Roman"), QStringLiteral("Times-Italic"),
         QStringLiteral("Times-Bold"), QStringLiteral("Times-BoldItalic")},
        {QStringLiteral("Symbol"), QStringLiteral("Symbol-Oblique"), QStringLiteral("Symbol-Bold"),
         QStringLiteral("Symbol-BoldOblique")},
        {QStringLiteral("ZapfDingbats"), QStringLiteral("ZapfDingbats-Oblique"),
         QStringLiteral("ZapfDingbats-Bold"), QStringLiteral("ZapfDingbats-BoldOblique")}};
    Private::FontState& f = d->font;
    d->fontChanged();
    f.italic = f.bold = false;
    f.size = size;
    if (font < 0 || font > 4) {
        pdf::critical(QStringLiteral("Nom de font incorrecte : %1.").arg(font) +
                          QStringLiteral("\r\nLa font utilisée sera Times New Roman non gras , "
                                         "non italique."),
                      QStringLiteral("Nom de Font"));
        f.name = QStringLiteral("Times-Roman");
        return;
    }
    // The style's decimal digits: 1 italic, 2 bold, 3 underline.
    for (long s = style < 0 ? -style : style; s > 0; s /= 10) {
        f.italic |= s % 10 == 1;
        f.bold |= s % 10 == 2;
        f.underline |= s % 10 == 3;
    }
    f.name = kNames[font][(f.italic ? 1 : 0) + (f.bold ? 2 : 0)];
}

// Every "*.afm" file of the folder becomes a font, in the order of the base-font names; a
// folder without one leaves the list as it was.
void PDFPrinter::PDFLoadAfm(const QString& folder) {
    auto read = pdf::FontFolder::open(folder);
    if (read->fontNames().isEmpty())
        return;
    d->fontList = read->fontNames();
    d->fontFolder = folder;
    d->metricsFolder = std::move(read);
    d->fontsSeen.clear();
    d->fontChanged();
}

double PDFPrinter::PDFGetStringWidth(const QString& text, const QString& fontName, int size) {
    const pdf::AfmWidths* widths =
        fontName.isEmpty() ? &d->currentMetrics() : d->widthsOf(fontName);
    return size * d->widthUnits(pdf::winAnsi(text), widths) / 1000.0;
}

// A font's widths from the font folder, else from the standard metrics beside the program,
// else those of its family's plain font; a font measured nowhere is 0 wide.
const pdf::AfmWidths* PDFPrinter::Private::widthsOf(const QString& name) {
    static const pdf::AfmWidths kNone{};
    if (name.isEmpty())
        return &kNone;
    if (!metricsFolder)
        metricsFolder = pdf::FontFolder::open(fontFolder);
    if (const pdf::AfmWidths* widths = metricsFolder->widths(name))
        return widths;
    if (!standardFonts)
        standardFonts = pdf::FontFolder::open(Desktop::programFile(QStringLiteral("fonts")));
    if (const pdf::AfmWidths* widths = standardFonts->widths(name))
        return widths;
    // "Symbol-Bold" is measured as "Symbol", "Times-Bold" as "Times-Roman".
    QString plain = name.section(QLatin1Char('-'), 0, 0);
    if (plain == QLatin1String("Times"))
        plain = QStringLiteral("Times-Roman");
    return plain == name ? &kNone : widthsOf(plain);
}

long long PDFPrinter::Private::widthUnits(QByteArrayView bytes,
                                          const pdf::AfmWidths* widths) const {
    long long sum = 0; // a long text passes 2^31 thousandths
    for (char c : bytes)
        sum += (*widths)[static_cast<unsigned char>(c)];
    return sum;
}

const pdf::AfmWidths& PDFPrinter::Private::currentMetrics() {
    if (!currentWidths)
        selectFont();
    return *currentWidths;
}

int PDFPrinter::Private::fontNumber() {
    if (currentNumber == 0)
        selectFont();
    return currentNumber;
}

// Looks up the current font's resource number and widths once per font and document. A font
// the list lacks joins it, so that it is drawn as itself and measured.
void PDFPrinter::Private::selectFont() {
    for (const FontEntry& e : fontsSeen)
        if (e.name == font.name) {
            currentNumber = e.number;
            currentWidths = e.widths;
            return;
        }
    if (font.name.isEmpty() && fontList.isEmpty())
        fontList.append(QStringLiteral("Helvetica"));
    const QString name = font.name.isEmpty() ? fontList.first() : font.name;
    qsizetype i = fontList.indexOf(name);
    if (i < 0) {
        fontList.append(name);
        i = fontList.size() - 1;
    }
    currentNumber = static_cast<int>(i) + 1;
    currentWidths = widthsOf(name);
    fontsSeen.push_back({font.name, currentNumber, currentWidths});
}

} // namespace vtx
