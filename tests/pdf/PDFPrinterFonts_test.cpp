// Standard fonts: names by code and style, the font list of a folder, widths from the metric
// files, and the watermark drawn with them.
#include <chrono>
#include <filesystem>

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include "PdfTestSupport.h"

using namespace vtx;
using namespace vtx::test;

namespace {

class PdfFonts : public PdfTest {
protected:
    // The base font shown by each "/Fn size Tf" line of page 1, in order.
    QStringList fontsUsed() const {
        QStringList names;
        static const QRegularExpression tf(QStringLiteral("^/F(\\d+) "));
        const QByteArray resources = file.mid(file.indexOf("/Font << "));
        for (const QByteArray& l : lines(content())) {
            const auto m = tf.match(QString::fromLatin1(l));
            if (!m.hasMatch())
                continue;
            const QByteArray key = "/F" + m.captured(1).toLatin1() + " ";
            const qsizetype at = resources.indexOf(key);
            const int object = resources.mid(at + key.size()).split(' ').first().toInt();
            const QByteArray font = pdfObject(file, object);
            const qsizetype base = font.indexOf("/BaseFont /") + 11;
            names << QString::fromLatin1(font.mid(base, font.indexOf('\r', base) - base));
        }
        return names;
    }
    void copyFont(const QString& folder, const QString& name) {
        QDir().mkpath(folder);
        QFile::copy(QDir(fontsDir()).filePath(name + QStringLiteral(".afm")),
                    QDir(folder).filePath(name + QStringLiteral(".afm")));
    }
};

} // namespace

TEST_F(PdfFonts, CodeAndStyleChooseTheBaseFont) {
    auto p = std::make_unique<PDFPrinter>();
    p->PDFFileName(path());
    p->PDFLoadAfm(fontsDir());
    p->PDFSetUnit(0);
    p->PDFBeginDoc();
    const struct {
        long code;
        int size;
        long style;
    } calls[] = {{0, 12, 2}, {2, 10, 1}, {2, 10, 12}, {1, 9, 0}, {2, 10, 0},
                 {0, 8, 21}, {1, 7, 1},  {4, 9, 0},   {3, 9, 0}, {7, 10, 0}};
    for (const auto& c : calls) {
        p->PDFSetFont(c.code, c.size, c.style);
        p->PDFTextOut(QStringLiteral("x"), 20, 20);
    }
    finish(*p);
    EXPECT_EQ(fontsUsed(),
              (QStringList{"Helvetica-Bold", "Times-Italic", "Times-BoldItalic", "Courier",
                           "Times-Roman", "Helvetica-BoldOblique", "Courier-Oblique",
                           "ZapfDingbats", "Symbol", "Times-Roman"}));
    EXPECT_TRUE(lines(content()).contains("/F13 10.00 Tf")); // the fallback keeps the size
    EXPECT_EQ(prompts().messages.size(), 1u);
    const QString fonts = runTool(QStringLiteral("pdffonts"), {path()});
    for (const char* name : {"Helvetica-Bold", "Courier-Oblique", "Times-Roman", "ZapfDingbats"})
        EXPECT_TRUE(fonts.contains(QRegularExpression(
            QLatin1String(name) + QStringLiteral("\\s+Type 1\\s+\\S+\\s+no\\s+no\\s+no"))))
            << name << fonts.toStdString();
    EXPECT_EQ(fonts.count(QStringLiteral("Type 1")), 14);
}

TEST_F(PdfFonts, WidthsComeFromTheMetricFilesByGlyphName) {
    PDFPrinter p;
    p.PDFLoadAfm(fontsDir());
    const QString helvetica = QStringLiteral("Helvetica");
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral(" "), helvetica, 10), 2.78);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("ç"), helvetica, 10), 5.00);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("Ação"), helvetica, 10), 22.79);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("é€'`"), helvetica, 10),
                     5.56 + 5.56 + 1.91 + 3.33);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("MMM"), QStringLiteral("Courier"), 20), 36);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("a"), QStringLiteral("Symbol"), 10), 6.31);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("abc"), QStringLiteral("NoSuchFont"), 10),
                     0);
    p.PDFSetFont(2, 10, 2);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("ã"), {}, 10), 5.00); // Times-Bold atilde
    // A text whose width passes 2^31 thousandths still measures its sum.
    const QString wide(2300000, QLatin1Char('W'));
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(wide, helvetica, 10), 2300000 * 9.44);
}

