// The document as a file: object order and offsets, streams and their lengths, the page tree,
// outline, catalog and trailer, and the life of the writer around PDFEndDoc.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include "Desktop.h"
#include "PdfTestSupport.h"

using namespace vtx;
using namespace vtx::test;

namespace {

constexpr int kFonts = 14; // the standard fonts beside the test program

class PdfDocument : public PdfTest {};

int lengthOf(const QByteArray& file, int object) {
    const QList<QByteArray> l = lines(pdfObject(file, object));
    return l.size() >= 2 ? l[1].toInt() : -1;
}

} // namespace

TEST_F(PdfDocument, OnePageNumbersItsObjectsAndOffsetsLandOnThem) {
    auto p = open(path());
    finish(*p);
    const int F = kFonts;
    ASSERT_TRUE(file.startsWith("%PDF-1.3\r\n1 0 obj\r\n"));
    EXPECT_EQ(objectOffset(file, 1), 10);
    EXPECT_TRUE(file.contains("trailer\r\n<< /Size " + QByteArray::number(11 + F) + "\r\n/Root " +
                              QByteArray::number(10 + F) + " 0 R\r\n/Info 1 0 R\r\n>>"));
    EXPECT_TRUE(file.endsWith("\r\n\r\n%%EOF\r\n"));
    EXPECT_TRUE(
        object(4).contains("/Name /F1\r\n/BaseFont /Courier\r\n/Encoding /WinAnsiEncoding"));
    EXPECT_TRUE(object(4 + F).contains("<< /Type /Pages\r\n/Kids [\r\n" +
                                       QByteArray::number(6 + F) + " 0 R\r\n]\r\n/Count 1"));
    // Pages starts after its marker line, which the offset skips.
    EXPECT_EQ(file.mid(objectOffset(file, 4 + F) - 14, 14), "%DEBUT_OBJ/%\r\n");
    EXPECT_TRUE(object(5 + F).startsWith(QByteArray::number(5 + F) +
                                         " 0 obj\r\n<< /ProcSet [ /PDF /Text /ImageC]\r\n"
                                         "/XObject << \r\n>>\r\n/Font << \r\n/F1 4 0 R \r\n"));
    EXPECT_TRUE(object(6 + F).contains("/MediaBox [ 0 0 595 842]\r\n/Resources " +
                                       QByteArray::number(5 + F) + " 0 R\r\n/Contents 2 0 R"));
    EXPECT_EQ(lengthOf(file, 3), 0);

    const QByteArray catalog = object(10 + F);
    EXPECT_TRUE(catalog.contains("/OpenAction [" + QByteArray::number(6 + F) + " 0 R /FitH null]"));
    EXPECT_TRUE(catalog.contains("/Outlines " + QByteArray::number(9 + F) + " 0 R"));
    EXPECT_EQ(catalog.count("/PageMode"), 1);
    EXPECT_TRUE(catalog.contains("/PageMode /UseOutlines"));
    EXPECT_FALSE(catalog.contains("/PageLayout"));
    EXPECT_TRUE(catalog.contains("/ViewerPreferences<<\r\n/DisplayDocTitle true\r\n>>"));
}

TEST_F(PdfDocument, TheCallersTwoBookmarksNestWithTheirDestinations) {
    auto p = open(path());
    finish(*p);
    const QByteArray o = QByteArray::number(7 + kFonts), o1 = QByteArray::number(8 + kFonts),
                     root = QByteArray::number(9 + kFonts), page = QByteArray::number(6 + kFonts);
    const QByteArray first = object(7 + kFonts), second = object(8 + kFonts);
    EXPECT_TRUE(first.contains("<</Title (Agenda)\r\n/Parent " + root + " 0 R\r\n/First " + o1 +
                               " 0 R\r\n/Last " + o1 + " 0 R\r\n/Dest [" + page +
                               " 0 R /XYZ 0 802.00 null]\r\n/Count 0>>"));
    EXPECT_TRUE(
        second.contains("/Parent " + o + " 0 R\r\n/Dest [" + page + " 0 R /XYZ 0 782.00 null]"));
    EXPECT_FALSE(second.contains("/Prev"));
    EXPECT_FALSE(second.contains("/Next"));
    EXPECT_TRUE(object(9 + kFonts)
                    .contains("<</Type /Outlines /First " + o + " 0 R\r\n/Last " + o + " 0 R>>"));
}

