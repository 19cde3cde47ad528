// PDFPrinter fonts: the font list from the metric files, the current font and text widths.
#include <algorithm>

#include <QDir>

#include "Cp1252.h"
#include "PDFPrinterState.h"

namespace vtx {

void PDFPrinter::PDFSetFont(long font, int size, long style) {
    static const char* const kFamilies[] = {"Helvetica", "Courier", "Times", "Symbol",
                                            "ZapfDingbats"};
    Private::FontState& f = d->font;
    d->currentWidths = nullptr;
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
    const QString digits = QString::number(style);
    f.italic = digits.contains(QLatin1Char('1'));
    f.bold = digits.contains(QLatin1Char('2'));
    if (digits.contains(QLatin1Char('3')))
        f.underline = true;

    const QString family = QLatin1String(kFamilies[font]);
    const bool times = font == 2;
    if (f.italic && f.bold)
        f.name = family + (times ? QStringLiteral("-BoldItalic") : QStringLiteral("-BoldOblique"));
    else if (f.italic)
        f.name = times ? QStringLiteral("Times-Italic") : family + QStringLiteral("-Oblique");
    else if (f.bold)
        f.name = family + QStringLiteral("-Bold");
    else
        f.name = times ? QStringLiteral("Times-Roman") : family;
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
    d->currentWidths = nullptr;
}

double PDFPrinter::PDFGetStringWidth(const QString& text, const QString& fontName, int size) {
    const pdf::AfmWidths* widths;
    if (fontName.isEmpty()) {
        if (!d->currentWidths)
            d->currentWidths = d->widthsOf(d->font.name);
        widths = d->currentWidths;
    } else {
        widths = d->widthsOf(fontName);
    }
    return size * d->widthUnits(Cp1252::encode(text), widths) / 1000.0;
}

const pdf::AfmWidths* PDFPrinter::Private::widthsOf(const QString& name) {
    const QString key = fontFolder + QLatin1Char('/') + name;
    auto it = metrics.find(key);
    if (it == metrics.end()) {
        // A font without a metric file measures 0.
        const auto read =
            name.isEmpty() ? std::nullopt : pdf::readAfm(QDir(fontFolder).filePath(name + ".afm"));
        it = metrics.emplace(key, read.value_or(pdf::AfmWidths{})).first;
    }
    return &it->second;
}

int PDFPrinter::Private::widthUnits(const QByteArray& bytes, const pdf::AfmWidths* widths) const {
    int sum = 0;
    for (char c : bytes)
        sum += (*widths)[static_cast<unsigned char>(c)];
    return sum;
}

// The resource number of the current font; a name the list lacks uses the first font.
int PDFPrinter::Private::fontNumber() {
    if (fontList.isEmpty())
        fontList.append(font.name.isEmpty() ? QStringLiteral("Helvetica") : font.name);
    const qsizetype i = font.name.isEmpty() ? 0 : fontList.indexOf(font.name);
    return i < 0 ? 1 : static_cast<int>(i) + 1;
}

} // namespace vtx