TEST_F(PdfFonts, MetricsAreReadOncePerDocumentAndToleratesBlankLines) {
    const QString folder = tmp.filePath(QStringLiteral("afm"));
    QDir().mkpath(folder);
    writeBytes(QDir(folder).filePath(QStringLiteral("Compact.afm")),
               "StartFontMetrics 4.1\r\nEncodingScheme AdobeStandardEncoding\r\n"
               "StartCharMetrics 3\r\nC 32 ; WX 250 ; N space ; B 0 0 0 0 ;\r\n"
               "C 97 ; WX 500 ; N a ; B 0 0 1 1 ;\r\nC -1 ; WX 600 ; N aacute ; B 0 0 1 1 ;\r\n"
               "EndCharMetrics\r\nEndFontMetrics\r\n");
    writeBytes(
        QDir(folder).filePath(QStringLiteral("Loose.afm")),
        "StartFontMetrics 4.1\n\nEncodingScheme AdobeStandardEncoding\nStartCharMetrics 3\n\n"
        "C 32 ; WX 250 ; N space ; B 0 0 0 0 ;\n\nC 97 ; WX 500 ; N a ; B 0 0 1 1 ;\n\n"
        "C -1 ; WX 600 ; N aacute ; B 0 0 1 1 ;\n\nEndCharMetrics\n\nEndFontMetrics\n");
    PDFPrinter p;
    p.PDFLoadAfm(folder);
    for (const char* font : {"Compact", "Loose"})
        EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("a á"), QLatin1String(font), 10), 13.5)
            << font;
    QFile::remove(QDir(folder).filePath(QStringLiteral("Compact.afm")));
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("a"), QStringLiteral("Compact"), 10), 5);
}

TEST_F(PdfFonts, TheFontListIsTheFoldersMetricFilesInNameOrder) {
    const QString pair = tmp.filePath(QStringLiteral("pair"));
    copyFont(pair, QStringLiteral("Helvetica-Bold"));
    copyFont(pair, QStringLiteral("Helvetica"));
    writeBytes(QDir(pair).filePath(QStringLiteral("notes.afm.bak")), "x");
    const QString empty = tmp.filePath(QStringLiteral("empty.afm"));
    QDir().mkpath(empty);
    writeBytes(QDir(empty).filePath(QStringLiteral("readme.txt")), "x");

    PDFPrinter p;
    p.PDFFileName(path());
    p.PDFLoadAfm(pair);
    p.PDFLoadAfm(empty); // no metric file: the list stays
    p.PDFBeginDoc();
    p.PDFSetFont(0, 10, 2);
    p.PDFTextOut(QStringLiteral("bold"), 10, 10);
    // Fonts the list lacks join it and are measured: from the metrics beside the program, or
    // as their family's plain font where there are none.
    p.PDFSetFont(2, 10, 0);
    p.PDFTextOut(QStringLiteral("times"), 10, 30);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("times"), {}, 10), 21.67);
    p.PDFSetFont(3, 10, 2);
    p.PDFTextOut(QStringLiteral("a"), 10, 50);
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("a"), {}, 10), 6.31);
    finish(p);
    EXPECT_TRUE(file.contains("/Font << \r\n/F1 4 0 R \r\n/F2 5 0 R \r\n/F3 6 0 R \r\n/F4 7 0 R "
                              "\r\n>>"));
    EXPECT_TRUE(object(4).contains("/BaseFont /Helvetica\r\n"));
    EXPECT_TRUE(object(5).contains("/BaseFont /Helvetica-Bold\r\n"));
    EXPECT_EQ(fontsUsed(), (QStringList{"Helvetica-Bold", "Times-Roman", "Symbol-Bold"}));
    EXPECT_FALSE(content().contains("/F0 "));
}