TEST_F(PdfDocument, BookmarksLinkSiblingsAndHangMissingLevelsUnderTheNearestOne) {
    auto p = std::make_unique<PDFPrinter>();
    p->PDFFileName(path());
    p->PDFLoadAfm(fontsDir());
    p->PDFUseOutlines(true);
    p->PDFBeginDoc();
    p->PDFSetBookmark(QStringLiteral("deep first"), 2, 10); // 0: top level
    p->PDFSetBookmark(QStringLiteral("jump"), 3, 20);       // 1: child of 0
    p->PDFSetBookmark(QStringLiteral("top b"), 0, 30);      // 2
    p->PDFTextOut(QStringLiteral("x"), 10, 70);
    p->PDFSetBookmark(QStringLiteral("current y"), 0); // 3: y of the current position
    finish(*p);
    const int base = 7 + kFonts + 0, root = base + 4;
    const auto item = [&](int i) { return object(base + i); };
    const auto r = [](int n) { return QByteArray::number(n) + " 0 R"; };
    EXPECT_TRUE(item(0).contains("/Parent " + r(root) + "\r\n/Next " + r(base + 2) + "\r\n/First " +
                                 r(base + 1) + "\r\n/Last " + r(base + 1)));
    EXPECT_TRUE(item(1).contains("/Parent " + r(base)));
    EXPECT_TRUE(item(2).contains("/Prev " + r(base) + "\r\n/Next " + r(base + 3)));
    EXPECT_TRUE(item(3).contains("/Prev " + r(base + 2)));
    EXPECT_TRUE(item(3).contains("/XYZ 0 -1425.83 null")); // y 80 cm on an unrounded A4 page
    EXPECT_TRUE(object(root).contains("/First " + r(base) + "\r\n/Last " + r(base + 3) + ">>"));
}

TEST_F(PdfDocument, ADocumentWithoutBookmarksWritesNoOutline) {
    auto p = std::make_unique<PDFPrinter>();
    p->PDFFileName(path());
    p->PDFLoadAfm(fontsDir());
    p->PDFUseOutlines(true);
    p->PDFUseThumbs(true);
    p->PDFBeginDoc();
    finish(*p);
    const int catalog = 7 + kFonts;
    EXPECT_TRUE(object(catalog).contains("/Type /Catalog"));
    EXPECT_FALSE(file.contains("/Outlines"));
    EXPECT_TRUE(object(catalog).contains("/PageMode /UseThumbs"));
    EXPECT_TRUE(object(catalog).contains("/OpenAction [" + QByteArray::number(6 + kFonts) +
                                         " 0 R /Fit]\r\n/PageLayout /SinglePage"));
}

TEST_F(PdfDocument, StreamLengthsCountTheContentLinesWhicheverCallClosesThem) {
    auto p = open(path());
    p->PDFDrawLine(15, 32, 575, 32);
    p->PDFEndPage();
    p->PDFNewPage();
    p->PDFDrawLine(15, 32, 575, 32);
    p->PDFEndPage();
    p->PDFNewPage();
    finish(*p);
    EXPECT_EQ(checkPdf(path()).pages, 3);
    const int first = lengthOf(file, 3);
    EXPECT_EQ(first, streamData(file, 2).size());
    EXPECT_EQ(lengthOf(file, 5), first + 14); // the marker line that opens later pages
    EXPECT_EQ(lengthOf(file, 7), 14);
    EXPECT_TRUE(streamData(file, 6).startsWith("%DEBUT_OBJ/%\r\n"));
    // Length objects written by PDFNewPage are framed by marker lines.
    EXPECT_EQ(file.mid(objectOffset(file, 3) - 14, 14), "%DEBUT_OBJ/%\r\n");
    EXPECT_TRUE(file.mid(objectOffset(file, 3))
                    .startsWith("3 0 obj\r\n" + QByteArray::number(first) +
                                "\r\nendobj\r\n%FIN_OBJ/%\r\n"));
}

