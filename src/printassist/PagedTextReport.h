// The paged text report that the list reports write and the print assistant reads: 151
// columns, Windows-1252 with CR LF, a header on every page, a form-feed line between pages.
#pragma once

#include <vector>

#include <QFile>
#include <QString>
#include <QStringList>

namespace vtx {

/// One fixed-width field of a report line.
struct ReportField {
    enum Align { Left, Right };
    int width = 0;
    /// Left: the text at the left, filled up with blanks on the right; Right: the reverse.
    Align align = Left;
};

/// A line of fields joined by "|", given their values one by one: the line is made whole in
/// blanks once, and each value is written into its field's place. The fields are the caller's
/// and must outlive the line, so a temporary list is refused.
class ReportLine {
public:
    explicit ReportLine(const std::vector<ReportField>& fields);
    ReportLine(std::vector<ReportField>&&) = delete;
    ReportLine(const ReportLine&) = delete;
    ReportLine& operator=(const ReportLine&) = delete;

    /// The next field's value, fitted as fitField fits it; values past the last field, or
    /// given once the line is taken, are left out.
    ReportLine& operator<<(QStringView value);
    /// Takes the line and ends it: the text taken no longer changes, and the line is empty.
    QString take();

private:
    const std::vector<ReportField>& m_fields;
    size_t m_next = 0;
    QString m_text;
    QChar* m_at;
};

/// A field's value fitted to its width; "|", form feeds and line ends become blanks.
QString fitField(const QString& value, const ReportField& field);
/// The values fitted to their fields and joined by "|".
QString joinFields(const QStringList& values, const std::vector<ReportField>& fields);

/// Writes one paged text report into the "temp" folder beside the program.
class PagedTextReport {
public:
    static constexpr int kWidth = 151;

    struct Layout {
        /// File stems of the text report and of its PDF ("hstcmpins", "hstcmpins_").
        QString textStem;
        QString pdfStem;
        /// Line counter after each header, the two footer lines included.
        int counterAfterHeader = 12;
        /// A record finding the counter at this value or more starts a new page.
        int pageBreakAt = 54;
        /// Empty lines fill the last page up to this counter value.
        int lastEmptyLine = 53;
    };

    /// What the header of every page shows besides the fixed lines.
    struct Header {
        QString title;
        QStringList filters;
        QString heading;
    };

    PagedTextReport(Layout layout, Header header);

    /// Creates the folder, names both files into gArquivoTXT and gArquivoPDF and opens the
    /// text file, replacing any of that name. Writes the top rule and the first header.
    bool open();
    /// Writes the lines of one record, starting a new page first when the page is full.
    void addRecord(const QStringList& lines);
    /// Fills the last page, writes the closing lines and the footer, closes the file. False
    /// when the file could not be written wholly; the partial file is then removed.
    bool finish(const QStringList& closingLines);
    /// Closes a report without rows: it holds the header only.
    bool finishHeaderOnly();

    /// Why the file could not be written (the first failure's text, kept past the close).
    QString errorString() const { return m_error.isEmpty() ? m_file.errorString() : m_error; }
    int pages() const { return m_pages; }

private:
    void writeLine(QStringView text);
    void writePending();
    void writeHeader();
    void writeFooter();
    bool close();
    void fail();

    Layout m_layout;
    Header m_header;
    QFile m_file;
    QByteArray m_pending; // the bytes of the lines not yet written to the file
    int m_counter = 0;
    int m_pages = 0;
    bool m_failed = false;
    QString m_error;
};

} // namespace vtx
