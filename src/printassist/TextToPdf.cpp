// The PDF 1.2 text writer: object layout 1 Info, 4 Font, 5 Encoding, 6 Resources, then page,
// content stream and length per page, then 2 Catalog and 3 Pages; every line ends with CR.
#include "TextToPdf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <QFile>
#include <QFileInfo>

#include "Clock.h"
#include "Cp1252.h"
#include "PartialFile.h"
#include "ReportLines.h"

namespace vtx {

namespace {

constexpr std::string_view kWrapChars = "*&^%$#,. ;<=>[])}!\"";
constexpr size_t kChunk = 32000;
constexpr int kInfo = 1, kCatalog = 2, kPages = 3, kFont = 4, kEncoding = 5, kResources = 6;
constexpr int kFootY = 25;

/// num / den rounded to the nearest whole number, halves to the even neighbour.
long roundHalfEven(long num, long den) {
    const long q = num / den;
    const long r = num % den;
    return (2 * r > den || (2 * r == den && (q & 1))) ? q + 1 : q;
}

void appendInt(std::string& s, long v) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, res.ptr);
}

/// A fixed-point value of four decimals in its shortest form ("12", "9.6", "14.4").
void appendE4(std::string& s, long e4) {
    appendInt(s, e4 / 10000);
    long frac = e4 % 10000;
    if (frac == 0)
        return;
    char digits[5] = {char('0' + frac / 1000), char('0' + frac / 100 % 10),
                      char('0' + frac / 10 % 10), char('0' + frac % 10), 0};
    int n = 4;
    while (digits[n - 1] == '0')
        --n;
    s += '.';
    s.append(digits, n);
}

/// A literal string's body: backslash first, then the parentheses.
void appendEscaped(std::string& s, std::string_view text) {
    // Most lines hold none of the three: the C library's scans tell so a word at a time.
    const auto holds = [text](char c) {
        return !text.empty() && std::memchr(text.data(), c, text.size()) != nullptr;
    };
    if (!holds('\\') && !holds('(') && !holds(')')) {
        s.append(text);
        return;
    }
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == '(' || c == ')') {
            s.append(text.data() + from, i - from);
            s += '\\';
            from = i;
        }
    }
    s.append(text.data() + from, text.size() - from);
}

/// The font as a PDF name; "Courier New" is the standard Courier, other names keep their
/// letters with the characters a name cannot hold written as #xx.
std::string baseFontName(const QString& fontName) {
    if (fontName.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return "Courier";
    std::string name;
    for (char c : Cp1252::encode(fontName)) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 32 || b >= 127 || std::strchr("#()<>[]{}/%", c)) {
            static const char hex[] = "0123456789ABCDEF";
            name += '#';
            name += hex[b >> 4];
            name += hex[b & 15];
        } else {
            name += c;
        }
    }
    return name;
}

/// Length of the first piece of an over-long line: after its last wrap character in the
/// second half of the width, else the whole width.
size_t pieceLength(std::string_view text, size_t width) {
    const size_t lowest = std::max<size_t>(width / 2, 1);
    for (size_t pos = width; pos >= lowest; --pos)
        if (kWrapChars.find(text[pos - 1]) != std::string_view::npos)
            return pos;
    return width;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool hasFormFeed(std::string_view s) {
    return s.find('\f') != std::string_view::npos;
}

/// A fixed-point value of four decimals, as a line part.
struct E4 {
    long value;
};
/// An xref offset: ten digits with leading zeros.
struct Offset10 {
    long value;
};

void put(std::string& s, std::string_view v) {
    s += v;
}
void put(std::string& s, int v) {
    appendInt(s, v);
}
void put(std::string& s, long v) {
    appendInt(s, v);
}
void put(std::string& s, E4 v) {
    appendE4(s, v.value);
}
void put(std::string& s, Offset10 v) {
    char digits[10];
    for (int i = 9; i >= 0; --i, v.value /= 10)
        digits[i] = char('0' + v.value % 10);
    s.append(digits, 10);
}

/// One conversion: the byte count, the object table and the buffered output.
class Writer {
public:
    Writer(const TextPdfSettings& settings, const TextPdfPage& page)
        : m_settings(settings), m_page(page), m_offsets(kResources + 1, 0) {
        m_buf.reserve(kChunk + 4096);
    }

    bool open(const QString& path);
    void finish();
    bool failed() const { return m_failed; }
    QString error() const { return m_error; }
    int pages() const { return static_cast<int>(m_pageObjects.size()); }

    void writeHeader();
    void writeResources();
    void writeBody(const QByteArray& input);
    void writeTrailer();

private:
    /// Writes one line of the parts followed by CR, counting its bytes.
    template <typename... Parts> void line(const Parts&... parts) {
        const size_t mark = m_buf.size();
        (put(m_buf, parts), ...);
        m_buf += '\r';
        m_pos += static_cast<long>(m_buf.size() - mark);
        if (m_buf.size() > kChunk)
            flush();
    }
    void lines(std::initializer_list<std::string_view> all) {
        for (std::string_view l : all)
            line(l);
    }
    void beginObject(int number);
    void stringEntry(std::string_view key, const QString& value);
    void startPage();
    void endPage();
    void pageFoot();
    void breakPage() {
        pageFoot();
        endPage();
        startPage();
    }
    void flush();

    const TextPdfSettings& m_settings;
    TextPdfPage m_page;
    QFile m_file;
    std::string m_buf;
    long m_pos = 0;
    long m_streamStart = 0;
    int m_lastObject = kResources;
    std::vector<long> m_offsets;
    std::vector<int> m_pageObjects;
    bool m_failed = false;
    QString m_error;
};

bool Writer::open(const QString& path) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_failed = true;
        m_error = m_file.errorString();
    }
    return !m_failed;
}