TEST_F(PdfFonts, DocumentsReuseWhatTheProcessReadOfAFontsFolderUntilItChanges) {
    namespace fs = std::filesystem;
    const QString folder = tmp.filePath(QStringLiteral("settled"));
    copyFont(folder, QStringLiteral("Helvetica"));
    // Left alone for an hour, as the program's own fonts folder is.
    fs::last_write_time(QFile::encodeName(folder).toStdString(),
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
    const auto widthOfA = [&] {
        PDFPrinter p;
        p.PDFLoadAfm(folder);
        return p.PDFGetStringWidth(QStringLiteral("a"), QStringLiteral("Helvetica"), 10);
    };
    EXPECT_DOUBLE_EQ(widthOfA(), 5.56);
    writeBytes(QDir(folder).filePath(QStringLiteral("Helvetica.afm")),
               "StartCharMetrics 1\nC 97 ; WX 700 ; N a ;\nEndCharMetrics\n");
    EXPECT_DOUBLE_EQ(widthOfA(), 5.56) << "a later document reuses the metrics read";
    copyFont(folder, QStringLiteral("Courier"));
    EXPECT_DOUBLE_EQ(widthOfA(), 7) << "a changed folder is read again";
}

TEST_F(PdfFonts, WithoutMetricFilesTextStillNamesAFont) {
    PDFPrinter p; // the program folder holds no metric file
    p.PDFFileName(path());
    p.PDFBeginDoc();
    p.PDFTextOut(QStringLiteral("sem métricas"), 10, 10);
    finish(p);
    EXPECT_TRUE(lines(content()).contains("/F1 10.00 Tf"));
    EXPECT_TRUE(file.contains("/Font << \r\n/F1 4 0 R \r\n>>"));
    EXPECT_TRUE(object(4).contains("/BaseFont /Helvetica\r\n"));
    EXPECT_DOUBLE_EQ(p.PDFGetStringWidth(QStringLiteral("a"), {}, 10), 5.56);
}

TEST_F(PdfFonts, AWatermarkCrossesEveryPageAndLeavesTheCallersFont) {
    auto p = open(path());
    p->PDFFiligran(QStringLiteral("CÓPIA"));
    p->PDFSetFont(1, 8, 0);
    p->PDFSetTextColor(0xFF0000L);
    p->PDFTextOut(QStringLiteral("first"), 20, 20);
    p->PDFEndPage();
    p->PDFNewPage();
    p->PDFTextOut(QStringLiteral("second"), 20, 20);
    finish(*p);
    for (int page : {1, 2}) {
        const QList<QByteArray> l = lines(content(page));
        const qsizetype at = l.indexOf("/F6 50.00 Tf");
        ASSERT_GT(at, 0) << page;
        EXPECT_TRUE(l[at - 1].startsWith("0.70711 0.70711 -0.70711 0.70711 "))
            << l[at - 1].toStdString();
        EXPECT_EQ(l[at - 4], "q 1.000 0.753 0.796 rg ");
        // The caller's text keeps its own font and colour.
        const qsizetype own = l.indexOf("/F1 8.00 Tf");
        ASSERT_GT(own, 0) << page;
        EXPECT_EQ(l[own - 4], "q 0.000 0.000 1.000 rg ");
    }
    EXPECT_TRUE(lines(content(2)).contains("(C\xd3PIA) Tj"));
}

TEST_F(PdfFonts, AWatermarkLandsOnThePageInEveryUnit) {
    // The pink pixels of the page rendered at 36 dpi.
    const auto pinkOf = [&](long unit) {
        const QString name = QStringLiteral("unit%1").arg(unit);
        PDFPrinter p;
        p.PDFFileName(path(name + QStringLiteral(".pdf")));
        p.PDFLoadAfm(fontsDir());
        p.PDFSetUnit(unit);
        p.PDFBeginDoc();
        p.PDFFiligran(QStringLiteral("CÓPIA"));
        finish(p, name + QStringLiteral(".pdf"));
        runTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("36"), QStringLiteral("-png"),
                 QStringLiteral("-singlefile"), path(name + QStringLiteral(".pdf")), path(name)});
        const QImage page(path(name + QStringLiteral(".png")));
        int pink = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                pink += c.red() > 240 && c.green() < 235 && c.blue() > c.green();
            }
        return pink;
    };
    const int points = pinkOf(0);
    EXPECT_GT(points, 100);
    for (long unit : {1, 2})
        EXPECT_NEAR(pinkOf(unit), points, points / 20) << "unit " << unit;
}

TEST_F(PdfFonts, WithoutAWatermarkPagesKeepTheirFontAndColour) {
    auto p = open(path());
    p->PDFSetFont(2, 9, 0);
    p->PDFSetTextColor(0x0000FFL);
    p->PDFEndPage();
    p->PDFNewPage();
    p->PDFTextOut(QStringLiteral("x"), 20, 20);
    finish(*p);
    EXPECT_FALSE(file.contains("50.00 Tf"));
    const QList<QByteArray> l = lines(content(2));
    EXPECT_TRUE(l.contains("/F13 9.00 Tf"));
    EXPECT_TRUE(l.contains("q 1.000 0.000 0.000 rg "));
}
