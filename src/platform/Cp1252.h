// Windows-1252 text: the single-byte code page of the settings file, reports and PDFs.
#pragma once

#include <QByteArray>
#include <QString>

namespace vtx::Cp1252 {

/// Each character as its Windows-1252 byte; characters the page lacks become '?'.
QByteArray encode(const QString& text);
/// The same into a buffer of text.size() bytes.
void encode(QStringView text, char* out);
/// Each byte as its Windows-1252 character (the five unassigned bytes map to C1 controls).
QString decode(const QByteArray& bytes);
/// The Windows-1252 byte of one character, or -1 when the page lacks it.
int byteOf(QChar c);

} // namespace vtx::Cp1252