void Writer::flush() {
    if (!m_failed && m_file.write(m_buf.data(), static_cast<qint64>(m_buf.size())) !=
                         static_cast<qint64>(m_buf.size())) {
        m_failed = true;
        m_error = m_file.errorString();
    }
    m_buf.clear();
}

void Writer::finish() {
    flush();
    if (!m_failed && !m_file.flush()) {
        m_failed = true;
        m_error = m_file.errorString();
    }
    m_file.close();
}

void Writer::beginObject(int number) {
    if (static_cast<size_t>(number) >= m_offsets.size())
        m_offsets.resize(number + 1, 0);
    m_offsets[number] = m_pos;
    line(number, " 0 obj");
}

void Writer::stringEntry(std::string_view key, const QString& value) {
    std::string escaped;
    appendEscaped(escaped, Cp1252::encode(value).toStdString());
    line(key, " (", escaped, ")");
}

void Writer::writeHeader() {
    lines({"%PDF-1.2", "%\xE2\xE3\xCF\xD3"});
}

void Writer::writeResources() {
    beginObject(kInfo);
    line("<<");
    stringEntry("/Author", m_settings.author);
    stringEntry("/CreationDate",
                QStringLiteral("D:") + Clock::now().toString(QStringLiteral("yyyyMMddHHmmss")));
    stringEntry("/Creator", m_settings.creator);
    stringEntry("/Producer", QStringLiteral("Tekvora v1.0"));
    stringEntry("/Title", m_settings.title);
    stringEntry("/Subject", m_settings.subject);
    stringEntry("/Keywords", m_settings.keywords);
    lines({">>", "endobj"});

    beginObject(kFont);
    lines({"<<", "/Type /Font", "/Subtype /Type1", "/Name /F1", "/Encoding 5 0 R"});
    line("/BaseFont /", baseFontName(m_settings.fontName));
    lines({">>", "endobj"});

    beginObject(kEncoding);
    lines({"<<", "/Type /Encoding", "/BaseEncoding /WinAnsiEncoding", ">>", "endobj"});

    beginObject(kResources);
    lines({"<<", "  /Font << /F1 4 0 R >>", "  /ProcSet [ /PDF /Text ]", ">>", "endobj"});
}

void Writer::startPage() {
    const int page = ++m_lastObject;
    m_pageObjects.push_back(page);
    beginObject(page);
    lines({"<<", "/Type /Page", "/Parent 3 0 R", "/Resources 6 0 R"});
    line("/Contents ", page + 1, " 0 R");
    line("/Rotate ", m_settings.rotation);
    lines({">>", "endobj"});

    const int stream = ++m_lastObject;
    beginObject(stream);
    line("<<");
    line("/Length ", stream + 1, " 0 R");
    line(">>");
    // The keyword is followed by CR LF: a lone CR after "stream" is no valid line end.
    m_buf += "stream\r\n";
    m_pos += 8;
    m_streamStart = m_pos;

    line("BT");
    line("/F1 ", m_settings.fontSize, " Tf");
    line("1 0 0 1 50 ", m_page.height - 40, " Tm");
    line(E4{m_page.leadingE4}, " TL");
}

void Writer::pageFoot() {
    line("1 0 0 1 ", E4{m_page.width * 5000L}, " ", kFootY, " Tm");
    line("(", pages(), ") Tj");
    line("/F1 ", m_settings.fontSize, " Tf");
}

void Writer::endPage() {
    line("ET");
    const long length = m_pos - m_streamStart;
    lines({"endstream", "endobj"});
    beginObject(++m_lastObject);
    line(length);
    line("endobj");
}