TEST_F(PdfDocument, CatalogFollowsZoomLayoutAndPreferences) {
    struct Case {
        std::optional<long> zoom, layout;
        long prefs;
        const char* openAction;
        const char* layoutLine;
        const char* prefLines;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, 6, "/Fit]", "/PageLayout /SinglePage",
         "/DisplayDocTitle true\r\n>>"},
        {150, 1, 21, "/XYZ null null 1.50]", "/PageLayout /OneColumn",
         "<<\r\n/HideMenubar true\r\n/HideToolbar true\r\n>>"},
        {75, 2, 345, "/XYZ null null 0.75]", "/PageLayout /TwoColumnLeft",
         "<<\r\n/HideWindowUI true\r\n/CenterWindow true\r\n/FitWindow true\r\n>>"},
        {2, 0, 6, "/XYZ null null 1]", "/PageLayout /SinglePage", "/DisplayDocTitle true"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("c%1.pdf").arg(++n);
        PDFPrinter p;
        p.PDFFileName(path(name));
        p.PDFLoadAfm(fontsDir());
        if (c.zoom)
            p.PDFSetZoomMode(*c.zoom);
        if (c.layout)
            p.PDFSetLayoutMode(*c.layout);
        p.PDFSetViewerPreferences(c.prefs);
        p.PDFBeginDoc();
        finish(p, name);
        const QByteArray catalog = object(7 + kFonts);
        EXPECT_TRUE(catalog.contains(c.openAction)) << n << catalog.toStdString();
        EXPECT_TRUE(catalog.contains(c.layoutLine)) << n;
        EXPECT_TRUE(catalog.contains(c.prefLines)) << n;
        EXPECT_FALSE(catalog.contains("/PageMode")) << n;
    }
}

TEST_F(PdfDocument, InformationTitlesAndUrlsAreEscaped) {
    PDFPrinter p;
    p.PDFFileName(path());
    p.PDFLoadAfm(fontsDir());
    p.PDFTitle(QStringLiteral("Evolu(cao"));
    p.PDFAuthor(QStringLiteral("C:\\dir) é"));
    p.PDFBeginDoc();
    p.PDFSetBookmark(QStringLiteral("Prescri(ção"), 0, 40);
    p.PDFSetFont(0, 10, 0);
    p.PDFLink(20, 40, QStringLiteral("site"), QStringLiteral("http://example.com/a(b)"));
    p.PDFLink(20, 80, QString(), QString()); // no address: no action, dictionary closed
    finish(p);
    EXPECT_TRUE(object(1).contains("/Title (Evolu\\(cao)"));
    EXPECT_TRUE(object(1).contains("/Author (C:\\\\dir\\) \xe9)"));
    EXPECT_TRUE(file.contains("<</Title (Prescri\\(\xe7\xe3o)"));
    EXPECT_TRUE(file.contains("/A <</S /URI /URI (http://example.com/a\\(b\\))>>>>\r\n"
                              "<</Type /Annot /Subtype /Link /Rect ["));
    EXPECT_TRUE(file.contains("/Border [0 0 0] >>\r\n]"));
    const QString info = runTool(QStringLiteral("pdfinfo"), {path()});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Evolu\\(cao\n"))));
}

TEST_F(PdfDocument, PageCountAnswersAcrossTheLifecycle) {
    PDFPrinter p;
    EXPECT_EQ(p.PDFNbPage(), -1);
    p.PDFFileName(path());
    p.PDFBeginDoc();
    EXPECT_EQ(p.PDFNbPage(), 1);
    p.PDFFileName(path(QStringLiteral("other.pdf"))); // a begun document keeps its file
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("other.pdf"))));
    p.PDFEndPage();
    p.PDFNewPage();
    EXPECT_EQ(p.PDFPageNumber(), 2);
    EXPECT_EQ(p.PDFNbPage(), 1);
    p.PDFEndDoc();
    EXPECT_EQ(p.PDFNbPage(), 2);
    EXPECT_EQ(p.PDFGetFileName(), path());
    EXPECT_TRUE(checkPdf(path()).ok());
}

