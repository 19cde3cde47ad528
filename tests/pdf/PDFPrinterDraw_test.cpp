// Lines, shapes and colours as content lines, and a rendered check that colour and width work.
#include <QImage>

#include "PdfTestSupport.h"

using namespace vtx;
using namespace vtx::test;

namespace {

class PdfDraw : public PdfTest {};

} // namespace

TEST_F(PdfDraw, ALineWritesItsOperatorsAndMovesThePosition) {
    auto p = plain();
    p->PDFSetLineColor(0L);
    p->PDFDrawLine(15, 32, 575, 32);
    EXPECT_EQ(p->PDFGetX(), 575);
    EXPECT_EQ(p->PDFGetY(), 32);
    p->PDFDrawLine(100, 90, 50, 60);
    EXPECT_EQ(p->PDFGetX(), 100);
    EXPECT_EQ(p->PDFGetY(), 90);
    finish(*p);
    const QList<QByteArray> expected = {
        "%DEBUT_LN/%",          "[] 0 d",   "15.00 809.89 m", "575.00 809.89 l",
        "0.000 0.000 0.000 RG", "0.50 w S", "%FIN_LN/%"};
    EXPECT_EQ(lines(content()).mid(0, 7), expected);
}

TEST_F(PdfDraw, TheThreeColourFormsAgreeAndComponentsStayInRange) {
    auto p = plain();
    const auto textColour = [&](auto colour) {
        p->PDFSetTextColor(colour);
        p->PDFTextOut(QStringLiteral("x"), 10, 10);
    };
    textColour(QStringLiteral("#0000FF"));
    textColour(0xFF0000L);
    textColour(std::array<int, 3>{0, 0, 255});
    textColour(QStringLiteral("#FF8000"));
    textColour(128L);
    textColour(-1L);
    textColour(std::array<int, 3>{300, -4, 128});
    textColour(QStringLiteral("#12")); // too short: message and black
    p->PDFSetDrawColor(QStringLiteral("#00FF00"));
    p->PDFSetLineColor(0x00FF00L);
    p->PDFDrawLineHor(10, 10, 50);
    finish(*p);
    QList<QByteArray> ops;
    for (const QByteArray& l : lines(content()))
        if (l.startsWith("q "))
            ops << l;
    const QList<QByteArray> expected = {"q 0.000 0.000 1.000 rg ", "q 0.000 0.000 1.000 rg ",
                                        "q 0.000 0.000 1.000 rg ", "q 1.000 0.502 0.000 rg ",
                                        "q 0.502 0.000 0.000 rg ", "q 0.000 0.000 0.000 rg ",
                                        "q 1.000 0.000 0.502 rg ", "q 0.000 0.000 0.000 rg "};
    EXPECT_EQ(ops, expected);
    EXPECT_TRUE(lines(content()).contains("0.000 1.000 0.000 RG"));
    EXPECT_EQ(prompts().messages.size(), 1u);
}

TEST_F(PdfDraw, ARectangleStrokesWithItsWidthAndLeavesTheTextWhite) {
    auto p = plain();
    p->PDFSetLineColor(0xFF0000L);
    p->PDFDrawRectangle(10, 10, 100, 50);
    EXPECT_EQ(p->PDFGetX(), 10);
    EXPECT_EQ(p->PDFGetY(), 60);
    p->PDFTextOut(QStringLiteral("white"), 20, 30);
    p->PDFSetDrawMode(1);
    p->PDFDrawRectangle(10, 100, 20, 20);
    finish(*p);
    const QList<QByteArray> l = lines(content());
    const QList<QByteArray> expected = {"%DEBUT_RECT/%",
                                        "0.000 0.000 1.000 RG",
                                        "[] 0 d",
                                        "0.50 w",
                                        "10.00 831.89 100.00 -50.00 re s",
                                        "%FIN_RECT/%",
                                        "q 1.000 1.000 1.000 rg "};
    EXPECT_EQ(l.mid(0, 7), expected);
    EXPECT_TRUE(l.contains("10.00 741.89 20.00 -20.00 re f"));
}

TEST_F(PdfDraw, StraightLinesCarryTheLineColourIntoTheFill) {
    auto p = plain();
    p->PDFSetLineColor(0xFF0000L);
    p->PDFDrawLineHor(10, 20, 100);
    EXPECT_EQ(p->PDFGetX(), 110);
    p->PDFDrawLineVer(10, 20, 30);
    EXPECT_EQ(p->PDFGetY(), 50);
    p->PDFSetDrawMode(1); // a filled shape shows the fill colour

    p->PDFDrawRectangle(5, 5, 5, 5);
    finish(*p);
    const QList<QByteArray> l = lines(content());
    EXPECT_EQ(l.mid(0, 8), (QList<QByteArray>{"%DEBUT_LNH/%", "[] 0 d", "10.00 821.89 m",
                                              "110.00 821.89 l", "0.000 0.000 1.000 RG", "0.50 w S",
                                              "%FIN_LNH/%", "%DEBUT_LNV/%"}));
    EXPECT_TRUE(l.contains("10.00 791.89 l"));
    EXPECT_TRUE(l.contains("0.000 0.000 1.000 rg"));
}

TEST_F(PdfDraw, EllipsesArePolygonsAndDashesFollowTheirShapes) {
    auto p = plain();
    p->PDFSetLineStyle(3);
    p->PDFDrawEllipse(100, 100, 40, 0);
    EXPECT_EQ(p->PDFGetY(), 120);
    p->PDFSetLineStyle(2);
    p->PDFSetDrawMode(2);
    p->PDFDrawPolygon({10, 10, 50, 10, 30, 40, 99});
    p->PDFDrawPolygon({});
    finish(*p);
    const QList<QByteArray> l = lines(content());
    // A circle: four curves through the box's edge midpoints, symmetric about its centre.
    const QList<QByteArray> circle = {"0 G",
                                      "[8 4 2 4 2 4 ] 0 d",
                                      "100.00 721.89 m",
                                      "100.00 732.89 109.00 741.89 120.00 741.89 c",
                                      "131.00 741.89 140.00 732.89 140.00 721.89 c",
                                      "140.00 710.89 131.00 701.89 120.00 701.89 c",
                                      "109.00 701.89 100.00 710.89 100.00 721.89 c",
                                      "0.50 w s"};
    EXPECT_EQ(l.mid(0, 8), circle);
    const QList<QByteArray> polygon = {"0 g",
                                       "0 G",
                                       "%DEBUT_POLY/%",
                                       "[8 7 2 7 ] 0 d",
                                       "10.00 831.89 m",
                                       "50.00 831.89 l",
                                       "30.00 801.89 l",
                                       "10.00 831.89 l",
                                       "0.50 w B",
                                       "%FIN_POLY/%"};
    const qsizetype at = l.indexOf("%DEBUT_POLY/%");
    ASSERT_GE(at, 2);
    EXPECT_EQ(l.mid(at - 2, polygon.size()), polygon);
    EXPECT_EQ(l.count("%DEBUT_POLY/%"), 1);
}

TEST_F(PdfDraw, ABlueTwoPointLineRendersBlue) {
    auto p = plain();
    p->PDFSetLineWidth(2);
    p->PDFSetLineColor(0xFF0000L);
    p->PDFDrawLine(100, 100, 400, 100);
    finish(*p);
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), path(), path(QStringLiteral("page"))});
    const QImage page(path(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    const QColor on = page.pixelColor(250, 100), off = page.pixelColor(250, 120);
    EXPECT_LT(on.red(), 60);
    EXPECT_GT(on.blue(), 200);
    EXPECT_EQ(off, QColor(Qt::white));
}
