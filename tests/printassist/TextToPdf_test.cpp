// The PDF 1.2 text converter: validity with the tools, byte layout, page figures, wrapping,
// page breaks and failures.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "Clock.h"
#include "PdfCheck.h"
#include "ReportFolderTest.h"
#include "TextToPdf.h"

namespace vtx::test {
namespace {

class TextToPdfTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::set(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))); }

    /// Converts the Windows-1252 lines (joined with CR LF) with the callers' setting.
    QByteArray convert(const QByteArray& text, TextPdfSettings settings = {}) {
        EXPECT_TRUE(writeBytes(input, text));
        result = TextToPdf::convert(input, output, settings);
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
        return readFile(output);
    }

    QTemporaryDir dir;
    QString input = dir.filePath(QStringLiteral("in.txt"));
    QString output = dir.filePath(QStringLiteral("out.pdf"));
    TextPdfResult result;
};

TEST_F(TextToPdfTest, ReportPassesTheToolsAndReadsBackAsTyped) {
    const QByteArray line = "  Fun\xE7\xE3o (a) \\ b\\c | Jos\xE9 \xC1vila  ";
    const QByteArray pdf = convert(line + "\r\nsegunda linha\r\n");
    const auto info = expectValidPdf(output).info;
    EXPECT_EQ(info.value(QStringLiteral("PDF version")), QStringLiteral("1.2"));
    EXPECT_EQ(info.value(QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_TRUE(info.value(QStringLiteral("Page size")).startsWith(QStringLiteral("1008 x 792")));
    EXPECT_EQ(info.value(QStringLiteral("Page rot")), QStringLiteral("0"));
    const QString text = pageText(output, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("Função (a) \\ b\\c | José Ávila")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("segunda linha")));
    EXPECT_TRUE(text.contains(QLatin1Char('1')));
    // Blanks at the ends of a line are not written.
    EXPECT_TRUE(pdf.contains("T* (Fun\xE7\xE3o \\(a\\) \\\\ b\\\\c | Jos\xE9 \xC1vila\r\n) Tj\r"));
}

TEST_F(TextToPdfTest, RotationAndDocumentInformation) {
    TextPdfSettings s;
    s.rotation = 90;
    s.title = QStringLiteral("Relatório (1)");
    s.author = QStringLiteral("a\\b");
    const QByteArray pdf = convert("x\r\n", s);
    const auto info = expectValidPdf(output).info;
    EXPECT_EQ(info.value(QStringLiteral("Page rot")), QStringLiteral("90"));
    EXPECT_EQ(info.value(QStringLiteral("Title")), QStringLiteral("Relatório (1)"));
    EXPECT_EQ(info.value(QStringLiteral("Author")), QStringLiteral("a\\b"));
    EXPECT_EQ(info.value(QStringLiteral("Producer")), QStringLiteral("Tekvora v1.0"));
    EXPECT_TRUE(pdf.contains("/CreationDate (D:20260304050607)\r"));
    EXPECT_TRUE(pdf.contains("/Title (Relat\xF3rio \\(1\\))\r"));
}

TEST_F(TextToPdfTest, FileLayoutByteByByte) {
    const QByteArray pdf = convert("a\r\n\f\r\nb\r\n");
    EXPECT_TRUE(pdf.startsWith("%PDF-1.2\r%\xE2\xE3\xCF\xD3\r1 0 obj\r"));
    EXPECT_TRUE(pdf.endsWith("%%EOF\r"));
    EXPECT_EQ(pdf.count("\n"), pdf.count("\r\n"));
    // Only the stream keywords and the shown strings carry CR LF.
    EXPECT_EQ(pdf.count("\r\n"),
              pdf.count("stream\r\n") - pdf.count("endstream\r\n") + pdf.count("\r\n) Tj"));
    EXPECT_EQ(xrefProblem(pdf), QString());
    EXPECT_EQ(xrefObjects(pdf), 6 + 2 * 3);
    // Objects in the order 1, 4, 5, 6, the pages, then 2 and 3.
    QList<int> order;
    for (qsizetype at = 0; (at = pdf.indexOf(" 0 obj\r", at)) >= 0; at += 6)
        order << pdf.mid(pdf.lastIndexOf('\r', at) + 1, at - pdf.lastIndexOf('\r', at) - 1).toInt();
    EXPECT_EQ(order, (QList<int>{1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 2, 3}));
    EXPECT_TRUE(pdf.contains("/Kids [ 7 0 R 10 0 R ]\r"));
    EXPECT_TRUE(pdf.contains("/MediaBox [ 0 0 1008 792 ]\r"));
    EXPECT_TRUE(pdf.contains("BT\r/F1 10 Tf\r1 0 0 1 50 752 Tm\r12 TL\r"));
    EXPECT_TRUE(pdf.contains("1 0 0 1 504 25 Tm\r(2) Tj\r/F1 10 Tf\rET\r"));
    // Each stream length counts from after "stream" through "ET" and its CR.
    for (qsizetype at = 0; (at = pdf.indexOf("stream\r\n", at)) >= 0;) {
        const qsizetype start = at + 8;
        const qsizetype end = pdf.indexOf("ET\rendstream\r", start) + 3;
        const qsizetype lengthObj = pdf.indexOf("endobj\r", end) + 7;
        const QByteArray length = pdf.mid(pdf.indexOf('\r', lengthObj) + 1, 20);
        EXPECT_EQ(length.left(length.indexOf('\r')).toLongLong(), end - start);
        at = end;
    }
}

TEST_F(TextToPdfTest, PageFiguresPerSetting) {
    struct Case {
        const char* font;
        int size;
        double w, h;
        int width, height, lines, chars;
        const char* leading;
    };
    const Case cases[] = {
        {"Courier", 10, 14, 11, 1008, 792, 60, 151, "12 TL"},
        {"Courier", 8, 8.5, 11, 612, 792, 75, 115, "9.6 TL"},
        {"Courier", 12, 8.5, 14, 612, 1008, 65, 76, "14.4 TL"},
        {"Courier", 16, 14, 11, 1008, 792, 38, 94, "19.2 TL"},
        {"Courier", 18, 14, 11, 1008, 792, 33, 84, "21.6 TL"},
        {"Courier New", 10, 14, 11, 1008, 792, 60, 151, "12 TL"},
        {"Courier", 10, 0, 0, 1008, 792, 60, 151, "12 TL"},
        {"Courier", 2000, 14, 11, 1008, 792, 1, 1, "2400 TL"},
    };
    for (const Case& c : cases) {
        TextPdfSettings s;
        s.fontName = QLatin1String(c.font);
        s.fontSize = c.size;
        s.pageWidth = c.w;
        s.pageHeight = c.h;
        const TextPdfPage page = TextToPdf::pageFor(s);
        SCOPED_TRACE(std::string(c.font) + " " + std::to_string(c.size));
        EXPECT_EQ(page.width, c.width);
        EXPECT_EQ(page.height, c.height);
        EXPECT_EQ(page.linesPerPage, c.lines);
        EXPECT_EQ(page.charsPerLine, c.chars);
        EXPECT_TRUE(convert("x\r\n", s).contains(QByteArray(c.leading) + "\r"));
    }
    // One character a line and one line a page still make progress, escapes kept whole.
    TextPdfSettings huge;
    huge.fontSize = 2000;
    const auto pages = pageStrings(convert("ab(", huge));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0], QList<QByteArray>{"a"});
    EXPECT_EQ(pages[1], QList<QByteArray>{"b"});
    EXPECT_EQ(pages[2], QList<QByteArray>{"\\("});
    expectValidPdf(output);
}

