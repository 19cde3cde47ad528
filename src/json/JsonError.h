// The numbered error that the JSON container raises to its caller.
#pragma once

#include <exception>

#include <QString>

namespace vtx {

/// An error of the JSON container: its number, its source and its description.
class JsonError : public std::exception {
public:
    JsonError(int number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8()) {}

    int number() const { return m_number; }
    QString source() const { return QStringLiteral("JsonCaixa"); }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

} // namespace vtx
