// The two kinds of database failure: what the driver reported, and a caller's mistake.
#pragma once

#include <stdexcept>

#include <QString>

namespace vtx {

/// What a failure of the link to the server left of the save under way, as the connection saw it.
enum class SaveOutcome {
    None,         ///< no save was under way (a reading, an opening)
    NothingSaved, ///< the statement never reached the server, or its transaction ended unsaved
    Unknown,      ///< a commit or a write of its own was sent: it may have been done
};

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

    /// The kinds of failure told in words of their own, by the driver's numbers and states.
    bool loginRefused() const;
    bool serverUnreachable() const;
    bool linkLost() const;

    SaveOutcome saveOutcome() const { return m_saveOutcome; }
    void setSaveOutcome(SaveOutcome outcome) { m_saveOutcome = outcome; }

    /// What the user reads: for a refused login, a server that cannot be reached and a lost
    /// link, what happened in Portuguese (with what it left of the save under way) and the
    /// driver's text in parentheses; the driver's text alone for any other failure.
    QString message() const;

private:
    long m_nativeCode;
    QString m_sqlState;
    QString m_text;
    SaveOutcome m_saveOutcome = SaveOutcome::None;
};

/// A mistake of the calling code: an unknown column, a closed connection, no current row.
class UsageError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace vtx
