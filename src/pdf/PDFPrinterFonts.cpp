// PDFPrinter fonts: the font list from the metric files, the current font and text widths.
#include <algorithm>

#include <QDir>

#include "Cp1252.h"
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
    QStringList names;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
        if (f.fileName().endsWith(QLatin1String(".afm"), Qt::CaseInsensitive))
            names.append(f.fileName().chopped(4));
    if (names.isEmpty())
        return;
    std::sort(names.begin(), names.end());
    d->fontList = names;
    d->fontFolder = folder;
    d->fontsSeen.clear();
    d->fontChanged();
}

double PDFPrinter::PDFGetStringWidth(const QString& text, const QString& fontName, int size) {
    const pdf::AfmWidths* widths =
        fontName.isEmpty() ? &d->currentMetrics() : d->widthsOf(fontName);
    return size * d->widthUnits(pdf::winAnsi(text), widths) / 1000.0;
}

const pdf::AfmWidths* PDFPrinter::Private::widthsOf(const QString& name) {
    const QString key = fontFolder + QLatin1Char('/') + name;
    auto it = metrics.find(key);
    if (it == metrics.end()) {
        // A font without a metric file measures 0.
        const auto read = name.isEmpty()
                              ? std::nullopt
                              : pdf::readAfmShared(QDir(fontFolder).filePath(name + ".afm"));
        it = metrics.emplace(key, read.value_or(pdf::AfmWidths{})).first;
    }
    return &it->second;
}

long long PDFPrinter::Private::widthUnits(const QByteArray& bytes,
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

// Looks up the current font's resource number and widths once per font and document; a name
// the list lacks uses the first font.
void PDFPrinter::Private::selectFont() {
    for (const FontEntry& e : fontsSeen)
        if (e.name == font.name) {
            currentNumber = e.number;
            currentWidths = e.widths;
            return;
        }
    if (fontList.isEmpty())
        fontList.append(font.name.isEmpty() ? QStringLiteral("Helvetica") : font.name);
    const qsizetype i = font.name.isEmpty() ? 0 : fontList.indexOf(font.name);
    currentNumber = i < 0 ? 1 : static_cast<int>(i) + 1;
    currentWidths = widthsOf(font.name);
    fontsSeen.push_back({font.name, currentNumber, currentWidths});
}

} // namespace vtx
