// PDFPrinter: creation, the output file, pages, bookmarks and the end of the document.
#include "PDFPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "Clock.h"
#include "Cp1252.h"
#include "Desktop.h"
#include "PDFPrinterState.h"
#include "PartialFile.h"
#include "PdfNumber.h"
#include "Prompter.h"

namespace vtx {

namespace pdf {

QByteArray winAnsi(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    encodeWinAnsi(text, out.data());
    return out;
}

void winAnsi(const QString& text, std::string& out) {
    out.resize(static_cast<size_t>(text.size()));
    encodeWinAnsi(text, out.data());
}

void encodeWinAnsi(const QString& text, char* out) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const int b = u < 0x80 ? u : Cp1252::byteOf(c);
        *out++ = b < 0 ? '?' : static_cast<char>(b);
    }
}

void appendEscaped(std::string& out, QByteArrayView bytes) {
    // Runs without a delimiter go in whole.
    const char* run = bytes.data();
    const char* const end = run + bytes.size();
    for (const char* p = run; p != end; ++p)
        if (*p == '\\' || *p == '(' || *p == ')') {
            out.append(run, static_cast<size_t>(p - run)).push_back('\\');
            run = p;
        }
    out.append(run, static_cast<size_t>(end - run));
}

std::string escapeText(const QByteArray& bytes) {
    std::string out;
    appendEscaped(out, bytes);
    return out;
}

void critical(const QString& text, const QString& what) {
    msgBox(text, what + QStringLiteral(" - Ruvelo 4.0"), MsgIcon::Critical, MsgButtons::Ok);
}

} // namespace pdf

PDFPrinter::PDFPrinter() : d(std::make_unique<Private>(this)) {
    PDFInit();
}

PDFPrinter::~PDFPrinter() = default;

void PDFPrinter::PDFInit() {
    d = std::make_unique<Private>(this);
    d->fontFolder = Desktop::programFolder();
    PDFLoadAfm(d->fontFolder);
    PDFSetMargins(1, 1, -1, -1);
    d->curX = d->leftMargin;
    d->curY = d->topMargin;
}

void PDFPrinter::PDFFileName(const QString& path) {
    if (d->begun) // the file of a begun document stays
        return;
    d->sink.close();
    d->fileName = path;
    d->fileFailed = path.isEmpty() || !d->sink.open(QFile::encodeName(path).toStdString());
    if (d->fileFailed) {
        // An older file of that name must not pass for the new document.
        removePartialFile(path);
        d->reportFileFailure();
    }
}

QString PDFPrinter::PDFGetFileName() const {
    return d->fileName;
}
void PDFPrinter::PDFConfirm(bool confirm) {
    d->confirm = confirm;
}
void PDFPrinter::PDFView(bool view) {
    d->view = view;
}
int PDFPrinter::PDFPageNumber() const {
    return d->pageCounter;
}

int PDFPrinter::PDFNbPage() const {
    if (!d->begun)
        return -1;
    return d->ended ? d->pageCounter : 1;
}

void PDFPrinter::PDFBeginDoc() {
    if (d->begun) // one document per writer
        return;
    if (d->fileFailed || !d->sink.isOpen()) {
        d->fileFailed = true;
        d->reportFileFailure();
        return;
    }
    d->begun = true;
    d->pageCounter = 1;
    d->objectCount = 1; // the information object

    d->sink.write("%PDF-1.3\r\n");
    // Document information.
    const auto info = [](const QString& text) { return pdf::escapeText(pdf::winAnsi(text)); };
    std::string& o = d->objects;
    o = "1 0 obj\r\n<<\r\n/Producer (" + info(d->producer) + ")\r\n/Author (" + info(d->author) +
        ")\r\n/CreationDate (D:" +
        Clock::now().toString(QStringLiteral("yyyyMMddHHmmss")).toStdString() + ")\r\n/Creator (" +
        info(d->creator) + ")\r\n/Keywords (" + info(d->keywords) + ")\r\n/Subject (" +
        info(d->subject) + ")\r\n/Title (" + info(d->title) +
        ")\r\n/ModDate ()\r\n>>\r\nendobj\r\n";
    d->writeObject(o);
    d->beginStream(/*marked=*/false);
}

void PDFPrinter::PDFEndPage() {
    if (!d->drawing())
        return;
    ++d->formatIndex;
    d->extendFormats(d->formatIndex);
    d->drawWatermark();
}

void PDFPrinter::PDFNewPage() {
    if (!d->drawing())
        return;
    d->curX = d->leftMargin;
    d->curY = d->topMargin;
    ++d->pageCounter;
    d->closeStream(/*marked=*/true);
    d->beginStream(/*marked=*/true);
    d->drawWatermark();
}

void PDFPrinter::PDFSetBookmark(const QString& title, int level, double y) {
    if (!d->drawing())
        return;
    Private::Bookmark b;
    b.title = pdf::escapeText(pdf::winAnsi(title));
    b.level = level;
    b.y = y == -1 ? d->curY : y;
    b.page = d->pageCounter;
    d->bookmarks.push_back(std::move(b));
}

void PDFPrinter::PDFEndDoc() {
    if (!d->drawing()) {
        d->ended = d->begun;
        return;
    }
    d->drawWatermark();
    d->closeStream(/*marked=*/false);
    d->writeFonts();
    d->writePages();
    d->writeResources();
    d->writeImages();
    d->writePageObjects();
    d->writeOutlines();
    d->writeCatalog();
    d->writeXref();
    d->sink.write("%%EOF\r\n");
    d->ended = true;
    if (!d->sink.close()) {
        removePartialFile(d->fileName);
        d->failureShown = false;
        d->reportFileFailure();
        return;
    }

    if (d->confirm)
        msgBox(QStringLiteral("Fichier PDF généré."),
               QStringLiteral("Génération du Fichier PDF - Ruvelo 4.0"), MsgIcon::None,
               MsgButtons::Ok);
    QString reader;
    if (d->view && d->findReader(Desktop::programFolder(), reader))
        Desktop::openDocument(d->fileName);
}

void PDFPrinter::Private::reportFileFailure() {
    if (failureShown)
        return;
    failureShown = true;
    pdf::critical(QStringLiteral("Impossible de créer le fichier PDF : ") + fileName +
                      QStringLiteral("."),
                  QStringLiteral("Fichier PDF"));
}

// A reader program below the folder: its direct subfolders first, then deeper, by name.
bool PDFPrinter::Private::findReader(const QString& folder, QString& reader) const {
    const QFileInfoList subs = QDir(folder).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& sub : subs)
        for (const QFileInfo& f : QDir(sub.filePath()).entryInfoList(QDir::Files, QDir::Name))
            if (f.filePath().contains(QLatin1String("AcroRd32.exe"))) {
                reader = f.filePath();
                return true;
            }
    for (const QFileInfo& sub : subs)
        if (findReader(sub.filePath(), reader))
            return true;
    return false;
}

} // namespace vtx
