// Page setup: defaults, formats, orientation and units as they reach the file, margins, and the
// messages of refused codes.
#include "PdfTestSupport.h"

using namespace vtx;
using namespace vtx::test;

namespace {

class PdfSetup : public PdfTest {};

struct FormatCase {
    long format;
    std::optional<long> orientation;
    const char* mediaBox;
    const char* pdfinfoSize;
};

class PdfFormats : public PdfTest, public ::testing::WithParamInterface<FormatCase> {};

} // namespace

TEST_F(PdfSetup, ANewWriterHasTheDocumentedDefaults) {
    PDFPrinter p;
    EXPECT_EQ(p.PDFGetUnit(), QStringLiteral("cm"));
    EXPECT_EQ(p.PDFGetLeftMargin(), 1);
    EXPECT_EQ(p.PDFGetRightMargin(), 1);
    EXPECT_EQ(p.PDFGetCellMargin(), 3);
    EXPECT_EQ(p.PDFGetX(), 1);
    EXPECT_EQ(p.PDFGetY(), 1);
    EXPECT_DOUBLE_EQ(p.PDFGetPageWidth(), 595.28);
    EXPECT_DOUBLE_EQ(p.PDFGetPageHeight(), 841.89);
    EXPECT_FALSE(p.PDFGetZoomMode().has_value());
    EXPECT_FALSE(p.PDFGetLayoutMode().has_value());
}

TEST_P(PdfFormats, EachFormatAndOrientationGivesItsMediaBox) {
    const FormatCase c = GetParam();
    for (long unit : {0L, 1L, 2L}) {
        const QString name = QStringLiteral("f%1.pdf").arg(unit);
        PDFPrinter p;
        p.PDFFileName(path(name));
        p.PDFLoadAfm(fontsDir());
        p.PDFFormatPage(static_cast<int>(c.format));
        if (c.orientation)
            p.PDFOrientation(*c.orientation);
        p.PDFSetUnit(unit);
        p.PDFBeginDoc();
        p.PDFTextOut(QStringLiteral("x"), 1, 1);
        finish(p, name);
        EXPECT_TRUE(file.contains(QByteArray("/MediaBox [ 0 0 ") + c.mediaBox + "]")) << c.mediaBox;
        const PdfCheck check = checkPdf(path(name));
        EXPECT_EQ(check.version, QStringLiteral("1.3"));
        EXPECT_EQ(check.pages, 1);
        EXPECT_TRUE(check.pageSize.startsWith(QLatin1String(c.pdfinfoSize)))
            << check.pageSize.toStdString();
    }
    EXPECT_TRUE(prompts().messages.empty());
}

INSTANTIATE_TEST_SUITE_P(AllFormats, PdfFormats,
                         ::testing::Values(FormatCase{0, std::nullopt, "595.28 841.89",
                                                      "595.28 x 841.89"},
                                           FormatCase{0, 1, "595 842", "595 x 842 pts (A4)"},
                                           FormatCase{0, 0, "842 595", "842 x 595 pts (A4)"},
                                           FormatCase{1, 1, "842 1191", "842 x 1191 pts (A3)"},
                                           FormatCase{1, 0, "1191 842", "1191 x 842 pts (A3)"},
                                           FormatCase{2, 1, "421 595", "421 x 595 pts (A5)"},
                                           FormatCase{2, 0, "595 421", "595 x 421 pts (A5)"},
                                           FormatCase{3, 1, "612 792", "612 x 792 pts (letter)"},
                                           FormatCase{3, 0, "792 612", "792 x 612 pts (letter)"},
                                           FormatCase{4, 1, "612 1008", "612 x 1008 pts"},
                                           FormatCase{4, 0, "1008 612", "1008 x 612 pts"}));

TEST_F(PdfSetup, AnExplicitSizeStaysUnroundedUntilAnOrientation) {
    PDFPrinter p;
    p.PDFFormatPage(QVariantList{300.5, 400.25});
    EXPECT_DOUBLE_EQ(p.PDFGetPageWidth(), 300.5);
    EXPECT_DOUBLE_EQ(p.PDFGetPageHeight(), 400.25);
    p.PDFOrientation(0);
    EXPECT_DOUBLE_EQ(p.PDFGetPageWidth(), 400);
    EXPECT_DOUBLE_EQ(p.PDFGetPageHeight(), 300);
    p.PDFOrientation(0); // twice landscape swaps back
    EXPECT_DOUBLE_EQ(p.PDFGetPageWidth(), 300);
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(PdfSetup, PagesKeepTheirOwnFormat) {
    PDFPrinter p;
    p.PDFFileName(path());
    p.PDFLoadAfm(fontsDir());
    p.PDFFormatPage(0);
    p.PDFOrientation(1);
    p.PDFBeginDoc();
    p.PDFEndPage();
    p.PDFNewPage();
    p.PDFFormatPage(0);
    p.PDFOrientation(0);
    p.PDFEndPage();
    p.PDFNewPage(); // a page whose format was never closed takes the one before it
    finish(p);
    const QString pages =
        runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("3"), path()});
    EXPECT_TRUE(pages.contains(QStringLiteral("Page    1 size:  595 x 842")));
    EXPECT_TRUE(pages.contains(QStringLiteral("Page    2 size:  842 x 595")));
    EXPECT_TRUE(pages.contains(QStringLiteral("Page    3 size:  842 x 595")));
}

