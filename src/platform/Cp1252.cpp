// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
#include "Cp1252.h"

namespace vtx::Cp1252 {

namespace {

constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

int byteOf(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u)
            return 0x80 + i;
    return -1;
}

QByteArray encode(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    encode(text, out.data());
    return out;
}

void encode(QStringView text, char* out) {
    // Nearly every text is ASCII and Latin-1 letters, each its own byte: one pass without a
    // branch (which the compiler can vectorise) writes them and notes any other character,
    // and only a text holding one goes through the table.
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    unsigned others = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned u = chars[i];
        out[i] = static_cast<char>(u);
        others |= (u & 0xFF00u) | unsigned(u - 0x80u < 0x20u);
    }
    if (others == 0)
        return;
    for (qsizetype i = 0; i < size; ++i) {
        const int b = byteOf(QChar(chars[i]));
        out[i] = b < 0 ? '?' : static_cast<char>(b);
    }
}

QString decode(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kHigh[b - 0x80]) : QChar(b));
    }
    return out;
}

} // namespace vtx::Cp1252
