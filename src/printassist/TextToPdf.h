// The print assistant's own PDF 1.2 writer: turns a paged text report into pages of one
// Type 1 font, text only and uncompressed. It shows no window; the caller reports problems.
#pragma once

#include <QString>

namespace vtx {

/// What the text report is laid out with.
struct TextPdfSettings {
    QString author;
    QString creator;
    QString keywords;
    QString subject;
    QString title;
    QString fontName = QStringLiteral("Courier");
    int fontSize = 10;
    int rotation = 0;
    /// Page width and height in inches.
    double pageWidth = 14;
    double pageHeight = 11;
};

/// Page figures derived from the settings, in points.
struct TextPdfPage {
    int width = 0;
    int height = 0;
    /// Leading in ten-thousandths of a point (size x 1.2).
    long leadingE4 = 0;
    int linesPerPage = 0;
    int charsPerLine = 0;
};

/// Outcome of one conversion.
struct TextPdfResult {
    enum class Status { Ok, InputMissing, Failed };
    Status status = Status::Ok;
    /// The failure's description when the input could not be read or the PDF not written.
    QString error;
    int pages = 0;

    bool ok() const { return status == Status::Ok; }
};

/// Converts text reports into PDF 1.2 files.
class TextToPdf {
public:
    /// Page size, leading, lines per page and characters per line for the settings.
    static TextPdfPage pageFor(const TextPdfSettings& settings);

    /// Writes the PDF for the text file. A missing or empty input writes nothing; a write
    /// failure removes the partial PDF.
    static TextPdfResult convert(const QString& inputPath, const QString& outputPath,
                                 const TextPdfSettings& settings);

    /// True when the file exists and holds at least one byte.
    static bool fileExists(const QString& path);
};

} // namespace vtx
