// Paged text report: fields, header, page breaks by line counter, padding and footer.
#include "PagedTextReport.h"

#include <algorithm>
#include <utility>

#include <QDir>

#include "Clock.h"
#include "Cp1252.h"
#include "Desktop.h"
#include "Formats.h"
#include "PartialFile.h"
#include "Session.h"

namespace vtx {

namespace {

const QString kAddress = QStringLiteral("www.morvisca.com.br");

// The lines are gathered and written to the file in blocks of about this size.
constexpr qsizetype kBlock = 64 * 1024;

/// The width of the fields joined by "|".
qsizetype joinedWidth(const std::vector<ReportField>& fields) {
    qsizetype width = fields.empty() ? 0 : qsizetype(fields.size()) - 1;
    for (const ReportField& field : fields)
        width += std::max(field.width, 0);
    return width;
}

// Writes the value fitted to its field into the field's place in a line of blanks; characters
// that would break a page, a line or a spreadsheet column become blanks.
void placeField(QChar* at, QStringView value, const ReportField& field) {
    const qsizetype width = std::max(field.width, 0);
    const qsizetype shown = std::min(value.size(), width);
    QChar* to = at + (field.align == ReportField::Left ? 0 : width - shown);
    const QChar* from = value.data();
    for (qsizetype i = 0; i < shown; ++i) {
        const char16_t c = from[i].unicode();
        to[i] = c == u'\f' || c == u'\r' || c == u'\n' || c == u'|' ? QChar(u' ') : QChar(c);
    }
}

QString rule(char c) {
    return QString(PagedTextReport::kWidth, QLatin1Char(c));
}

QString stampedPath(const QString& folder, const QString& stem, const QString& extension) {
    return QDir(folder).filePath(stem + Clock::now().toString(QStringLiteral("yyMMddHHmmss")) +
                                 extension);
}

} // namespace

ReportLine::ReportLine(const std::vector<ReportField>& fields)
    : m_fields(fields), m_text(joinedWidth(fields), QLatin1Char(' ')), m_at(m_text.data()) {}

ReportLine& ReportLine::operator<<(QStringView value) {
    if (m_next >= m_fields.size())
        return *this;
    if (m_next > 0)
        *m_at++ = QLatin1Char('|');
    const ReportField& field = m_fields[m_next++];
    placeField(m_at, value, field);
    m_at += std::max(field.width, 0);
    return *this;
}

QString ReportLine::take() {
    m_next = m_fields.size();
    m_at = nullptr;
    return std::exchange(m_text, QString());
}

QString fitField(const QString& value, const ReportField& field) {
    QString text(std::max(field.width, 0), QLatin1Char(' '));
    placeField(text.data(), value, field);
    return text;
}

QString joinFields(const QStringList& values, const std::vector<ReportField>& fields) {
    ReportLine line(fields);
    for (size_t i = 0; i < fields.size(); ++i)
        line << (i < size_t(values.size()) ? QStringView(values[int(i)]) : QStringView());
    return line.take();
}

PagedTextReport::PagedTextReport(Layout layout, Header header)
    : m_layout(std::move(layout)), m_header(std::move(header)) {}

bool PagedTextReport::open() {
    const QString folder = Desktop::programFile(QStringLiteral("temp"));
    QDir().mkpath(folder);
    gArquivoTXT = stampedPath(folder, m_layout.textStem, QStringLiteral(".txt"));
    gArquivoPDF = stampedPath(folder, m_layout.pdfStem, QStringLiteral(".pdf"));
    m_file.setFileName(gArquivoTXT);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail();
        return false;
    }
    m_pending.reserve(kBlock + kWidth + 3);
    writeLine(rule('_'));
    writeHeader();
    return !m_failed;
}

void PagedTextReport::addRecord(const QStringList& lines) {
    if (m_counter >= m_layout.pageBreakAt) {
        writeFooter();
        m_pending.append("\f\r\n");
        writeHeader();
    }
    for (const QString& line : lines) {
        writeLine(line);
        ++m_counter;
    }
}

bool PagedTextReport::finish(const QStringList& closingLines) {
    for (int v = m_counter; v <= m_layout.lastEmptyLine; ++v)
        writeLine(QString());
    for (const QString& line : closingLines)
        writeLine(line);
    writeFooter();
    return close();
}

bool PagedTextReport::finishHeaderOnly() {
    return close();
}

void PagedTextReport::writeLine(QStringView text) {
    const qsizetype shown = std::min<qsizetype>(text.size(), kWidth);
    const qsizetype start = m_pending.size();
    m_pending.resize(start + shown + 2);
    char* bytes = m_pending.data() + start;
    Cp1252::encode(text.left(shown), bytes);
    // A form feed or line end is the same byte in Windows-1252: it becomes a blank.
    for (qsizetype i = 0; i < shown; ++i) {
        const char b = bytes[i];
        bytes[i] = b == '\f' || b == '\r' || b == '\n' ? ' ' : b;
    }
    bytes[shown] = '\r';
    bytes[shown + 1] = '\n';
    if (m_pending.size() >= kBlock)
        writePending();
}

void PagedTextReport::writePending() {
    if (!m_pending.isEmpty() && m_file.write(m_pending) != m_pending.size())
        fail();
    m_pending.resize(0);
}

void PagedTextReport::writeHeader() {
    ++m_pages;
    writeLine(gIdLic + QLatin1Char(' ') + mainCaption());
    writeLine(QLatin1Char(' ') + Formats::dateTimeText(Clock::now()));
    writeLine(m_header.title);
    for (const QString& filter : m_header.filters)
        writeLine(filter);
    writeLine(rule('='));
    writeLine(m_header.heading);
    writeLine(rule('='));
    m_counter = m_layout.counterAfterHeader;
}

void PagedTextReport::writeFooter() {
    writeLine(rule('_'));
    writeLine(kAddress);
}

void PagedTextReport::fail() {
    // Closing the file forgets its error: the first one is kept for the report's caller.
    if (!m_failed)
        m_error = m_file.errorString();
    m_failed = true;
}

bool PagedTextReport::close() {
    const bool opened = m_file.isOpen();
    if (opened)
        writePending();
    if (!m_file.flush())
        fail();
    m_file.close();
    // A report written only in part is removed, so that nothing takes it for the whole one.
    if (m_failed && opened)
        removePartialFile(m_file.fileName());
    return !m_failed;
}

} // namespace vtx
