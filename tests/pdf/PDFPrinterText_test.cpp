// Text out, rotation and underline, cells with wrapping, borders and alignment, and links.
#include <algorithm>
#include <cmath>

#include <QRectF>
#include <QRegularExpression>

#include "Cp1252.h"
#include "PdfTestSupport.h"

using namespace vtx;
using namespace vtx::test;

namespace {

// A clinical note long enough to wrap in the cells below.
const QString kNote = QStringLiteral(
    "Paciente com evolução favorável após a sessão de fisioterapia respiratória, orientada a "
    "manter os exercícios diários e a hidratação adequada.");

class PdfText : public PdfTest {
protected:
    // The texts of the "(...) Tj" lines, unescaped and decoded.
    QStringList shownTexts() const {
        QStringList out;
        for (const QByteArray& l : lines(content()))
            if (l.startsWith('(') && l.endsWith(") Tj")) {
                QByteArray t = l.mid(1, l.size() - 5);
                t.replace("\\(", "(").replace("\\)", ")").replace("\\\\", "\\");
                out << Cp1252::decode(t);
            }
        return out;
    }
};

} // namespace

TEST_F(PdfText, TextOutWritesEscapedTextAtTheMarginShiftedPosition) {
    auto p = plain();
    p->PDFSetFont(0, 10, 0);
    p->PDFSetTextColor(0L);
    p->PDFSetTextColor(QStringLiteral("#000000"));
    p->PDFTextOut(QStringLiteral("a(b)c"), 25, 20);
    p->PDFTextOut(QStringLiteral("C:\\x("), 25, 40);
    finish(*p);
    const QList<QByteArray> expected = {"q 0.000 0.000 0.000 rg ",
                                        "%DEBUT_TEXT/%",
                                        "BT",
                                        "26.00 821.89 Td",
                                        "/F5 10.00 Tf",
                                        "(a\\(b\\)c) Tj",
                                        "ET",
                                        "Q",
                                        "%FIN_TEXT/%"};
    EXPECT_EQ(lines(content()).mid(0, 9), expected);
    EXPECT_TRUE(lines(content()).contains("(C:\\\\x\\() Tj"));
}

TEST_F(PdfText, TextComesBackAsTypedWithPortugueseLetters) {
    auto p = plain();
    p->PDFSetFont(2, 12, 0);
    const QString typed = QStringLiteral("Ação (teste) C:\\dir é ã õ ç É Ç – “aspas”");
    p->PDFTextOut(typed, 20, 50);
    finish(*p);
    const QString text = runTool(QStringLiteral("pdftotext"), {path(), QStringLiteral("-")});
    EXPECT_TRUE(text.contains(typed)) << text.toStdString();
    EXPECT_FALSE(content().contains(',')) << "numbers are written with a point";
}

TEST_F(PdfText, ZeroCoordinatesContinueWhereThePreviousTextEnded) {
    auto p = plain();
    p->PDFSetFont(0, 10, 0);
    p->PDFTextOut(QStringLiteral("Ação"), 100, 50);
    const double width =
        p->PDFGetStringWidth(QStringLiteral("Ação"), QStringLiteral("Helvetica"), 10);
    EXPECT_DOUBLE_EQ(width, 22.79); // A 667 + ccedilla 500 + atilde 556 + o 556
    const PDFPoint x = p->PDFTextOut(QStringLiteral("x"), 0, 80);
    EXPECT_DOUBLE_EQ(x.x, 122.79); // the caller receives the position used
    EXPECT_DOUBLE_EQ(x.y, 80);
    EXPECT_DOUBLE_EQ(p->PDFTextOut(QStringLiteral("y"), 30, 0).y, 90);
    finish(*p);
    const QList<QByteArray> l = lines(content());
    EXPECT_TRUE(l.contains("123.79 761.89 Td")); // 1 + 100 + 22.79
    EXPECT_TRUE(l.contains("31.00 751.89 Td"));  // y 80 + size 10
}

TEST_F(PdfText, RotationAppliesToTheNextTextOnlyAndUnderlineIsDrawnOnce) {
    auto p = plain();
    p->PDFSetFont(0, 10, 3);
    p->PDFSetFont(0, 10, 0); // the underline survives a plain font call
    p->PDFSetRotation(90);
    p->PDFTextOut(QStringLiteral("up"), 100, 200);
    p->PDFTextOut(QStringLiteral("flat"), 100, 300);
    finish(*p);
    const QList<QByteArray> l = lines(content());
    EXPECT_TRUE(l.contains("0.00000 1.00000 -1.00000 0.00000 100.00 641.89 Tm"));
    EXPECT_TRUE(l.contains("101.00 541.89 Td"));
    EXPECT_EQ(l.count("BT"), 2);
    int bars = 0;
    for (const QByteArray& line : l)
        bars += line.endsWith(" re f");
    EXPECT_EQ(bars, 1);
    EXPECT_TRUE(l.contains("101.00 640.00 11.12 -0.02 re f"));
}