TEST_F(TextToPdfTest, CourierNewIsWrittenAsCourierAndItsLinesFitEveryPage) {
    for (const char* font : {"Courier", "Courier New"})
        for (double width : {8.5, 14.0})
            for (int size : {8, 10, 20}) {
                SCOPED_TRACE(std::string(font) + " " + std::to_string(width) + " " +
                             std::to_string(size));
                TextPdfSettings s;
                s.fontName = QLatin1String(font);
                s.fontSize = size;
                s.pageWidth = width;
                s.pageHeight = 11;
                const QByteArray pdf = convert(QByteArray(400, 'x') + "\r\n", s);
                EXPECT_TRUE(pdf.contains("/BaseFont /Courier\r"));
                expectValidPdf(output);
                const QList<WordBox> words = pageWords(output);
                ASSERT_GE(words.size(), 2);
                for (const WordBox& w : words)
                    EXPECT_LE(w.xMax, width * 72) << w.text.toStdString();
            }
}

TEST_F(TextToPdfTest, WrapsAtTheWidthAndAtTheLastWrapCharacter) {
    const QByteArray exact(151, 'x');
    const QByteArray over = QByteArray(152, 'y');
    const QByteArray soft = QByteArray(100, 'a') + " " + QByteArray(80, 'b');
    const QByteArray early = QByteArray(50, 'c') + " " + QByteArray(120, 'd');
    const auto pages = pageStrings(convert(exact + "\r\n" + over + "\r\n" + soft + "\r\n" + early));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (QList<QByteArray>{exact, QByteArray(151, 'y'), "y",
                                           QByteArray(100, 'a') + " ", QByteArray(80, 'b'),
                                           QByteArray(50, 'c') + " " + QByteArray(100, 'd'),
                                           QByteArray(20, 'd')}));
    expectValidPdf(output);
}

