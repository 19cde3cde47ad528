// The installation settings file: its reader, writer and the scrambling of its values.
#pragma once

#include <QString>

namespace vtx {

/// Key of the scrambling, repeated every 19 characters.
inline constexpr char kChaveIni[] = "5820447163058291734";

/// One value of an INI file: section and key found ignoring case; the default when the file
/// or the key is missing. Values are read as Windows-1252 text.
QString LeINI(const QString& section, const QString& key, const QString& defaultValue,
              const QString& file);
/// One unscrambled value of section "CONFIG"; empty when the file or the key is missing (the
/// reader's default "DefaultUser" would otherwise unscramble into meaningless characters).
QString LeConfig(const QString& key, const QString& file);
/// Scrambles a text (Windows-1252 bytes XOR the key) and returns it as upper-case hex.
QString Criptografar(const QString& text);
/// Reads the hex form back and unscrambles it.
QString Descriptografar(const QString& text);
QString TextoParaHex(const QString& text);
QString HexParaTexto(const QString& text);

/// The settings file of a folder: "vertalumex.ini" whatever the case of its name, or the
/// path of "Vertalumex.ini" there when none exists.
QString iniFilePath(const QString& folder);

struct IniValues {
    QString conexao, senha, banco, userbco, idlic;
};
/// Writes the six lines of the settings file (values scrambled and trimmed, CR LF) beside
/// the old file and renames it over, readable by its owner alone (0600); the old file stays
/// whole on failure. Empty error = done.
QString writeIniFile(const QString& path, const IniValues& values);

} // namespace vtx
