// JPEG pictures: the checks of the file, the placement, and the bytes embedded unchanged.
#include <QDir>

#include "PdfTestSupport.h"

using namespace vtx;
using namespace vtx::test;

namespace {

class PdfImage : public PdfTest {
protected:
    QString fixture(const QString& name, const QByteArray& bytes) {
        writeBytes(path(name), bytes);
        return path(name);
    }
};

const QString kCannot = QStringLiteral("\r\nImpossible d'inclure l'image dans le fichier PDF.");

} // namespace

TEST_F(PdfImage, GreyRgbAndCmykPicturesEmbedByteForByte) {
    const QByteArray grey = makeJpeg(64, 48, 1), rgb = makeJpeg(64, 48, 3),
                     cmyk = makeJpeg(32, 32, 4);
    auto p = plain();
    p->PDFImage(fixture(QStringLiteral("grey.jpg"), grey), 10, 10, 64, 48);
    const PDFSize used = p->PDFImage(fixture(QStringLiteral("rgb.jpeg"), rgb), 100, 10, 0, 24);
    EXPECT_DOUBLE_EQ(used.w, 32); // the caller receives the size used
    EXPECT_DOUBLE_EQ(used.h, 24);
    p->PDFEndPage();
    p->PDFNewPage();
    p->PDFImage(fixture(QStringLiteral("cmyk.jpg"), cmyk), 10, 10, 0, 0);
    finish(*p);

    const QString list = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path()});
    const QStringList rows = list.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    ASSERT_EQ(rows.size(), 3) << list.toStdString();
    const QStringList spaces = {QStringLiteral("gray"), QStringLiteral("rgb"),
                                QStringLiteral("cmyk")};
    const int comps[] = {1, 3, 4};
    for (int i = 0; i < 3; ++i) {
        const QStringList f = rows[i].simplified().split(QLatin1Char(' '));
        EXPECT_EQ(f[5], spaces[i]);
        EXPECT_EQ(f[6].toInt(), comps[i]);
        EXPECT_EQ(f[7].toInt(), 8);
        EXPECT_EQ(f[8], QStringLiteral("jpeg"));
    }
    runTool(QStringLiteral("pdfimages"),
            {QStringLiteral("-j"), path(), path(QStringLiteral("out"))});
    EXPECT_EQ(readFile(path(QStringLiteral("out-000.jpg"))), grey);
    EXPECT_EQ(readFile(path(QStringLiteral("out-001.jpg"))), rgb);
    EXPECT_EQ(readFile(path(QStringLiteral("out-002.jpg"))), cmyk);

    const QList<QByteArray> l = lines(content(1));
    EXPECT_TRUE(l.contains("64.00 0 0 48.00 10.00 783.89 cm /ImgJPEG1 Do Q"));
    EXPECT_TRUE(l.contains("32.00 0 0 24.00 100.00 807.89 cm /ImgJPEG2 Do Q"));
    EXPECT_TRUE(lines(content(2)).contains("32.00 0 0 32.00 10.00 799.89 cm /ImgJPEG3 Do Q"));
    EXPECT_TRUE(file.contains("/ImgJPEG1 22 0 R\r\n/ImgJPEG2 23 0 R\r\n/ImgJPEG3 24 0 R"));
    EXPECT_TRUE(file.contains("/ColorSpace /DeviceCMYK\r\n/BitsPerComponent 8\r\n/Length " +
                              QByteArray::number(cmyk.size()) + "\r\n/Name /ImgJPEG3>>"));
}

TEST_F(PdfImage, SizesFollowThePictureWhenNotGiven) {
    const QString big = fixture(QStringLiteral("big.jpg"), makeJpeg(640, 480, 3));
    auto p = plain();
    EXPECT_EQ(p->PDFImageWidth(big), 640);
    EXPECT_EQ(p->PDFImageHeight(big), 480);
    p->PDFImage(big, 0.5, 0.5, 0, 0);
    EXPECT_EQ(p->PDFGetX(), 640);
    p->PDFImage(big, 10, 10, 320, 0, QStringLiteral("https://example.org/img"));
    finish(*p);
    EXPECT_TRUE(lines(content()).contains("640.00 0 0 480.00 0.50 361.39 cm /ImgJPEG1 Do Q"));
    EXPECT_TRUE(lines(content()).contains("320.00 0 0 240.00 10.00 591.89 cm /ImgJPEG2 Do Q"));
    const QString urls = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-url"), path()});
    EXPECT_TRUE(urls.contains(QStringLiteral("https://example.org/img")));
}

