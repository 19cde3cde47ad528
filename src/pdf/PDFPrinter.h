// PDFPrinter: the program's own PDF 1.3 writer for drawn printouts (standard fonts, no embedding).
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QVariant>

namespace vtx {

/// Values an operation replaced, handed back to the caller.
struct PDFMargins {
    int left, top, right, bottom;
};
struct PDFPoint {
    double x, y;
};
struct PDFSize {
    double w, h;
};

/// Writes one PDF document: settings, then PDFBeginDoc, drawing in user units from the top-left
/// corner of the page, PDFEndPage/PDFNewPage between pages, and PDFEndDoc. Bad arguments are
/// reported in a message box and replaced by a default; nothing is thrown.
class PDFPrinter {
public:
    PDFPrinter();
    ~PDFPrinter();
    PDFPrinter(const PDFPrinter&) = delete;
    PDFPrinter& operator=(const PDFPrinter&) = delete;

    // Document lifecycle.
    void PDFInit();
    void PDFFileName(const QString& path);
    QString PDFGetFileName() const;
    void PDFConfirm(bool confirm);
    void PDFView(bool view);
    void PDFBeginDoc();
    void PDFEndPage();
    void PDFNewPage();
    void PDFEndDoc();
    void PDFSetBookmark(const QString& title, int level, double y = -1);
    int PDFPageNumber() const;
    int PDFNbPage() const;

    // Page setup, viewer settings and document information.
    void PDFPathConfiguration(const QString& path);
    void PDFSetViewerPreferences(long preferences);
    void PDFSetZoomMode(long mode);
    std::optional<long> PDFGetZoomMode() const;
    void PDFUseThumbs(bool use);
    void PDFUseOutlines(bool use);
    void PDFSetLayoutMode(long mode);
    std::optional<long> PDFGetLayoutMode() const;
    void PDFSetUnit(long unit);
    QString PDFGetUnit() const;
    void PDFOrientation(long orientation);
    /// A format code (int or long) or a list of two sizes in points; any other kind is refused.
    void PDFFormatPage(const QVariant& format);
    void PDFProducer(const QString& text);
    void PDFSubject(const QString& text);
    void PDFKeywords(const QString& text);
    void PDFCreator(const QString& text);
    void PDFAuthor(const QString& text);
    void PDFTitle(const QString& text);
    void PDFPageHeight(double height);
    double PDFGetPageHeight() const;
    void PDFPageWidth(double width);
    double PDFGetPageWidth() const;
    void PDFSetLeftMargin(double margin);
    double PDFGetLeftMargin() const;
    void PDFSetRightMargin(double margin);
    double PDFGetRightMargin() const;
    void PDFSetTopMargin(double margin);
    double PDFGetTopMargin() const;
    void PDFSetBottomMargin(double margin);
    double PDFGetBottomMargin() const;
    void PDFSetCellMargin(double margin);
    double PDFGetCellMargin() const;
    /// right -1 means right = left, bottom -1 means bottom = top; returns the margins set.
    PDFMargins PDFSetMargins(int left, int top, int right = -1, int bottom = -1);
    int PDFGetX() const;
    int PDFGetY() const;
    void PDFSetLineStyle(long style);
    void PDFSetLineWidth(double width);
    void PDFSetDrawMode(long mode);

    // Fonts and metrics.
    void PDFSetFont(long font, int size, long style);
    void PDFLoadAfm(const QString& folder);
    /// Width in points of text in the font (empty = the current one) at size.
    double PDFGetStringWidth(const QString& text, const QString& fontName, int size);

    // Lines, shapes and colours. Colours: r + 256 g + 65536 b, "#RRGGBB" or {r, g, b}.
    void PDFDrawLine(double x1, double y1, double x2, double y2);
    void PDFDrawLineHor(double x, double y, double length);
    void PDFDrawLineVer(double x, double y, double length);
    void PDFDrawRectangle(double x, double y, double w, double h, const QString& url = {});
    void PDFDrawEllipse(double x, double y, double w, double h, const QString& url = {});
    /// x1, y1, x2, y2, ...: a closed polygon.
    void PDFDrawPolygon(const std::vector<double>& points);
    void PDFSetTextColor(long colour);
    void PDFSetTextColor(const QString& html);
    void PDFSetTextColor(const std::array<int, 3>& rgb);
    QString PDFGetTextColor() const;
    void PDFSetLineColor(long colour);
    void PDFSetLineColor(const QString& html);
    void PDFSetLineColor(const std::array<int, 3>& rgb);
    QString PDFGetLineColor() const;
    void PDFSetDrawColor(long colour);
    void PDFSetDrawColor(const QString& html);
    void PDFSetDrawColor(const std::array<int, 3>& rgb);
    QString PDFGetDrawColor() const;

    // Text, cells and links.
    /// x or y 0 stands for the current position; returns the position used.
    PDFPoint PDFTextOut(const QString& text, double x, double y);
    double PDFTextHeight() const;
    void PDFSetRotation(double angle);
    void PDFSetAlignement(long code);
    QString PDFGetAlignement() const;
    void PDFSetBorder(long code);
    void PDFSetFill(bool fill);
    void PDFCell(const QString& text, double x, double y, double w, double h,
                 const QString& link = {});
    void PDFLink(double x, double y, const QString& text, const QString& link);

    // JPEG images.
    double PDFImageWidth(const QString& file);
    double PDFImageHeight(const QString& file);
    /// w or h 0 follows the picture's proportions; returns the size used.
    PDFSize PDFImage(const QString& file, double x, double y, double w, double h,
                     const QString& link = {});

    // Watermark.
    void PDFFiligran(const QString& text);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
