// AFM parsing: the metrics section, keyed by glyph name or by code.
#include "AfmMetrics.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include <QFile>

namespace vtx::pdf {

namespace {

// WinAnsiEncoding from byte 32 on; "" where the byte is unassigned.
constexpr const char* kWinAnsi[224] = {
    "space", "exclam", "quotedbl", "numbersign", "dollar", "percent", "ampersand", "quotesingle",
    "parenleft", "parenright", "asterisk", "plus", "comma", "hyphen", "period", "slash", "zero",
    "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "colon", "semicolon",
    "less", "equal", "greater", "question", "at", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J",
    "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "bracketleft",
    "backslash", "bracketright", "asciicircum", "underscore", "grave", "a", "b", "c", "d", "e", "f",
    "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y",
    "z", "braceleft", "bar", "braceright", "asciitilde", "",
    // 0x80
    "Euro", "", "quotesinglbase", "florin", "quotedblbase", "ellipsis", "dagger", "daggerdbl",
    "circumflex", "perthousand", "Scaron", "guilsinglleft", "OE", "", "Zcaron", "", "", "quoteleft",
    "quoteright", "quotedblleft", "quotedblright", "bullet", "endash", "emdash", "tilde",
    "trademark", "scaron", "guilsinglright", "oe", "", "zcaron", "Ydieresis",
    // 0xA0
    "space", "exclamdown", "cent", "sterling", "currency", "yen", "brokenbar", "section",
    "dieresis", "copyright", "ordfeminine", "guillemotleft", "logicalnot", "hyphen", "registered",
    "macron", "degree", "plusminus", "twosuperior", "threesuperior", "acute", "mu", "paragraph",
    "periodcentered", "cedilla", "onesuperior", "ordmasculine", "guillemotright", "onequarter",
    "onehalf", "threequarters", "questiondown",
    // 0xC0
    "Agrave", "Aacute", "Acircumflex", "Atilde", "Adieresis", "Aring", "AE", "Ccedilla", "Egrave",
    "Eacute", "Ecircumflex", "Edieresis", "Igrave", "Iacute", "Icircumflex", "Idieresis", "Eth",
    "Ntilde", "Ograve", "Oacute", "Ocircumflex", "Otilde", "Odieresis", "multiply", "Oslash",
    "Ugrave", "Uacute", "Ucircumflex", "Udieresis", "Yacute", "Thorn", "germandbls",
    // 0xE0
    "agrave", "aacute", "acircumflex", "atilde", "adieresis", "aring", "ae", "ccedilla", "egrave",
    "eacute", "ecircumflex", "edieresis", "igrave", "iacute", "icircumflex", "idieresis", "eth",
    "ntilde", "ograve", "oacute", "ocircumflex", "otilde", "odieresis", "divide", "oslash",
    "ugrave", "uacute", "ucircumflex", "udieresis", "yacute", "thorn", "ydieresis"};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

struct Metric {
    int code = -1;
    int width = 0;
    std::string name;
    bool hasWidth = false;
};

// One "C 32 ; WX 278 ; N space ; B ..." line, read by its keys.
Metric parseMetric(std::string_view line) {
    Metric m;
    while (!line.empty()) {
        const size_t semi = line.find(';');
        const std::string_view part = trimmed(line.substr(0, semi));
        line = semi == std::string_view::npos ? std::string_view() : line.substr(semi + 1);
        const size_t blank = part.find(' ');
        if (blank == std::string_view::npos)
            continue;
        const std::string_view key = part.substr(0, blank);
        const std::string_view value = trimmed(part.substr(blank + 1));
        if (key == "C" || key == "WX") {
            const int v = std::atoi(std::string(value).c_str());
            if (key == "C")
                m.code = v;
            else
                m.width = v, m.hasWidth = true;
        } else if (key == "N") {
            m.name = std::string(value);
        }
    }
    return m;
}

} // namespace

const char* winAnsiGlyph(unsigned char code) {
    return code < 32 ? "" : kWinAnsi[code - 32];
}

std::optional<AfmWidths> readAfm(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray all = file.readAll();
    std::string_view rest(all.constData(), static_cast<size_t>(all.size()));

    bool symbolic = false;
    bool inMetrics = false;
    std::vector<Metric> metrics;
    while (!rest.empty()) {
        const size_t nl = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, nl));
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        if (line.empty())
            continue;
        if (!inMetrics) {
            if (line.starts_with("EncodingScheme") && line.find("FontSpecific") != line.npos)
                symbolic = true;
            inMetrics = line.starts_with("StartCharMetrics");
            continue;
        }
        if (line.starts_with("EndCharMetrics"))
            break;
        Metric m = parseMetric(line);
        if (m.hasWidth)
            metrics.push_back(std::move(m));
    }

    AfmWidths widths{};
    if (symbolic) {
        for (const Metric& m : metrics)
            if (m.code > 0 && m.code < 256)
                widths[m.code] = m.width;
        return widths;
    }
    std::unordered_map<std::string, int> byName;
    for (const Metric& m : metrics)
        byName.emplace(m.name, m.width);
    for (int code = 32; code < 256; ++code) {
        const char* glyph = winAnsiGlyph(static_cast<unsigned char>(code));
        if (!*glyph)
            continue;
        const auto it = byName.find(glyph);
        if (it != byName.end())
            widths[code] = it->second;
    }
    return widths;
}

} // namespace vtx::pdf