TEST_F(PdfText, BorderAndAlignmentCodes) {
    auto p = plain();
    p->PDFSetFont(0, 10, 0);
    p->PDFSetAlignement(3);
    EXPECT_EQ(p->PDFGetAlignement(), QStringLiteral("Left"));
    p->PDFSetAlignement(0);
    EXPECT_EQ(p->PDFGetAlignement(), QStringLiteral("Center"));
    p->PDFSetAlignement(2);
    EXPECT_EQ(p->PDFGetAlignement(), QStringLiteral("Right"));
    p->PDFSetBorder(45);
    p->PDFCell(QStringLiteral("lr"), 10, 10, 100, 20);
    p->PDFSetBorder(6);
    p->PDFCell(QStringLiteral("none"), 10, 40, 100, 20);
    p->PDFSetBorder(1);
    p->PDFSetFill(true);
    p->PDFCell(QStringLiteral("frame"), 10, 70, 100, 20);
    finish(*p);
    const QByteArray c = content();
    // "LR": the left then the right side, each a stroked segment, lines ended by CR; a last
    // line starts one cell margin to the left.
    EXPECT_TRUE(c.contains("7.00 831.89 m 7.00 811.89 l S\r107.00 831.89 m 107.00 811.89 l "
                           "S\r\r\n"));
    EXPECT_EQ(c.count(" l S\r"), 2 + 4);
    EXPECT_TRUE(c.contains("7.00 771.89 100.00 -20.00 re f\r"));
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(PdfText, ACellWrapsAtTheWidthItMeasures) {
    auto p = plain();
    p->PDFSetFont(2, 10, 0);
    p->PDFSetAlignement(1);
    const QString& words = kNote;
    p->PDFCell(words, 20, 20, 150, 14);
    p->PDFCell(QStringLiteral("Pneumoultramicroscopicossilicovulcanoconiótico"), 20, 200, 60, 14);
    finish(*p);
    const QStringList shown = shownTexts();
    ASSERT_GT(shown.size(), 4);
    const double room = 150 - 2 * 3;
    QStringList wrapped;
    int pieces = 0;
    for (const QString& line : shown) {
        const double w = p->PDFGetStringWidth(line, QStringLiteral("Times-Roman"), 10);
        if (wrapped.join(QLatin1Char(' ')).size() < words.size()) {
            EXPECT_LE(w, room) << line.toStdString();
            wrapped << line;
        } else {
            EXPECT_LE(w, 60 - 2 * 3) << line.toStdString();
            ++pieces;
        }
    }
    EXPECT_EQ(wrapped.join(QLatin1Char(' ')), words);
    EXPECT_GT(pieces, 2);
}

TEST_F(PdfText, AWordCarriedPastABlankIsCutAgainWhenItIsStillTooWide) {
    auto p = plain();
    p->PDFSetFont(2, 10, 0);
    // "i " is narrower than the "W" that overflows the line, so the carried "W"s do not fit.
    const QString word(14, QLatin1Char('W'));
    p->PDFCell(QStringLiteral("i ") + word, 20, 20, 60, 14);
    finish(*p);
    const QStringList shown = shownTexts();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown.first(), QStringLiteral("i"));
    EXPECT_EQ(shown.mid(1).join(QString()), word);
    for (const QString& line : shown)
        EXPECT_LE(p->PDFGetStringWidth(line, QStringLiteral("Times-Roman"), 10), 60 - 2 * 3)
            << line.toStdString();
}

