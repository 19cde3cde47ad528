// Settings file: a small INI reader, the scrambling of values and the safe rewrite.
#include "Ini.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "Cp1252.h"

namespace vtx {

namespace {

QByteArray xorWithKey(QByteArray bytes) {
    constexpr int keyLength = sizeof kChaveIni - 1;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ kChaveIni[i % keyLength]);
    return bytes;
}

QString bytesToHex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

/// Pairs of hex digits back to bytes; a pair is read as far as it holds hex digits.
QByteArray hexToBytes(const QString& text) {
    QByteArray out;
    out.reserve(text.size() / 2 + 1);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        int value = 0;
        for (qsizetype j = i; j < i + 2 && j < text.size(); ++j) {
            const int digit = hexValue(text[j]);
            if (digit < 0)
                break;
            value = value * 16 + digit;
        }
        out.append(static_cast<char>(value));
    }
    return out;
}

} // namespace

QString LeINI(const QString& section, const QString& key, const QString& defaultValue,
              const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return defaultValue;
    bool inSection = false;
    for (QByteArray raw : f.readAll().split('\n')) {
        const QString line = Cp1252::decode(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection =
                line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return defaultValue;
}

QString LeConfig(const QString& key, const QString& file) {
    const QString missing = QStringLiteral("DefaultUser");
    const QString stored = LeINI(QStringLiteral("CONFIG"), key, missing, file);
    return stored == missing ? QString() : Descriptografar(stored);
}

QString TextoParaHex(const QString& text) {
    return bytesToHex(Cp1252::encode(text));
}

QString HexParaTexto(const QString& text) {
    return Cp1252::decode(hexToBytes(text));
}

QString Criptografar(const QString& text) {
    return bytesToHex(xorWithKey(Cp1252::encode(text)));
}

QString Descriptografar(const QString& text) {
    return Cp1252::decode(xorWithKey(hexToBytes(text)));
}

QString iniFilePath(const QString& folder) {
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (names.contains(QStringLiteral("Vertalumex.ini")))
        return dir.filePath(QStringLiteral("Vertalumex.ini"));
    for (const QString& name : names)
        if (name.compare(QLatin1String("vertalumex.ini"), Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    return dir.filePath(QStringLiteral("Vertalumex.ini"));
}

QString writeIniFile(const QString& path, const IniValues& values) {
    QByteArray content = "[CONFIG]\r\n";
    const std::pair<const char*, QString> lines[] = {{"conexao=", values.conexao},
                                                     {"senha=", values.senha},
                                                     {"banco=", values.banco},
                                                     {"userbco=", values.userbco},
                                                     {"idlic=", values.idlic}};
    for (const auto& [key, value] : lines)
        content += key + Criptografar(value.trimmed()).toLatin1() + "\r\n";
    // The file holds the database password: only its owner reads it, whatever the mode of the
    // file it replaces.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return file.errorString();
    if (file.write(content) != content.size() || !file.commit())
        return file.errorString();
    return QString();
}

} // namespace vtx