void Writer::writeBody(const QByteArray& input) {
    startPage();
    const int perPage = m_page.linesPerPage;
    const size_t width = static_cast<size_t>(m_page.charsPerLine);
    int count = -1;
    std::string escaped;
    const std::string_view data(input.constData(), size_t(input.size()));
    forEachLine(data, [&](std::string_view raw) {
        if (m_failed)
            return;
        if (++count >= perPage || hasFormFeed(raw)) {
            breakPage();
            count = 0;
        }
        // Lines are measured in the characters they show; each piece is escaped as it is
        // written, so an escape neither lengthens a line nor is cut apart.
        auto showLine = [&](std::string_view piece) {
            escaped.clear();
            appendEscaped(escaped, piece);
            // The shown string ends with a line end of its own.
            line("T* (", escaped, "\r\n) Tj");
        };
        std::string_view text = trimBlanks(raw);
        while (text.size() > width) {
            const size_t cut = pieceLength(text, width);
            showLine(text.substr(0, cut));
            text.remove_prefix(cut);
            if (++count >= perPage || hasFormFeed(text)) {
                breakPage();
                count = 0;
            }
        }
        showLine(text);
    });
    pageFoot();
    endPage();
}

void Writer::writeTrailer() {
    beginObject(kCatalog);
    lines({"<<", "/Type /Catalog", "/Pages 3 0 R", ">>", "endobj"});

    beginObject(kPages);
    lines({"<<", "/Type /Pages"});
    line("/Count ", pages());
    line("/MediaBox [ 0 0 ", m_page.width, " ", m_page.height, " ]");
    std::string kids = "/Kids [ ";
    for (int page : m_pageObjects) {
        appendInt(kids, page);
        kids += " 0 R ";
    }
    line(kids, "]");
    lines({">>", "endobj"});

    // Cross-reference table: every entry with its CR is 20 bytes.
    const long xref = m_pos;
    line("xref");
    line("0 ", m_lastObject + 1);
    line("0000000000 65535 f ");
    for (int n = 1; n <= m_lastObject; ++n)
        line(Offset10{m_offsets[n]}, " 00000 n ");
    lines({"trailer", "<<"});
    line("/Size ", m_lastObject + 1);
    lines({"/Root 2 0 R", "/Info 1 0 R", ">>", "startxref"});
    line(xref);
    line("%%EOF");
}

} // namespace

TextPdfPage TextToPdf::pageFor(const TextPdfSettings& settings) {
    const bool sized = settings.pageWidth > 0 && settings.pageHeight > 0;
    TextPdfPage page;
    page.width = static_cast<int>(std::nearbyint((sized ? settings.pageWidth : 14) * 72));
    page.height = static_cast<int>(std::nearbyint((sized ? settings.pageHeight : 11) * 72));
    const long size = std::max(settings.fontSize, 1);
    page.leadingE4 = size * 12000;
    page.linesPerPage = static_cast<int>(
        std::max(1L, roundHalfEven(std::max(0L, page.height - 72L) * 10000, page.leadingE4)));
    // "Courier New" is drawn as Courier, so its lines hold as many characters.
    const QString font = settings.fontName.toLower();
    const bool courier = font == QLatin1String("courier") || font == QLatin1String("courier new");
    const long factor10 = courier ? 15 : font == QLatin1String("arial") ? 20 : 22;
    page.charsPerLine =
        static_cast<int>(std::max(1L, roundHalfEven(page.width * factor10, size * 10)));
    return page;
}

bool TextToPdf::fileExists(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

TextPdfResult TextToPdf::convert(const QString& inputPath, const QString& outputPath,
                                 const TextPdfSettings& settings) {
    TextPdfResult result;
    if (!fileExists(inputPath)) {
        result.status = TextPdfResult::Status::InputMissing;
        return result;
    }
    QFile input(inputPath);
    if (!input.open(QIODevice::ReadOnly)) {
        result.status = TextPdfResult::Status::Failed;
        result.error = input.errorString();
        return result;
    }
    const QByteArray text = input.readAll();
    input.close();

    TextPdfSettings fixed = settings;
    fixed.fontSize = std::max(settings.fontSize, 1);
    Writer writer(fixed, pageFor(fixed));
    const bool opened = writer.open(outputPath);
    if (opened) {
        writer.writeHeader();
        writer.writeResources();
        writer.writeBody(text);
        writer.writeTrailer();
        writer.finish();
    }
    if (writer.failed()) {
        if (opened)
            removePartialFile(outputPath);
        result.status = TextPdfResult::Status::Failed;
        result.error = writer.error();
        return result;
    }
    result.pages = writer.pages();
    return result;
}

} // namespace vtx