TEST_F(PdfText, LinksOpenTheirAddressAndACellLinkRecordsTwoAreas) {
    auto p = plain();
    p->PDFSetFont(0, 10, 0);
    p->PDFLink(20, 40, QStringLiteral("clínica"), QStringLiteral("https://example.org/a"));
    p->PDFLink(0, 40, QStringLiteral("mapa"), QStringLiteral("https://example.org/e"));
    p->PDFCell(QStringLiteral("ver"), 20, 60, 80, 14, QStringLiteral("https://example.org/b"));
    p->PDFDrawRectangle(20, 100, 50, 20, QStringLiteral("https://example.org/c"));
    p->PDFDrawEllipse(120, 100, 50, 20, QStringLiteral("https://example.org/d"));
    finish(*p);
    const QString urls = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-url"), path()});
    EXPECT_EQ(urls.count(QStringLiteral("https://example.org/a")), 1) << urls.toStdString();
    EXPECT_EQ(urls.count(QStringLiteral("https://example.org/b")), 2);
    EXPECT_EQ(urls.count(QStringLiteral("https://example.org/c")), 1);
    EXPECT_EQ(urls.count(QStringLiteral("https://example.org/d")), 1);
    // The text link underlines its text; its area covers the text, drawn at the margin.
    EXPECT_TRUE(file.contains("/Rect [21 809.89 49 799.89]")) << file.toStdString();
    EXPECT_TRUE(file.contains("/Rect [49.34 809.89 74.34 799.89]")); // where "clínica" ended
    EXPECT_TRUE(content().contains("(cl\xednica) Tj"));
}

TEST_F(PdfText, JustifiedLinesSpreadTheRoomTheWrapLeavesBetweenTheirWords) {
    auto p = plain();
    p->PDFSetAlignement(3);
    p->PDFSetFont(0, 11, 0); // Helvetica, where the wrap leaves little room on most lines
    p->PDFCell(kNote, 300, 40, 200, 16);
    finish(*p);
    QList<double> spacings;
    for (const QByteArray& l : lines(content()))
        if (l.endsWith(" Tw"))
            spacings << l.chopped(3).toDouble();
    // Every word stands apart, and each line ends one cell margin inside the right side
    // (the cell's lines start at 297 and their text 6 points further).
    const QList<WordBox> shown = pageWords(path());
    QStringList texts;
    for (const WordBox& w : shown) {
        texts << w.text;
        EXPECT_LE(w.xMax, 497.1) << w.text.toStdString();
    }
    EXPECT_EQ(texts.join(QLatin1Char(' ')), kNote);
    qsizetype shownLines = 1;
    for (qsizetype i = 0; i + 1 < shown.size(); ++i) {
        if (shown[i + 1].yMin > shown[i].yMin + 1) {
            EXPECT_NEAR(shown[i].xMax, 497, 0.1) << shown[i].text.toStdString();
            ++shownLines;
        }
    }
    // Each line spreads the room it has left among its blanks; the cell's end sets it back.
    ASSERT_EQ(spacings.size(), shownLines + 1);
    EXPECT_EQ(spacings.takeLast(), 0);
    for (double spacing : spacings)
        EXPECT_GT(spacing, 0);
}

TEST_F(PdfText, LinkAreasCoverTheirTextInCentimetres) {
    PDFPrinter p; // centimetres, left margin 1, cell margin 3
    p.PDFFileName(path());
    p.PDFLoadAfm(fontsDir());
    p.PDFBeginDoc();
    p.PDFSetFont(0, 14, 0);
    p.PDFLink(3, 5, QStringLiteral("exemplo.org"), QStringLiteral("https://example.org/a"));
    p.PDFCell(QStringLiteral("ver"), 5, 8, 10, 1, QStringLiteral("https://example.org/b"));
    finish(p);
    static const QRegularExpression rect(
        QStringLiteral("/Rect \\[([-\\d.]+) ([-\\d.]+) ([-\\d.]+) ([-\\d.]+)\\]"));
    QList<QRectF> areas; // from the top of the page, as pdftotext gives words
    for (auto it = rect.globalMatch(QString::fromLatin1(file)); it.hasNext();) {
        const auto m = it.next();
        areas << QRectF(QPointF(m.captured(1).toDouble(), 841.89 - m.captured(2).toDouble()),
                        QPointF(m.captured(3).toDouble(), 841.89 - m.captured(4).toDouble()))
                     .normalized();
    }
    ASSERT_EQ(areas.size(), 3);
    const QList<WordBox> words = pageWords(path());
    ASSERT_EQ(words.size(), 2);
    for (const WordBox& w : words) {
        const QRectF word(QPointF(w.xMin, w.yMin), QPointF(w.xMax, w.yMax));
        const bool covered = std::any_of(areas.begin(), areas.end(), [&](const QRectF& a) {
            return a.contains(word.center()) && std::abs(a.left() - word.left()) < 1 &&
                   std::abs(a.right() - word.right()) < 1 && a.height() > word.height() / 2 &&
                   a.height() < word.height() * 2;
        });
        EXPECT_TRUE(covered) << w.text.toStdString();
    }
}
