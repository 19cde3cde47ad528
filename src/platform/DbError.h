// The two kinds of database failure: what the driver reported, and a caller's mistake.
#pragma once

#include <stdexcept>

#include <QString>

namespace vtx {

/// A failure reported by the driver: native number, SQLSTATE and the driver's text.
class DbError : public std::runtime_error {
public:
    DbError(long nativeCode, QString sqlState, QString text)
        : std::runtime_error(text.toStdString()), m_nativeCode(nativeCode),
          m_sqlState(std::move(sqlState)), m_text(std::move(text)) {}

    long nativeCode() const { return m_nativeCode; }
    const QString& sqlState() const { return m_sqlState; }
    const QString& text() const { return m_text; }
    /// The link to the server is gone (connection exceptions, "server has gone away",
    /// "lost connection during query"): the connection must be opened again.
    bool connectionLost() const {
        return m_sqlState.startsWith(QLatin1String("08")) || m_nativeCode == 2006 ||
               m_nativeCode == 2013;
    }

    /// The server refused a row whose primary or unique key another row already holds.
    bool duplicateKey() const { return m_nativeCode == 1062; }

private:
    long m_nativeCode;
    QString m_sqlState;
    QString m_text;
};

/// A mistake of the calling code: an unknown column, a closed connection, no current row.
class UsageError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace vtx