TEST_F(PdfImage, FileNamesAreCheckedBeforeTheFile) {
    PDFPrinter p;
    const QByteArray jpeg = makeJpeg(16, 16, 3);
    EXPECT_EQ(p.PDFImageWidth(fixture(QStringLiteral("a.jpeg"), jpeg)), 16);
    EXPECT_EQ(p.PDFImageWidth(fixture(QStringLiteral("a.png"), jpeg)), 0);
    EXPECT_EQ(p.PDFImageWidth(fixture(QStringLiteral("B.JPG"), jpeg)), 0);
    EXPECT_EQ(p.PDFImageHeight(QStringLiteral("noext")), 0);
    ASSERT_EQ(prompts().messages.size(), 3u);
    const QString notJpg = QStringLiteral(
        "Format d'image non supportée.\r\nSeule les images de types JPG sont supportées.");
    EXPECT_EQ(prompts().messages[0].text, notJpg + kCannot);
    EXPECT_EQ(prompts().messages[1].text, notJpg + kCannot);
    EXPECT_EQ(prompts().messages[2].text,
              QStringLiteral("Le fichier image noext ne possède pas d'extension.") + kCannot);
    EXPECT_EQ(prompts().messages[2].title, QStringLiteral("Fichier Image - Ruvelo 4.0"));
}

TEST_F(PdfImage, DamagedOrForeignFilesAreRefusedWithoutHarm) {
    const QByteArray good = makeJpeg(40, 30, 3);
    const qsizetype sof = good.indexOf("\xff\xc0");
    ASSERT_GT(sof, 0);
    QByteArray cutInFrame = good.left(sof + 6); // the frame header ends past the file
    cutInFrame.append(QByteArray(250, '\0')).append("\xff\xd9");
    cutInFrame[sof + 6] = '\xff'; // no valid segment after the cut
    QByteArray longSegment = good;
    longSegment[4] = '\xff';
    longSegment[5] = '\xf0'; // the first segment claims to run past the end
    QByteArray noFrame("\xff\xd8\xff\xfe\x01\x2c", 6);
    noFrame.append(QByteArray(298, 'c')).append("\xff\xd9");
    QByteArray twoComponents = good;
    twoComponents[sof + 9] = 2;
    QByteArray zeroWidth = good;
    zeroWidth[sof + 7] = zeroWidth[sof + 8] = 0;
    QByteArray twelveBits = good; // samples a DCT stream of 8 bits per component cannot hold
    twelveBits[sof + 4] = 12;
    QByteArray badUnit = good;
    badUnit[13] = 7;

    const std::pair<QByteArray, QString> cases[] = {
        {good.left(good.size() / 2), "Marqueur de début JPEG ou marqueur de fin JPEG non valide."},
        {good.left(200), "Fichier image non JPEG."},
        {cutInFrame, "Fichier image non JPEG."},
        {noFrame, "Fichier image non JPEG."},
        {twoComponents, "Fichier image non JPEG."},
        {zeroWidth, "Fichier image non JPEG."},
        {twelveBits, "Fichier image non JPEG."},
        {badUnit, "Erreur de résolution d'image , l'Opcode est 7Les Opcodes valides sont  0, 1, "
                  "2."},
    };
    auto p = plain();
    int n = 0;
    for (const auto& [bytes, message] : cases) {
        const QString name = fixture(QStringLiteral("bad%1.jpg").arg(n++), bytes);
        p->PDFImage(name, 10, 10, 20, 20);
        ASSERT_EQ(prompts().messages.size(), static_cast<size_t>(n));
        EXPECT_EQ(prompts().last().text, message + kCannot) << n;
    }
    // A segment that runs past the end stops the walk before any frame: refused too.
    p->PDFImage(fixture(QStringLiteral("long.jpg"), longSegment), 10, 10, 20, 20);
    EXPECT_EQ(prompts().last().text, QStringLiteral("Fichier image non JPEG.") + kCannot);
    p->PDFImage(path(QStringLiteral("missing.jpg")), 10, 10, 20, 20);
    EXPECT_EQ(prompts().last().text, QStringLiteral("Fichier image non JPEG.") + kCannot);
    finish(*p);
    EXPECT_FALSE(content().contains("Do Q"));
    EXPECT_FALSE(file.contains("/XObject << \r\n/ImgJPEG"));
}
