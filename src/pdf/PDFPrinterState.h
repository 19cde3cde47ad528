// The state of one PDFPrinter document and the private steps its concern files share.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include "AfmMetrics.h"
#include "FontFolder.h"
#include "PDFPrinter.h"
#include "PdfByteSink.h"

namespace vtx {

struct PDFPrinter::Private {
    explicit Private(PDFPrinter* owner) : q(owner) {}
    PDFPrinter* q;

    struct Bookmark {
        std::string title; // Windows-1252 bytes
        int level = 0;
        double y = 0;
        int page = 1;
        int parent = -1, first = -1, last = -1, prev = -1, next = -1;
    };
    struct LinkArea {
        double x, y, w, h; // points, y from the bottom of the page
        std::string target;
    };
    struct Image {
        int width = 0, height = 0;
        QString colorSpace;
        QByteArray data;
    };
    struct FontState {
        QString name;
        int size = 0;
        bool italic = false, bold = false, underline = false;
    };

    // Output and object bookkeeping.
    pdf::ByteSink sink;
    QString fileName;
    bool fileFailed = false; // PDFFileName could not create the file; nothing is written
    bool failureShown = false;
    bool begun = false, ended = false;
    std::string objects; // the object being assembled
    std::string content; // the operator lines of the current page
    int objectCount = 0;
    std::vector<long long> offsets; // offsets[k - 1] = position of "k 0 obj"
    int pageCounter = 0;
    std::vector<int> contentObjects; // per page
    int pagesObject = 0, resourcesObject = 0, catalogObject = 0, outlineRoot = 0;
    std::vector<int> fontObjects, pageObjects;
    std::vector<double> boxWidth, boxHeight;

    // Page setup; the format tables hold one entry per page (index = page - 1).
    double unit = 72 / 2.54;
    std::vector<double> pageWidth{595.28}, pageHeight{841.89};
    std::vector<char> orientation{'p'};
    int formatIndex = 0;
    int leftMargin = 1, topMargin = 1, rightMargin = 1, bottomMargin = 1, cellMargin = 3;
    double curX = 1, curY = 1;
    double lineWidth = 0.567;
    std::string dash, drawMode;
    std::string fillOp = "0 g", lineOp = "0 G", textOp = "0 g";
    QString producer, author, creator, keywords, subject, title;
    std::optional<long> zoom, layout, viewerPrefs;
    bool thumbs = false, outlines = false, confirm = false, view = false;

    // Fonts.
    QString fontFolder;
    QStringList fontList;
    FontState font;
    std::shared_ptr<pdf::FontFolder> metricsFolder; // the font folder as read, once needed
    std::shared_ptr<pdf::FontFolder> standardFonts; // the metrics beside the program, once needed
    const pdf::AfmWidths* currentWidths = nullptr;  // of the current font, once looked up
    int currentNumber = 0;                          // its resource number, once looked up
    struct FontEntry {
        QString name;
        int number;
        const pdf::AfmWidths* widths;
    };
    std::vector<FontEntry> fontsSeen; // fonts already looked up in this document

    // Text, cells and links.
    std::string textBytes; // the Windows-1252 bytes of the text being drawn
    double rotation = 0;
    std::string alignment = "L", border = "0";
    bool fill = false;
    double wordSpacing = 0;
    double lastCellX = 0, lastCellY = 0;
    QString linkKind, linkText;
    bool imageLink = false;
    long rectLinkWidth = 0;
    std::map<int, std::vector<LinkArea>> links; // page -> its link areas

    // Images and watermark.
    std::vector<Image> images;
    double lastImageW = 0, lastImageH = 0;
    bool watermark = false;
    QString watermarkText;
    std::vector<Bookmark> bookmarks;

    // Content lines.
    void line(std::string_view text) {
        content.append(text);
        content.append("\r\n");
    }
    bool drawing() const { return begun && !ended && !fileFailed; }
    double pageH() const { return pageHeight[formatIndex]; }
    double pageW() const { return pageWidth[formatIndex]; }
    void point(std::string& out, double x, double y) const;  // "X Y" of a user point
    void appendPoints(std::string& out, double value) const; // value x unit, 2 decimals

    // Document assembly (PDFPrinterFile.cpp).
    void writeObject(std::string& text);
    void beginStream(bool markFirstLine);
    void closeStream(bool marked);
    void writeFonts();
    void writePages();
    void writeResources();
    void writeImages();
    void writePageObjects();
    void writeOutlines();
    void writeCatalog();
    void writeXref();
    bool findReader(const QString& folder, QString& reader) const;
    void reportFileFailure();
    void extendFormats(int index);

    // Fonts (PDFPrinterFonts.cpp).
    const pdf::AfmWidths* widthsOf(const QString& name);
    long long widthUnits(QByteArrayView bytes, const pdf::AfmWidths* widths) const;
    int fontNumber();
    const pdf::AfmWidths& currentMetrics();
    void fontChanged() {
        currentWidths = nullptr;
        currentNumber = 0;
    }
    void selectFont();

    // Colours (PDFPrinterDraw.cpp).
    std::string colourOperator(std::array<int, 3> rgb, const char* op) const;
    std::optional<std::array<int, 3>> parseHtml(const QString& html) const;
    std::array<int, 3> htmlColour(const QString& html) const;
    void straightLine(double x, double y, double x2, double y2, const char* tag);
    const char* paintOperators(bool closeFill);

    // Text (PDFPrinterText.cpp).
    std::string underline(bool cell, const QString& text, double x, double y);
    std::string cellFrame(double x, double y, double w, double h, const std::string& sides);
    void cellBody(const QString& text, double x, double y, double w, double h, const QString& link,
                  const std::string& lineBorder);
    void checkLinkUrl(const QString& url, const QString& kind, double x, double y);
    void addLinkArea(double x, double y, double w, double h, const QString& target);

    // Watermark (PDFPrinterWatermark.cpp).
    void drawWatermark();
};

namespace pdf {
/// Each character as its Windows-1252 byte, '?' where the page lacks it.
QByteArray winAnsi(const QString& text);
/// The same into a buffer the caller keeps, so that each text needs no allocation.
void winAnsi(const QString& text, std::string& out);
/// The bytes of winAnsi at out, which has room for one byte a character.
void encodeWinAnsi(const QString& text, char* out);
/// Escapes "\", "(" and ")" for a PDF literal string.
std::string escapeText(const QByteArray& bytes);
void appendEscaped(std::string& out, QByteArrayView bytes);
/// A critical box titled "<what> - Ruvelo 4.0".
void critical(const QString& text, const QString& what);
} // namespace pdf

} // namespace vtx