TEST_F(PdfDocument, NothingIsWrittenAfterTheEndAndASecondEndIsIgnored) {
    auto p = open(path());
    finish(*p);
    p->PDFTextOut(QStringLiteral("late"), 10, 10);
    p->PDFDrawLine(1, 1, 2, 2);
    p->PDFNewPage();
    p->PDFSetBookmark(QStringLiteral("late"), 0, 1);
    p->PDFBeginDoc();
    p->PDFEndDoc();
    EXPECT_EQ(readFile(path()), file);
    EXPECT_EQ(p->PDFNbPage(), 1);
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(PdfDocument, AFileThatCannotBeCreatedLeavesNoOlderFileAndWritesNothing) {
    // A running program cannot be opened for writing, even by root; it can be unlinked.
    const QString busy = path(QStringLiteral("busy.pdf"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), busy));
    QFile::setPermissions(busy, QFile::ReadOwner | QFile::ExeOwner);
    QProcess sleeper;
    sleeper.start(busy, {QStringLiteral("30")});
    ASSERT_TRUE(sleeper.waitForStarted());

    PDFPrinter p;
    p.PDFFileName(busy);
    EXPECT_FALSE(QFile::exists(busy));
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("Impossible de créer le fichier PDF : ") + busy + QStringLiteral("."));
    EXPECT_EQ(prompts().last().title, QStringLiteral("Fichier PDF - Ruvelo 4.0"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Critical);
    p.PDFBeginDoc();
    p.PDFTextOut(QStringLiteral("x"), 10, 10);
    p.PDFEndDoc();
    EXPECT_FALSE(QFile::exists(busy));
    EXPECT_EQ(prompts().messages.size(), 1u);
    sleeper.kill();
    sleeper.waitForFinished();

    PDFPrinter missing;
    missing.PDFFileName(path(QStringLiteral("no/such/folder/doc.pdf")));
    EXPECT_EQ(prompts().messages.size(), 2u);
}

TEST_F(PdfDocument, AFailedWriteIsReportedAndNotConfirmed) {
    PDFPrinter p;
    p.PDFFileName(QStringLiteral("/dev/full")); // accepts the open, refuses every byte
    p.PDFConfirm(true);
    p.PDFBeginDoc();
    p.PDFTextOut(QStringLiteral("x"), 10, 10);
    p.PDFEndDoc();
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().title, QStringLiteral("Fichier PDF - Ruvelo 4.0"));
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/dev/full")));
}

TEST_F(PdfDocument, ConfirmsAndOpensTheFileWhenAReaderIsBelowTheProgramFolder) {
    QDir(tmp.path()).mkpath(QStringLiteral("prog/.hidden"));
    QDir(tmp.path()).mkpath(QStringLiteral("prog/Adobe/Reader 9/Reader"));
    writeBytes(tmp.filePath(QStringLiteral("prog/Adobe/Reader 9/Reader/AcroRd32.exe")), "x");
    Desktop::setProgramFolder(tmp.filePath(QStringLiteral("prog")));
    QStringList opened;
    Desktop::setHooks({{}, [&](const QString& f) { return opened << f, true; }, {}});

    auto p = open(path(QStringLiteral("a b.pdf")));
    p->PDFConfirm(true);
    finish(*p, QStringLiteral("a b.pdf"));
    Desktop::setProgramFolder({});
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text, QStringLiteral("Fichier PDF généré."));
    EXPECT_EQ(prompts().last().title, QStringLiteral("Génération du Fichier PDF - Ruvelo 4.0"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::None);
    EXPECT_EQ(opened, QStringList{path(QStringLiteral("a b.pdf"))});
}

TEST_F(PdfDocument, WithoutAReaderTheFileIsNotOpened) {
    Desktop::setProgramFolder(tmp.path());
    QStringList opened;
    Desktop::setHooks({{}, [&](const QString& f) { return opened << f, true; }, {}});
    auto p = open(path());
    finish(*p);
    Desktop::setProgramFolder({});
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(PdfDocument, NoSixteenBitLimitOnObjectsOrLinks) {
    PDFPrinter p;
    p.PDFFileName(path());
    p.PDFLoadAfm(fontsDir());
    p.PDFSetUnit(0);
    p.PDFBeginDoc();
    p.PDFSetBookmark(QStringLiteral("start"), 0, 10);
    for (int i = 0; i < 1200; ++i)
        p.PDFLink(10, 20 + i % 700, QStringLiteral("l"), QStringLiteral("http://x/%1").arg(i));
    for (int page = 1; page < 11000; ++page) {
        p.PDFEndPage();
        p.PDFNewPage();
    }
    p.PDFEndPage();
    p.PDFEndDoc();
    const QByteArray bytes = readFile(path());
    int exit = -1;
    runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), path()}, nullptr, &exit);
    EXPECT_EQ(exit, 0);
    EXPECT_EQ(xrefProblem(bytes), QString());
    EXPECT_TRUE(bytes.contains("/Count 11000\r\n"));
    EXPECT_TRUE(bytes.contains("/Size 33021\r\n"));
    EXPECT_EQ(bytes.count("/S /URI"), 1200);
}