TEST_F(PdfSetup, RefusedCodesShowTheirMessageAndFallBack) {
    PDFPrinter p;
    p.PDFSetUnit(7);
    EXPECT_EQ(p.PDFGetUnit(), QStringLiteral("cm"));
    p.PDFSetLayoutMode(9);
    EXPECT_EQ(p.PDFGetLayoutMode(), 0);
    p.PDFFormatPage(1);
    p.PDFOrientation(5);
    EXPECT_DOUBLE_EQ(p.PDFGetPageWidth(), 842);
    EXPECT_DOUBLE_EQ(p.PDFGetPageHeight(), 1191);
    p.PDFFormatPage(9);
    EXPECT_DOUBLE_EQ(p.PDFGetPageWidth(), 595.28);
    p.PDFFormatPage(QVariant::fromValue<short>(3));
    p.PDFSetDrawMode(5);
    p.PDFSetLineStyle(4);
    p.PDFSetAlignement(8);
    EXPECT_EQ(p.PDFGetAlignement(), QStringLiteral("Left"));
    p.PDFSetFont(7, 10, 0);
    p.PDFSetTextColor(QStringLiteral("red"));

    const QString crlf = QStringLiteral("\r\n");
    const std::pair<QString, QString> expected[] = {
        {"Code unité de mesure incorrect : 7." + crlf +
             "L'Unité de Mesure utilisée sera le centimètre.",
         "Code Unité de Mesure - Ruvelo 4.0"},
        {"Layout incorrect : 9." + crlf + "Le Layout utilisé sera le layout simple.",
         "Layout Mode - Ruvelo 4.0"},
        {"Code orientation de page incorrect : 5." + crlf +
             "L'Orientation de la page sera le mode portrait.",
         "Type d'Orientation de Page - Ruvelo 4.0"},
        {"Code format de page incorrect : 9." + crlf +
             "Le Format de page utilisé sera le format A4.",
         "Format de Page - Ruvelo 4.0"},
        {"Code format de page incorrect : 3." + crlf +
             "Le Format de page utilisé sera le format A4",
         "Format de Page - Ruvelo 4.0"},
        {"Code type de traçage incorrect : 5." + crlf +
             "Le type de traçage utilisé sera bordure et remplissage.",
         "Objet Rectangle - Ruvelo 4.0"},
        {"Code style de ligne incorrect : 4." + crlf + "Le style de ligne utilisé sera pSolid.",
         "Style de Ligne - Ruvelo 4.0"},
        {"Code alignement incorrect : 8." + crlf +
             "L'alignement utilisé sera l'alignement à gauche.",
         "Code Alignement de Cellule - Ruvelo 4.0"},
        {"Nom de font incorrecte : 7." + crlf +
             "La font utilisée sera Times New Roman non gras , non italique.",
         "Nom de Font - Ruvelo 4.0"},
        {"Code couleur HTMl invalide red." + crlf + "La couleur utilisée sera le noir.",
         "Couleur HTMl - Ruvelo 4.0"},
    };
    ASSERT_EQ(prompts().messages.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(prompts().messages[i].text, expected[i].first) << i;
        EXPECT_EQ(prompts().messages[i].title, expected[i].second) << i;
        EXPECT_EQ(prompts().messages[i].icon, MsgIcon::Critical) << i;
        EXPECT_EQ(prompts().messages[i].buttons, MsgButtons::Ok) << i;
    }
}

TEST_F(PdfSetup, MarginsAreWholeUnitsRoundedHalfToEven) {
    PDFPrinter p;
    const PDFMargins used = p.PDFSetMargins(2, 3);
    EXPECT_EQ(used.right, 2); // the caller receives the replaced values
    EXPECT_EQ(used.bottom, 3);
    EXPECT_EQ(p.PDFGetRightMargin(), 2);
    EXPECT_EQ(p.PDFGetBottomMargin(), 3);
    p.PDFSetMargins(2, 3, 7, 9);
    EXPECT_EQ(p.PDFGetRightMargin(), 7);
    EXPECT_EQ(p.PDFGetBottomMargin(), 9);
    p.PDFSetLeftMargin(2.5);
    EXPECT_EQ(p.PDFGetLeftMargin(), 2);
    p.PDFSetLeftMargin(3.5);
    EXPECT_EQ(p.PDFGetLeftMargin(), 4);
    p.PDFSetTopMargin(1.5);
    EXPECT_EQ(p.PDFGetTopMargin(), 2);
    p.PDFSetCellMargin(0.4);
    EXPECT_EQ(p.PDFGetCellMargin(), 0);
}

TEST_F(PdfSetup, UnitsScaleCoordinatesAndTheFallbackModeFillsAndStrokes) {
    auto p = std::make_unique<PDFPrinter>();
    p->PDFFileName(path());
    p->PDFLoadAfm(fontsDir());
    p->PDFSetUnit(1);
    EXPECT_EQ(p->PDFGetUnit(), QStringLiteral("mm"));
    p->PDFBeginDoc();
    p->PDFSetLineStyle(1);
    p->PDFSetLineWidth(1);
    p->PDFDrawLine(10, 10, 20, 10);
    p->PDFSetDrawMode(5);
    p->PDFDrawRectangle(10, 20, 30, 40);
    finish(*p);
    const QList<QByteArray> l = lines(content());
    // 16 mm and 8 mm in whole points; 10 mm = 28.35 pt.
    EXPECT_TRUE(l.contains("[45 22 ] 0 d"));
    EXPECT_TRUE(l.contains("28.35 813.54 m"));
    EXPECT_TRUE(l.contains("56.69 813.54 l"));
    EXPECT_TRUE(l.contains("2.83 w S"));
    EXPECT_TRUE(l.contains("28.35 785.20 85.04 -113.39 re B"));
}