TEST_F(TextToPdfTest, EscapesNeitherLengthenALineNorAreCutApart) {
    // A full-width line holding "\\", "(" or ")" fits: only shown characters count.
    const QByteArray full = QByteArray(148, 'x') + "\\()";
    const QByteArray slash = QByteArray(151, 'x') + "\\" + QByteArray(10, 'z');
    const QByteArray pair = QByteArray(150, 'x') + "\\" + QByteArray(10, 'z');
    const auto pages = pageStrings(convert(full + "\r\n" + slash + "\r\n" + pair + "\r\n"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (QList<QByteArray>{QByteArray(148, 'x') + "\\\\\\(\\)",
                                           QByteArray(151, 'x'), "\\\\" + QByteArray(10, 'z'),
                                           QByteArray(150, 'x') + "\\\\", QByteArray(10, 'z')}));
    expectValidPdf(output);
    const QString text = pageText(output, 1);
    EXPECT_TRUE(text.contains(QString(148, QLatin1Char('x')) + QStringLiteral("\\()")));
    EXPECT_TRUE(text.contains(QStringLiteral("\\zzzzzzzzzz")));
}

TEST_F(TextToPdfTest, PageBreaksByCountAndFormFeed) {
    QByteArray text;
    for (int i = 1; i <= 59; ++i)
        text += "linha " + QByteArray::number(i) + "\r\n";
    text += QByteArray(151, 'p') + QByteArray(20, 'q') + "\r\n"; // wraps at the page's foot
    text += "\fnova\r\nfim";
    const QByteArray pdf = convert(text);
    const auto pages = pageStrings(pdf);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].size(), 60);
    EXPECT_EQ(pages[0].last(), QByteArray(151, 'p'));
    EXPECT_EQ(pages[1], (QList<QByteArray>{QByteArray(20, 'q')}));
    EXPECT_EQ(pages[2], (QList<QByteArray>{"\fnova", "fim"}));
    // The page number closes the page before the rest of the wrapped line.
    EXPECT_LT(pdf.indexOf("(1) Tj"), pdf.indexOf("T* (qqqq"));
    EXPECT_EQ(expectValidPdf(output).pages, 3);
    EXPECT_TRUE(pageText(output, 2).contains(QStringLiteral("qqqq")));
}

TEST_F(TextToPdfTest, LeadingFormFeedAndEmptyLineGivePagesWithOnlyTheirNumber) {
    auto pages = pageStrings(convert("\f\r\nx"));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[0].isEmpty());
    EXPECT_EQ(pageText(output, 1).trimmed(), QStringLiteral("1"));
    pages = pageStrings(convert("\r\n"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pageText(output, 1).trimmed(), QStringLiteral("1"));
}

TEST_F(TextToPdfTest, LinesEndWithCrLfCrOrLf) {
    const auto pages = pageStrings(convert("a\rb\nc\r\n\r\nd"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (QList<QByteArray>{"a", "b", "c", "", "d"}));
}

TEST_F(TextToPdfTest, MoreThanTheOldPageLimit) {
    const QByteArray text = QByteArray("\fp\r\n").repeated(1700);
    convert(text);
    EXPECT_EQ(result.pages, 1701);
    EXPECT_EQ(xrefObjects(readFile(output)), 6 + 3 * 1701);
    EXPECT_EQ(expectValidPdf(output, 3).pages, 1701);
}

TEST_F(TextToPdfTest, OldOutputIsReplacedNotAppendedTo) {
    ASSERT_TRUE(writeBytes(output, QByteArray(100000, 'J')));
    const QByteArray pdf = convert("x\r\n");
    EXPECT_TRUE(pdf.startsWith("%PDF-1.2"));
    EXPECT_LT(pdf.size(), 5000);
    expectValidPdf(output);
}

TEST_F(TextToPdfTest, MissingInputAndWriteFailures) {
    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    ASSERT_TRUE(writeBytes(empty, {}));
    EXPECT_EQ(TextToPdf::convert(empty, output, {}).status, TextPdfResult::Status::InputMissing);
    EXPECT_EQ(TextToPdf::convert(dir.filePath(QStringLiteral("none.txt")), output, {}).status,
              TextPdfResult::Status::InputMissing);
    EXPECT_FALSE(QFile::exists(output));

    ASSERT_TRUE(writeBytes(input, "x\r\n"));
    const QString badOutput = dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
    const TextPdfResult r = TextToPdf::convert(input, badOutput, {});
    EXPECT_EQ(r.status, TextPdfResult::Status::Failed);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_FALSE(QFile::exists(badOutput));
    EXPECT_TRUE(QFile::exists(input));
}

TEST_F(TextToPdfTest, AWriteFailingPartWayRemovesThePartialPdfOnly) {
    QByteArray text;
    for (int i = 0; i < 2000; ++i)
        text += "linha " + QByteArray::number(i) + " " + QByteArray(60, 'x') + "\r\n";
    ASSERT_TRUE(writeBytes(input, text));
    TextPdfResult r;
    {
        const FileSizeLimit limit(40000); // the first chunk fits, the second does not
        r = TextToPdf::convert(input, output, {});
    }
    EXPECT_EQ(r.status, TextPdfResult::Status::Failed);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_EQ(readFile(input), text);

    // An output that is no regular file is left in place.
    const QString device = dir.filePath(QStringLiteral("device.pdf"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), device));
    EXPECT_EQ(TextToPdf::convert(input, device, {}).status, TextPdfResult::Status::Failed);
    EXPECT_TRUE(QFileInfo(device).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/dev/full")));
}

} // namespace
} // namespace vtx::test
