// PDFPrinter JPEG images: the file is checked by its markers and embedded unchanged.
#include <QFile>

#include "JpegInfo.h"
#include "PDFPrinterState.h"
#include "PdfNumber.h"

namespace vtx {

namespace {

const QString kCannot = QStringLiteral("\r\nImpossible d'inclure l'image dans le fichier PDF.");

void imageMessage(const QString& text) {
    pdf::critical(text + kCannot, QStringLiteral("Fichier Image"));
}

// The picture of a file, or nothing after the message that refuses it.
std::optional<std::pair<pdf::JpegInfo, QByteArray>> readJpeg(const QString& file) {
    if (!file.contains(QLatin1Char('.'))) {
        imageMessage(QStringLiteral("Le fichier image ") + file +
                     QStringLiteral(" ne possède pas d'extension."));
        return std::nullopt;
    }
    if (!file.endsWith(QLatin1String("jpg")) && !file.endsWith(QLatin1String("jpeg"))) {
        imageMessage(QStringLiteral("Format d'image non supportée.\r\nSeule les images de types "
                                    "JPG sont supportées."));
        return std::nullopt;
    }
    QFile f(file);
    const QByteArray data = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const pdf::JpegInfo info = pdf::inspectJpeg(data);
    switch (info.status) {
    case pdf::JpegInfo::Status::Ok:
        return std::pair{info, data};
    case pdf::JpegInfo::Status::BadMarkers:
        imageMessage(QStringLiteral("Marqueur de début JPEG ou marqueur de fin JPEG non valide."));
        break;
    case pdf::JpegInfo::Status::BadUnit:
        imageMessage(QStringLiteral("Erreur de résolution d'image , l'Opcode est %1Les Opcodes "
                                    "valides sont  0, 1, 2.")
                         .arg(info.badUnit));
        break;
    case pdf::JpegInfo::Status::TooSmall:
    case pdf::JpegInfo::Status::NoFrame:
        imageMessage(QStringLiteral("Fichier image non JPEG."));
        break;
    }
    return std::nullopt;
}

} // namespace

double PDFPrinter::PDFImageWidth(const QString& file) {
    const auto jpeg = readJpeg(file);
    return jpeg ? jpeg->first.width : 0;
}

double PDFPrinter::PDFImageHeight(const QString& file) {
    const auto jpeg = readJpeg(file);
    return jpeg ? jpeg->first.height : 0;
}

PDFSize PDFPrinter::PDFImage(const QString& file, double x, double y, double w, double h,
                             const QString& link) {
    if (!d->drawing())
        return {w, h};
    const auto jpeg = readJpeg(file);
    if (!jpeg)
        return {w, h};
    const pdf::JpegInfo& info = jpeg->first;
    if (w == 0 && h == 0) {
        w = info.width / d->unit;
        h = info.height / d->unit;
    }
    if (w == 0)
        w = h * info.width / info.height;
    if (h == 0)
        h = w * info.height / info.width;
    d->images.push_back({info.width, info.height, info.colorSpace, jpeg->second});

    std::string& c = d->content;
    c += "q\r\n";
    d->appendPoints(c, w);
    c += " 0 0 ";
    d->appendPoints(c, h);
    c.push_back(' ');
    d->point(c, x, y + h);
    c += " cm /ImgJPEG" + std::to_string(d->images.size()) + " Do Q\r\n";

    d->lastImageW = w;
    d->lastImageH = h;
    d->checkLinkUrl(link, QStringLiteral("IMAGE"), x, y);
    d->curX = x + w;
    d->curY = y + h;
    return {w, h};
}

} // namespace vtx
